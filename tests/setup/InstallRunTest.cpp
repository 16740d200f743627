// The installation run with the real file system and shell links, in private
// temporary folders standing in for Program Files and the Start menu.

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include "setup/InstallRun.h"
#include "setup/InstallUndo.h"
#include "tests/ShellLinkReader.h"
#include "tests/TestSupport.h"
#include "utilities/FileSystem.h"
#include "utilities/SetupError.h"
#include "utilities/Shell.h"

namespace {

struct TCopySeen {
    std::string Message;
    int Progress;
    bool operator==(const TCopySeen& other) const { return Message == other.Message && Progress == other.Progress; }
};

// A workspace with the demo's files and empty Programs folder, both in a private folder.
class InstallRun : public ::testing::Test {
protected:
    InstallRun()
    {
        files::ForceDirectories(Workspace + "Graphics");
        files::ForceDirectories(Workspace + "Additional\\Docs");
        files::ForceDirectories(Programs);
        WriteAll(Workspace + "App.exe", TextBytes("program"));
        WriteAll(Workspace + "Graphics\\logo.bmp", TextBytes("picture"));
        WriteAll(Workspace + "Additional\\Docs\\Guide.txt", TextBytes("guide"));
        SetFileAttributesA((Workspace + "Additional\\Docs\\Guide.txt").c_str(), FILE_ATTRIBUTE_READONLY);
        WriteAll(Workspace + "ReadMe.txt", TextBytes("read me"));
        Settings.AddFiles = {"App.exe", "Graphics\\logo.bmp", "Additional\\Docs\\Guide.txt", "ReadMe.txt"};
        Settings.TargetFile = "App.exe";
        Settings.ReadMe = "ReadMe.txt";
        Settings.Title = "Zoreva Demo";
    }

    bool Run(TSetupLogBook& book)
    {
        const TInstallObserver observer{
            [this](const TInstallStep& step) {
                Copies.push_back({step.Message, step.Progress});
                if (OnCopying) OnCopying(step);
            },
            [this](const std::string& message) {
                Failures.push_back(message);
                return OnFailure ? OnFailure(message) : TCopyFailureAnswer::Cancel;
            }};
        return PerformInstallPlan(InstallPlan(Settings, {Workspace, Destination, Programs, ProgramFolder}), book, observer,
                                  Workspace + "Replaced");
    }

