#include "tests/tools/TestPrograms.h"

#include <algorithm>
#include <functional>
#include <stdexcept>

namespace {

constexpr uint32_t kFileAlignment = 0x200;
constexpr uint32_t kSectionAlignment = 0x1000;
constexpr uint32_t kHeadersSize = 0x400;
constexpr uint32_t kCodeSection = 0x60000020;
constexpr uint32_t kDataSection = 0x40000040;
constexpr uint32_t kDiscardableData = 0x42000040;
constexpr uint32_t kHighBit = 0x80000000;
constexpr size_t kPe32OptionalSize = 224;
constexpr size_t kPe32PlusOptionalSize = 240;

void Put16(Bytes& bytes, size_t at, uint32_t value)
{
    bytes.at(at) = static_cast<uint8_t>(value);
    bytes.at(at + 1) = static_cast<uint8_t>(value >> 8);
}

void Put32(Bytes& bytes, size_t at, uint32_t value)
{
    Put16(bytes, at, value & 0xFFFF);
    Put16(bytes, at + 2, value >> 16);
}

uint32_t Get16(const Bytes& bytes, size_t at)
{
    return bytes.at(at) | uint32_t{bytes.at(at + 1)} << 8;
}

uint32_t Get32(const Bytes& bytes, size_t at)
{
    return Get16(bytes, at) | Get16(bytes, at + 2) << 16;
}

uint32_t Align(size_t value, uint32_t alignment)
{
    return static_cast<uint32_t>((value + alignment - 1) / alignment * alignment);
}

bool IsNumber(const std::string& key)
{
    return !key.empty() && key[0] == '#';
}

// Encodes depth first (each type's table followed by its name tables), with
// data 4-byte aligned and entries in the order given: a layout unlike the
// packer's, which it must read all the same.
class TResourceEncoder {
public:
    Bytes Encode(const std::vector<TTestResource>& resources, uint32_t rva)
    {
        std::vector<std::string> types;
        for (const auto& resource : resources) AddOnce(types, resource.Type);
        const size_t root = Table(types);
        for (size_t t = 0; t < types.size(); ++t) {
            std::vector<std::string> names;
            for (const auto& resource : resources)
                if (resource.Type == types[t]) AddOnce(names, resource.Name);
            const size_t typeTable = Table(names);
            Put32(Out, root + 20 + 8 * t, kHighBit | static_cast<uint32_t>(typeTable));
            for (size_t n = 0; n < names.size(); ++n) {
                std::vector<const TTestResource*> languages;
                for (const auto& resource : resources)
                    if (resource.Type == types[t] && resource.Name == names[n]) languages.push_back(&resource);
                const size_t nameTable = Reserve(16 + 8 * languages.size());
                Put16(Out, nameTable + 14, static_cast<uint32_t>(languages.size()));
                Put32(Out, typeTable + 20 + 8 * n, kHighBit | static_cast<uint32_t>(nameTable));
                for (size_t l = 0; l < languages.size(); ++l) {
                    Put32(Out, nameTable + 16 + 8 * l, languages[l]->Language);
                    Leaves.emplace_back(nameTable + 20 + 8 * l, languages[l]);
                }
            }
        }
        WriteNames();
        WriteLeaves(rva);
        return Out;
    }

private:
    static void AddOnce(std::vector<std::string>& keys, const std::string& key)
    {
        if (std::find(keys.begin(), keys.end(), key) == keys.end()) keys.push_back(key);
    }
    size_t Reserve(size_t count)
    {
        const size_t at = Out.size();
        Out.resize(at + count);
        return at;
    }
    size_t Table(const std::vector<std::string>& keys)
    {
        const size_t at = Reserve(16 + 8 * keys.size());
        const auto numbers = std::count_if(keys.begin(), keys.end(), IsNumber);
        Put16(Out, at + 12, static_cast<uint32_t>(keys.size() - static_cast<size_t>(numbers)));
        Put16(Out, at + 14, static_cast<uint32_t>(numbers));
        for (size_t i = 0; i < keys.size(); ++i) {
            if (IsNumber(keys[i])) Put32(Out, at + 16 + 8 * i, static_cast<uint32_t>(std::stoul(keys[i].substr(1))));
            else Names.emplace_back(at + 16 + 8 * i, keys[i]);
        }
        return at;
    }
    void WriteNames()
    {
        for (const auto& [entry, name] : Names) {
            const size_t at = Reserve(2 + 2 * name.size());
            Put32(Out, entry, kHighBit | static_cast<uint32_t>(at));
            Put16(Out, at, static_cast<uint32_t>(name.size()));
            for (size_t i = 0; i < name.size(); ++i) Put16(Out, at + 2 + 2 * i, static_cast<uint8_t>(name[i]));
        }
    }
    void WriteLeaves(uint32_t rva)
    {
        Out.resize(Align(Out.size(), 4));
        const size_t entries = Reserve(16 * Leaves.size());
        for (size_t i = 0; i < Leaves.size(); ++i) {
            Out.resize(Align(Out.size(), 4));
            const Bytes& data = Leaves[i].second->Data;
            const size_t at = Reserve(data.size());
            std::copy(data.begin(), data.end(), Out.begin() + static_cast<std::ptrdiff_t>(at));
            Put32(Out, Leaves[i].first, static_cast<uint32_t>(entries + 16 * i));
            Put32(Out, entries + 16 * i, rva + static_cast<uint32_t>(at));
            Put32(Out, entries + 16 * i + 4, static_cast<uint32_t>(data.size()));
        }
    }

