#include "tools/VersionInfo.h"

#include <limits>

#include "setup/VersionBlocks.h"
#include "tools/LittleEndian.h"
#include "utilities/SetupError.h"

namespace version {

using namespace blocks;

namespace {

std::u16string KeyOf(const TReader& reader, const TBlock& block)
{
    std::u16string key;
    for (size_t i = 0; i < block.KeyUnits; ++i) key += static_cast<char16_t>(reader.Get16(block.Key + 2 * i));
    return key;
}

std::u16string Text(const TReader& reader, const TBlock& block)
{
    const TTextSpan span = reader.TextOf(block);
    std::u16string text;
    for (size_t i = 0; i < span.Units; ++i) text += static_cast<char16_t>(reader.Get16(span.Offset + 2 * i));
    return text;
}

TVersionNumber Number(const TReader& reader, size_t at)
{
    return {reader.Get16(at + 2), reader.Get16(at), reader.Get16(at + 6), reader.Get16(at + 4)};
}

std::optional<TFixedInfo> Fixed(const TReader& reader, const TBlock& root)
{
    if (root.ValueBytes < kFixedInfoSize || reader.Get32(root.Value) != kFixedInfoSignature) return std::nullopt;
    const size_t at = root.Value;
    TFixedInfo fixed;
    fixed.FileVersion = Number(reader, at + 8);
    fixed.ProductVersion = Number(reader, at + 16);
    fixed.FlagsMask = reader.Get32(at + 24);
    fixed.Flags = reader.Get32(at + 28);
    fixed.Os = reader.Get32(at + 32);
    fixed.Type = reader.Get32(at + 36);
    fixed.Subtype = reader.Get32(at + 40);
    fixed.DateHigh = reader.Get32(at + 44);
    fixed.DateLow = reader.Get32(at + 48);
    return fixed;
}

class TWriter {
public:
    void PutText(std::vector<uint8_t>& bytes, std::u16string_view text)
    {
        for (const char16_t unit : text) le::Append16(bytes, unit);
        le::Append16(bytes, 0);
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
        le::Append32(bytes, static_cast<uint32_t>(number[0]) << 16 | number[1]);
        le::Append32(bytes, static_cast<uint32_t>(number[2]) << 16 | number[3]);
    }

    std::vector<uint8_t> FixedBytes(const TFixedInfo& fixed)
    {
        std::vector<uint8_t> bytes;
        le::Append32(bytes, kFixedInfoSignature);
        le::Append32(bytes, kFixedInfoStructVersion);
        PutNumber(bytes, fixed.FileVersion);
        PutNumber(bytes, fixed.ProductVersion);
        for (const uint32_t field : {fixed.FlagsMask, fixed.Flags, fixed.Os, fixed.Type, fixed.Subtype,
                                     fixed.DateHigh, fixed.DateLow})
            le::Append32(bytes, field);
        return bytes;
    }
};

}  // namespace

std::optional<TVersionInfo> ParseVersionInfo(const uint8_t* data, size_t size)
{
    const TReader reader(data, size);
    const std::optional<TBlock> root = reader.Root();
    if (!root) return std::nullopt;
    TVersionInfo info;
    info.Fixed = Fixed(reader, *root);
    reader.WithFirstStringTable(*root, [&](const TBlock& table) {
        info.TableName = KeyOf(reader, table);
        reader.ForEachChild(table, [&](const TBlock& string) {
            info.Strings.emplace_back(KeyOf(reader, string), Text(reader, string));
            return true;
        });
    });
    reader.ForEachChild(*root, [&](const TBlock& part) {
        if (!reader.HasKey(part, kVarFileInfo)) return true;
        reader.ForEachChild(part, [&](const TBlock& var) {
            if (reader.HasKey(var, kTranslation))
                for (size_t at = var.Value; at + 4 <= var.Value + var.ValueBytes; at += 4)
                    info.Translations.push_back(reader.Get32(at));
            return true;
        });
        return true;
    });
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
        for (const uint32_t translation : info.Translations) le::Append32(translations, translation);
        const std::vector<uint8_t> translation =
            writer.Block(kTranslation, kBinaryValue, translations, translations.size(), {});
        parts.push_back(writer.Block(kVarFileInfo, kTextValue, {}, 0, {translation}));
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
