#include "tests/tools/ProgramImports.h"

#include <algorithm>
#include <cctype>

#include "tests/TestSupport.h"
#include "utilities/SetupError.h"

namespace imports {

namespace {

constexpr size_t kPeOffsetField = 0x3C;
constexpr uint32_t kPeSignature = 0x00004550;  // "PE\0\0"
constexpr size_t kCoffHeaderSize = 20;
constexpr size_t kNumberOfSections = 2;
constexpr size_t kSizeOfOptionalHeader = 16;
constexpr uint16_t kPe32Magic = 0x10B;
constexpr uint16_t kPe32PlusMagic = 0x20B;
// Fields of the optional header: the image base differs in place and width.
constexpr size_t kImageBase32 = 28;
constexpr size_t kImageBase64 = 24;
constexpr size_t kSizeOfImage = 56;
constexpr size_t kDataDirectories32 = 96;
constexpr size_t kDataDirectories64 = 112;
constexpr size_t kDataDirectorySize = 8;
constexpr uint32_t kExportDirectory = 0;
constexpr uint32_t kImportDirectory = 1;

constexpr size_t kSectionHeaderSize = 40;
constexpr size_t kSectionVirtualSize = 8;
constexpr size_t kSectionVirtualAddress = 12;
constexpr size_t kSectionRawSize = 16;
constexpr size_t kSectionRawOffset = 20;
constexpr size_t kSectionCharacteristics = 36;
constexpr uint32_t kMemExecute = 0x20000000;

constexpr uint32_t kImportDescriptorSize = 20;
constexpr uint32_t kDelayDescriptorSize = 32;
constexpr uint32_t kDelayAttributesRvaBased = 1;
// A hint/name entry: the two-byte hint, then the name.
constexpr uint32_t kHintSize = 2;
constexpr size_t kLongestName = 512;

struct TSectionRange {
    uint32_t VirtualAddress = 0;
    uint32_t VirtualSize = 0;
    uint32_t RawOffset = 0;
    uint32_t RawSize = 0;
    uint32_t Characteristics = 0;
};

// A program's file with its headers read; reads at RVAs raise on anything
// that lies outside the file.
class TImage {
public:
    explicit TImage(const std::string& path) : Path(path), File(ReadAll(path)) { ReadHeaders(); }

    uint64_t Base() const { return ImageBase; }
    uint32_t Size() const { return ImageSize; }
    uint32_t SlotSize() const { return Wide ? 8 : 4; }
    uint64_t OrdinalFlag() const { return uint64_t{1} << (SlotSize() * 8 - 1); }
    const std::vector<TSectionRange>& Sections() const { return SectionRanges; }

    uint32_t DirectoryRva(uint32_t index) const { return U32(DataDirectories + index * kDataDirectorySize); }
    uint32_t U32At(uint32_t rva) const { return U32(OffsetOf(rva, 4)); }
    uint64_t SlotAt(uint32_t rva) const
    {
        const size_t at = OffsetOf(rva, SlotSize());
        return Wide ? U32(at) | uint64_t{U32(at + 4)} << 32 : U32(at);
    }
    std::string StringAt(uint32_t rva) const
    {
        const size_t at = OffsetOf(rva, 1);
        const auto begin = File.begin() + static_cast<std::ptrdiff_t>(at);
        const auto limit = File.begin() + static_cast<std::ptrdiff_t>(std::min(File.size(), at + kLongestName));
        const auto end = std::find(begin, limit, uint8_t{0});
        if (end == limit) throw Damaged();
        return std::string(begin, end);
    }
    bool HoldsRva(uint64_t rva) const { return rva != 0 && rva < ImageSize; }

private:
    uint32_t U16(size_t at) const { return static_cast<uint32_t>(File.at(at) | File.at(at + 1) << 8); }
    uint32_t U32(size_t at) const { return U16(at) | U16(at + 2) << 16; }
    ESetupError Damaged() const { return ESetupError("Damaged Windows program: " + Path); }

    void ReadHeaders()
    {
        if (File.size() < kPeOffsetField + 4) throw ESetupError("Not a Windows program: " + Path);
        const size_t pe = U32(kPeOffsetField);
        if (pe + 4 + kCoffHeaderSize > File.size() || U32(pe) != kPeSignature)
            throw ESetupError("Not a Windows program: " + Path);
        const size_t coff = pe + 4;
        const size_t optional = coff + kCoffHeaderSize;
        const uint32_t magic = U16(optional);
        if (magic != kPe32Magic && magic != kPe32PlusMagic) throw ESetupError("Not a Windows program: " + Path);
        Wide = magic == kPe32PlusMagic;
        ImageBase = Wide ? U32(optional + kImageBase64) | uint64_t{U32(optional + kImageBase64 + 4)} << 32
                         : U32(optional + kImageBase32);
        ImageSize = U32(optional + kSizeOfImage);
        DataDirectories = optional + (Wide ? kDataDirectories64 : kDataDirectories32);
        const size_t sections = optional + U16(coff + kSizeOfOptionalHeader);
        for (uint32_t i = 0; i < U16(coff + kNumberOfSections); ++i) {
            const size_t header = sections + i * kSectionHeaderSize;
            SectionRanges.push_back({U32(header + kSectionVirtualAddress), U32(header + kSectionVirtualSize),
                                     U32(header + kSectionRawOffset), U32(header + kSectionRawSize),
                                     U32(header + kSectionCharacteristics)});
        }
    }

