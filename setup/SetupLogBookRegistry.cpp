#include "setup/SetupLogBookRegistry.h"

#include <optional>

#include "setup/SetupLogBook.h"
#include "setup/SetupLogWords.h"
#include "setup/VersionResource.h"
#include "utilities/Handles.h"
#include "utilities/SetupError.h"

namespace {

constexpr DWORD kYes = 1;

// A string of the version information the packer gave this program, as ANSI
// text; empty when it has none.
std::string OwnVersionString(const char16_t* name)
{
    HRSRC found = FindResourceA(nullptr, MAKEINTRESOURCEA(version::kVersionResourceId),
                                MAKEINTRESOURCEA(version::kRtVersion));
    HGLOBAL loaded = found ? LoadResource(nullptr, found) : nullptr;
    const auto* bytes = static_cast<const uint8_t*>(loaded ? LockResource(loaded) : nullptr);
    if (!bytes) return {};
    const std::optional<version::TTextSpan> text =
        version::FindVersionString(bytes, SizeofResource(nullptr, found), name);
    if (!text || text->Units == 0) return {};
    // Resource data and the values in it are aligned for UTF-16.
    const auto* wide = reinterpret_cast<const wchar_t*>(bytes + text->Offset);
    const int units = static_cast<int>(text->Units);
    const int length = WideCharToMultiByte(CP_ACP, 0, wide, units, nullptr, 0, nullptr, nullptr);
    if (length <= 0) return {};
    std::string ansi(static_cast<size_t>(length), '\0');
    WideCharToMultiByte(CP_ACP, 0, wide, units, &ansi[0], length, nullptr, nullptr);
    return ansi;
}

void WriteRegistryNumber(HKEY key, const char* name, DWORD value)
{
    const LONG result =
        RegSetValueExA(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value);
    if (result != ERROR_SUCCESS) throw ESetupError("Failed to set data for '" + std::string(name) + "'");
}

// A value an earlier installation wrote goes when this one has none to say.
void WriteRegistryStringOrNone(HKEY key, const char* name, const std::string& value)
{
    if (value.empty()) RegDeleteValueA(key, name);
    else WriteRegistryString(key, name, value);
}

uint64_t BytesOfFiles(const std::vector<std::string>& paths)
{
    uint64_t bytes = 0;
    for (const std::string& path : paths) {
        WIN32_FILE_ATTRIBUTE_DATA data;
        if (GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data))
            bytes += uint64_t{data.nFileSizeHigh} << 32 | data.nFileSizeLow;
    }
    return bytes;
}

}  // namespace

void WriteRegistryString(HKEY key, const char* name, const std::string& value)
{
    const LONG result = RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                                       static_cast<DWORD>(value.size() + 1));
    if (result != ERROR_SUCCESS) throw ESetupError("Failed to set data for '" + std::string(name) + "'");
}

void TSetupLogBook::RegisterUninstall() const
{
    if (KeyName.empty()) return;
    TRegistryKey key;
    if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, (kUninstallKey + KeyName).c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                        KEY_ALL_ACCESS, nullptr, key.Receive(), nullptr) != ERROR_SUCCESS)
        return;  // without the rights to make it, the log is still written
    WriteRegistryString(key.Get(), "DisplayName", DisplayTitle);
    WriteRegistryString(key.Get(), "UninstallString", UninstallString());

    WriteRegistryStringOrNone(key.Get(), "DisplayIcon", ProgramFile);
    WriteRegistryStringOrNone(key.Get(), "DisplayVersion", OwnVersionString(u"ProductVersion"));
    WriteRegistryStringOrNone(key.Get(), "Publisher", OwnVersionString(u"CompanyName"));
    WriteRegistryNumber(key.Get(), "EstimatedSize", KilobytesRoundedUp(BytesOfFiles(CopiedFiles())));
    WriteRegistryString(key.Get(), "InstallLocation", InstallFolder);
    WriteRegistryNumber(key.Get(), "NoModify", kYes);
    WriteRegistryNumber(key.Get(), "NoRepair", kYes);
}

void TSetupLogBook::UnregisterUninstall() const
{
    if (!KeyName.empty()) RegDeleteKeyA(HKEY_LOCAL_MACHINE, (kUninstallKey + KeyName).c_str());
}

bool TSetupLogBook::IsRegistered() const
{
    TRegistryKey key;
    return !KeyName.empty() &&
           RegOpenKeyExA(HKEY_LOCAL_MACHINE, (kUninstallKey + KeyName).c_str(), 0, KEY_QUERY_VALUE, key.Receive()) ==
               ERROR_SUCCESS;
}
