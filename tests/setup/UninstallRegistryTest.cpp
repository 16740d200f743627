// The uninstall entry, read back through the registry API.

#include <windows.h>

#include <gtest/gtest.h>

#include "setup/SetupLogBook.h"

namespace {

const std::string kUninstall = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall";

// The value's text, or "<none>" when the key or the value is missing.
std::string ReadValue(const std::string& key, const char* name)
{
    char buffer[1024] = {};
    DWORD size = sizeof buffer, type = 0;
    if (RegGetValueA(HKEY_LOCAL_MACHINE, key.c_str(), name, RRF_RT_ANY, &type, buffer, &size) != ERROR_SUCCESS)
        return "<none>";
    EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
    return buffer;
}

TEST(UninstallRegistry, WritesDisplayNameAndQuotedUninstallString)
{
    const std::string key = kUninstall + "\\Zoreva Registry Test";
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, key.c_str());
    TSetupLogBook book;
    book.LogFileName = "C:\\Program Files\\Zoreva Test\\setup.log";
    book.KeyName = "Zoreva Registry Test";
    book.DisplayTitle = "Zoreva Test \xC4pfel";
    book.RegisterUninstall();
    EXPECT_EQ(ReadValue(key, "DisplayName"), "Zoreva Test \xC4pfel");
    EXPECT_EQ(ReadValue(key, "UninstallString"), "\"C:\\Program Files\\Zoreva Test\\Uninstall.exe\"");

    book.DisplayTitle = "Renamed";  // a second setup of the same product overwrites
    book.RegisterUninstall();
    EXPECT_EQ(ReadValue(key, "DisplayName"), "Renamed");
    EXPECT_EQ(RegDeleteKeyA(HKEY_LOCAL_MACHINE, key.c_str()), ERROR_SUCCESS);
}

TEST(UninstallRegistry, EmptyKeyNameLeavesTheUninstallKeyAlone)
{
    TSetupLogBook book;
    book.LogFileName = "C:\\App\\setup.log";
    book.DisplayTitle = "Nameless";
    book.RegisterUninstall();
    EXPECT_EQ(ReadValue(kUninstall, "DisplayName"), "<none>");
    EXPECT_EQ(ReadValue(kUninstall, "UninstallString"), "<none>");
}

}  // namespace