    size_t OffsetOf(uint32_t rva, size_t size) const
    {
        for (const TSectionRange& section : SectionRanges) {
            if (rva < section.VirtualAddress || rva - section.VirtualAddress >= section.RawSize) continue;
            const size_t at = size_t{section.RawOffset} + (rva - section.VirtualAddress);
            if (rva - section.VirtualAddress + size > section.RawSize || at + size > File.size()) throw Damaged();
            return at;
        }
        throw Damaged();
    }

    std::string Path;
    Bytes File;
    bool Wide = false;
    uint64_t ImageBase = 0;
    uint32_t ImageSize = 0;
    size_t DataDirectories = 0;
    std::vector<TSectionRange> SectionRanges;
};

// The functions of one DLL: names from one table, slots from the other, side by side until a zero name entry.
std::vector<TImportedFunction> ReadFunctions(const TImage& image, uint32_t namesRva, uint32_t slotsRva)
{
    std::vector<TImportedFunction> functions;
    for (uint32_t at = 0;; at += image.SlotSize()) {
        const uint64_t entry = image.SlotAt(namesRva + at);
        if (entry == 0) return functions;
        TImportedFunction function;
        if ((entry & image.OrdinalFlag()) == 0) function.Name = image.StringAt(static_cast<uint32_t>(entry) + kHintSize);
        function.SlotRva = slotsRva + at;
        function.Slot = image.SlotAt(function.SlotRva);
        functions.push_back(function);
    }
}

void ReadImportTable(const TImage& image, std::vector<TImportedDll>& dlls)
{
    const uint32_t table = image.DirectoryRva(kImportDirectory);
    if (table == 0) return;
    for (uint32_t at = table;; at += kImportDescriptorSize) {
        const uint32_t names = image.U32At(at), name = image.U32At(at + 12), slots = image.U32At(at + 16);
        if (name == 0 && slots == 0) return;
        dlls.push_back({image.StringAt(name), false, ReadFunctions(image, names != 0 ? names : slots, slots)});
    }
}

bool EndsWithDll(const std::string& name)
{
    if (name.size() < 5) return false;
    std::string tail = name.substr(name.size() - 4);
    std::transform(tail.begin(), tail.end(), tail.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return tail == ".dll";
}

// The eight fields of a delay descriptor at rva, if they have its shape.
bool IsDelayDescriptor(const TImage& image, uint32_t rva)
{
    uint32_t field[8];
    for (uint32_t i = 0; i < 8; ++i) field[i] = image.U32At(rva + i * 4);
    if (field[0] != kDelayAttributesRvaBased || field[5] != 0 || field[6] != 0 || field[7] != 0) return false;
    for (uint32_t i = 1; i <= 4; ++i)
        if (!image.HoldsRva(field[i])) return false;
    try {
        return EndsWithDll(image.StringAt(field[1]));
    } catch (const ESetupError&) {
        return false;
    }
}

void ReadDelayImportTables(const TImage& image, std::vector<TImportedDll>& dlls)
{
    for (const TSectionRange& section : image.Sections()) {
        for (uint32_t at = 0; at + kDelayDescriptorSize <= section.RawSize; at += 4) {
            const uint32_t rva = section.VirtualAddress + at;
            if (!IsDelayDescriptor(image, rva)) continue;
            dlls.push_back({image.StringAt(image.U32At(rva + 4)), true,
                            ReadFunctions(image, image.U32At(rva + 16), image.U32At(rva + 12))});
        }
    }
}

bool IsCode(const TProgramImports& program, uint64_t rva)
{
    return std::any_of(program.Code.begin(), program.Code.end(),
                       [rva](const auto& range) { return rva >= range.first && rva < range.second; });
}

std::string SlotFault(const TProgramImports& program, const TImportedDll& dll, const TImportedFunction& function)
{
    if (function.Slot == 0) return "slot is null";
    if (dll.Delayed) {
        const bool inImage = function.Slot >= program.ImageBase && function.Slot - program.ImageBase < program.ImageSize;
        if (!inImage) return "slot points outside the image";
        if (!IsCode(program, function.Slot - program.ImageBase)) return "slot points outside the program's code";
        return "";
    }
    if (!function.Name.empty() && function.Slot >= program.ImageSize) return "slot points outside the image";
    return "";
}

}  // namespace

TProgramImports ReadImports(const std::string& path)
{
    const TImage image(path);
    TProgramImports program;
    program.ImageBase = image.Base();
    program.ImageSize = image.Size();
    for (const TSectionRange& section : image.Sections())
        if (section.Characteristics & kMemExecute)
            program.Code.emplace_back(section.VirtualAddress, section.VirtualAddress + section.VirtualSize);
    ReadImportTable(image, program.Dlls);
    ReadDelayImportTables(image, program.Dlls);
    return program;
}

std::vector<std::string> SlotFaults(const TProgramImports& program)
{
    std::vector<std::string> faults;
    for (const TImportedDll& dll : program.Dlls)
        for (const TImportedFunction& function : dll.Functions) {
            const std::string fault = SlotFault(program, dll, function);
            if (fault.empty()) continue;
            faults.push_back(dll.Name + "!" + (function.Name.empty() ? "(ordinal)" : function.Name) +
                             (dll.Delayed ? " (delay-loaded)" : "") + ": " + fault);
        }
    return faults;
}

std::set<std::string> ReadExports(const std::string& path)
{
    const TImage image(path);
    std::set<std::string> names;
    const uint32_t table = image.DirectoryRva(kExportDirectory);
    if (table == 0) return names;
    const uint32_t count = image.U32At(table + 24), nameTable = image.U32At(table + 32);
    for (uint32_t i = 0; i < count; ++i) names.insert(image.StringAt(image.U32At(nameTable + i * 4)));
    return names;
}

}  // namespace imports
