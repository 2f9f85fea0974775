// SetUp.exe's default terminate handler and the library's throw helpers:
// abort() without a message.
// libstdc++'s own terminate handler (__gnu_cxx::__verbose_terminate_handler,
// vterminate.o) writes the type of the uncaught exception to stderr, which a
// windowed program does not have, and brings the C++ name demangler (about
// 45 KB) and stdio into the image for it. A definition of the same function
// here keeps the library's out of the static link; the program still ends
// through abort() as before.
// The same holds for the std::__throw_* helpers (functexcept.o), through
// which the containers report a bad length, an index out of range or a
// failed allocation: SetUp.exe catches none of those exceptions, so each
// ended in terminate and abort(); ending there at once keeps the library's
// exception classes, its copy-on-write strings and std::random_device (about
// 34 KB) out of the image. MinGW's static libstdc++ only.
#include <cstdlib>
#include <exception>

#if defined(__GLIBCXX__) && defined(_WIN32)
#include <bits/functexcept.h>

namespace __gnu_cxx {
void __verbose_terminate_handler() { std::abort(); }
}  // namespace __gnu_cxx
namespace std {
void __throw_bad_alloc() { std::abort(); }
void __throw_bad_array_new_length() { std::abort(); }
void __throw_bad_function_call() { std::abort(); }
void __throw_invalid_argument(const char*) { std::abort(); }
void __throw_length_error(const char*) { std::abort(); }
void __throw_logic_error(const char*) { std::abort(); }
void __throw_out_of_range(const char*) { std::abort(); }
void __throw_out_of_range_fmt(const char*, ...) { std::abort(); }
void __throw_system_error(int) { std::abort(); }
}  // namespace std
#endif
