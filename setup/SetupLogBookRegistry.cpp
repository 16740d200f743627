#include "setup/SetupLogBookRegistry.h"

#include "setup/SetupLogBook.h"
#include "setup/SetupLogWords.h"
#include "utilities/Handles.h"
#include "utilities/SetupError.h"

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
