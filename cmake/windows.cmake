# The Windows targets: the plug-in, the resource manager, the resource libraries, the
# reference host and the tests that run under Wine.
enable_language(RC)

option(UXD_BUILD_TESTS "Build the tests that run under Wine" ON)
option(UXD_SPLIT_DEBUG "Strip the shipped binaries, keeping their debug information in NAME.debug" OFF)

add_compile_options(-Wall -Wextra)
# The C and C++ run-times go into each binary: nothing but system DLLs is needed beside it.
add_link_options(-static -static-libgcc -static-libstdc++)

# The shipped binaries carry only what they use. Each function and datum gets its own
# section, so the linker drops the unused ones. The module and the resource manager are
# built without exceptions (nothing in them throws; the exports are noexcept), without
# type information and without guarded statics (the host calls them on one thread): then
# nothing asks for the C++ library's exception, typeinfo and thread pieces (libstdc++'s
# unwinder and personality, winpthreads).
set(UXD_LEAN_COMPILE -ffunction-sections -fdata-sections)
set(UXD_MODULE_COMPILE ${UXD_LEAN_COMPILE} -fno-exceptions -fno-rtti -fno-threadsafe-statics)
set(UXD_LEAN_LINK -Wl,--gc-sections)

# What each shipped binary may weigh, stripped as `make dist` ships it, in bytes: the dist
# step and the tests fail past it, and `make bench` shows it.
find_program(UXD_OBJCOPY x86_64-w64-mingw32-objcopy REQUIRED)
set(UXD_SIZE_LIMIT_uxdmapi 98304)    # 96 KB
set(UXD_SIZE_LIMIT_rmlocale 49152)   # 48 KB
set(UXD_SIZE_LIMIT_uxdsend 262144)   # 256 KB: a host program; the C++ library serves it
set(UXD_SIZE_LIMITED uxdmapi rmlocale uxdsend)

set(UXD_WINEPREFIX ${CMAKE_BINARY_DIR}/wineprefix)
set(UXD_RES ${CMAKE_SOURCE_DIR}/src/resources)

# The one version number, from project(), for every VERSIONINFO (src/resources/version.rc).
configure_file(${UXD_RES}/uxd_version.h.in ${CMAKE_BINARY_DIR}/generated/uxd_version.h @ONLY)
set(UXD_VERSION_INCLUDES ${UXD_RES} ${CMAKE_BINARY_DIR}/generated)

# --- resource manager ----------------------------------------------------------------
add_library(rmlocale_core STATIC src/rmlocale/session.cpp)
target_include_directories(rmlocale_core PUBLIC src/rmlocale)
target_compile_options(rmlocale_core PRIVATE ${UXD_MODULE_COMPILE})

add_library(rmlocale SHARED src/rmlocale/exports.cpp src/rmlocale/rmlocale.def src/rmlocale/rmlocale.rc)
target_link_libraries(rmlocale PRIVATE rmlocale_core)
set_target_properties(rmlocale PROPERTIES OUTPUT_NAME rmlocale-1-0 PREFIX "")
target_include_directories(rmlocale PUBLIC src/rmlocale PRIVATE ${UXD_VERSION_INCLUDES})
target_compile_options(rmlocale PRIVATE ${UXD_MODULE_COMPILE})
target_link_options(rmlocale PRIVATE ${UXD_LEAN_LINK})

# --- resource libraries: pelmoLLLL.dll, data only ------------------------------------
function(uxd_resource_library name rc)
  add_library(${name} SHARED ${rc})
  set_target_properties(${name} PROPERTIES PREFIX "" LINKER_LANGUAGE C)
  target_include_directories(${name} PRIVATE ${UXD_VERSION_INCLUDES})
  target_link_options(${name} PRIVATE -nostdlib -Wl,--entry=0)
