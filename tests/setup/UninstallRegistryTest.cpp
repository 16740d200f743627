// The uninstall entry, read back through the registry API.

#include <windows.h>

#include <gtest/gtest.h>

#include "setup/SetupLogBook.h"
#include "setup/SetupLogBookRegistry.h"
#include "tests/TestSupport.h"
#include "utilities/Handles.h"
#include "utilities/SetupError.h"

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

// The registry refuses a lasting key below a volatile one, as it refuses one
// below a key the user may not write: the entry is skipped without a word
// and the log is written all the same.
TEST(UninstallRegistry, KeyThatCannotBeMadeIsSkippedAndTheLogStillSaved)
{
    const std::string parent = kUninstall + "\\Zoreva Volatile Test";
    TRegistryKey volatileKey;
    ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, parent.c_str(), 0, nullptr, REG_OPTION_VOLATILE, KEY_ALL_ACCESS,
                              nullptr, volatileKey.Receive(), nullptr),
              ERROR_SUCCESS);
    TTempFolder temp;
    TSetupLogBook book;
    book.AddDirectory("C:\\App");
    book.LogFileName = temp / "setup.log";
    book.KeyName = "Zoreva Volatile Test\\App";
    book.DisplayTitle = "Unregistered";
    EXPECT_NO_THROW(book.RegisterUninstall());
    EXPECT_EQ(ReadValue(parent + "\\App", "DisplayName"), "<none>");
    EXPECT_EQ(ReadValue(parent, "DisplayName"), "<none>");
    book.SaveLog();
    EXPECT_EQ(ReadAll(temp / "setup.log"),
              TextBytes("SetupLOG\r\nNAME=Unregistered\r\nKEY=Zoreva Volatile Test\\App\r\nDIRECTORY=C:\\App\r\n"));
    EXPECT_EQ(RegDeleteKeyA(HKEY_LOCAL_MACHINE, parent.c_str()), ERROR_SUCCESS);
}

TEST(UninstallRegistry, RefusedValueRaisesTheRegistryError)
{
    const std::string path = "Software\\Zoreva Registry Test";
    TRegistryKey readOnly;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_READ, nullptr,
                              readOnly.Receive(), nullptr),
              ERROR_SUCCESS);
    try {
        WriteRegistryString(readOnly.Get(), "DisplayName", "Refused");
        ADD_FAILURE() << "no error raised";
    } catch (const ESetupError& error) {
        EXPECT_STREQ(error.what(), "Failed to set data for 'DisplayName'");
    }
    readOnly.Reset();
    EXPECT_EQ(RegDeleteKeyA(HKEY_CURRENT_USER, path.c_str()), ERROR_SUCCESS);
}

}  // namespace
