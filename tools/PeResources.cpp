#include "tools/PeResources.h"

#include <algorithm>
#include <cstring>
#include <functional>
#include <limits>
#include <set>

#include "tools/FileIdentity.h"
#include "tools/LittleEndian.h"
#include "utilities/FileSystem.h"
#include "utilities/SetupError.h"

namespace pe {

namespace {

constexpr size_t kDosHeaderSize = 64;
constexpr size_t kPeOffsetField = 0x3C;
constexpr size_t kPeSignatureSize = 4;
constexpr size_t kCoffHeaderSize = 20;
// Fields of the COFF header.
constexpr size_t kNumberOfSections = 2;
constexpr size_t kPointerToSymbolTable = 8;
constexpr size_t kNumberOfSymbols = 12;
constexpr size_t kSizeOfOptionalHeader = 16;

constexpr uint64_t kSymbolSize = 18;
// The string table starts with its own length, these four bytes included.
constexpr size_t kStringTableLengthSize = 4;

// Fields at the same place in the optional headers of 32- and 64-bit programs.
constexpr size_t kSizeOfInitializedData = 8;
constexpr size_t kSectionAlignment = 32;
constexpr size_t kFileAlignment = 36;
constexpr size_t kSizeOfImage = 56;
constexpr size_t kSizeOfHeaders = 60;
constexpr size_t kCheckSum = 64;

// A 64-bit program's optional header (PE32+) has a 64-bit image base and
// 64-bit stack and heap sizes but no BaseOfData, so what follows the checksum
// lies further on.
struct TOptionalHeaderKind {
    uint16_t Magic;
    size_t NumberOfRvaAndSizes;
    size_t DataDirectories;
};
constexpr TOptionalHeaderKind kPe32{0x10B, 92, 96};
constexpr TOptionalHeaderKind kPe32Plus{0x20B, 108, 112};
constexpr size_t kDataDirectorySize = 8;
constexpr uint32_t kResourceDirectory = 2;
constexpr uint32_t kCertificateDirectory = 4;

constexpr size_t kSectionHeaderSize = 40;
constexpr size_t kSectionNameSize = 8;
// Initialised data, readable: what resource compilers give the section.
constexpr uint32_t kResourceSectionCharacteristics = 0x40000040;
constexpr char kResourceSectionName[] = ".rsrc";

constexpr uint32_t kDirectoryTableSize = 16;
constexpr uint32_t kDirectoryEntrySize = 8;
constexpr uint32_t kDataEntrySize = 16;
// In a directory entry: the name field holds a string offset, the target a subtable.
constexpr uint32_t kHighBit = 0x80000000;
constexpr uint32_t kDataEntryAlignment = 4;
constexpr uint32_t kDataAlignment = 8;

// Wine maps a section straight from the file only when the section starts at a
// multiple of the page size there; any other section it reads in whole before
// the program's first instruction, which for a payload of 100 MiB costs a few
// hundred milliseconds of the setup's start-up.
constexpr uint32_t kPageSize = 4096;

constexpr size_t kCopyBlockSize = size_t{1} << 20;
constexpr int64_t kPaddingBlockSize = 65536;
// Signed 32-bit offsets and sizes are what every consumer of the image copes with.
constexpr uint64_t kMaxImageBytes = std::numeric_limits<int32_t>::max();

uint64_t AlignUp(uint64_t value, uint32_t alignment)
{
    return (value + alignment - 1) / alignment * alignment;
}

uint64_t MappableOffset(uint64_t offset, uint32_t fileAlignment)
{
    return AlignUp(offset, std::max(fileAlignment, kPageSize));
}

bool IsPowerOfTwo(uint32_t value)
{
    return value != 0 && (value & (value - 1)) == 0;
}

ESetupError NotAProgram(const std::string& path)
{
    return ESetupError("Not a Windows program: " + path);
}

ESetupError Damaged(const std::string& path)
{
    return ESetupError("Damaged Windows program: " + path);
}

char16_t UpperAscii(char16_t c)
{
    return c >= u'a' && c <= u'z' ? static_cast<char16_t>(c - u'a' + u'A') : c;
}

// Hands count bytes from offset in the file at path to sink, block by block.
void CopyFileRange(const std::string& path, int64_t offset, int64_t count,
                   const std::function<void(const uint8_t*, size_t)>& sink)
{
    files::TFile source;
    if (!source.OpenForReading(path)) throw ESetupError("Unable to open file (" + path + ")");
    source.Seek(offset);
    std::vector<uint8_t> block(static_cast<size_t>(std::min<int64_t>(count, kCopyBlockSize)));
    while (count > 0) {
        const size_t piece = static_cast<size_t>(std::min<int64_t>(count, static_cast<int64_t>(block.size())));
        source.ReadExactly(block.data(), piece);
        sink(block.data(), piece);
        count -= static_cast<int64_t>(piece);
    }
}

// The PE checksum: the file's 16-bit little-endian words summed with
// end-around carry, plus the file's length. Bytes may come in pieces of any size.
class TPeChecksum {
public:
    void Add(const uint8_t* data, size_t count)
    {
        size_t i = 0;
        if (HasLowByte && count > 0) {
            Sum += LowByte | static_cast<uint32_t>(data[0]) << 8;
            HasLowByte = false;
            i = 1;
        }
        for (; i + 1 < count; i += 2) Sum += data[i] | static_cast<uint32_t>(data[i + 1]) << 8;
        if (i < count) {
            LowByte = data[i];
            HasLowByte = true;
        }
    }
    uint32_t Value(uint64_t fileLength) const
    {
        uint64_t sum = Sum + (HasLowByte ? LowByte : 0);
        while (sum >> 16) sum = (sum & 0xFFFF) + (sum >> 16);
        return static_cast<uint32_t>(sum + fileLength);
    }

private:
    uint64_t Sum = 0;
    bool HasLowByte = false;  // an odd byte waiting for the high half of its word
    uint8_t LowByte = 0;
};

// Writes a program front to back while summing it, then puts the checksum
// (summed as zero) into the headers.
class TChecksummedOutput {
public:
    explicit TChecksummedOutput(const std::string& path) : Zeros(static_cast<size_t>(kPaddingBlockSize))
    {
        File.CreateForWriting(path);
    }

