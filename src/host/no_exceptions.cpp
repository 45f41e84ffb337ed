// uxdsend is built without exceptions and catches none: whatever the C++ library would throw
// (out of memory, a length past max_size) ends the program through std::terminate. These
// replacements end it at once instead, so that the library's exception classes with their own
// string type, and the verbose terminate handler with its 45 KB demangler, are not linked into
// a program that would never use them.
#include <cstdlib>

namespace __gnu_cxx {
void __verbose_terminate_handler() { std::abort(); }
}  // namespace __gnu_cxx

namespace std {
void __throw_bad_alloc() { std::abort(); }
void __throw_bad_array_new_length() { std::abort(); }
void __throw_bad_function_call() { std::abort(); }
void __throw_length_error(const char *) { std::abort(); }
void __throw_logic_error(const char *) { std::abort(); }
void __throw_out_of_range(const char *) { std::abort(); }
void __throw_out_of_range_fmt(const char *, ...) { std::abort(); }
void __throw_invalid_argument(const char *) { std::abort(); }
}  // namespace std
