#include "setup/SetupLogBook.h"

#include <gtest/gtest.h>

#include "setup/InstallUndo.h"
#include "tests/TestSupport.h"
#include "utilities/SetupError.h"

namespace {

const std::string D = "C:\\Program Files\\App", F = "C:\\Start\\App";

// The three folders below the destination, in the order the run makes them.
void RecordDestination(TSetupLogBook& book)
{
    book.AddDirectory(D);
    book.AddDirectory(D + "\\Graphics");
    book.AddDirectory(D + "\\Sounds");
    book.AddDirectory(D + "\\Additional");
}

const std::string kDestinationLines = "DIRECTORY=C:\\Program Files\\App\\Additional\r\n"
                                      "DIRECTORY=C:\\Program Files\\App\\Sounds\r\n"
                                      "DIRECTORY=C:\\Program Files\\App\\Graphics\r\n"
                                      "DIRECTORY=C:\\Program Files\\App\r\n";

struct TLogCase {
    const char* What;
    void (*Record)(TSetupLogBook&);
    std::string Expected;  // after the three header lines
};

const TLogCase kLogCases[] = {
    {"program folder, files (one twice), ReadMe and desktop icon",
     [](TSetupLogBook& book) {
         RecordDestination(book);
         book.AddCopiedFile(D + "\\App.exe");
         book.AddCopiedFile(D + "\\ReadMe.txt");
         book.AddCopiedFile(D + "\\ReadMe.txt");
         book.AddDirectory(F);
         book.AddLink(F + "\\App.lnk");
         book.AddLink(F + "\\Uninstall.lnk");
         book.AddLink(F + "\\ReadMe.txt.lnk");
         book.AddLink("C:\\Desktop\\App.lnk");
     },
     "LINK=C:\\Desktop\\App.lnk\r\n"
     "LINK=C:\\Start\\App\\ReadMe.txt.lnk\r\n"
     "LINK=C:\\Start\\App\\Uninstall.lnk\r\n"
     "LINK=C:\\Start\\App\\App.lnk\r\n"
     "DIRECTORY=C:\\Start\\App\r\n"
     "COPYFILE=C:\\Program Files\\App\\ReadMe.txt\r\n"
     "COPYFILE=C:\\Program Files\\App\\ReadMe.txt\r\n"
     "COPYFILE=C:\\Program Files\\App\\App.exe\r\n" +
         kDestinationLines},
    {"no files, no program folder: seven lines", RecordDestination, kDestinationLines},
    {"no files, no program folder, desktop icon: eight lines",
     [](TSetupLogBook& book) {
         RecordDestination(book);
         book.AddLink("C:\\Desktop\\App.lnk");
     },
     "LINK=C:\\Desktop\\App.lnk\r\n" + kDestinationLines},
};

// Saved twice, as a second Forward after a failed finish does: both files
// are the same log, and the entries stay what the run recorded.
TEST(SetupLogBook, WritesHeaderThenEntriesNewestFirstWithCrLfOnEverySave)
{
    const std::string header = "SetupLOG\r\nNAME=The App\r\nKEY=App\r\n";
    for (const TLogCase& c : kLogCases) {
        SCOPED_TRACE(c.What);
        TTempFolder temp;
        TSetupLogBook book;
        c.Record(book);
        const std::vector<std::string> recorded = book.Entries();
        book.LogFileName = temp / "setup.log";
        book.KeyName = "App";
        book.DisplayTitle = "The App";
        book.SaveLog();
        EXPECT_EQ(ReadAll(temp / "setup.log"), TextBytes(header + c.Expected));
        book.SaveLog();
        EXPECT_EQ(ReadAll(temp / "setup.log"), TextBytes(header + c.Expected)) << "second save";
        EXPECT_EQ(book.Entries(), recorded);
    }
}

// The uninstaller reads the file the setup wrote: its name, its key and every
// entry in order, each taken as the kind it was recorded as and none refused;
// what the run replaced stays out of the file.
TEST(SetupLogBook, UndoPlanReadsBackWhatTheBookWrote)
{
    const std::string programs = "C:\\ProgramData\\Start Menu\\Programs", desktop = "C:\\Users\\Public\\Desktop";
    TTempFolder temp;
    TSetupLogBook book;
    RecordDestination(book);
    book.AddCopiedFile(D + "\\App.exe");
    book.AddReplaced(D + "\\App.exe", "C:\\Temp\\QXTemp1\\Replaced\\1");
    book.AddCopiedFile(D + "\\Additional\\Docs\\Gr\xFC\xDF" "e.txt");
    book.AddDirectory(programs + "\\App");
    book.AddLink(programs + "\\App\\App.lnk");
    book.AddLink(programs + "\\App\\Uninstall.lnk");
    book.AddLink(desktop + "\\The App.lnk");
    book.LogFileName = temp / "setup.log";
    book.KeyName = "App";
    book.DisplayTitle = "The App";
    book.SaveLog();

    const Bytes bytes = ReadAll(temp / "setup.log");
    TSetupLog log;
    ASSERT_TRUE(ParseSetupLog(std::string(bytes.begin(), bytes.end()), log));
    EXPECT_EQ(log.Name, "The App");
    EXPECT_EQ(log.Key, "App");
    EXPECT_EQ(log.Entries, book.Entries());

    TUndoLimits limits;
    limits.Installation = D;
    limits.ProgramsFolders = {programs};
    limits.Desktops = {desktop};
    limits.Title = "The App";
    const TUndoPlan plan = UndoPlan(log.Entries, limits);
    EXPECT_EQ(plan.Refused, std::vector<std::string>{});
    using K = TRemovalKind;
    const std::vector<std::pair<K, std::string>> expected{
        {K::File, desktop + "\\The App.lnk"},
        {K::File, programs + "\\App\\Uninstall.lnk"},
        {K::File, programs + "\\App\\App.lnk"},
        {K::File, D + "\\Additional\\Docs\\Gr\xFC\xDF" "e.txt"},
        {K::File, D + "\\App.exe"},
        {K::Folder, D + "\\Additional\\Docs"},
        {K::Folder, programs + "\\App"},
        {K::Folder, D + "\\Additional"},
        {K::Folder, D + "\\Sounds"},
        {K::Folder, D + "\\Graphics"},
        {K::Folder, D},
    };
    std::vector<std::pair<K, std::string>> removals;
    for (const TRemoval& removal : plan.Removals) removals.emplace_back(removal.Kind, removal.Path);
    EXPECT_EQ(removals, expected);
}

TEST(SetupLogBook, KeepsAnsiBytesAsTheyAre)
{
    TTempFolder temp;
    TSetupLogBook book;
    book.AddCopiedFile("C:\\Programme\\Gr\xF6\xDF" "e\\\xC4pfel.txt");
    book.LogFileName = temp / "setup.log";
    book.DisplayTitle = "Gr\xFC\xDF" "e";
    book.SaveLog();
    EXPECT_EQ(ReadAll(temp / "setup.log"),
              TextBytes("SetupLOG\r\nNAME=Gr\xFC\xDF" "e\r\nKEY=\r\nCOPYFILE=C:\\Programme\\Gr\xF6\xDF" "e\\\xC4pfel.txt\r\n"));
}

TEST(SetupLogBook, UninstallStringIsQuotedBesideTheLog)
{
    TSetupLogBook book;
    book.LogFileName = "C:\\Program Files\\App\\setup.log";
    EXPECT_EQ(book.UninstallString(), "\"C:\\Program Files\\App\\Uninstall.exe\"");
    book.LogFileName = "C:\\Program Files\\App\\\\setup.log";
    EXPECT_EQ(book.UninstallString(), "\"C:\\Program Files\\App\\\\Uninstall.exe\"");
}

TEST(SetupLogBook, UncreatableLogRaisesTheFileError)
{
    TTempFolder temp;
    TSetupLogBook book;
    book.LogFileName = (temp.Path() / "missing-folder" / "setup.log").string();
    EXPECT_THROW(book.SaveLog(), ESetupError);
}

}  // namespace

