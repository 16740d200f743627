#include <gtest/gtest.h>

#include "setup/InstallUndo.h"
#include "tools/uninstall/UninstallRules.h"

namespace {

using K = TRemovalKind;

const std::string kPrograms = "C:\\ProgramData\\Microsoft\\Windows\\Start Menu\\Programs";

TUndoLimits Limits()
{
    TUndoLimits limits;
    limits.WindowsFolder = "C:\\windows";
    limits.ShellFolders = {"C:\\Program Files", "C:\\users\\me", "C:\\users\\me\\Desktop", "C:\\users\\Public\\Desktop",
                           kPrograms};
    limits.Installation = "C:\\Program Files\\App";
    limits.ProgramsFolders = {"C:\\users\\me\\Start Menu\\Programs", kPrograms};
    limits.Desktops = {"C:\\users\\me\\Desktop", "C:\\users\\Public\\Desktop"};
    limits.Title = "App";
    return limits;
}

// The log of an installation into a picked folder (hence the doubled
// backslash) with a program folder it made, then lines an edited log could
// add: each names something the setup never makes there, or spells a place
// so that a comparison of names would miss it. Each removal starts from the
// folder it lies in that the uninstaller trusts.
TEST(UninstallPlan, RemovesOnlyWhatTheSetupMadeAndRefusesTheRest)
{
    const std::string programs = kPrograms, app = "C:\\Program Files\\App", desktop = "C:\\users\\me\\Desktop";
    const std::vector<std::string> lines{
        "LINK=" + desktop + "\\App.lnk", "LINK=" + programs + "\\App\\Uninstall.lnk",
        "LINK=" + programs + "\\App\\App.lnk", "DIRECTORY=" + programs + "\\App",
        "COPYFILE=C:\\Program Files\\App\\\\Docs\\En\\a.txt", "COPYFILE=c:\\program files\\app\\\\Uninstall.exe",
        "DIRECTORY=C:\\Program Files\\App\\\\Graphics", "DIRECTORY=C:\\Program Files\\App\\",
        // edited in:
        "COPYFILE=C:\\Windows\\win.ini", "COPYFILE=C:\\Other\\App\\x.txt", "LINK=C:\\users\\me\\evil.exe",
        "LINK=C:\\WINDOWS\\x.lnk", "DIRECTORY=C:\\Program Files", "DIRECTORY=" + desktop,
        "DIRECTORY=" + programs, "DIRECTORY=C:\\windows\\system32", "DIRECTORY=C:\\Other",
        "COPYFILE=C:\\Program Files\\App\\..\\Other.exe", "DIRECTORY=Program Files\\App",
        "LINK=\\\\?\\C:\\windows\\system32\\Tools.lnk", "DIRECTORY=\\\\?\\C:\\users\\Public\\Desktop",
        "LINK=\\\\.\\C:\\users\\me\\Desktop\\App.lnk", "DIRECTORY=C:\\users\\Public\\Desktop. ",
        "COPYFILE=C:\\Windows.\\win.ini", "LINK=" + desktop + "\\Other.lnk", "LINK=C:\\users\\me\\Documents\\App.lnk",
        "LINK=" + programs + "\\Startup.lnk", "COPYFILE=" + app + "\\" + std::string(240, 'x'),
        "COPYFILE=\\\\server\\share\\App\\x.txt"};

    const TUndoPlan plan = UndoPlan(lines, Limits());
    struct TExpected {
        K Kind;
        std::string Path, Root;
    };
    const std::vector<TExpected> expected{
        {K::File, desktop + "\\App.lnk", desktop},
        {K::File, programs + "\\App\\Uninstall.lnk", programs},
        {K::File, programs + "\\App\\App.lnk", programs},
        {K::File, "C:\\Program Files\\App\\\\Docs\\En\\a.txt", app},
        {K::File, "c:\\program files\\app\\\\Uninstall.exe", app},
        {K::Folder, "C:\\Program Files\\App\\\\Docs\\En", app},
        {K::Folder, "C:\\Program Files\\App\\\\Docs", app},
        {K::Folder, programs + "\\App", programs},
        {K::Folder, "C:\\Program Files\\App\\\\Graphics", app},
        {K::Folder, "C:\\Program Files\\App\\", app},
    };
    ASSERT_EQ(plan.Removals.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(plan.Removals[i].Kind, expected[i].Kind) << i;
        EXPECT_EQ(plan.Removals[i].Path, expected[i].Path) << i;
        EXPECT_EQ(plan.Removals[i].Root, expected[i].Root) << i;
    }
    EXPECT_EQ(plan.Refused, std::vector<std::string>(lines.begin() + 8, lines.end()));
}

// Without limits (the setup's own undo) only the path's form is checked, and
// that a LINK names a shortcut, the only kind of link a setup makes.
TEST(UninstallPlan, NoLimitsRefuseOnlyUnsafeForms)
{
    const TUndoPlan plan = UndoPlan(
        {"COPYFILE=C:\\Windows\\win.ini", "DIRECTORY=C:\\Program Files", "LINK=C:\\x.lnk", "LINK=C:\\x.exe"});
    ASSERT_EQ(plan.Removals.size(), 3u);
    // Nothing is known to be trusted but the folder each entry lies in.
    EXPECT_EQ(plan.Removals[0].Root, "C:\\Windows");
    EXPECT_EQ(plan.Refused, std::vector<std::string>{"LINK=C:\\x.exe"});
}

// The folders between a file and the recorded folder above it are removed
// when empty, but never one the system owns.
TEST(UninstallPlan, ShellFolderBetweenRecordedFolderAndFileStays)
{
    TUndoLimits limits = Limits();
    limits.Installation.clear();
    limits.ShellFolders.push_back("D:\\Apps\\users");
    const TUndoPlan plan = UndoPlan({"COPYFILE=D:\\Apps\\users\\me\\x.txt", "DIRECTORY=D:\\Apps"}, limits);
    ASSERT_EQ(plan.Removals.size(), 3u);
    EXPECT_EQ(plan.Removals[1].Path, "D:\\Apps\\users\\me");
    EXPECT_EQ(plan.Removals[2].Path, "D:\\Apps");
}

TEST(SetupLog, ReadsHeaderAndEntriesInOrder)
{
    TSetupLog log;
    ASSERT_TRUE(ParseSetupLog("SetupLOG\r\nNAME=My App\r\nKEY=My Key\r\nLINK=C:\\a.lnk\r\nCOPYFILE=C:\\b\r\n", log));
    EXPECT_EQ(log.Name, "My App");
    EXPECT_EQ(log.Key, "My Key");
    EXPECT_EQ(log.Entries, (std::vector<std::string>{"LINK=C:\\a.lnk", "COPYFILE=C:\\b"}));
    ASSERT_TRUE(ParseSetupLog("SetupLOG\nNAME=\nKEY=K\nDIRECTORY=C:\\d", log));
    EXPECT_EQ(log.Name, "");
    EXPECT_EQ(log.Entries, std::vector<std::string>{"DIRECTORY=C:\\d"});
    for (const char* damaged : {"", "SetupLOG\r\n", "[SetupLOG]\r\nNAME=a\r\nKEY=b\r\n", "SetupLOG\r\nKEY=b\r\nNAME=a\r\n",
                                "\xEF\xBB\xBFSetupLOG\r\nNAME=a\r\nKEY=b\r\n", "setuplog\r\nNAME=a\r\nKEY=b\r\n"})
        EXPECT_FALSE(ParseSetupLog(damaged, log)) << damaged;
    EXPECT_TRUE(IsProductKeyName("My App"));
    EXPECT_FALSE(IsProductKeyName(""));
    EXPECT_FALSE(IsProductKeyName("..\\Other"));
}

TEST(UninstallCommand, SilentSwitchAndRemoveOriginal)
{
    EXPECT_FALSE(ParseUninstallCommand("Uninstall.exe").Silent);
    EXPECT_TRUE(ParseUninstallCommand("\"C:\\Program Files\\App\\Uninstall.exe\" /S").Silent);
    EXPECT_TRUE(ParseUninstallCommand("Uninstall.exe  /s").Silent);
    EXPECT_FALSE(ParseUninstallCommand("\"C:\\a /S\\Uninstall.exe\"").Silent);
    EXPECT_FALSE(ParseUninstallCommand("Uninstall.exe /Silent").Silent);

    const std::string line = RemoveOriginalCommand("C:\\Temp\\Unz1.tmp", 412, "C:\\Program Files\\App\\Uninstall.exe");
    const TUninstallCommand command = ParseUninstallCommand(line);
    EXPECT_TRUE(command.RemoveOriginal);
    EXPECT_FALSE(command.Silent);
    EXPECT_EQ(command.OriginalProcess, 412u);
    EXPECT_EQ(command.OriginalFile, "C:\\Program Files\\App\\Uninstall.exe");
    for (const char* broken : {"u.exe /REMOVE-ORIGINAL", "u.exe /REMOVE-ORIGINAL 12x C:\\a", "u.exe /REMOVE-ORIGINAL 12"})
        EXPECT_FALSE(ParseUninstallCommand(broken).RemoveOriginal) << broken;
}

TEST(UninstallTexts, EnglishAndGerman)
{
    const TUninstallTexts english = UninstallTexts(false, "My App");
    EXPECT_EQ(english.Question, "Do you want to remove My App and all of its components?");
    const TUninstallTexts german = UninstallTexts(true, "My App");
    EXPECT_EQ(german.Question, "M\xF6" "chten Sie My App und alle zugeh\xF6rigen Komponenten entfernen?");
    EXPECT_EQ(LeftMessage(english, {"C:\\a", "C:\\b"}, false),
              "My App was removed. These items could not be removed:\r\nC:\\a\r\nC:\\b");
    EXPECT_EQ(LeftMessage(english, {"C:\\a"}, true),
              "My App was removed. These items could not be removed:\r\nC:\\a\r\n\r\n" + english.Repeat);
}

TEST(UninstallTexts, EntryMustNameThisUninstaller)
{
    EXPECT_TRUE(NamesUninstaller("\"C:\\Program Files\\App\\Uninstall.exe\"", "C:\\Program Files\\App\\Uninstall.exe"));
    EXPECT_TRUE(NamesUninstaller("C:\\Program Files\\App\\uninstall.exe", "C:\\Program Files\\App\\Uninstall.exe"));
    EXPECT_FALSE(NamesUninstaller("\"C:\\Program Files\\Other\\Uninstall.exe\"", "C:\\Program Files\\App\\Uninstall.exe"));
    EXPECT_FALSE(NamesUninstaller("", "C:\\Program Files\\App\\Uninstall.exe"));
}

}  // namespace
