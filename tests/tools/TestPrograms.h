#pragma once

// Hand-made 32- and 64-bit Windows programs for tests on any host, and a reader of
// what the tests check in a program file. Both are written here from the
// PE/COFF layout, independently of tools/PeResources, so that a fault shared
// by the packer's reader and writer cannot hide.

#include <cstdint>
#include <map>
#include <string>
#include <tuple>
#include <vector>

#include "tests/TestSupport.h"

// Types and names are "#N" for a number, anything else for a name.
struct TTestResource {
    std::string Type;
    std::string Name;
    uint16_t Language = 0;
    Bytes Data;
};

struct TTestProgram {
    bool Pe32Plus = false;
    std::vector<TTestResource> Resources;  // stored in this order; none: no .rsrc section
    bool ResourcesLast = false;            // otherwise .reloc follows .rsrc
    bool HeadersFull = false;              // no room for another section header
    bool Signed = false;
    // After the sections, as unstripped programs carry them: this many symbol
    // records and a string table, which holds the name of a last section named
    // LongSectionName when that is set.
    size_t Symbols = 0;
    std::string LongSectionName;
    size_t OverlayBytes = 0;

    Bytes Build() const;
};

// Version information whose one string ZorevaProgram says which of Zoreva's
// programs carries it ("setup" makes a program a stub build takes), in US
// English, Windows-1252; laid out here as resource compilers do.
Bytes ProgramVersion(const std::string& mark);

using TResourceId = std::tuple<std::string, std::string, uint16_t>;
using TResourceBytes = std::map<TResourceId, Bytes>;

struct TProgramSection {
    std::string Name;
    uint32_t VirtualSize, VirtualAddress, RawSize, RawOffset;
};

class TProgramView {
public:
    explicit TProgramView(Bytes file);

    // Fields of the optional header by offset, where PE32 and PE32+ agree.
    uint32_t Optional32(size_t offset) const;
    // Names longer than eight characters read from the string table.
    std::vector<TProgramSection> Sections() const;
    uint32_t ResourceRva() const;
    uint32_t ResourceSize() const;
    uint32_t StoredChecksum() const { return Optional32(64); }
    uint32_t ComputedChecksum() const;
    // The headers with the fields a new resource section changes set to zero:
    // the section count, the symbol table's offset, SizeOfInitializedData,
    // SizeOfImage, the checksum, the resource directory entry and every .rsrc
    // section header.
    Bytes HeadersBesideResourceBookkeeping() const;
    uint32_t SymbolTableOffset() const;
    // The symbol records and the string table as the COFF header describes them.
    Bytes SymbolAndStringTable() const;

    // Walked from the resource directory: every resource, the data RVAs, and
    // the keys of every table in stored order.
    TResourceBytes Resources() const;
    std::vector<uint32_t> DataRvas() const;
    std::vector<std::vector<std::string>> TableKeys() const;

    const Bytes& File() const { return Data; }

private:
    struct TWalk;
    TWalk Walk() const;
    size_t FileOffset(uint32_t rva) const;
    size_t StringTableOffset() const;

    Bytes Data;
    size_t Optional = 0;
    size_t Directories = 0;
};

// Names first, compared upper-cased; numbers after, ascending.
bool InLoaderOrder(const std::vector<std::string>& keys);

// The straightforward checksum: each word added with its carry folded at once.
uint32_t ReferenceChecksum(Bytes file, size_t checksumOffset);