namespace {

// The list of programs shows the size of the copied files alone; the folders
// and shortcuts the log names beside them weigh nothing.
TEST(SetupLogBook, SizeCountsTheCopiedFilesInWholeKilobytes)
{
    TSetupLogBook book;
    RecordDestination(book);
    book.AddCopiedFile(D + "\\App.exe");
    book.AddLink(F + "\\App.lnk");
    book.AddCopiedFile(D + "\\ReadMe.txt");
    book.AddReplaced(D + "\\Old.txt", "C:\\Temp\\aside");
    EXPECT_EQ(book.CopiedFiles(), (std::vector<std::string>{D + "\\ReadMe.txt", D + "\\App.exe"}));

    const struct {
        uint64_t Bytes;
        uint32_t Kilobytes;
    } sizes[] = {{0, 0}, {1, 1}, {1023, 1}, {1024, 1}, {1025, 2}, {1u << 30, 1u << 20},
                 {uint64_t{0xFFFFFFFF} * 1024, 0xFFFFFFFF}, {uint64_t{0xFFFFFFFF} * 1024 + 1, 0xFFFFFFFF},
                 {UINT64_MAX, 0xFFFFFFFF}};
    for (const auto& size : sizes) EXPECT_EQ(KilobytesRoundedUp(size.Bytes), size.Kilobytes) << size.Bytes;
}

}  // namespace
