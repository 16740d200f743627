#include "tools/SetupIdentity.h"

#include <set>

#include "archive/PayloadLayout.h"
#include "tools/CodePage.h"
#include "tools/IconFile.h"
#include "utilities/SetupError.h"

namespace {

using pe::TResourceKey;

constexpr char16_t kSetupMark[] = u"setup";
constexpr char16_t kUninstallerMark[] = u"uninstaller";
// A block's length is 16 bits wide, so no version resource is longer.
constexpr uint32_t kMaxVersionBytes = 0xFFFF;
// Six bytes and 14 for each of up to 65535 images.
constexpr uint32_t kMaxIconGroupBytes = 6 + 14 * 0xFFFF;

// What a stub without version information of its own gets: an application
// for Windows NT in US English, Windows-1252.
constexpr uint32_t kFlagsMask = 0x3F;
constexpr uint32_t kOsNtWindows32 = 0x40004;
constexpr uint32_t kTypeApplication = 1;
constexpr char16_t kEnglishWindows1252[] = u"040904E4";
constexpr uint32_t kEnglishWindows1252Translation = 0x04E40409;

std::optional<version::TVersionInfo> VersionInfoOf(const pe::TResourceTree& resources)
{
    const auto names = resources.find(TResourceKey::Number(version::kRtVersion));
    if (names == resources.end() || names->second.empty() || names->second.begin()->second.empty())
        return std::nullopt;
    const pe::TResourceData& first = names->second.begin()->second.begin()->second;
    const std::vector<uint8_t> bytes = pe::ResourceBytes(first, kMaxVersionBytes);
    return version::ParseVersionInfo(bytes.data(), bytes.size());
}

std::u16string ProgramMark(const pe::TResourceTree& resources)
{
    const std::optional<version::TVersionInfo> info = VersionInfoOf(resources);
    return info ? version::VersionString(*info, version::kProgramMark).value_or(u"") : u"";
}

// The lowest resource id from `from` on that names no icon.
uint16_t FreeIconId(const pe::TNames& icons, uint32_t from)
{
    for (uint32_t id = from; id <= 0xFFFF; ++id)
        if (!icons.count(TResourceKey::Number(static_cast<uint16_t>(id)))) return static_cast<uint16_t>(id);
    throw ESetupError("No resource id left for another icon image");
}

std::vector<TIconImage> IconImagesOf(const std::string& iconFile)
{
    try {
        return ReadIconFile(iconFile);
    } catch (const ESetupError& error) {
        throw ESetupError("Cannot use the icon file " + iconFile + ": " + error.what());
    }
}

// Explorer shows a program's first icon group.
void ReplaceIcon(pe::TResourceTree& resources, const std::string& iconFile)
{
    const std::vector<TIconImage> images = IconImagesOf(iconFile);
    pe::TNames& groups = resources[TResourceKey::Number(kRtGroupIcon)];
    pe::TNames& icons = resources[TResourceKey::Number(kRtIcon)];
    if (groups.empty()) groups[TResourceKey::Number(1)];
    const auto replaced = groups.begin();
    std::set<uint16_t> namedElsewhere;
    for (auto group = std::next(groups.begin()); group != groups.end(); ++group)
        for (const auto& language : group->second)
            for (const uint16_t id : IconGroupIds(pe::ResourceBytes(language.second, kMaxIconGroupBytes)))
                namedElsewhere.insert(id);
    for (const auto& language : replaced->second)
        for (const uint16_t id : IconGroupIds(pe::ResourceBytes(language.second, kMaxIconGroupBytes)))
            if (!namedElsewhere.count(id)) icons.erase(TResourceKey::Number(id));

    const TResourceKey language = replaced->second.empty() ? TResourceKey::Number(0) : replaced->second.begin()->first;
    std::vector<uint16_t> ids;
    for (const TIconImage& image : images) {
        ids.push_back(FreeIconId(icons, ids.empty() ? 1 : ids.back() + 1u));
        const pe::TResourceData inFile{iconFile, image.Offset, image.Size, 0, {}};
        icons[TResourceKey::Number(ids.back())] = {{language, inFile}};
    }
    replaced->second = {{language, pe::InMemory(IconGroupBytes(images, ids))}};
}

}  // namespace