    Bytes Out;
    std::vector<std::pair<size_t, std::string>> Names;
    std::vector<std::pair<size_t, const TTestResource*>> Leaves;
};

struct TRawSection {
    std::string Name;
    Bytes Raw;
    uint32_t Characteristics;
    uint32_t VirtualAddress = 0;
};

}  // namespace

Bytes TTestProgram::Build() const
{
    const bool withResources = !Resources.empty();
    std::vector<TRawSection> sections{{".text", Bytes(0x180, 0xC3), kCodeSection},
                                      {".reloc", SampleText(0x120, 7), kDataSection}};
    if (withResources) sections.insert(ResourcesLast ? sections.end() : sections.begin() + 1,
                                       TRawSection{".rsrc", {}, kDataSection});
    // The string table: its length, then the long name (at offset 4).
    Bytes strings(4);
    if (!LongSectionName.empty()) {
        sections.push_back({"/4", SampleText(0x90, 8), kDiscardableData});
        strings = TextBytes(std::string(4, '\0') + LongSectionName + '\0');
    }
    Put32(strings, 0, static_cast<uint32_t>(strings.size()));
    uint32_t address = kSectionAlignment;
    for (TRawSection& section : sections) {
        section.VirtualAddress = address;
        if (section.Name == ".rsrc") section.Raw = TResourceEncoder().Encode(Resources, address);
        address += Align(section.Raw.size(), kSectionAlignment);
    }

    const size_t optionalSize = Pe32Plus ? kPe32PlusOptionalSize : kPe32OptionalSize;
    const size_t tableSize = 40 * sections.size();
    const auto peOffset = static_cast<uint32_t>(HeadersFull ? kHeadersSize - 24 - optionalSize - tableSize : 0x80);
    Bytes file(kHeadersSize);
    file[0] = 'M';
    file[1] = 'Z';
    Put32(file, 0x3C, peOffset);
    std::copy_n("PE\0\0", 4, file.begin() + peOffset);
    Put16(file, peOffset + 4, Pe32Plus ? 0x8664 : 0x14C);
    Put16(file, peOffset + 6, static_cast<uint32_t>(sections.size()));
    Put16(file, peOffset + 20, static_cast<uint32_t>(optionalSize));
    Put16(file, peOffset + 22, 0x0102);
    const size_t optional = peOffset + 24;
    const size_t directories = optional + (Pe32Plus ? 112 : 96);
    Put16(file, optional, Pe32Plus ? 0x20B : 0x10B);
    Put32(file, optional + 16, kSectionAlignment);
    Put32(file, optional + 32, kSectionAlignment);
    Put32(file, optional + 36, kFileAlignment);
    Put16(file, optional + 40, 4);
    Put16(file, optional + 48, 4);
    Put32(file, optional + 56, address);
    Put32(file, optional + 60, kHeadersSize);
    Put16(file, optional + 68, 3);
    Put32(file, directories - 4, 16);

    uint32_t initialisedData = 0;
    for (size_t i = 0; i < sections.size(); ++i) {
        const TRawSection& section = sections[i];
        const size_t header = optional + optionalSize + 40 * i;
        const auto rawSize = Align(section.Raw.size(), kFileAlignment);
        std::copy(section.Name.begin(), section.Name.end(), file.begin() + static_cast<std::ptrdiff_t>(header));
        Put32(file, header + 8, static_cast<uint32_t>(section.Raw.size()));
        Put32(file, header + 12, section.VirtualAddress);
        Put32(file, header + 16, rawSize);
        Put32(file, header + 20, static_cast<uint32_t>(file.size()));
        Put32(file, header + 36, section.Characteristics);
        if (section.Name == ".rsrc") {
            Put32(file, directories + 16, section.VirtualAddress);
            Put32(file, directories + 20, static_cast<uint32_t>(section.Raw.size()));
        }
        if (section.Characteristics != kCodeSection) initialisedData += rawSize;
        file.insert(file.end(), section.Raw.begin(), section.Raw.end());
        file.resize(Align(file.size(), kFileAlignment));
    }
    Put32(file, optional + 8, initialisedData);
    if (Symbols > 0 || !LongSectionName.empty()) {
        Put32(file, peOffset + 12, static_cast<uint32_t>(file.size()));
        Put32(file, peOffset + 16, static_cast<uint32_t>(Symbols));
        const Bytes symbols = SampleRandom(18 * Symbols, 9);
        file.insert(file.end(), symbols.begin(), symbols.end());
        file.insert(file.end(), strings.begin(), strings.end());
    }
    if (Signed) {
        Put32(file, directories + 32, static_cast<uint32_t>(file.size()));
        Put32(file, directories + 36, 24);
        Bytes certificate = SampleRandom(24, 3);
        Put32(certificate, 0, 24);
        Put32(certificate, 4, 0x00020200);
        file.insert(file.end(), certificate.begin(), certificate.end());
    }
    const Bytes overlay = SampleRandom(OverlayBytes, 5);
    file.insert(file.end(), overlay.begin(), overlay.end());
    Put32(file, optional + 64, ReferenceChecksum(file, optional + 64));
    return file;
}