endfunction()
# One per language beside the module's own English: German, French, Spanish (found for both
# sort orders through the primary language), Italian, Japanese.
set(UXD_LANGUAGE_LIBRARIES de/pelmo0407 fr/pelmo040C es/pelmo040A it/pelmo0410 ja/pelmo0411)
set(UXD_LANGUAGE_TARGETS)
set(UXD_LANGUAGE_SCRIPTS)
foreach(library ${UXD_LANGUAGE_LIBRARIES})
  get_filename_component(target ${library} NAME)
  uxd_resource_library(${target} src/resources/${library}.rc)
  list(APPEND UXD_LANGUAGE_TARGETS ${target})
  list(APPEND UXD_LANGUAGE_SCRIPTS src/resources/${library}.rc)
endforeach()

# windres writes no dependency file: name what the scripts include, so editing it rebuilds them.
set(UXD_RC_INCLUDES ${UXD_RES}/resource_ids.h ${UXD_RES}/version.rc ${CMAKE_BINARY_DIR}/generated/uxd_version.h)
set_source_files_properties(src/resources/uxdmapi.rc ${UXD_LANGUAGE_SCRIPTS} src/rmlocale/rmlocale.rc
  src/host/uxdsend.rc
  PROPERTIES OBJECT_DEPENDS "${UXD_RC_INCLUDES}")

# --- the plug-in, one static library per layer ---------------------------------------
# Each layer sees only the headers of the layers it links: an include that climbs up does
# not compile. docs/architecture.md draws the layers and the arrows between them.
add_library(uxd_host_records INTERFACE)  # the records hosts exchange with the module
target_include_directories(uxd_host_records INTERFACE include)
add_library(uxd_resource_ids INTERFACE)
target_include_directories(uxd_resource_ids INTERFACE src/resources)

function(uxd_layer name dir)
  cmake_parse_arguments(L "" "" "SOURCES;PUBLIC;PRIVATE" ${ARGN})
  add_library(${name} STATIC ${L_SOURCES})
  target_include_directories(${name} PUBLIC src/${dir})
  target_compile_options(${name} PRIVATE ${UXD_MODULE_COMPILE})
  target_link_libraries(${name} PUBLIC ${L_PUBLIC} PRIVATE ${L_PRIVATE})
endfunction()

uxd_layer(uxd_support support
  SOURCES src/support/allocation.cpp src/support/format_text.cpp
    src/support/mail_client_registration.cpp)
uxd_layer(uxd_model model
  SOURCES src/model/module_state.cpp src/model/catalogue.cpp src/model/export_job.cpp
    src/model/job_operations.cpp src/model/attachment_name.cpp src/model/mapi_functions.cpp
    src/model/recipient.cpp src/model/recipient_text.cpp
  PUBLIC uxd_support uxd_host_records rmlocale
  PRIVATE uxd_resource_ids user32)

# MAPI32.DLL's ordinal 139, imported by number: an import library made from a .def.
set(UXD_MAPI32_ORDINALS ${CMAKE_BINARY_DIR}/lib/libmapi32_ordinals.a)
add_custom_command(OUTPUT ${UXD_MAPI32_ORDINALS}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/lib
  COMMAND x86_64-w64-mingw32-dlltool -d ${CMAKE_SOURCE_DIR}/src/mail/mapi32_ordinals.def
          -l ${UXD_MAPI32_ORDINALS}
  DEPENDS ${CMAKE_SOURCE_DIR}/src/mail/mapi32_ordinals.def)
add_custom_target(mapi32_ordinals DEPENDS ${UXD_MAPI32_ORDINALS})

uxd_layer(uxd_mail mail
  SOURCES src/mail/simple_mapi.cpp src/mail/address_book.cpp src/mail/resolution.cpp
    src/mail/gather_recipients.cpp
  PUBLIC uxd_model
  PRIVATE uxd_resource_ids ${UXD_MAPI32_ORDINALS})
add_dependencies(uxd_mail mapi32_ordinals)
uxd_layer(uxd_options options
  SOURCES src/options/flat_block.cpp src/options/flat_block_writer.cpp src/options/encoded_options.cpp
    src/options/options_conversion.cpp
    src/options/codepage_win32.cpp src/options/free_options.cpp src/options/job_options.cpp
  PUBLIC uxd_model
  PRIVATE uxd_mail)
