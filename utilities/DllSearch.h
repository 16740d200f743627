#pragma once

// From the call on, DLLs load from System32 only, never from the folder the
// program was started from (a Downloads folder may hold a planted DLL). Old
// systems lack the call and keep their own search order. Every program's first act.
void RestrictDllSearch();