    TComApartment Com;
    TTempFolder Temp;
    const std::string Workspace = Temp.Text() + "QXTemp1\\";
    const std::string Destination = Temp.Text() + "Program Files\\Zoreva Demo";
    const std::string Programs = Temp.Text() + "Start Menu\\Programs\\";
    TSetupSettings Settings;
    std::string ProgramFolder = "Zoreva";
    std::vector<TCopySeen> Copies;
    std::vector<std::string> Failures;
    std::function<TCopyFailureAnswer(const std::string&)> OnFailure;
    std::function<void(const TInstallStep&)> OnCopying;
};

TEST_F(InstallRun, InstallsRecordsAgainOverAnInstallAndUndoesIt)
{
    TSetupLogBook first;
    ASSERT_TRUE(Run(first));
    const std::string d = Destination, f = Programs + "Zoreva";
    EXPECT_EQ(first.Entries(), (std::vector<std::string>{
                                   "LINK=" + f + "\\ReadMe.txt.lnk",
                                   "LINK=" + f + "\\Uninstall.lnk",
                                   "LINK=" + f + "\\Zoreva Demo.lnk",
                                   "DIRECTORY=" + f,
                                   "COPYFILE=" + d + "\\ReadMe.txt",
                                   "COPYFILE=" + d + "\\Additional\\Docs\\Guide.txt",
                                   "COPYFILE=" + d + "\\Graphics\\logo.bmp",
                                   "COPYFILE=" + d + "\\App.exe",
                                   "DIRECTORY=" + d + "\\Additional",
                                   "DIRECTORY=" + d + "\\Sounds",
                                   "DIRECTORY=" + d + "\\Graphics",
                                   "DIRECTORY=" + d,
                               }));
    EXPECT_EQ(Copies, (std::vector<TCopySeen>{{"copying App.exe", 0},
                                              {"copying Graphics\\logo.bmp", 25},
                                              {"copying Additional\\Docs\\Guide.txt", 50},
                                              {"copying ReadMe.txt", 75}}));
    EXPECT_TRUE(Failures.empty());
    EXPECT_EQ(ReadAll(d + "\\App.exe"), TextBytes("program"));
    EXPECT_EQ(ReadAll(d + "\\Additional\\Docs\\Guide.txt"), TextBytes("guide"));
    EXPECT_TRUE(files::DirectoryExists(d + "\\Sounds"));
    const struct {
        std::string link, target, arguments, workingFolder, description;
    } links[] = {
        {"\\Zoreva Demo.lnk", d + "\\App.exe", "", d, "Zoreva Demo"},
        {"\\Uninstall.lnk", d + "\\uninstall.exe", "", d, "Uninstall Zoreva Demo"},
        {"\\ReadMe.txt.lnk", "\\notepad.exe", "\"" + d + "\\ReadMe.txt\"", "", "ReadMe.txt"},
    };
    for (const auto& l : links) {
        SCOPED_TRACE(l.link);
        const TLinkContents link = ReadLink(f + l.link);
        // The shell stores the viewer as found on the search path.
        EXPECT_EQ(link.Target.substr(link.Target.size() - std::min(link.Target.size(), l.target.size())), l.target);
        EXPECT_EQ(link.Arguments, l.arguments);
        EXPECT_EQ(link.WorkingFolder, l.workingFolder);
        EXPECT_EQ(link.Description, l.description);
    }

    // Over an existing installation: files are replaced, the program folder is not the run's own;
    // what the run replaced, files and shortcuts, is kept aside, and taking the run back restores it.
    WriteAll(Workspace + "App.exe", TextBytes("program 2"));
    const Bytes firstLink = ReadAll(f + "\\Zoreva Demo.lnk");
    TSetupLogBook second;
    ASSERT_TRUE(Run(second));
    EXPECT_EQ(ReadAll(d + "\\App.exe"), TextBytes("program 2"));
    EXPECT_EQ(second.Entries().size(), first.Entries().size() - 1);
    EXPECT_EQ(std::count(second.Entries().begin(), second.Entries().end(), "DIRECTORY=" + f), 0);
    EXPECT_EQ(second.Replaced().size(), 7u);
    PerformUndo(second);
    EXPECT_EQ(ReadAll(d + "\\App.exe"), TextBytes("program"));
    EXPECT_EQ(ReadAll(d + "\\Additional\\Docs\\Guide.txt"), TextBytes("guide"));
    EXPECT_EQ(ReadAll(f + "\\Zoreva Demo.lnk"), firstLink);
    EXPECT_TRUE(files::FileExists(f + "\\Uninstall.lnk"));

    PerformUndo(first);
    EXPECT_FALSE(files::DirectoryExists(d));
    EXPECT_FALSE(files::DirectoryExists(f));
    EXPECT_TRUE(files::DirectoryExists(Programs));
    EXPECT_TRUE(files::FileExists(Workspace + "Additional\\Docs\\Guide.txt"));
}

TEST_F(InstallRun, FailedCopyIsRetriedOrStopsTheRunAndIsUndone)
{
    Settings.AddFiles = {"App.exe", "Missing.txt", "ReadMe.txt", "Gone.txt", "Graphics\\logo.bmp"};
    OnFailure = [this](const std::string&) {
        if (Failures.size() > 1) return TCopyFailureAnswer::Cancel;
        WriteAll(Workspace + "Missing.txt", TextBytes("found"));
        return TCopyFailureAnswer::Retry;
    };
    TSetupLogBook book;
    EXPECT_FALSE(Run(book));

    const std::string d = Destination;
    ASSERT_EQ(Failures.size(), 2u);
    const std::string named = "Could not copy \"" + d + "\\Missing.txt\".\r\n";
    EXPECT_EQ(Failures[0].substr(0, named.size()), named);
    EXPECT_GT(Failures[0].size(), named.size()) << "the system's reason is missing";
    const std::string gone = "Could not copy \"" + d + "\\Gone.txt\".\r\n";
    EXPECT_EQ(Failures[1].substr(0, gone.size()), gone);
    EXPECT_EQ(book.Entries(), (std::vector<std::string>{
                                  "COPYFILE=" + d + "\\ReadMe.txt",
                                  "COPYFILE=" + d + "\\Missing.txt",
                                  "COPYFILE=" + d + "\\App.exe",
                                  "DIRECTORY=" + d + "\\Additional",
                                  "DIRECTORY=" + d + "\\Sounds",
                                  "DIRECTORY=" + d + "\\Graphics",
                                  "DIRECTORY=" + d,
                              }));
    EXPECT_EQ(ReadAll(d + "\\Missing.txt"), TextBytes("found"));
    EXPECT_FALSE(files::FileExists(d + "\\Graphics\\logo.bmp"));
    EXPECT_FALSE(files::DirectoryExists(Programs + "Zoreva"));

    // A file the user put into the destination keeps its folder.
    WriteAll(d + "\\Graphics\\mine.txt", TextBytes("mine"));
    PerformUndo(book);
    EXPECT_FALSE(files::FileExists(d + "\\App.exe"));
    EXPECT_FALSE(files::FileExists(d + "\\Missing.txt"));
    EXPECT_FALSE(files::DirectoryExists(d + "\\Sounds"));
    EXPECT_EQ(ReadAll(d + "\\Graphics\\mine.txt"), TextBytes("mine"));
}

// The run looks for a file's folder only when it differs from the previous
// file's; one taken away in between is made again, unasked.
TEST_F(InstallRun, FolderTakenAwayBetweenTwoOfItsFilesIsMadeAgain)
{
    WriteAll(Workspace + "Graphics\\second.bmp", TextBytes("second"));
    Settings.AddFiles = {"Graphics\\logo.bmp", "Graphics\\second.bmp", "App.exe"};
    const std::string graphics = Destination + "\\Graphics";
    OnCopying = [&graphics](const TInstallStep& step) {
        if (step.Message != "copying Graphics\\second.bmp") return;
        DeleteFileA((graphics + "\\logo.bmp").c_str());
        RemoveDirectoryA(graphics.c_str());
    };
    TSetupLogBook book;
    ASSERT_TRUE(Run(book));
    EXPECT_TRUE(Failures.empty());
    EXPECT_EQ(ReadAll(graphics + "\\second.bmp"), TextBytes("second"));
    EXPECT_EQ(ReadAll(Destination + "\\App.exe"), TextBytes("program"));
    EXPECT_EQ(std::count(book.Entries().begin(), book.Entries().end(), "COPYFILE=" + graphics + "\\second.bmp"), 1);
}

TEST_F(InstallRun, ProgramFolderThatCannotBeMadeStopsTheRunBeforeTheShortcuts)
{
    ProgramFolder = "No Such Group\\Zoreva";
    TSetupLogBook book;
    try {
        Run(book);
        ADD_FAILURE() << "no error";
    } catch (const ESetupError& error) {
        const std::string named = "Cannot create the program folder \"" + Programs + "No Such Group\\Zoreva\".\r\n";
        EXPECT_EQ(std::string(error.what()).substr(0, named.size()), named);
        EXPECT_GT(std::string(error.what()).size(), named.size());
    }
    EXPECT_EQ(book.Entries().front(), "COPYFILE=" + Destination + "\\ReadMe.txt");
    EXPECT_FALSE(files::DirectoryExists(Programs + "No Such Group"));
}

}  // namespace