uxd_layer(uxd_dialog dialog
  SOURCES src/dialog/send_mail_dialog.cpp
  PUBLIC uxd_model
  PRIVATE uxd_mail uxd_resource_ids user32)
uxd_layer(uxd_flows flows
  SOURCES src/flows/module_lifecycle.cpp src/flows/setup.cpp src/flows/export.cpp src/flows/teardown.cpp src/flows/process_state.cpp
  PUBLIC uxd_model
  PRIVATE uxd_mail uxd_options uxd_dialog uxd_resource_ids)
uxd_layer(uxd_exports exports
  SOURCES src/exports/dllmain.cpp src/exports/module_exports.cpp src/exports/job_exports.cpp
    src/exports/options_exports.cpp
  PRIVATE uxd_flows uxd_options)

# Every layer at once, for the tests, which look inside each.
add_library(uxdmapi_core INTERFACE)
target_link_libraries(uxdmapi_core INTERFACE uxd_exports uxd_flows uxd_dialog uxd_options uxd_mail uxd_model
  uxd_resource_ids)

add_library(uxdmapi SHARED
  src/exports/uxdmapi.def
  src/resources/uxdmapi.rc)
set_target_properties(uxdmapi PROPERTIES PREFIX "")
target_include_directories(uxdmapi PRIVATE ${UXD_VERSION_INCLUDES})
target_link_libraries(uxdmapi PRIVATE $<LINK_LIBRARY:WHOLE_ARCHIVE,uxd_exports>)
target_link_options(uxdmapi PRIVATE ${UXD_LEAN_LINK})

# --- the reference host --------------------------------------------------------------
set(UXD_HOST_SOURCES src/host/command_line.cpp src/host/options_builder.cpp src/host/options_file.cpp
  src/host/export_files.cpp src/host/plugin.cpp src/host/report.cpp src/host/usage.cpp
  src/host/console_text.cpp src/host/send_command.cpp src/host/owner_only.cpp src/host/explanations.cpp
  src/host/check_command.cpp src/host/check_findings.cpp src/host/check_probes.cpp
  src/host/pe_machine.cpp)
# Its commands as a library, so that the tests can drive the plug-in through the same code.
add_library(uxdsend_core STATIC ${UXD_HOST_SOURCES})
target_include_directories(uxdsend_core PUBLIC include src/host)
# Built without exceptions too: uxdsend catches none, so whatever the C++ library throws ends
# it (see no_exceptions.cpp), and its code needs no unwind tables or cleanup paths.
set(UXD_HOST_COMPILE ${UXD_LEAN_COMPILE} -fno-exceptions)
target_compile_options(uxdsend_core PRIVATE ${UXD_HOST_COMPILE})
# The mail-client registration is read by the plug-in's support code, the one reading of it.
target_link_libraries(uxdsend_core PUBLIC uxd_support advapi32)
add_executable(uxdsend src/host/uxdsend.cpp src/host/uxdsend.rc src/host/no_exceptions.cpp)
target_include_directories(uxdsend PRIVATE ${UXD_VERSION_INCLUDES})
target_link_libraries(uxdsend PRIVATE uxdsend_core)
target_compile_options(uxdsend PRIVATE ${UXD_HOST_COMPILE})
target_link_options(uxdsend PRIVATE ${UXD_LEAN_LINK})
add_dependencies(uxdsend uxdmapi rmlocale ${UXD_LANGUAGE_TARGETS})

# --- the test mail system, for the tests and the demo --------------------------------
add_subdirectory(testmail)

# --- tests under Wine ----------------------------------------------------------------
if(UXD_BUILD_TESTS)
  add_subdirectory(tests)
  add_subdirectory(bench)
endif()

# --- the release package -------------------------------------------------------------
include(cmake/dist.cmake)

# What `make demo` needs and nothing more: the shipped binaries and the test mail system.
add_custom_target(demo_programs)
add_dependencies(demo_programs ${UXD_SHIPPED} uxdtestmail)