TProgramView::TProgramView(Bytes file) : Data(std::move(file))
{
    Optional = Get32(Data, 0x3C) + 24;
    Directories = Optional + (Get16(Data, Optional) == 0x20B ? 112 : 96);
}

uint32_t TProgramView::ResourceRva() const
{
    return Get32(Data, Directories + 16);
}

uint32_t TProgramView::ResourceSize() const
{
    return Get32(Data, Directories + 20);
}

Bytes TProgramView::HeadersBesideResourceBookkeeping() const
{
    Bytes headers(Data.begin(), Data.begin() + Optional32(60));
    const auto clear = [&headers](size_t at, size_t count) {
        std::fill_n(headers.begin() + static_cast<std::ptrdiff_t>(at), count, 0);
    };
    clear(Optional - 18, 2);
    clear(Optional - 12, 4);
    for (const size_t field : {8, 56, 64}) clear(Optional + field, 4);
    clear(Directories + 16, 8);
    const size_t table = Optional + Get16(Data, Optional - 4);
    const std::vector<TProgramSection> sections = Sections();
    for (size_t i = 0; i < sections.size(); ++i)
        if (sections[i].Name == ".rsrc") clear(table + 40 * i, 40);
    return headers;
}

uint32_t TProgramView::Optional32(size_t offset) const
{
    return Get32(Data, Optional + offset);
}

std::vector<TProgramSection> TProgramView::Sections() const
{
    const size_t count = Get16(Data, Optional - 18);
    const size_t table = Optional + Get16(Data, Optional - 4);
    std::vector<TProgramSection> sections;
    for (size_t i = 0; i < count; ++i) {
        const size_t at = table + 40 * i;
        const auto header = Data.begin() + static_cast<std::ptrdiff_t>(at);
        std::string name(header, header + 8);
        name.erase(std::find(name.begin(), name.end(), '\0'), name.end());
        if (!name.empty() && name[0] == '/') {
            const size_t offset = StringTableOffset() + std::stoul(name.substr(1));
            const auto longName = Data.begin() + static_cast<std::ptrdiff_t>(offset);
            name.assign(longName, std::find(longName, Data.end(), '\0'));
        }
        sections.push_back(
            {name, Get32(Data, at + 8), Get32(Data, at + 12), Get32(Data, at + 16), Get32(Data, at + 20)});
    }
    return sections;
}

uint32_t TProgramView::SymbolTableOffset() const
{
    return Get32(Data, Optional - 12);
}

size_t TProgramView::StringTableOffset() const
{
    return SymbolTableOffset() + 18 * size_t{Get32(Data, Optional - 8)};
}

Bytes TProgramView::SymbolAndStringTable() const
{
    if (SymbolTableOffset() == 0) return {};
    const size_t end = StringTableOffset() + Get32(Data, StringTableOffset());
    return Bytes(Data.begin() + SymbolTableOffset(), Data.begin() + static_cast<std::ptrdiff_t>(end));
}

uint32_t TProgramView::ComputedChecksum() const
{
    return ReferenceChecksum(Data, Optional + 64);
}

size_t TProgramView::FileOffset(uint32_t rva) const
{
    for (const TProgramSection& section : Sections())
        if (rva >= section.VirtualAddress &&
            rva < section.VirtualAddress + std::max(section.VirtualSize, section.RawSize))
            return section.RawOffset + (rva - section.VirtualAddress);
    throw std::runtime_error("RVA outside every section");
}

struct TProgramView::TWalk {
    TResourceBytes Resources;
    std::vector<uint32_t> DataRvas;
    std::vector<std::vector<std::string>> Tables;
};

