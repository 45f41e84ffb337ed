# The platform-neutral code built for Linux, so it runs under the sanitizers.
add_compile_options(-Wall -Wextra)
if(UXD_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
  add_link_options(-fsanitize=address,undefined)
endif()

# The fuzz targets compile the code they read host bytes with themselves, for its coverage.
set(UXD_FUZZED_SOURCES
  src/support/allocation.cpp
  src/model/recipient_text.cpp
  src/options/flat_block.cpp
  src/options/encoded_options.cpp
  src/options/flat_block_writer.cpp
  src/options/options_conversion.cpp
  src/options/free_options.cpp)
add_library(uxdmapi_neutral STATIC ${UXD_FUZZED_SOURCES}
  src/support/format_text.cpp
  src/model/attachment_name.cpp)
target_include_directories(uxdmapi_neutral PUBLIC include src/support src/model src/options)
# The options conversions leave the code page (codepage.h) to the program that links the
# library: natively that is the stand-in of tests/native/codepage_standin.cpp.

add_subdirectory(tests/native)

# The options benchmark: `make bench` builds it optimised (preset bench); the tests run each
# row once, so that it cannot rot.
add_executable(options_bench bench/options_bench.cpp tests/native/codepage_standin.cpp)
target_link_libraries(options_bench PRIVATE uxdmapi_neutral)
target_include_directories(options_bench PRIVATE bench tests/native)
add_test(NAME options_bench COMMAND options_bench --brief)

# Every reader of host bytes is fuzzed: libFuzzer takes one entry point per program, so each
# target is its own executable, with the code under test compiled in for its coverage. Each
# gets a short, repeatable run in the tests; new inputs go to a scratch directory under
# build/, never into the committed seeds of tests/fuzz/corpus/NAME.
if(CMAKE_CXX_COMPILER_ID MATCHES "Clang")
  # The stand-in code page is not under test: built without coverage, it does not slow the
  # targets' big texts down nor pose as coverage of the module.
  add_library(uxd_fuzz_codepage STATIC tests/native/codepage_standin.cpp)
  target_include_directories(uxd_fuzz_codepage PRIVATE include src/options)
  function(uxd_add_fuzzer name smoke_runs)
    add_executable(${name}_fuzzer tests/fuzz/${name}_fuzzer.cpp ${UXD_FUZZED_SOURCES})
    target_include_directories(${name}_fuzzer PRIVATE include src/support src/model src/options tests/native tests/fuzz
      tests/support)
    target_compile_options(${name}_fuzzer PRIVATE -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=all)
    target_link_options(${name}_fuzzer PRIVATE -fsanitize=fuzzer,address,undefined)
    target_link_libraries(${name}_fuzzer PRIVATE uxd_fuzz_codepage)
    set(scratch ${CMAKE_BINARY_DIR}/fuzz/smoke/${name})
    add_test(NAME ${name}_fuzzer_smoke COMMAND sh -c
      "rm -rf '${scratch}' && mkdir -p '${scratch}' && exec '$<TARGET_FILE:${name}_fuzzer>' -runs=${smoke_runs} -seed=1 -artifact_prefix='${scratch}/' '${scratch}' '${CMAKE_SOURCE_DIR}/tests/fuzz/corpus/${name}'")
    set_tests_properties(${name}_fuzzer_smoke PROPERTIES TIMEOUT 300)
  endfunction()
  uxd_add_fuzzer(options 20000)
  uxd_add_fuzzer(recipient_text 20000)
  uxd_add_fuzzer(allocation_failure 1000)
endif()
