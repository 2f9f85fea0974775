// SetUp.exe's default terminate handler: abort() without a message.
// libstdc++'s own (__gnu_cxx::__verbose_terminate_handler, vterminate.o)
// writes the type of the uncaught exception to stderr, which a windowed
// program does not have, and brings the C++ name demangler (about 45 KB) and
// stdio into the image for it. A definition of the same function here keeps
// the library's out of the static link; the program still ends through
// abort() as before. MinGW's static libstdc++ only.
#include <cstdlib>
#include <exception>

#if defined(__GLIBCXX__) && defined(_WIN32)
namespace __gnu_cxx {
void __verbose_terminate_handler() { std::abort(); }
}  // namespace __gnu_cxx
#endif