void CheckStub(const pe::TPeFile& stub)
{
    if (pe::LookUpResource(stub.Resources(), TResourceKey::Number(pe::kRtRcData), TResourceKey::Text(kPayloadResource)))
        throw ESetupError(stub.Path() + " is a setup already (it carries a payload), not Zoreva's setup program");
    const std::u16string mark = ProgramMark(stub.Resources());
    if (mark == kUninstallerMark) throw ESetupError(stub.Path() + " is Zoreva's uninstaller, not its setup program");
    if (mark != kSetupMark) throw ESetupError(stub.Path() + " is not Zoreva's setup program");
}

std::optional<version::TVersionNumber> ParseProductVersion(const std::string& text)
{
    version::TVersionNumber number{};
    size_t part = 0, at = 0;
    while (true) {
        const size_t end = text.find('.', at);
        const std::string digits = text.substr(at, end == std::string::npos ? std::string::npos : end - at);
        if (part == number.size() || digits.empty() || digits.size() > 5 ||
            digits.find_first_not_of("0123456789") != std::string::npos || std::stoul(digits) > 0xFFFF)
            return std::nullopt;
        number[part++] = static_cast<uint16_t>(std::stoul(digits));
        if (end == std::string::npos) break;
        at = end + 1;
    }
    if (part < 2) return std::nullopt;
    return number;
}

version::TVersionInfo SetupVersionInfo(const version::TVersionInfo& stub, const TSetupIdentity& identity)
{
    version::TVersionInfo info;
    info.Fixed =
        stub.Fixed.value_or(version::TFixedInfo{{}, {}, kFlagsMask, 0, kOsNtWindows32, kTypeApplication, 0, 0, 0});
    const version::TVersionNumber number =
        ParseProductVersion(identity.ProductVersion).value_or(version::TVersionNumber{});
    info.Fixed->FileVersion = info.Fixed->ProductVersion = number;
    info.TableName = stub.TableName.empty() ? kEnglishWindows1252 : stub.TableName;
    info.Translations = stub.Translations;
    if (info.Translations.empty()) info.Translations = {kEnglishWindows1252Translation};

    const std::u16string& productName = identity.ProductName;
    const std::u16string version = Utf16FromArgument(identity.ProductVersion);
    if (!identity.Publisher.empty()) info.Strings.emplace_back(u"CompanyName", Utf16FromArgument(identity.Publisher));
    info.Strings.emplace_back(u"FileDescription", identity.Description.empty() ? productName : identity.Description);
    if (!version.empty()) info.Strings.emplace_back(u"FileVersion", version);
    info.Strings.emplace_back(u"ProductName", productName);
    if (!version.empty()) info.Strings.emplace_back(u"ProductVersion", version);
    return info;
}

void ApplyIdentity(pe::TResourceTree& resources, const TSetupIdentity& identity)
{
    const TResourceKey type = TResourceKey::Number(version::kRtVersion);
    const auto names = resources.find(type);
    const TResourceKey name = names == resources.end() || names->second.empty()
                                  ? TResourceKey::Number(version::kVersionResourceId)
                                  : names->second.begin()->first;
    const version::TVersionInfo stub = VersionInfoOf(resources).value_or(version::TVersionInfo{});
    pe::ReplaceResource(resources, type, name,
                        pe::InMemory(version::VersionInfoBytes(SetupVersionInfo(stub, identity))));
    if (!identity.IconFile.empty()) ReplaceIcon(resources, identity.IconFile);
}

std::u16string Utf16FromArgument(const std::string& text)
{
    if (!IsUtf8(text)) return TCodePage(kDefaultCodePage).ToUtf16(text);
    std::u16string wide;
    for (size_t i = 0; i < text.size();) {
        const auto lead = static_cast<unsigned char>(text[i]);
        const size_t length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
        uint32_t code = length == 1 ? lead : lead & (0xFF >> (length + 1));
        for (size_t k = 1; k < length; ++k) code = code << 6 | (static_cast<unsigned char>(text[i + k]) & 0x3F);
        if (code >= 0x10000) {
            wide += static_cast<char16_t>(0xD800 + ((code - 0x10000) >> 10));
            wide += static_cast<char16_t>(0xDC00 + ((code - 0x10000) & 0x3FF));
        } else {
            wide += static_cast<char16_t>(code);
        }
        i += length;
    }
    return wide;
}
