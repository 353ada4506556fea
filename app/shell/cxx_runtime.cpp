// The one entry point of the statically linked C++ runtime that the program supplies
// itself. The runtime's default terminate handler prints the exception's demangled type
// name to the standard error stream (which a windowed program does not have) and brings
// the whole name demangler with it (about 45 KB). Its object in the runtime defines this
// function and nothing else, so replacing it can never clash with another part of the
// runtime at link time. Everything else, the error throwers of the string and container
// templates and the thread functions under the runtime's locks included, is the
// runtime's own, so every exception has the standard type and text.
#include <cstdlib>

namespace __gnu_cxx {

// In force until App::Init installs the program's own handler: ends the program at once.
void __verbose_terminate_handler() {
    std::abort();
}

}  // namespace __gnu_cxx