    void Write(const uint8_t* data, size_t count)
    {
        File.Write(data, count);
        Sum.Add(data, count);
        Position += static_cast<int64_t>(count);
    }
    void CopyFrom(const std::string& path, int64_t offset, int64_t count)
    {
        CopyFileRange(path, offset, count, [this](const uint8_t* data, size_t size) { Write(data, size); });
    }
    void PadTo(int64_t position)
    {
        while (position > Position)
            Write(Zeros.data(), static_cast<size_t>(std::min<int64_t>(position - Position, kPaddingBlockSize)));
    }
    int64_t Finish(size_t checksumOffset)
    {
        std::vector<uint8_t> checksum(4);
        le::Set32(checksum, 0, Sum.Value(static_cast<uint64_t>(Position)));
        File.Seek(static_cast<int64_t>(checksumOffset));
        File.Write(checksum.data(), checksum.size());
        File.Close();
        return Position;
    }

private:
    files::TFile File;
    TPeChecksum Sum;
    int64_t Position = 0;
    std::vector<uint8_t> Zeros;
};

uint32_t TableBytes(size_t entries)
{
    return kDirectoryTableSize + kDirectoryEntrySize * static_cast<uint32_t>(entries);
}

// The new resource section: the directory tables (breadth first), the name
// strings, the data entries, then every resource's bytes.
struct TResourceLayout {
    std::vector<uint8_t> Directory;
    std::vector<std::pair<uint64_t, const TResourceData*>> Data;  // offset in the section
    uint64_t Size = 0;
};

class TLayoutBuilder {
public:
    explicit TLayoutBuilder(const TResourceTree& tree) : Tree(tree) {}

    TResourceLayout Build(uint32_t sectionRva)
    {
        PlaceTables();
        PlaceNames();
        PlaceData();
        Layout.Directory.resize(DataEntries + kDataEntrySize * Layout.Data.size());
        WriteTables();
        WriteNames();
        WriteDataEntries(sectionRva);
        return std::move(Layout);
    }

private:
    using TEntries = std::vector<std::pair<const TResourceKey*, uint32_t>>;

