#include "setup/VersionResource.h"

#include <algorithm>
#include <limits>

#include "utilities/SetupError.h"

namespace version {

namespace {

// Every block: its length, its value's length, its type, then its key.
constexpr size_t kBlockHeaderSize = 6;
constexpr size_t kBlockAlignment = 4;
constexpr uint16_t kBinaryValue = 0;
constexpr uint16_t kTextValue = 1;
constexpr uint32_t kFixedInfoSignature = 0xFEEF04BD;
constexpr uint32_t kFixedInfoStructVersion = 0x00010000;
constexpr size_t kFixedInfoSize = 52;

constexpr char16_t kRootKey[] = u"VS_VERSION_INFO";
constexpr char16_t kStringFileInfo[] = u"StringFileInfo";
constexpr char16_t kVarFileInfo[] = u"VarFileInfo";
constexpr char16_t kTranslation[] = u"Translation";

size_t AlignUp(size_t offset)
{
    return (offset + kBlockAlignment - 1) / kBlockAlignment * kBlockAlignment;
}

// A block found in the bytes; every offset lies within [start, End).
struct TBlock {
    std::u16string Key;
    uint16_t Type = 0;
    size_t Value = 0, ValueBytes = 0;
    size_t Children = 0, End = 0;
};

class TReader {
public:
    TReader(const uint8_t* data, size_t size) : Data(data), Size(size) {}

    uint16_t Get16(size_t at) const { return static_cast<uint16_t>(Data[at] | Data[at + 1] << 8); }
    uint32_t Get32(size_t at) const { return Get16(at) | static_cast<uint32_t>(Get16(at + 2)) << 16; }

    // The block at `at`, which must end by `limit`.
    std::optional<TBlock> BlockAt(size_t at, size_t limit) const
    {
        if (limit > Size || at > limit || limit - at < kBlockHeaderSize) return std::nullopt;
        const size_t length = Get16(at);
        if (length < kBlockHeaderSize || length > limit - at) return std::nullopt;
        TBlock block;
        block.End = at + length;
        block.Type = Get16(at + 4);
        size_t next = at + kBlockHeaderSize;
        for (; next + 1 < block.End && Get16(next) != 0; next += 2) block.Key += static_cast<char16_t>(Get16(next));
        if (next + 1 >= block.End) return std::nullopt;  // no terminating zero
        block.Value = std::min(AlignUp(next + 2), block.End);
        // Text values count characters, binary ones bytes; some writers count
        // text in bytes, which only makes the value reach further into its own block.
        const size_t declared = size_t{Get16(at + 2)} * (block.Type == kTextValue ? 2 : 1);
        block.ValueBytes = std::min(declared, block.End - block.Value);
        block.Children = std::min(AlignUp(block.Value + block.ValueBytes), block.End);
        return block;
    }

    // Every child of the block, in order, until one does not fit.
    std::vector<TBlock> ChildrenOf(const TBlock& parent) const
    {
        std::vector<TBlock> children;
        size_t at = parent.Children;
        while (at < parent.End) {
            const std::optional<TBlock> child = BlockAt(at, parent.End);
            if (!child) break;
            children.push_back(*child);
            at = AlignUp(child->End);
        }
        return children;
    }

    std::u16string Text(const TBlock& block) const
    {
        std::u16string text;
        for (size_t at = block.Value; at + 1 < block.Value + block.ValueBytes && Get16(at) != 0; at += 2)
            text += static_cast<char16_t>(Get16(at));
        return text;
    }

    TVersionNumber Number(size_t at) const
    {
        return {Get16(at + 2), Get16(at), Get16(at + 6), Get16(at + 4)};
    }

    std::optional<TFixedInfo> Fixed(const TBlock& root) const
    {
        if (root.ValueBytes < kFixedInfoSize || Get32(root.Value) != kFixedInfoSignature) return std::nullopt;
        const size_t at = root.Value;
        TFixedInfo fixed;
        fixed.FileVersion = Number(at + 8);
        fixed.ProductVersion = Number(at + 16);
        fixed.FlagsMask = Get32(at + 24);
        fixed.Flags = Get32(at + 28);
        fixed.Os = Get32(at + 32);
        fixed.Type = Get32(at + 36);
        fixed.Subtype = Get32(at + 40);
        fixed.DateHigh = Get32(at + 44);
        fixed.DateLow = Get32(at + 48);
        return fixed;
    }

private:
    const uint8_t* Data;
    size_t Size;
};

class TWriter {
public:
    void Put16(std::vector<uint8_t>& bytes, uint32_t value)
    {
        bytes.push_back(static_cast<uint8_t>(value));
        bytes.push_back(static_cast<uint8_t>(value >> 8));
    }
    void Put32(std::vector<uint8_t>& bytes, uint32_t value)
    {
        Put16(bytes, value & 0xFFFF);
        Put16(bytes, value >> 16);
    }
    void PutText(std::vector<uint8_t>& bytes, std::u16string_view text)
    {
        for (const char16_t unit : text) Put16(bytes, unit);
        Put16(bytes, 0);
    }
    void Pad(std::vector<uint8_t>& bytes) { bytes.resize(AlignUp(bytes.size())); }

