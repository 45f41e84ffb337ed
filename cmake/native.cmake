# The platform-neutral code built for Linux, so it runs under the sanitizers.
add_compile_options(-Wall -Wextra)
if(UXD_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
  add_link_options(-fsanitize=address,undefined)
endif()

add_library(uxdmapi_neutral STATIC
  src/support/allocation.cpp
  src/support/format_text.cpp
  src/job/attachment_name.cpp
  src/mail/recipient_text.cpp
  src/options/flat_block.cpp
  src/options/encoded_options.cpp
  src/options/options_conversion.cpp
  src/options/free_options.cpp)
target_include_directories(uxdmapi_neutral PUBLIC include src/support src/job src/mail src/options)
# The options conversions leave the code page (codepage.h) to the program that links the
# library: natively that is the stand-in of tests/native/codepage_standin.cpp.

add_subdirectory(tests/native)

# The options reader and conversions take blocks that hosts stored: libFuzzer feeds them
# damaged ones. The code under test is compiled into the fuzzer itself, with its coverage.
if(CMAKE_CXX_COMPILER_ID MATCHES "Clang")
  add_executable(options_fuzzer tests/fuzz/options_fuzzer.cpp
    src/support/allocation.cpp
    src/options/flat_block.cpp
    src/options/encoded_options.cpp
    src/options/options_conversion.cpp
    src/options/free_options.cpp
    tests/native/codepage_standin.cpp)
  target_include_directories(options_fuzzer PRIVATE include src/support src/options tests/native)
  target_compile_options(options_fuzzer PRIVATE -fsanitize=fuzzer,address,undefined
    -fno-sanitize-recover=all)
  target_link_options(options_fuzzer PRIVATE -fsanitize=fuzzer,address,undefined)
  # A short, repeatable run; new inputs go to a scratch directory, not to the committed corpus.
  set(UXD_FUZZ_SMOKE ${CMAKE_BINARY_DIR}/fuzz/smoke)
  add_test(NAME options_fuzzer_smoke COMMAND sh -c
    "rm -rf '${UXD_FUZZ_SMOKE}' && mkdir -p '${UXD_FUZZ_SMOKE}' && exec '$<TARGET_FILE:options_fuzzer>' -runs=20000 -seed=1 -artifact_prefix='${UXD_FUZZ_SMOKE}/' '${UXD_FUZZ_SMOKE}' '${CMAKE_SOURCE_DIR}/tests/fuzz/corpus'")
  set_tests_properties(options_fuzzer_smoke PROPERTIES TIMEOUT 300)
endif()
