#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include "tests/ShellLinkReader.h"
#include "tests/TestSupport.h"
#include "utilities/FileSystem.h"
#include "utilities/SetupError.h"
#include "utilities/Shell.h"

namespace {

class ShellLink : public ::testing::Test {
protected:
    void SetUp() override
    {
        WriteAll(Target, TextBytes("MZ"));
    }

    TComApartment Apartment;
    TTempFolder Temp;
    const std::string Target = Temp / "App.exe";
    const std::string Link = Temp / "App.lnk";
};

TEST_F(ShellLink, StoresTargetArgumentsFolderDescriptionAndShowCommand)
{
    CreateShellLink(Link, Target, "/quiet \"C:\\some file.txt\"", Temp.Path().string(), "Starts the app", false,
                    "", 0, false, 0, SW_SHOWNORMAL);

    const TLinkContents read = ReadLink(Link);
    EXPECT_EQ(read.Target, Target);
    EXPECT_EQ(read.Arguments, "/quiet \"C:\\some file.txt\"");
    EXPECT_EQ(read.WorkingFolder, Temp.Path().string());
    EXPECT_EQ(read.Description, "Starts the app");
    EXPECT_EQ(read.ShowCommand, SW_SHOWNORMAL);
    EXPECT_EQ(read.IconFile, "");
    EXPECT_EQ(read.IconIndex, 0);
    EXPECT_EQ(read.Hotkey, 0);
}

TEST_F(ShellLink, StoresIconAndHotkeyOnlyWhenAsked)
{
    const std::string icons = Temp / "icons.dll";
    const uint16_t hotkey = MAKEWORD('Z', HOTKEYF_CONTROL | HOTKEYF_ALT);

    CreateShellLink(Link, Target, "", "", "", true, icons, 3, true, hotkey, SW_SHOWMINNOACTIVE);
    const TLinkContents both = ReadLink(Link);
    EXPECT_EQ(both.IconFile, icons);
    EXPECT_EQ(both.IconIndex, 3);
    EXPECT_EQ(both.Hotkey, hotkey);
    EXPECT_EQ(both.ShowCommand, SW_SHOWMINNOACTIVE);

    // The flags, not empty values, decide: the icon and hotkey given here are ignored.
    CreateShellLink(Link, Target, "", "", "", false, icons, 3, false, hotkey, SW_SHOWNORMAL);
    const TLinkContents neither = ReadLink(Link);
    EXPECT_EQ(neither.IconFile, "");
    EXPECT_EQ(neither.IconIndex, 0);
    EXPECT_EQ(neither.Hotkey, 0);

    CreateShellLink(Link, Target, "", "", "", false, icons, 3, true, hotkey, SW_SHOWNORMAL);
    const TLinkContents hotkeyOnly = ReadLink(Link);
    EXPECT_EQ(hotkeyOnly.IconFile, "");
    EXPECT_EQ(hotkeyOnly.Hotkey, hotkey);
}

TEST_F(ShellLink, TakesTheLinkNameInTheAnsiCodePage)
{
    // 0x80 is the euro sign in code page 1252, U+20AC, not U+0080.
    if (GetACP() != 1252) GTEST_SKIP() << "the sample name needs code page 1252, not " << GetACP();
    const std::string link = Temp / "Preis \x80.lnk";

    CreateShellLink(link, Target, "", "", "", false, "", 0, false, 0, SW_SHOWNORMAL);
    EXPECT_TRUE(files::FileExists(link));
}

TEST_F(ShellLink, InAMissingFolderWritesNothingAndRaisesNothing)
{
    const std::string link = Temp / "missing\\App.lnk";

    EXPECT_NO_THROW(CreateShellLink(link, Target, "", "", "", false, "", 0, false, 0, SW_SHOWNORMAL));
    EXPECT_FALSE(files::FileExists(link));
}

// The message CreateShellLink raises, or "" when it does not raise.
std::string LinkFailure()
{
    const TTempFolder temp;
    try {
        CreateShellLink(temp / "App.lnk", temp / "App.exe", "", "", "", false, "", 0, false, 0, SW_SHOWNORMAL);
    } catch (const ESetupError& error) {
        return error.what();
    }
    return "";
}

// Windows has a text for CO_E_NOTINITIALIZED; Wine has none, so the code shows.
bool IsNotInitialisedError(const std::string& message)
{
    return message == "CoInitialize has not been called." || message == "OLE error 800401F0";
}

TEST(ShellLinkWithoutCom, RaisesTheComponentObjectError)
{
    const std::string message = LinkFailure();
    EXPECT_TRUE(IsNotInitialisedError(message)) << message;
}

TEST(ShellLinkWithoutCom, ComEndsWithTheOutermostApartment)
{
    {
        const TComApartment outer;
        {
            const TComApartment inner;
        }
        EXPECT_EQ(LinkFailure(), "");
    }
    const std::string message = LinkFailure();
    EXPECT_TRUE(IsNotInitialisedError(message)) << message;
}

}  // namespace
