#include "setup/InstallUndo.h"

#include <gtest/gtest.h>

#include "setup/InstallPlan.h"

namespace {

// A run that stopped after its third copy: its log book, then a few lines no
// installation writes, as a damaged or forged "setup.log" could hold them.
TEST(InstallUndo, FilesFirstThenFoldersNewestFirstAndUnsafeLinesRefused)
{
    TSetupSettings settings;
    settings.AddFiles = {"App.exe", "Additional\\Docs\\Old\\a.txt", "Additional\\Docs\\b.txt", "ReadMe.txt"};
    const std::vector<TInstallStep> plan = InstallPlan(settings, {"C:\\Temp\\QXTemp1\\", "D:\\Apps\\", "", ""});
    TSetupLogBook book;
    for (size_t i = 0; i + 1 < plan.size(); ++i) RecordStep(plan[i], book);
    book.AddLink("C:\\Users\\me\\Desktop\\App.lnk");

    std::vector<std::string> lines{"SetupLOG", "NAME=App", "KEY=App"};
    lines.insert(lines.end(), book.Entries().begin(), book.Entries().end());
    for (const char* unsafe : {"COPYFILE=App.exe", "COPYFILE=C:\\Apps\\..\\Windows\\win.ini", "DIRECTORY=C:\\",
                               "DIRECTORY=C:\\\\", "LINK=\\\\server\\share", "DIRECTORY=D:\\Apps\\. \\x",
                               "COPYFILE=D:\\Apps\\\\Aux.txt"})
        lines.push_back(unsafe);
    lines.push_back("COPYFILE=\\\\server\\share\\App\\App.exe");

    const TUndoPlan undo = UndoPlan(lines);
    using K = TRemovalKind;
    const std::vector<std::pair<K, std::string>> expected{
        {K::File, "C:\\Users\\me\\Desktop\\App.lnk"},
        {K::File, "D:\\Apps\\\\Additional\\Docs\\b.txt"},
        {K::File, "D:\\Apps\\\\Additional\\Docs\\Old\\a.txt"},
        {K::File, "D:\\Apps\\\\App.exe"},
        {K::Folder, "D:\\Apps\\\\Additional\\Docs\\Old"},
        {K::Folder, "D:\\Apps\\\\Additional\\Docs"},
        {K::Folder, "D:\\Apps\\\\Additional"},
        {K::Folder, "D:\\Apps\\\\Sounds"},
        {K::Folder, "D:\\Apps\\\\Graphics"},
        {K::Folder, "D:\\Apps\\"},
    };
    ASSERT_EQ(undo.Removals.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(undo.Removals[i].Kind, expected[i].first) << i;
        EXPECT_EQ(undo.Removals[i].Path, expected[i].second) << i;
    }
    EXPECT_EQ(undo.Refused, (std::vector<std::string>{"COPYFILE=App.exe", "COPYFILE=C:\\Apps\\..\\Windows\\win.ini",
                                                      "DIRECTORY=C:\\", "DIRECTORY=C:\\\\", "LINK=\\\\server\\share",
                                                      "DIRECTORY=D:\\Apps\\. \\x", "COPYFILE=D:\\Apps\\\\Aux.txt",
                                                      "COPYFILE=\\\\server\\share\\App\\App.exe"}));
}

TEST(InstallUndo, RemovablePaths)
{
    const std::pair<const char*, bool> cases[] = {
        {"C:\\Program Files\\App", true},
        {"c:/Program Files/App/x.txt", true},
        {"C:\\App\\\\Graphics", true},
        {"C:\\App\\", true},
        {"C:\\App\\Console", true},
        {"\\\\server\\share\\App", false},
        {"\\\\?\\C:\\App", false},
        {"\\\\.\\C:\\App", false},
        {"\\\\?\\UNC\\server\\share\\App", false},
        {"C:\\App\\..\\..", false},
        {"C:\\App\\...", false},
        {"C:\\App\\.. \\x", false},
        {"C:\\.\\App", false},
        {"C:\\App\\CON", false},
        {"C:\\App\\lpt1.txt\\x", false},
        {"C:\\", false},
        {"C:\\\\\\", false},
        {"C:", false},
        {"C:App", false},
        {"\\App", false},
        {"App\\x", false},
        {"", false},
        {"\\\\server\\share\\", false},
        {"\\\\server\\share", false},
        {"\\\\server", false},
        {"\\\\\\share\\x", false},
        {"C:\\App\\x.txt:stream", false},
        {"C:\\App\\C:\\x", false},
    };
    for (const auto& [path, removable] : cases) EXPECT_EQ(IsRemovablePath(path), removable) << path;
    // The setup writes no path longer than MAX_PATH allows.
    EXPECT_TRUE(IsRemovablePath("C:\\" + std::string(256, 'a')));
    EXPECT_FALSE(IsRemovablePath("C:\\" + std::string(257, 'a')));
}

}  // namespace
