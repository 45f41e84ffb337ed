# The release package for host integrators: `make dist` builds the release preset and packs
# dist/uxdmapi-<version>-win64.zip (the binaries, stripped; the public header; the
# integrator's text) and dist/uxdmapi-<version>-win64-symbols.zip (the debug information
# each binary names through its .gnu_debuglink), each with a SHA-256 checksum file.

# What ships, by name: every binary gets the version record and, in a split build, its
# debug information moved into NAME.debug beside it.
# (The tests' own resource library is not among them.)
set(UXD_SHIPPED uxdmapi rmlocale uxdsend ${UXD_LANGUAGE_TARGETS})

foreach(target IN LISTS UXD_SHIPPED)
  if(UXD_SPLIT_DEBUG)
    add_custom_command(TARGET ${target} POST_BUILD
      COMMAND ${UXD_OBJCOPY} --only-keep-debug $<TARGET_FILE_NAME:${target}> $<TARGET_FILE_NAME:${target}>.debug
      COMMAND ${UXD_OBJCOPY} --strip-all $<TARGET_FILE_NAME:${target}>
      COMMAND ${UXD_OBJCOPY} --add-gnu-debuglink=$<TARGET_FILE_NAME:${target}>.debug $<TARGET_FILE_NAME:${target}>
      WORKING_DIRECTORY $<TARGET_FILE_DIR:${target}>
      COMMENT "Splitting the debug information of ${target}"
      VERBATIM)
    install(FILES $<TARGET_FILE:${target}>.debug DESTINATION . COMPONENT symbols)
    if(DEFINED UXD_SIZE_LIMIT_${target})
      add_custom_command(TARGET ${target} POST_BUILD
        COMMAND ${CMAKE_COMMAND} -DFILE=$<TARGET_FILE:${target}> -DLIMIT=${UXD_SIZE_LIMIT_${target}}
                -P ${CMAKE_SOURCE_DIR}/cmake/check_size.cmake
        VERBATIM)
    endif()
  endif()
  install(FILES $<TARGET_FILE:${target}> DESTINATION . COMPONENT runtime)
endforeach()
install(FILES include/uxdmapi.h DESTINATION include COMPONENT runtime)
install(FILES docs/INTEGRATING.txt DESTINATION . COMPONENT runtime)

set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_NAME uxdmapi)
set(CPACK_PACKAGE_VENDOR uxdmapi)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_SOURCE_DIR}/dist)
set(CPACK_PACKAGE_CHECKSUM SHA256)
set(CPACK_ARCHIVE_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_ALL runtime symbols)
set(CPACK_ARCHIVE_RUNTIME_FILE_NAME uxdmapi-${PROJECT_VERSION}-win64)
set(CPACK_ARCHIVE_SYMBOLS_FILE_NAME uxdmapi-${PROJECT_VERSION}-win64-symbols)
include(CPack)
