// The setup program and the uninstaller replace a few pieces of the static
// C++ runtime that cost far more bytes than they give a GUI program.
//
// The verbose terminate handler writes the demangled type of an uncaught
// exception to stderr, which a GUI program does not have, and brings the
// runtime's demangler with it: 46 KiB. Both programs catch every exception
// in WinMain, so terminate is never met in use; where it is, ending the
// process is all the handler can do anyway.
//
// The runtime's own throw helpers (a std::string grown past its limit, an
// out-of-range position, a failed allocation) raise std::logic_error and
// its kin, whose message strings use the runtime's second, copy-on-write
// string implementation: linking them costs 50 KiB. The replacements below
// raise the system's one error type instead, which WinMain shows like any
// other error; they only ever fire on a programming error or an exhausted
// address space.

#include <cstdarg>
#include <cstdlib>
#include <cstring>
#include <new>
#include <string>

#include "utilities/SetupError.h"

namespace {

[[noreturn]] void ThrowInternalError(const char* where)
{
    // The runtime's texts read "vector::reserve" or "basic_string::at: __n ...":
    // the part before ": " names the operation.
    const std::string text(where);
    throw ESetupError("Internal error in " + text.substr(0, text.find(": ")) + ".");
}

}  // namespace

namespace __gnu_cxx {

void __verbose_terminate_handler();

void __verbose_terminate_handler()
{
    std::abort();
}

}  // namespace __gnu_cxx

namespace std {

void __throw_bad_alloc()
{
    throw bad_alloc();
}

void __throw_bad_array_new_length()
{
    throw bad_array_new_length();
}

void __throw_logic_error(const char* where)
{
    ThrowInternalError(where);
}

void __throw_length_error(const char* where)
{
    ThrowInternalError(where);
}

void __throw_out_of_range_fmt(const char* format, ...)
{
    // The operation leads the format ("basic_string::at: __n (which is %zu) ...")
    // or is its first argument ("%s: __pos (which is %zu) ...").
    va_list arguments;
    va_start(arguments, format);
    const char* where = std::strncmp(format, "%s", 2) == 0 ? va_arg(arguments, const char*) : format;
    va_end(arguments);
    ThrowInternalError(where);
}

}  // namespace std