namespace {

// A folder a program works in (as its current folder) cannot go: it is left
// and named, like a file in use. One the user still keeps something in stays
// unnamed.
TEST(PerformRemovals, FolderInUseIsLeftAndNamedOneNotEmptyIsNot)
{
    TTempFolder temp;
    const std::string root = temp.Text() + "App", held = root + "\\Held", kept = root + "\\Kept";
    files::ForceDirectories(held);
    files::ForceDirectories(kept);
    WriteAll(kept + "\\mine.txt", TextBytes("mine"));
    const std::vector<TRemoval> removals{{TRemovalKind::Folder, held, root}, {TRemovalKind::Folder, kept, root}};

    char before[MAX_PATH] = {};
    ASSERT_GT(GetCurrentDirectoryA(MAX_PATH, before), 0u);
    ASSERT_TRUE(SetCurrentDirectoryA(held.c_str()));
    const TRemovalResult whileHeld = PerformRemovals(removals);
    SetCurrentDirectoryA(before);
    EXPECT_EQ(whileHeld.Left, std::vector<std::string>{held});
    EXPECT_TRUE(whileHeld.BehindLinks.empty());
    EXPECT_TRUE(files::DirectoryExists(held));

    const TRemovalResult freed = PerformRemovals(removals);
    EXPECT_TRUE(freed.Left.empty());
    EXPECT_FALSE(files::DirectoryExists(held));
    EXPECT_TRUE(files::DirectoryExists(kept));
}

}  // namespace
