// Feeds arbitrary bytes to the version information readers: the packer's,
// which reads a stub's, and the setup's, which finds a string of its own.
// Half of the time the bytes start as a version block would, the root's
// length fitted to them, so that the tables behind it are reached.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "tools/VersionInfo.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::vector<uint8_t> bytes(data, data + size);
    static const char16_t kRoot[] = u"VS_VERSION_INFO";
    if (bytes.size() >= 40 && bytes.size() <= 0xFFFF && (bytes[4] & 1)) {
        bytes[0] = static_cast<uint8_t>(bytes.size());
        bytes[1] = static_cast<uint8_t>(bytes.size() >> 8);
        for (size_t i = 0; i < 16; ++i) {
            bytes[6 + 2 * i] = static_cast<uint8_t>(kRoot[i]);
            bytes[7 + 2 * i] = 0;
        }
    }
    const auto info = version::ParseVersionInfo(bytes.data(), bytes.size());
    const auto span = version::FindVersionString(bytes.data(), bytes.size(), u"CompanyName");
    if (span && span->Offset + 2 * span->Units > bytes.size()) std::abort();
    if (span && (!info || !version::VersionString(*info, u"CompanyName"))) std::abort();
    return 0;
}
