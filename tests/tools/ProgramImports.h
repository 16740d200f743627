#pragma once

// What a linked Windows program (PE32 or PE32+) imports, read from its file
// without the Windows API: the import table, and the delay-import tables that
// dlltool's delay libraries link in. ld records those nowhere in the headers,
// so they are found by the shape of their descriptor: attributes 1 (RVAs),
// four RVAs inside the image of which the first names a ".dll", and zero for
// the bound table, the unload table and the time stamp.

#include <cstdint>
#include <set>
#include <string>
#include <vector>

namespace imports {

struct TImportedFunction {
    std::string Name;  // empty when imported by ordinal
    uint32_t SlotRva = 0;
    // The slot as the file holds it: for an import, the RVA of its name (or
    // its ordinal); for a delay import, the address of the code that loads it.
    uint64_t Slot = 0;
};

struct TImportedDll {
    std::string Name;
    bool Delayed = false;
    std::vector<TImportedFunction> Functions;
};

struct TProgramImports {
    uint64_t ImageBase = 0;
    uint32_t ImageSize = 0;
    std::vector<TImportedDll> Dlls;
    // The address ranges (RVAs, end excluded) of the sections that may run.
    std::vector<std::pair<uint32_t, uint32_t>> Code;
};

// Raises ESetupError for a file that is no Windows program or whose tables
// point outside it.
TProgramImports ReadImports(const std::string& path);

// What the loader or the delay-load helper would trip over, one line each:
// "comctl32.dll!InitCommonControlsEx (delay-loaded): slot is null".
// An import's slot must hold an RVA inside the image (or an ordinal); a delay
// import's slot an address of code inside the image.
std::vector<std::string> SlotFaults(const TProgramImports& program);

// The names a DLL exports, forwarded ones included.
std::set<std::string> ReadExports(const std::string& path);

}  // namespace imports
