// The setup program and the uninstaller replace the C++ runtime's verbose
// terminate handler. That handler writes the demangled type of an uncaught
// exception to stderr, which a GUI program does not have, and brings the
// runtime's demangler with it: 46 KiB of each static program. Both programs
// catch every exception in WinMain, so terminate is never met in use; where
// it is, ending the process is all the handler can do anyway.

#include <cstdlib>

namespace __gnu_cxx {

void __verbose_terminate_handler();

void __verbose_terminate_handler()
{
    std::abort();
}

}  // namespace __gnu_cxx
