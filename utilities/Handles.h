#pragma once

// The Win32 handle kinds the program owns, each as a TUniqueHandle.

#include <windows.h>

#include "utilities/UniqueHandle.h"

namespace handles {

struct TKernelTraits {  // files, tokens, processes, events: null when absent
    using THandle = HANDLE;
    static THandle Invalid() { return nullptr; }
    static void Close(THandle handle) { CloseHandle(handle); }
};

struct TFileTraits {  // CreateFile's "no handle" is INVALID_HANDLE_VALUE, not null
    using THandle = HANDLE;
    static THandle Invalid() { return INVALID_HANDLE_VALUE; }
    static void Close(THandle handle) { CloseHandle(handle); }
};

struct TFindTraits {
    using THandle = HANDLE;
    static THandle Invalid() { return INVALID_HANDLE_VALUE; }
    static void Close(THandle handle) { FindClose(handle); }
};

struct TRegistryTraits {
    using THandle = HKEY;
    static THandle Invalid() { return nullptr; }
    static void Close(THandle handle) { RegCloseKey(handle); }
};

struct TGdiObjectTraits {  // fonts, brushes, bitmaps, regions
    using THandle = HGDIOBJ;
    static THandle Invalid() { return nullptr; }
    static void Close(THandle handle) { DeleteObject(handle); }
};

struct TSidTraits {  // SIDs from AllocateAndInitializeSid
    using THandle = PSID;
    static THandle Invalid() { return nullptr; }
    static void Close(THandle handle) { FreeSid(handle); }
};

struct TModuleTraits {  // LoadLibraryEx, data files included
    using THandle = HMODULE;
    static THandle Invalid() { return nullptr; }
    static void Close(THandle handle) { FreeLibrary(handle); }
};

struct TResourceUpdateTraits {  // BeginUpdateResource; closing discards the changes
    using THandle = HANDLE;
    static THandle Invalid() { return nullptr; }
    static void Close(THandle handle) { EndUpdateResourceA(handle, TRUE); }
};

}  // namespace handles

using TKernelHandle = TUniqueHandle<handles::TKernelTraits>;
using TFileHandle = TUniqueHandle<handles::TFileTraits>;
using TFindHandle = TUniqueHandle<handles::TFindTraits>;
using TRegistryKey = TUniqueHandle<handles::TRegistryTraits>;
using TGdiObject = TUniqueHandle<handles::TGdiObjectTraits>;
using TSidHandle = TUniqueHandle<handles::TSidTraits>;
using TModuleHandle = TUniqueHandle<handles::TModuleTraits>;
