#include "utilities/DllSearch.h"

#include <windows.h>

void RestrictDllSearch()
{
    using TSetDefaultDllDirectories = BOOL(WINAPI*)(DWORD);
    const FARPROC found = GetProcAddress(GetModuleHandleA("kernel32.dll"), "SetDefaultDllDirectories");
    if (!found) return;
    // Through the generic function type, which converts to any other without a warning.
    const auto restrict = reinterpret_cast<TSetDefaultDllDirectories>(reinterpret_cast<void (*)()>(found));
    restrict(LOAD_LIBRARY_SEARCH_SYSTEM32);
}
