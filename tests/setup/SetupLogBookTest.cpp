#include "setup/SetupLogBook.h"

#include <gtest/gtest.h>

#include "tests/TestSupport.h"
#include "utilities/SetupError.h"

namespace {

// What an installation with a program folder, a ReadMe and a desktop icon
// records, in the order the installation run does it.
void RecordInstallation(TSetupLogBook& book)
{
    const std::string d = "C:\\Program Files\\App", f = "C:\\Start\\App";
    book.AddDirectory(d);
    book.AddDirectory(d + "\\Graphics");
    book.AddDirectory(d + "\\Sounds");
    book.AddDirectory(d + "\\Additional");
    book.AddCopiedFile(d + "\\App.exe");
    book.AddCopiedFile(d + "\\ReadMe.txt");
    book.AddCopiedFile(d + "\\ReadMe.txt");
    book.AddDirectory(f);
    book.AddLink(f + "\\App.lnk");
    book.AddLink(f + "\\Uninstall.lnk");
    book.AddLink(f + "\\ReadMe.txt.lnk");
    book.AddLink("C:\\Desktop\\App.lnk");
}

TEST(SetupLogBook, WritesHeaderThenEntriesNewestFirstWithCrLf)
{
    TTempFolder temp;
    TSetupLogBook book;
    RecordInstallation(book);
    book.LogFileName = temp / "setup.log";
    book.KeyName = "App";
    book.DisplayTitle = "The App";
    book.SaveLog();
    EXPECT_EQ(ReadAll(temp / "setup.log"),
              TextBytes("SetupLOG\r\n"
                        "NAME=The App\r\n"
                        "KEY=App\r\n"
                        "LINK=C:\\Desktop\\App.lnk\r\n"
                        "LINK=C:\\Start\\App\\ReadMe.txt.lnk\r\n"
                        "LINK=C:\\Start\\App\\Uninstall.lnk\r\n"
                        "LINK=C:\\Start\\App\\App.lnk\r\n"
                        "DIRECTORY=C:\\Start\\App\r\n"
                        "COPYFILE=C:\\Program Files\\App\\ReadMe.txt\r\n"
                        "COPYFILE=C:\\Program Files\\App\\ReadMe.txt\r\n"
                        "COPYFILE=C:\\Program Files\\App\\App.exe\r\n"
                        "DIRECTORY=C:\\Program Files\\App\\Additional\r\n"
                        "DIRECTORY=C:\\Program Files\\App\\Sounds\r\n"
                        "DIRECTORY=C:\\Program Files\\App\\Graphics\r\n"
                        "DIRECTORY=C:\\Program Files\\App\r\n"));
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
