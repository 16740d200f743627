#pragma once

// A program's version information whole: the fixed part Windows shows as
// numbers, one table of strings (ProductName, CompanyName and so on) and the
// languages they are in; read from a stub and written for a setup.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "setup/VersionResource.h"

namespace version {

// Four 16-bit parts, most significant first: 1.2.3.4.
using TVersionNumber = std::array<uint16_t, 4>;

// VS_FIXEDFILEINFO without its signature and structure version.
struct TFixedInfo {
    TVersionNumber FileVersion{}, ProductVersion{};
    uint32_t FlagsMask = 0, Flags = 0, Os = 0, Type = 0, Subtype = 0, DateHigh = 0, DateLow = 0;
};

struct TVersionInfo {
    std::optional<TFixedInfo> Fixed;
    // The first table of StringFileInfo, named by its language and code page
    // in hexadecimal ("040904E4"); further tables are not kept.
    std::u16string TableName;
    std::vector<std::pair<std::u16string, std::u16string>> Strings;
    // VarFileInfo's Translation: the language in the low word, the code page in the high one.
    std::vector<uint32_t> Translations;
};

// None when the bytes hold no VS_VERSION_INFO block.
std::optional<TVersionInfo> ParseVersionInfo(const uint8_t* data, size_t size);

// The resource as resource compilers write it; raises ESetupError when it
// exceeds the 64 KiB a block's length can say.
std::vector<uint8_t> VersionInfoBytes(const TVersionInfo& info);

// The value of a string of the table, when it has one of that name.
std::optional<std::u16string> VersionString(const TVersionInfo& info, std::u16string_view name);

}  // namespace version