    // valueLength: characters with the terminating zero for text, bytes otherwise.
    std::vector<uint8_t> Block(std::u16string_view key, uint16_t type, const std::vector<uint8_t>& value,
                               size_t valueLength, const std::vector<std::vector<uint8_t>>& children)
    {
        std::vector<uint8_t> bytes(kBlockHeaderSize);
        PutText(bytes, key);
        Pad(bytes);
        bytes.insert(bytes.end(), value.begin(), value.end());
        for (const std::vector<uint8_t>& child : children) {
            Pad(bytes);
            bytes.insert(bytes.end(), child.begin(), child.end());
        }
        if (bytes.size() > std::numeric_limits<uint16_t>::max() || valueLength > std::numeric_limits<uint16_t>::max())
            throw ESetupError("Version information too long for its resource");
        bytes[0] = static_cast<uint8_t>(bytes.size());
        bytes[1] = static_cast<uint8_t>(bytes.size() >> 8);
        bytes[2] = static_cast<uint8_t>(valueLength);
        bytes[3] = static_cast<uint8_t>(valueLength >> 8);
        bytes[4] = static_cast<uint8_t>(type);
        return bytes;
    }

    std::vector<uint8_t> StringBlock(const std::u16string& name, const std::u16string& value)
    {
        std::vector<uint8_t> text;
        PutText(text, value);
        return Block(name, kTextValue, text, value.size() + 1, {});
    }

    void PutNumber(std::vector<uint8_t>& bytes, const TVersionNumber& number)
    {
        Put32(bytes, static_cast<uint32_t>(number[0]) << 16 | number[1]);
        Put32(bytes, static_cast<uint32_t>(number[2]) << 16 | number[3]);
    }

    std::vector<uint8_t> FixedBytes(const TFixedInfo& fixed)
    {
        std::vector<uint8_t> bytes;
        Put32(bytes, kFixedInfoSignature);
        Put32(bytes, kFixedInfoStructVersion);
        PutNumber(bytes, fixed.FileVersion);
        PutNumber(bytes, fixed.ProductVersion);
        for (const uint32_t field : {fixed.FlagsMask, fixed.Flags, fixed.Os, fixed.Type, fixed.Subtype,
                                     fixed.DateHigh, fixed.DateLow})
            Put32(bytes, field);
        return bytes;
    }
};

}  // namespace

std::optional<TVersionInfo> ParseVersionInfo(const uint8_t* data, size_t size)
{
    const TReader reader(data, size);
    const std::optional<TBlock> root = reader.BlockAt(0, size);
    if (!root || root->Key != kRootKey) return std::nullopt;
    TVersionInfo info;
    info.Fixed = reader.Fixed(*root);
    for (const TBlock& part : reader.ChildrenOf(*root)) {
        if (part.Key == kStringFileInfo && info.TableName.empty()) {
            const std::vector<TBlock> tables = reader.ChildrenOf(part);
            if (tables.empty()) continue;
            info.TableName = tables.front().Key;
            for (const TBlock& string : reader.ChildrenOf(tables.front()))
                info.Strings.emplace_back(string.Key, reader.Text(string));
        } else if (part.Key == kVarFileInfo) {
            for (const TBlock& var : reader.ChildrenOf(part))
                if (var.Key == kTranslation)
                    for (size_t at = var.Value; at + 4 <= var.Value + var.ValueBytes; at += 4)
                        info.Translations.push_back(reader.Get32(at));
        }
    }
    return info;
}

std::vector<uint8_t> VersionInfoBytes(const TVersionInfo& info)
{
    TWriter writer;
    std::vector<std::vector<uint8_t>> strings;
    for (const auto& [name, value] : info.Strings) strings.push_back(writer.StringBlock(name, value));
    std::vector<std::vector<uint8_t>> parts;
    if (!info.TableName.empty())
        parts.push_back(writer.Block(kStringFileInfo, kTextValue, {}, 0,
                                     {writer.Block(info.TableName, kTextValue, {}, 0, strings)}));
    if (!info.Translations.empty()) {
        std::vector<uint8_t> translations;
        for (const uint32_t translation : info.Translations) writer.Put32(translations, translation);
        parts.push_back(writer.Block(kVarFileInfo, kTextValue, {}, 0,
                                     {writer.Block(kTranslation, kBinaryValue, translations, translations.size(), {})}));
    }
    const std::vector<uint8_t> fixed = info.Fixed ? writer.FixedBytes(*info.Fixed) : std::vector<uint8_t>();
    return writer.Block(kRootKey, kBinaryValue, fixed, fixed.size(), parts);
}

std::optional<std::u16string> VersionString(const TVersionInfo& info, std::u16string_view name)
{
    for (const auto& [key, value] : info.Strings)
        if (key == name) return value;
    return std::nullopt;
}

}  // namespace version