    void PlaceTables()
    {
        Next = TableBytes(Tree.size());
        for (const auto& type : Tree) {
            TypeTables.push_back(static_cast<uint32_t>(Next));
            Next += TableBytes(type.second.size());
        }
        for (const auto& type : Tree)
            for (const auto& name : type.second) {
                NameTables.push_back(static_cast<uint32_t>(Next));
                Next += TableBytes(name.second.size());
            }
    }
    void PlaceName(const TResourceKey& key)
    {
        if (key.IsName && Strings.emplace(key.Name, static_cast<uint32_t>(Next)).second)
            Next += 2 + 2 * key.Name.size();
    }
    void PlaceNames()
    {
        for (const auto& type : Tree) {
            PlaceName(type.first);
            for (const auto& name : type.second) {
                PlaceName(name.first);
                for (const auto& language : name.second) PlaceName(language.first);
            }
        }
    }
    void PlaceData()
    {
        size_t leaves = 0;
        for (const auto& type : Tree)
            for (const auto& name : type.second) leaves += name.second.size();
        DataEntries = static_cast<uint32_t>(AlignUp(Next, kDataEntryAlignment));
        Next = DataEntries + uint64_t{kDataEntrySize} * leaves;
        for (const auto& type : Tree)
            for (const auto& name : type.second)
                for (const auto& language : name.second) {
                    Next = AlignUp(Next, kDataAlignment);
                    Layout.Data.emplace_back(Next, &language.second);
                    Next += language.second.Size;
                }
        Layout.Size = Next;
        if (Layout.Size > kMaxImageBytes) throw ESetupError("Resources larger than 2 GiB");
    }

    void WriteTable(uint32_t at, const TEntries& entries)
    {
        const auto named = std::count_if(entries.begin(), entries.end(),
                                         [](const auto& entry) { return entry.first->IsName; });
        le::Set16(Layout.Directory, at + 12, static_cast<uint32_t>(named));
        le::Set16(Layout.Directory, at + 14, static_cast<uint32_t>(entries.size() - static_cast<size_t>(named)));
        for (size_t i = 0; i < entries.size(); ++i) {
            const TResourceKey& key = *entries[i].first;
            const size_t entry = at + kDirectoryTableSize + kDirectoryEntrySize * i;
            le::Set32(Layout.Directory, entry, key.IsName ? kHighBit | Strings.at(key.Name) : key.Id);
            le::Set32(Layout.Directory, entry + 4, entries[i].second);
        }
    }
    void WriteTables()
    {
        TEntries types;
        size_t nameTable = 0;
        uint32_t dataEntry = DataEntries;
        for (auto type = Tree.begin(); type != Tree.end(); ++type) {
            const size_t typeIndex = types.size();
            types.emplace_back(&type->first, kHighBit | TypeTables[typeIndex]);
            TEntries names;
            for (const auto& name : type->second) {
                names.emplace_back(&name.first, kHighBit | NameTables[nameTable]);
                TEntries languages;
                for (const auto& language : name.second) {
                    languages.emplace_back(&language.first, dataEntry);
                    dataEntry += kDataEntrySize;
                }
                WriteTable(NameTables[nameTable++], languages);
            }
            WriteTable(TypeTables[typeIndex], names);
        }
        WriteTable(0, types);
    }
    void WriteNames()
    {
        for (const auto& [name, at] : Strings) {
            le::Set16(Layout.Directory, at, static_cast<uint32_t>(name.size()));
            for (size_t i = 0; i < name.size(); ++i) le::Set16(Layout.Directory, at + 2 + 2 * i, name[i]);
        }
    }
    void WriteDataEntries(uint32_t sectionRva)
    {
        for (size_t i = 0; i < Layout.Data.size(); ++i) {
            const size_t at = DataEntries + kDataEntrySize * i;
            le::Set32(Layout.Directory, at, sectionRva + static_cast<uint32_t>(Layout.Data[i].first));
            le::Set32(Layout.Directory, at + 4, Layout.Data[i].second->Size);
            le::Set32(Layout.Directory, at + 8, Layout.Data[i].second->CodePage);
        }
    }

    const TResourceTree& Tree;
    TResourceLayout Layout;
    uint64_t Next = 0;
    std::vector<uint32_t> TypeTables;
    std::vector<uint32_t> NameTables;
    std::map<std::u16string, uint32_t> Strings;
    uint32_t DataEntries = 0;
};

}  // namespace

// The program file, read at any offset; a read past its end returns fewer bytes.
class TProgramReader {
public:
    explicit TProgramReader(const std::string& path)
    {
        if (!File.OpenForReading(path)) throw ESetupError("Unable to open file (" + path + ")");
        FileSize = File.Size();
    }
    int64_t Size() const { return FileSize; }
    std::vector<uint8_t> ReadAt(uint64_t offset, size_t count)
    {
        if (offset >= static_cast<uint64_t>(FileSize)) return {};
        std::vector<uint8_t> bytes(static_cast<size_t>(std::min<uint64_t>(count, FileSize - offset)));
        File.Seek(static_cast<int64_t>(offset));
        File.ReadExactly(bytes.data(), bytes.size());
        return bytes;
    }

private:
    files::TFile File;
    int64_t FileSize = 0;
};

namespace {

// Walks the three levels (type, name, language) of a resource directory that
// must lie within [Start, Limit) of the file. Each table is read once, so
// entries that loop back are refused instead of walked forever.
class TDirectoryReader {
public:
    using TLeafMaker = std::function<TResourceData(uint32_t rva, uint32_t size, uint32_t codePage)>;

