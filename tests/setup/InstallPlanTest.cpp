#include "setup/InstallPlan.h"

#include <gtest/gtest.h>

#include "utilities/SetupError.h"

namespace {

const std::string kWorkspace = "C:\\users\\me\\Temp\\QXTemp1\\";
const std::string kDestination = "C:\\Program Files\\Zoreva Demo";
const std::string kPrograms = "C:\\ProgramData\\Microsoft\\Windows\\Start Menu\\Programs\\";

TSetupSettings DemoSettings()
{
    TSetupSettings s;
    s.AddFiles = {"App.exe", "Graphics\\logo.bmp", "Additional\\Docs\\Guide.txt", "App.exe"};
    s.TargetFile = "App.exe";
    s.ReadMe = "Docs\\Read Me.txt";
    s.Title = "Zoreva Demo";
    s.Language = "English";
    return s;
}

// Performs nothing: records what each step leaves in the log, as the run does
// when every step succeeds and the program folder is new.
std::vector<std::string> RecordedLines(const std::vector<TInstallStep>& plan, const TFinishPlan& finish)
{
    TSetupLogBook book;
    for (const TInstallStep& step : plan) RecordStep(step, book);
    if (finish.DesktopLink) book.AddLink(finish.DesktopLink->LinkFile);
    return book.Entries();
}

TEST(InstallPlan, FullEnglishInstallLeavesTheLogInItsOrder)
{
    const TSetupSettings s = DemoSettings();
    const std::vector<TInstallStep> plan = InstallPlan(s, {kWorkspace, kDestination, kPrograms, "Zoreva"});
    const TFinishPlan finish = FinishPlan(s, kDestination, "C:\\Users\\Public\\Desktop", true, true, true);

    const std::vector<std::string> expected{
        "LINK=C:\\Users\\Public\\Desktop\\Zoreva Demo.lnk",
        "LINK=" + kPrograms + "Zoreva\\Read Me.txt.lnk",
        "LINK=" + kPrograms + "Zoreva\\Uninstall.lnk",
        "LINK=" + kPrograms + "Zoreva\\Zoreva Demo.lnk",
        "DIRECTORY=" + kPrograms + "Zoreva",
        "COPYFILE=C:\\Program Files\\Zoreva Demo\\App.exe",
        "COPYFILE=C:\\Program Files\\Zoreva Demo\\Additional\\Docs\\Guide.txt",
        "COPYFILE=C:\\Program Files\\Zoreva Demo\\Graphics\\logo.bmp",
        "COPYFILE=C:\\Program Files\\Zoreva Demo\\App.exe",
        "DIRECTORY=C:\\Program Files\\Zoreva Demo\\Additional",
        "DIRECTORY=C:\\Program Files\\Zoreva Demo\\Sounds",
        "DIRECTORY=C:\\Program Files\\Zoreva Demo\\Graphics",
        "DIRECTORY=C:\\Program Files\\Zoreva Demo",
    };
    EXPECT_EQ(RecordedLines(plan, finish), expected);
}

TEST(InstallPlan, EveryStepOfAFullInstall)
{
    const TSetupSettings s = DemoSettings();
    const std::vector<TInstallStep> plan = InstallPlan(s, {kWorkspace, kDestination, kPrograms, "Zoreva"});
    using K = TInstallStepKind;
    const std::string d = kDestination, f = kPrograms + "Zoreva";
    const struct {
        K kind;
        std::string path, source, message;
        int progress;
    } expected[] = {
        {K::RecordFolder, d, "", "", 0},
        {K::MakeFolders, d + "\\Graphics", "", "", 0},
        {K::MakeFolders, d + "\\Sounds", "", "", 0},
        {K::MakeFolders, d + "\\Additional", "", "", 0},
        {K::RecordFolder, d + "\\Graphics", "", "", 0},
        {K::RecordFolder, d + "\\Sounds", "", "", 0},
        {K::RecordFolder, d + "\\Additional", "", "", 0},
        {K::InstallFile, d + "\\App.exe", kWorkspace + "App.exe", "copying App.exe", 0},
        {K::InstallFile, d + "\\Graphics\\logo.bmp", kWorkspace + "Graphics\\logo.bmp", "copying Graphics\\logo.bmp", 25},
        {K::InstallFile, d + "\\Additional\\Docs\\Guide.txt", kWorkspace + "Additional\\Docs\\Guide.txt",
         "copying Additional\\Docs\\Guide.txt", 50},
        {K::InstallFile, d + "\\App.exe", kWorkspace + "App.exe", "copying App.exe", 75},
        {K::MakeProgramFolder, f, "", "", 0},
        {K::MakeLink, f + "\\Zoreva Demo.lnk", "", "", 0},
        {K::MakeLink, f + "\\Uninstall.lnk", "", "", 0},
        {K::MakeLink, f + "\\Read Me.txt.lnk", "", "", 0},
    };
    ASSERT_EQ(plan.size(), std::size(expected));
    for (size_t i = 0; i < plan.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(plan[i].Kind, expected[i].kind);
        EXPECT_EQ(plan[i].Path, expected[i].path);
        EXPECT_EQ(plan[i].Source, expected[i].source);
        EXPECT_EQ(plan[i].Message, expected[i].message);
        EXPECT_EQ(plan[i].Progress, expected[i].progress);
    }

    const struct {
        const char *target, *arguments, *workingFolder, *description;
    } links[] = {
        {"C:\\Program Files\\Zoreva Demo\\App.exe", "", "C:\\Program Files\\Zoreva Demo", "Zoreva Demo"},
        {"C:\\Program Files\\Zoreva Demo\\uninstall.exe", "", "C:\\Program Files\\Zoreva Demo", "Uninstall Zoreva Demo"},
        {"notepad.exe", "\"C:\\Program Files\\Zoreva Demo\\Docs\\Read Me.txt\"", "", "Read Me.txt"},
    };
    for (size_t i = 0; i < std::size(links); ++i) {
        const TShortcut& link = plan[12 + i].Link;
        SCOPED_TRACE(link.LinkFile);
        EXPECT_EQ(link.LinkFile, plan[12 + i].Path);
        EXPECT_EQ(link.Target, links[i].target);
        EXPECT_EQ(link.Arguments, links[i].arguments);
        EXPECT_EQ(link.WorkingFolder, links[i].workingFolder);
        EXPECT_EQ(link.Description, links[i].description);
        EXPECT_EQ(link.ShowCommand, 1);
    }
}

// A folder picked in the chooser ends in a backslash; the joined paths keep the doubled one.
TEST(InstallPlan, PickedDestinationNoFilesNoProgramFolder)
{
    TSetupSettings s = DemoSettings();
    s.AddFiles.clear();
    s.Title = "";
    const std::string picked = "D:\\Apps\\";
    const std::vector<TInstallStep> plan = InstallPlan(s, {kWorkspace, picked, "", " \t"});
    const TFinishPlan finish = FinishPlan(s, picked, "C:\\Users\\me\\Desktop\\", true, false, false);
    EXPECT_EQ(RecordedLines(plan, finish),
              (std::vector<std::string>{"LINK=C:\\Users\\me\\Desktop\\.lnk", "DIRECTORY=D:\\Apps\\\\Additional",
                                        "DIRECTORY=D:\\Apps\\\\Sounds", "DIRECTORY=D:\\Apps\\\\Graphics",
                                        "DIRECTORY=D:\\Apps\\"}));
    EXPECT_EQ(finish.LogFileName, "D:\\Apps\\\\setup.log");
}

TEST(InstallPlan, ProgramFolderWithoutAProgramsFolderIsAnError)
{
    TSetupSettings s = DemoSettings();
    try {
        InstallPlan(s, {kWorkspace, kDestination, "", "Zoreva"});
        ADD_FAILURE() << "no error";
    } catch (const ESetupError& error) {
        EXPECT_STREQ(error.what(),
                     "The Start menu's Programs folder is unknown on this system, so the program folder \"Zoreva\" "
                     "cannot be made.");
    }
}

TEST(InstallPlan, EmptyTitleAndUntrimmedFolder)
{
    TSetupSettings s = DemoSettings();
    s.Title = "";
    s.ReadMe = "C:ReadMe";
    const std::vector<TInstallStep> plan = InstallPlan(s, {kWorkspace, kDestination, kPrograms, " Tools "});
    ASSERT_EQ(plan.size(), 15u);
    EXPECT_EQ(plan[11].Path, kPrograms + " Tools ");
    EXPECT_EQ(plan[12].Path, kPrograms + " Tools \\.lnk");
    EXPECT_EQ(plan[13].Link.Description, "Uninstall ");
    EXPECT_EQ(plan[14].Path, kPrograms + " Tools \\ReadMe.lnk");
    EXPECT_EQ(plan[14].Link.Description, "ReadMe");
}

// Up to 100 files the steps the bar always took; beyond, a whole step would be 0 and the bar would not move.
TEST(InstallPlan, ProgressStepsByWholeAmountsUpToAHundredFilesAndByShareBeyond)
{
    const struct {
        size_t index, count;
        int position;
    } cases[] = {
        // k * (100 div n).
        {0, 1, 0}, {0, 3, 0}, {1, 3, 33}, {2, 3, 66}, {6, 7, 84}, {99, 100, 99},
        // k * 100 div n.
        {0, 101, 0}, {1, 101, 0}, {2, 101, 1}, {50, 101, 49}, {100, 101, 99}, {201, 202, 99},
        {10, 1000, 1}, {999, 1000, 99}, {99999, 100000, 99},
    };
    for (const auto& c : cases)
        EXPECT_EQ(CopyProgressPosition(c.index, c.count), c.position) << c.index << " of " << c.count;
}

TEST(InstallPlan, PerMachineFoldersFallBackToTheUsersOwn)
{
    const struct {
        bool perMachine;
        const char *allUsers, *user, *chosen;
    } cases[] = {
        {true, "C:\\All\\Programs", "C:\\Me\\Programs", "C:\\All\\Programs\\"},
        {true, "", "C:\\Me\\Programs\\", "C:\\Me\\Programs\\"},
        {false, "C:\\All\\Programs", "C:\\Me\\Programs", "C:\\Me\\Programs\\"},
        {true, "", "", ""},
    };
    for (const auto& c : cases) EXPECT_EQ(PerMachineFolder(c.perMachine, c.allUsers, c.user), c.chosen) << c.chosen;
}

TEST(InstallPlan, FinishActionsForTheChoicesMade)
{
    const TSetupSettings s = DemoSettings();
    const TFinishPlan all = FinishPlan(s, kDestination, "C:\\Users\\Public\\Desktop\\", true, true, true);
    ASSERT_TRUE(all.DesktopLink);
    EXPECT_EQ(all.DesktopLink->LinkFile, "C:\\Users\\Public\\Desktop\\Zoreva Demo.lnk");
    EXPECT_EQ(all.DesktopLink->Target, kDestination + "\\App.exe");
    EXPECT_EQ(all.DesktopLink->Arguments, "");
    EXPECT_EQ(all.DesktopLink->WorkingFolder, kDestination);
    EXPECT_EQ(all.DesktopLink->Description, "Zoreva Demo");
    EXPECT_EQ(all.LogFileName, kDestination + "\\setup.log");
    EXPECT_EQ(all.KeyName, "Zoreva Demo");
    EXPECT_EQ(all.DisplayTitle, "Zoreva Demo");
    EXPECT_EQ(all.InstallFolder, kDestination);
    EXPECT_EQ(all.ProgramFile, kDestination + "\\App.exe");
    ASSERT_TRUE(all.ReadMeViewer);
    EXPECT_EQ(all.ReadMeViewer->File, "notepad.exe");
    EXPECT_EQ(all.ReadMeViewer->Parameters, kDestination + "\\Docs\\Read Me.txt");
    EXPECT_EQ(all.ReadMeViewer->WorkingFolder, "");
    ASSERT_TRUE(all.Program);
    EXPECT_EQ(all.Program->File, kDestination + "\\App.exe");
    EXPECT_EQ(all.Program->Parameters, "");
    EXPECT_EQ(all.Program->WorkingFolder, kDestination);

    const TFinishPlan none = FinishPlan(s, kDestination, "C:\\Users\\Public\\Desktop\\", false, false, false);
    EXPECT_FALSE(none.DesktopLink || none.ReadMeViewer || none.Program);
    EXPECT_EQ(none.LogFileName, kDestination + "\\setup.log");
    EXPECT_FALSE(FinishPlan(s, kDestination, "", true, false, false).DesktopLink);

    TSetupSettings withoutProgram = s;
    withoutProgram.TargetFile = " ";
    EXPECT_EQ(FinishPlan(withoutProgram, kDestination, "", false, false, false).ProgramFile, "")
        << "no icon rather than the installation folder as one";
}

}  // namespace
