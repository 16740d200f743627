#pragma once

// Force-included into every C++ file of the Windows builds.
//
// libstdc++ declares all of std::string's members as instantiated in the
// runtime library, so each program linked the library's prebuilt copy of
// every member, 32 KiB with their unwinding tables: the PE linker keeps all
// the unwinding tables it is given, and with them every function they name,
// called or not. -1 is the library's own setting for "no extern templates
// for basic_string only"; each program then instantiates just the members
// it calls. It does not turn on the library's assertions.
#include <bits/c++config.h>

#undef _GLIBCXX_EXTERN_TEMPLATE
#define _GLIBCXX_EXTERN_TEMPLATE -1