    TDirectoryReader(TProgramReader& file, const std::string& path, int64_t start, int64_t limit,
                     TLeafMaker makeLeaf)
        : File(file), Path(path), Start(start), Limit(limit), MakeLeaf(std::move(makeLeaf))
    {
    }

    TResourceTree ReadTree()
    {
        TResourceTree tree;
        for (const TEntry& type : ReadTable(0, true)) {
            TNames& names = Insert(tree, type.Key);
            for (const TEntry& name : ReadTable(type.Target, true)) {
                TLanguages& languages = Insert(names, name.Key);
                for (const TEntry& language : ReadTable(name.Target, false))
                    Insert(languages, language.Key) = ReadLeaf(language.Target);
            }
        }
        return tree;
    }

private:
    struct TEntry {
        TResourceKey Key;
        uint32_t Target;
    };

    template <typename TMap>
    typename TMap::mapped_type& Insert(TMap& map, const TResourceKey& key)
    {
        const auto inserted = map.try_emplace(key);
        if (!inserted.second) throw Damaged(Path);
        return inserted.first->second;
    }
    std::vector<uint8_t> Read(uint32_t offset, size_t count)
    {
        if (Start + static_cast<int64_t>(offset) + static_cast<int64_t>(count) > Limit) throw Damaged(Path);
        std::vector<uint8_t> bytes = File.ReadAt(static_cast<uint64_t>(Start) + offset, count);
        if (bytes.size() != count) throw Damaged(Path);
        return bytes;
    }
    std::vector<TEntry> ReadTable(uint32_t offset, bool leadsToTables)
    {
        if (!TablesSeen.insert(offset).second) throw Damaged(Path);
        const std::vector<uint8_t> header = Read(offset, kDirectoryTableSize);
        const size_t count = size_t{le::Get16(header, 12)} + le::Get16(header, 14);
        const std::vector<uint8_t> raw = Read(offset + kDirectoryTableSize, kDirectoryEntrySize * count);
        std::vector<TEntry> entries;
        for (size_t i = 0; i < count; ++i) {
            const uint32_t target = le::Get32(raw, kDirectoryEntrySize * i + 4);
            if (((target & kHighBit) != 0) != leadsToTables) throw Damaged(Path);
            entries.push_back({ReadKey(le::Get32(raw, kDirectoryEntrySize * i)), target & ~kHighBit});
        }
        return entries;
    }
    TResourceKey ReadKey(uint32_t field)
    {
        if (!(field & kHighBit)) return TResourceKey::Number(static_cast<uint16_t>(field));
        const uint32_t at = field & ~kHighBit;
        const uint16_t length = le::Get16(Read(at, 2), 0);
        const std::vector<uint8_t> units = Read(at + 2, 2 * size_t{length});
        TResourceKey key;
        key.IsName = true;
        for (size_t i = 0; i < length; ++i) key.Name += static_cast<char16_t>(le::Get16(units, 2 * i));
        return key;
    }
    TResourceData ReadLeaf(uint32_t offset)
    {
        const std::vector<uint8_t> entry = Read(offset, kDataEntrySize);
        return MakeLeaf(le::Get32(entry, 0), le::Get32(entry, 4), le::Get32(entry, 8));
    }

