#pragma once

// The resources of a 32- or 64-bit Windows program (PE32 or PE32+), read and
// rewritten without the Windows API so that the packer runs on any host.
// Programs are read piecewise and resource bytes are copied file to file, so a
// resource of hundreds of megabytes never sits in memory.

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace pe {

constexpr uint16_t kRtRcData = 10;

class TProgramReader;

// A resource type, name or language: a number, or a UTF-16 name.
struct TResourceKey {
    bool IsName = false;
    uint16_t Id = 0;
    std::u16string Name;

    static TResourceKey Number(uint16_t id);
    // Stored upper-case, as resource compilers store names.
    static TResourceKey Text(const std::string& asciiName);
};

// The order the loader's binary searches rely on: names before numbers, names
// compared by their upper-case code units, numbers ascending. Names that
// differ only in case are the same key, as they are to FindResource.
bool operator<(const TResourceKey& a, const TResourceKey& b);

// Where a resource's bytes are: Size bytes at Offset in the file SourceFile,
// or, without a SourceFile, Bytes made in memory.
struct TResourceData {
    std::string SourceFile;
    int64_t Offset = 0;
    uint32_t Size = 0;
    uint32_t CodePage = 0;
    std::vector<uint8_t> Bytes;
};

using TLanguages = std::map<TResourceKey, TResourceData>;
using TNames = std::map<TResourceKey, TLanguages>;
using TResourceTree = std::map<TResourceKey, TNames>;

// All of a file as resource data; raises when it is too large for a resource.
TResourceData WholeFile(const std::string& path);
TResourceData InMemory(std::vector<uint8_t> bytes);
// The bytes of a resource of at most maxBytes; raises "Damaged Windows
// program" for a larger one, which no resource of its kind would be.
std::vector<uint8_t> ResourceBytes(const TResourceData& data, uint32_t maxBytes);

// Puts data in as the only language of type/name: the language of the first
// one already there, or neutral when there is none.
void ReplaceResource(TResourceTree& tree, const TResourceKey& type, const TResourceKey& name,
                     const TResourceData& data);

// The first language of type/name, if there is one.
std::optional<TResourceData> LookUpResource(const TResourceTree& tree, const TResourceKey& type,
                                          const TResourceKey& name);

void CopyResourceData(const TResourceData& data, const std::string& targetPath);

struct TSection {
    std::string Name;
    uint32_t VirtualSize = 0;
    uint32_t VirtualAddress = 0;
    uint32_t RawSize = 0;
    uint32_t RawOffset = 0;

    uint64_t VirtualEnd() const;
    uint64_t RawEnd() const { return uint64_t{RawOffset} + RawSize; }
};

class TPeFile {
public:
    // Reads the headers and the resource tree; raises "Not a Windows program:
    // PATH" for anything else and "Damaged Windows program: PATH" for headers
    // or resources that point outside the file.
    explicit TPeFile(const std::string& path);

    const std::string& Path() const { return FilePath; }
    const TResourceTree& Resources() const { return Tree; }
    // True when nothing follows the sections but a symbol table or a
    // certificate table: the file is the program and not, say, an archive
    // whose first member is a program.
    bool EndsWithItsImage() const;

    // Raises when the program cannot take new resources: it is signed, carries
    // data after its sections other than its symbol table, or has no room for
    // another section header.
    void CheckRewritable() const;
    // Writes a copy of the program whose resources are exactly `resources`,
    // with its checksum recomputed and its symbol table moved behind the new
    // resource section; returns the size of the copy.
    int64_t WriteWithResources(const TResourceTree& resources, const std::string& targetPath) const;

private:
    struct TPlacement;

    void ReadHeaders(TProgramReader& file);
    void ReadSections();
    void ReadSymbolTable(TProgramReader& file);
    void ReadResources(TProgramReader& file);
    uint32_t Field32(size_t offset) const;
    uint32_t DataDirectoryRva(uint32_t index) const;
    uint32_t DataDirectorySize(uint32_t index) const;
    const TSection* SectionHoldingRva(uint32_t rva) const;
    int64_t FileOffsetOf(uint32_t rva, uint32_t size) const;
    int64_t SectionsEndInFile() const;
    int64_t ImageEndInFile() const;
    bool CanRebuildInPlace(const TSection& section) const;
    TPlacement PlaceResourceSection() const;
    void CheckRoomForSectionHeader() const;
    std::vector<uint8_t> HeadersFor(const TPlacement& placement, uint32_t resourceBytes) const;
    int64_t WriteCopy(const TResourceTree& resources, const std::string& targetPath) const;

    std::string FilePath;
    int64_t FileSize = 0;
    std::vector<uint8_t> Headers;
    size_t CoffHeader = 0;
    size_t OptionalHeader = 0;
    uint32_t DataDirectoryCount = 0;
    size_t DataDirectories = 0;
    size_t SectionTable = 0;
    uint32_t FileAlignment = 0;
    uint32_t SectionAlignment = 0;
    std::vector<TSection> Sections;
    // The symbol table and the string table behind it: file offset and length.
    int64_t SymbolTable = 0;
    int64_t SymbolTableBytes = 0;
    TResourceTree Tree;
};

}  // namespace pe
