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
  src/mail/recipient_text.cpp)
target_include_directories(uxdmapi_neutral PUBLIC include src/support src/job src/mail)

add_subdirectory(tests/native)