    TProgramReader& File;
    const std::string& Path;
    int64_t Start;
    int64_t Limit;
    TLeafMaker MakeLeaf;
    std::set<uint32_t> TablesSeen;
};

}  // namespace

TResourceKey TResourceKey::Number(uint16_t id)
{
    TResourceKey key;
    key.Id = id;
    return key;
}

TResourceKey TResourceKey::Text(const std::string& asciiName)
{
    TResourceKey key;
    key.IsName = true;
    for (const char c : asciiName) key.Name += UpperAscii(static_cast<char16_t>(static_cast<unsigned char>(c)));
    return key;
}

// Windows compares names upper-cased; stored names are upper-case already
// (compilers store them so), so folding ASCII is enough to match its order.
bool operator<(const TResourceKey& a, const TResourceKey& b)
{
    if (a.IsName != b.IsName) return a.IsName;
    if (!a.IsName) return a.Id < b.Id;
    return std::lexicographical_compare(a.Name.begin(), a.Name.end(), b.Name.begin(), b.Name.end(),
                                        [](char16_t x, char16_t y) { return UpperAscii(x) < UpperAscii(y); });
}

TResourceData WholeFile(const std::string& path)
{
    files::TFile file;
    if (!file.OpenForReading(path)) throw ESetupError("Unable to open file (" + path + ")");
    const int64_t size = file.Size();
    if (static_cast<uint64_t>(size) > kMaxImageBytes) throw ESetupError("Too large for a resource: " + path);
    return {path, 0, static_cast<uint32_t>(size), 0, {}};
}

void ReplaceResource(TResourceTree& tree, const TResourceKey& type, const TResourceKey& name,
                     const TResourceData& data)
{
    TLanguages& languages = tree[type][name];
    const TResourceKey language = languages.empty() ? TResourceKey::Number(0) : languages.begin()->first;
    languages = {{language, data}};
}

std::optional<TResourceData> LookUpResource(const TResourceTree& tree, const TResourceKey& type,
                                            const TResourceKey& name)
{
    const auto names = tree.find(type);
    if (names == tree.end()) return std::nullopt;
    const auto languages = names->second.find(name);
    if (languages == names->second.end() || languages->second.empty()) return std::nullopt;
    return languages->second.begin()->second;
}

TResourceData InMemory(std::vector<uint8_t> bytes)
{
    if (bytes.size() > kMaxImageBytes) throw ESetupError("Resources larger than 2 GiB");
    TResourceData data;
    data.Size = static_cast<uint32_t>(bytes.size());
    data.Bytes = std::move(bytes);
    return data;
}

std::vector<uint8_t> ResourceBytes(const TResourceData& data, uint32_t maxBytes)
{
    if (data.Size > maxBytes) throw Damaged(data.SourceFile);
    if (data.SourceFile.empty()) return data.Bytes;
    std::vector<uint8_t> bytes;
    bytes.reserve(data.Size);
    CopyFileRange(data.SourceFile, data.Offset, data.Size,
                  [&bytes](const uint8_t* piece, size_t count) { bytes.insert(bytes.end(), piece, piece + count); });
    return bytes;
}

void CopyResourceData(const TResourceData& data, const std::string& targetPath)
{
    files::TFile target;
    target.CreateForWriting(targetPath);
    if (data.SourceFile.empty())
        target.Write(data.Bytes.data(), data.Bytes.size());
    else
        CopyFileRange(data.SourceFile, data.Offset, data.Size,
                      [&target](const uint8_t* bytes, size_t count) { target.Write(bytes, count); });
    target.Close();
}

uint64_t TSection::VirtualEnd() const
{
    return uint64_t{VirtualAddress} + std::max(VirtualSize, RawSize);
}

TPeFile::TPeFile(const std::string& path) : FilePath(path)
{
    TProgramReader file(path);
    FileSize = file.Size();
    ReadHeaders(file);
    ReadSections();
    ReadSymbolTable(file);
    ReadResources(file);
}

void TPeFile::ReadHeaders(TProgramReader& file)
{
    const std::vector<uint8_t> dos = file.ReadAt(0, kDosHeaderSize);
    if (dos.size() < kDosHeaderSize || dos[0] != 'M' || dos[1] != 'Z') throw NotAProgram(FilePath);
    const uint64_t peOffset = le::Get32(dos, kPeOffsetField);
    const std::vector<uint8_t> pe = file.ReadAt(peOffset, kPeSignatureSize + kCoffHeaderSize + 2);
    if (pe.size() < kPeSignatureSize + kCoffHeaderSize + 2 || std::memcmp(pe.data(), "PE\0\0", 4) != 0)
        throw NotAProgram(FilePath);
    const uint16_t magic = le::Get16(pe, kPeSignatureSize + kCoffHeaderSize);
    if (magic != kPe32.Magic && magic != kPe32Plus.Magic) throw NotAProgram(FilePath);
    const TOptionalHeaderKind& kind = magic == kPe32.Magic ? kPe32 : kPe32Plus;

    const uint64_t optionalHeader = peOffset + kPeSignatureSize + kCoffHeaderSize;
    const uint16_t optionalSize = le::Get16(pe, kPeSignatureSize + kSizeOfOptionalHeader);
    const uint16_t sectionCount = le::Get16(pe, kPeSignatureSize + kNumberOfSections);
    const uint64_t sectionTable = optionalHeader + optionalSize;
    const std::vector<uint8_t> optional = file.ReadAt(optionalHeader, kind.DataDirectories);
    if (optionalSize < kind.DataDirectories || optional.size() < kind.DataDirectories) throw Damaged(FilePath);
    const uint32_t headersSize = le::Get32(optional, kSizeOfHeaders);
    if (headersSize < sectionTable + kSectionHeaderSize * sectionCount || headersSize > FileSize)
        throw Damaged(FilePath);
    const uint32_t directories = le::Get32(optional, kind.NumberOfRvaAndSizes);
    if (directories <= kResourceDirectory ||
        kind.DataDirectories + uint64_t{kDataDirectorySize} * directories > optionalSize)
        throw Damaged(FilePath);

    Headers = file.ReadAt(0, headersSize);
    CoffHeader = static_cast<size_t>(peOffset + kPeSignatureSize);
    OptionalHeader = static_cast<size_t>(optionalHeader);
    DataDirectoryCount = directories;
    DataDirectories = static_cast<size_t>(optionalHeader + kind.DataDirectories);
    SectionTable = static_cast<size_t>(sectionTable);
    FileAlignment = le::Get32(optional, kFileAlignment);
    SectionAlignment = le::Get32(optional, kSectionAlignment);
}

void TPeFile::ReadSections()
{
    const uint16_t count = le::Get16(Headers, CoffHeader + kNumberOfSections);
    for (size_t i = 0; i < count; ++i) {
        const size_t at = SectionTable + kSectionHeaderSize * i;
        TSection section;
        const auto name = Headers.begin() + static_cast<std::ptrdiff_t>(at);
        section.Name.assign(name, std::find(name, name + kSectionNameSize, 0));
        section.VirtualSize = le::Get32(Headers, at + 8);
        section.VirtualAddress = le::Get32(Headers, at + 12);
        section.RawSize = le::Get32(Headers, at + 16);
        section.RawOffset = le::Get32(Headers, at + 20);
        if (section.RawSize > 0 && section.RawEnd() > static_cast<uint64_t>(FileSize)) throw Damaged(FilePath);
        Sections.push_back(section);
    }
}

// Linkers put a program's symbol table (MinGW's ld unless told to strip) and
// the string table behind it after the sections; section names longer than
// eight characters, such as ".debug_info", are offsets into that string table.
void TPeFile::ReadSymbolTable(TProgramReader& file)
{
    const uint32_t pointer = Field32(CoffHeader + kPointerToSymbolTable);
    if (pointer == 0) return;
    if (pointer < SectionsEndInFile()) throw Damaged(FilePath);
    const uint64_t stringTable = pointer + kSymbolSize * Field32(CoffHeader + kNumberOfSymbols);
    const std::vector<uint8_t> length = file.ReadAt(stringTable, kStringTableLengthSize);
    // Without its length field there is no string table; a length below four
    // still occupies the field itself.
    const uint64_t stringBytes =
        length.size() < kStringTableLengthSize ? 0 : std::max<uint64_t>(le::Get32(length, 0), kStringTableLengthSize);
    if (stringTable + stringBytes > static_cast<uint64_t>(FileSize)) throw Damaged(FilePath);
    SymbolTable = pointer;
    SymbolTableBytes = static_cast<int64_t>(stringTable + stringBytes - pointer);
}

void TPeFile::ReadResources(TProgramReader& file)
{
    const uint32_t rva = DataDirectoryRva(kResourceDirectory);
    if (rva == 0) return;
    const TSection* section = SectionHoldingRva(rva);
    if (!section || rva - section->VirtualAddress >= section->RawSize) throw Damaged(FilePath);
    TDirectoryReader reader(file, FilePath, section->RawOffset + int64_t{rva - section->VirtualAddress},
                            static_cast<int64_t>(section->RawEnd()),
                            [this](uint32_t dataRva, uint32_t size, uint32_t codePage) {
                                return TResourceData{FilePath, FileOffsetOf(dataRva, size), size, codePage, {}};
                            });
    Tree = reader.ReadTree();
}

uint32_t TPeFile::Field32(size_t offset) const
{
    return le::Get32(Headers, offset);
}

uint32_t TPeFile::DataDirectoryRva(uint32_t index) const
{
    if (index >= DataDirectoryCount) return 0;
    return Field32(DataDirectories + kDataDirectorySize * index);
}

uint32_t TPeFile::DataDirectorySize(uint32_t index) const
{
    if (index >= DataDirectoryCount) return 0;
    return Field32(DataDirectories + kDataDirectorySize * index + 4);
}

const TSection* TPeFile::SectionHoldingRva(uint32_t rva) const
{
    for (const TSection& section : Sections)
        if (rva >= section.VirtualAddress && rva < section.VirtualEnd()) return &section;
    return nullptr;
}

int64_t TPeFile::FileOffsetOf(uint32_t rva, uint32_t size) const
{
    const TSection* section = SectionHoldingRva(rva);
    if (!section || uint64_t{rva - section->VirtualAddress} + size > section->RawSize) throw Damaged(FilePath);
    return int64_t{section->RawOffset} + (rva - section->VirtualAddress);
}

int64_t TPeFile::SectionsEndInFile() const
{
    uint64_t end = Headers.size();
    for (const TSection& section : Sections)
        if (section.RawSize > 0) end = std::max(end, section.RawEnd());
    return static_cast<int64_t>(end);
}

// A certificate table's "RVA" is a file offset; it lies after the sections.
int64_t TPeFile::ImageEndInFile() const
{
    auto end = static_cast<uint64_t>(std::max(SectionsEndInFile(), SymbolTable + SymbolTableBytes));
    if (DataDirectorySize(kCertificateDirectory) != 0)
        end = std::max(end, uint64_t{DataDirectoryRva(kCertificateDirectory)} +
                                DataDirectorySize(kCertificateDirectory));
    return static_cast<int64_t>(end);
}

bool TPeFile::EndsWithItsImage() const
{
    return FileSize == ImageEndInFile();
}

struct TPeFile::TPlacement {
    size_t HeaderIndex;  // Sections.size() for a new section header
    uint32_t VirtualAddress;
    uint32_t RawOffset;
    int64_t KeptBytes;  // the program's bytes copied unchanged, from its start
};

void TPeFile::CheckRewritable() const
{
    if (DataDirectoryRva(kCertificateDirectory) != 0 || DataDirectorySize(kCertificateDirectory) != 0)
        throw ESetupError("Signed program cannot take a payload: " + FilePath + " (sign the setup after packing)");
    // Only the symbol table moves behind the new section; bytes between it and
    // the sections would be left behind with nothing to say what they were.
    const bool gapBeforeSymbols = SymbolTable > SectionsEndInFile();
    if (FileSize > ImageEndInFile() || gapBeforeSymbols)
        throw ESetupError("Program carries data after its sections: " + FilePath);
    if (!IsPowerOfTwo(FileAlignment) || !IsPowerOfTwo(SectionAlignment) || SectionAlignment < FileAlignment)
        throw Damaged(FilePath);
    PlaceResourceSection();
}

// Only a resource section that ends both the image and the file can grow
// where it is; any other is left unreferenced and a new one follows the rest.
bool TPeFile::CanRebuildInPlace(const TSection& section) const
{
    if (section.Name != kResourceSectionName || section.RawOffset < Headers.size() ||
        section.VirtualAddress != DataDirectoryRva(kResourceDirectory))
        return false;
    return std::all_of(Sections.begin(), Sections.end(), [&section](const TSection& other) {
        return &other == &section || (other.VirtualEnd() <= section.VirtualAddress &&
                                      (other.RawSize == 0 || other.RawEnd() <= section.RawOffset));
    });
}

void TPeFile::CheckRoomForSectionHeader() const
{
    const size_t used = SectionTable + kSectionHeaderSize * Sections.size();
    size_t limit = Headers.size();
    for (const TSection& section : Sections)
        if (section.RawSize > 0) limit = std::min<size_t>(limit, section.RawOffset);
    const bool room = used + kSectionHeaderSize <= limit &&
                      std::all_of(Headers.begin() + static_cast<std::ptrdiff_t>(used),
                                  Headers.begin() + static_cast<std::ptrdiff_t>(used + kSectionHeaderSize),
                                  [](uint8_t byte) { return byte == 0; });
    if (!room) throw ESetupError("No room for another section header in " + FilePath);
}

TPeFile::TPlacement TPeFile::PlaceResourceSection() const
{
    for (size_t i = 0; i < Sections.size(); ++i)
        if (CanRebuildInPlace(Sections[i]))
            return {i, Sections[i].VirtualAddress,
                    static_cast<uint32_t>(MappableOffset(Sections[i].RawOffset, FileAlignment)),
                    Sections[i].RawOffset};
    CheckRoomForSectionHeader();
    uint64_t virtualEnd = Headers.size();
    for (const TSection& section : Sections) virtualEnd = std::max(virtualEnd, section.VirtualEnd());
    const uint64_t address = AlignUp(virtualEnd, SectionAlignment);
    const int64_t sectionsEnd = SectionsEndInFile();
    const uint64_t offset = MappableOffset(static_cast<uint64_t>(sectionsEnd), FileAlignment);
    if (address > kMaxImageBytes || offset > kMaxImageBytes) throw ESetupError("Program too large: " + FilePath);
    return {Sections.size(), static_cast<uint32_t>(address), static_cast<uint32_t>(offset), sectionsEnd};
}

std::vector<uint8_t> TPeFile::HeadersFor(const TPlacement& placement, uint32_t resourceBytes) const
{
    std::vector<uint8_t> headers = Headers;
    const auto rawSize = static_cast<uint32_t>(AlignUp(resourceBytes, FileAlignment));
    if (SymbolTable > 0) le::Set32(headers, CoffHeader + kPointerToSymbolTable, placement.RawOffset + rawSize);
    const size_t at = SectionTable + kSectionHeaderSize * placement.HeaderIndex;
    uint32_t replacedRawSize = 0;
    if (placement.HeaderIndex == Sections.size()) {
        std::copy(std::begin(kResourceSectionName), std::end(kResourceSectionName),
                  headers.begin() + static_cast<std::ptrdiff_t>(at));
        le::Set32(headers, at + 36, kResourceSectionCharacteristics);
        le::Set16(headers, CoffHeader + kNumberOfSections, static_cast<uint32_t>(Sections.size() + 1));
    } else {
        replacedRawSize = Sections[placement.HeaderIndex].RawSize;
    }
    le::Set32(headers, at + 8, resourceBytes);
    le::Set32(headers, at + 12, placement.VirtualAddress);
    le::Set32(headers, at + 16, rawSize);
    le::Set32(headers, at + 20, placement.RawOffset);

    const size_t initialisedData = OptionalHeader + kSizeOfInitializedData;
    le::Set32(headers, initialisedData, Field32(initialisedData) - replacedRawSize + rawSize);
    le::Set32(headers, OptionalHeader + kSizeOfImage,
          static_cast<uint32_t>(AlignUp(uint64_t{placement.VirtualAddress} + resourceBytes, SectionAlignment)));
    const size_t directory = DataDirectories + kDataDirectorySize * kResourceDirectory;
    le::Set32(headers, directory, placement.VirtualAddress);
    le::Set32(headers, directory + 4, resourceBytes);
    le::Set32(headers, OptionalHeader + kCheckSum, 0);
    return headers;
}

int64_t TPeFile::WriteWithResources(const TResourceTree& resources, const std::string& targetPath) const
{
    // The program is read while the copy is written.
    if (IsSameFile(targetPath, FilePath)) throw ESetupError("Cannot write a program over itself: " + FilePath);
    CheckRewritable();
    try {
        return WriteCopy(resources, targetPath);
    } catch (...) {
        files::RemoveFile(targetPath);
        throw;
    }
}

int64_t TPeFile::WriteCopy(const TResourceTree& resources, const std::string& targetPath) const
{
    const TPlacement placement = PlaceResourceSection();
    const TResourceLayout layout = TLayoutBuilder(resources).Build(placement.VirtualAddress);
    const uint64_t rawEnd = placement.RawOffset + AlignUp(layout.Size, FileAlignment);
    if (placement.VirtualAddress + layout.Size > kMaxImageBytes || rawEnd > kMaxImageBytes)
        throw ESetupError("Program too large: " + targetPath);

    TChecksummedOutput out(targetPath);
    const std::vector<uint8_t> headers = HeadersFor(placement, static_cast<uint32_t>(layout.Size));
    out.Write(headers.data(), headers.size());
    out.CopyFrom(FilePath, static_cast<int64_t>(headers.size()),
                 placement.KeptBytes - static_cast<int64_t>(headers.size()));
    out.PadTo(placement.RawOffset);
    out.Write(layout.Directory.data(), layout.Directory.size());
    for (const auto& [offset, data] : layout.Data) {
        out.PadTo(static_cast<int64_t>(placement.RawOffset + offset));
        if (data->SourceFile.empty())
            out.Write(data->Bytes.data(), data->Bytes.size());
        else
            out.CopyFrom(data->SourceFile, data->Offset, data->Size);
    }
    out.PadTo(static_cast<int64_t>(rawEnd));
    // Kept behind the new last section, where linkers put it, rather than
    // dropped: debuggers and tools that show section names still need it.
    out.CopyFrom(FilePath, SymbolTable, SymbolTableBytes);
    return out.Finish(OptionalHeader + kCheckSum);
}

}  // namespace pe
