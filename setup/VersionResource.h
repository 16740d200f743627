#pragma once

// A program's version information, the resource VS_VERSION_INFO, as the
// setup reads its own: a string of its table (ProductVersion, CompanyName)
// found where it lies. The packer's full reader and writer are
// tools/VersionInfo.h.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace version {

constexpr uint16_t kRtVersion = 16;
constexpr uint16_t kVersionResourceId = 1;

// The string that tells Zoreva's own programs apart: "setup" in the setup
// program, "uninstaller" in the uninstaller. A setup the packer has built no
// longer carries it.
constexpr char16_t kProgramMark[] = u"ZorevaProgram";

// Where the value of a string of the first table lies in the bytes: its
// UTF-16 code units from Offset, without the terminating zero. What the
// setup needs of its own version, without copying the rest.
struct TTextSpan {
    size_t Offset = 0, Units = 0;
};
std::optional<TTextSpan> FindVersionString(const uint8_t* data, size_t size, std::u16string_view name);

}  // namespace version