TProgramView::TWalk TProgramView::Walk() const
{
    TWalk walk;
    if (ResourceRva() == 0) return walk;
    const size_t base = FileOffset(ResourceRva());
    std::function<void(uint32_t, std::vector<std::string>)> table = [&](uint32_t at, std::vector<std::string> path) {
        const size_t count = Get16(Data, base + at + 12) + Get16(Data, base + at + 14);
        std::vector<std::string> keys;
        for (size_t i = 0; i < count; ++i) {
            const uint32_t nameField = Get32(Data, base + at + 16 + 8 * i);
            const uint32_t target = Get32(Data, base + at + 20 + 8 * i);
            std::string key = "#" + std::to_string(nameField);
            if (nameField & kHighBit) {
                const size_t name = base + (nameField & ~kHighBit);
                key.clear();
                for (size_t c = 0; c < Get16(Data, name); ++c) key += static_cast<char>(Get16(Data, name + 2 + 2 * c));
            }
            keys.push_back(key);
            if (path.size() < 2) {
                std::vector<std::string> deeper = path;
                deeper.push_back(key);
                table(target & ~kHighBit, deeper);
                continue;
            }
            const uint32_t rva = Get32(Data, base + target), size = Get32(Data, base + target + 4);
            const auto data = Data.begin() + static_cast<std::ptrdiff_t>(FileOffset(rva));
            walk.DataRvas.push_back(rva);
            walk.Resources[{path[0], path[1], static_cast<uint16_t>(nameField)}] = Bytes(data, data + size);
        }
        walk.Tables.push_back(keys);
    };
    table(0, {});
    return walk;
}

TResourceBytes TProgramView::Resources() const
{
    return Walk().Resources;
}

std::vector<uint32_t> TProgramView::DataRvas() const
{
    return Walk().DataRvas;
}

std::vector<std::vector<std::string>> TProgramView::TableKeys() const
{
    return Walk().Tables;
}

bool InLoaderOrder(const std::vector<std::string>& keys)
{
    const auto upper = [](std::string text) {
        for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        return text;
    };
    for (size_t i = 1; i < keys.size(); ++i) {
        const std::string &a = keys[i - 1], &b = keys[i];
        if (IsNumber(a) != IsNumber(b)) {
            if (IsNumber(a)) return false;
        } else if (IsNumber(a) ? std::stoul(a.substr(1)) >= std::stoul(b.substr(1)) : upper(a) >= upper(b)) {
            return false;
        }
    }
    return true;
}

uint32_t ReferenceChecksum(Bytes file, size_t checksumOffset)
{
    std::fill_n(file.begin() + static_cast<std::ptrdiff_t>(checksumOffset), 4, 0);
    uint32_t sum = 0;
    for (size_t i = 0; i < file.size(); i += 2) {
        sum += file[i] | (i + 1 < file.size() ? uint32_t{file[i + 1]} << 8 : 0);
        sum = (sum & 0xFFFF) + (sum >> 16);
    }
    return sum + static_cast<uint32_t>(file.size());
}

namespace {

// A block of version information: length, value length, type, key, value, children.
Bytes VersionBlock(const std::string& key, uint16_t type, const Bytes& value, size_t valueLength,
                   const std::vector<Bytes>& children)
{
    Bytes block(6);
    for (const char c : key) block.insert(block.end(), {static_cast<uint8_t>(c), 0});
    block.insert(block.end(), {0, 0});
    block.resize((block.size() + 3) / 4 * 4);
    block.insert(block.end(), value.begin(), value.end());
    for (const Bytes& child : children) {
        block.resize((block.size() + 3) / 4 * 4);
        block.insert(block.end(), child.begin(), child.end());
    }
    block[0] = static_cast<uint8_t>(block.size());
    block[1] = static_cast<uint8_t>(block.size() >> 8);
    block[2] = static_cast<uint8_t>(valueLength);
    block[4] = static_cast<uint8_t>(type);
    return block;
}

}  // namespace

Bytes ProgramVersion(const std::string& mark)
{
    Bytes text;
    for (const char c : mark) text.insert(text.end(), {static_cast<uint8_t>(c), 0});
    text.insert(text.end(), {0, 0});
    const Bytes string = VersionBlock("ZorevaProgram", 1, text, mark.size() + 1, {});
    const Bytes table = VersionBlock("StringFileInfo", 1, {}, 0, {VersionBlock("040904E4", 1, {}, 0, {string})});
    const Bytes languages =
        VersionBlock("VarFileInfo", 1, {}, 0, {VersionBlock("Translation", 0, {0x09, 0x04, 0xE4, 0x04}, 4, {})});
    // VS_FIXEDFILEINFO: signature, structure version, the rest zero.
    Bytes fixed{0xBD, 0x04, 0xEF, 0xFE, 0x00, 0x00, 0x01, 0x00};
    fixed.resize(52);
    return VersionBlock("VS_VERSION_INFO", 0, fixed, fixed.size(), {table, languages});
}
