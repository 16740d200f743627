#include <windows.h>

#include "setup/SetupLogBook.h"
#include "utilities/SetupError.h"

namespace {

constexpr char kUninstallKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";

class TRegistryKey {
public:
    // Opens or creates the key; Get() is null when that failed.
    TRegistryKey(HKEY root, const std::string& path)
    {
        if (RegCreateKeyExA(root, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr, &Key,
                            nullptr) != ERROR_SUCCESS)
            Key = nullptr;
    }
    ~TRegistryKey()
    {
        if (Key) RegCloseKey(Key);
    }
    TRegistryKey(const TRegistryKey&) = delete;
    TRegistryKey& operator=(const TRegistryKey&) = delete;
    HKEY Get() const { return Key; }

    void WriteString(const char* name, const std::string& value) const
    {
        const LONG result = RegSetValueExA(Key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                                           static_cast<DWORD>(value.size() + 1));
        if (result != ERROR_SUCCESS) throw ESetupError("Failed to set data for '" + std::string(name) + "'");
    }

private:
    HKEY Key = nullptr;
};

}  // namespace

void TSetupLogBook::RegisterUninstall() const
{
    if (KeyName.empty()) return;
    const TRegistryKey key(HKEY_LOCAL_MACHINE, kUninstallKey + KeyName);
    if (!key.Get()) return;  // without the rights to make it, the log is still written
    key.WriteString("DisplayName", DisplayTitle);
    key.WriteString("UninstallString", UninstallString());
}
