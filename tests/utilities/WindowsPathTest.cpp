#include "utilities/WindowsPath.h"

#include <gtest/gtest.h>

using namespace winpath;

namespace {

// Each name as Windows takes it: opened as written, with its end dropped,
// as a climb, as a device, or refused.
TEST(WindowsPath, NamesAsWindowsTakesThem)
{
    const struct {
        std::string name;
        bool dotsAndSpaces, device, safe, creatable;
        std::string opened;  // the name of the file Windows opens for it
    } cases[] = {
        {"a.txt", false, false, true, true, "a.txt"},
        {".hidden", false, false, true, true, ".hidden"},
        {"a..b", false, false, true, true, "a..b"},
        {" leading space", false, false, true, true, " leading space"},
        {"a=b;c,d", false, false, true, true, "a=b;c,d"},
        {"na\xEFve", false, false, true, true, "na\xEFve"},
        {"[1] {2} #3 %4 &5 'six' ~7", false, false, true, true, "[1] {2} #3 %4 &5 'six' ~7"},
        // Close to devices, but none.
        {"Console", false, false, true, true, "Console"},
        {"nul1", false, false, true, true, "nul1"},
        {"com10", false, false, true, true, "com10"},
        {"lpt0", false, false, true, true, "lpt0"},
        {"com", false, false, true, true, "com"},
        {"auxiliary.txt", false, false, true, true, "auxiliary.txt"},
        {"xcon", false, false, true, true, "xcon"},
        {"con_.txt", false, false, true, true, "con_.txt"},
        // Devices in any case, with any extension or trailing spaces.
        {"CON", false, true, false, false, "CON"},
        {"prn", false, true, false, false, "prn"},
        {"Aux", false, true, false, false, "Aux"},
        {"NUL.txt", false, true, false, false, "NUL.txt"},
        {"nul.tar.gz", false, true, false, false, "nul.tar.gz"},
        {"con .log", false, true, false, false, "con .log"},
        {"COM1", false, true, false, false, "COM1"},
        {"com9.dat", false, true, false, false, "com9.dat"},
        {"Lpt1.log", false, true, false, false, "Lpt1.log"},
        {"LPT9.x", false, true, false, false, "LPT9.x"},
        {"aux.", false, true, false, false, "aux"},
        // Safe, but Windows drops their end or refuses them.
        {"dot.", false, false, true, false, "dot"},
        {"space ", false, false, true, false, "space"},
        {"dots. .", false, false, true, false, "dots"},
        {"a?b.txt", false, false, true, false, "a?b.txt"},
        {"pi|pe", false, false, true, false, "pi|pe"},
        {"say \"hi\"", false, false, true, false, "say \"hi\""},
        {"a*b", false, false, true, false, "a*b"},
        {"a<b>", false, false, true, false, "a<b>"},
        {"tab\tname", false, false, true, false, "tab\tname"},
        {"bell\x07", false, false, true, false, "bell\x07"},
        // Climbs and nothing.
        {"", true, false, false, false, ""},
        {".", true, false, false, false, ""},
        {"..", true, false, false, false, ""},
        {".. ", true, false, false, false, ""},
        {". .", true, false, false, false, ""},
        {"...", true, false, false, false, ""},
        // More than one name, a drive, a stream or a NUL.
        {"a\\b", false, false, false, false, "a\\b"},
        {"a/b", false, false, false, false, "a/b"},
        {"c:x", false, false, false, false, "c:x"},
        {"stream:$DATA", false, false, false, false, "stream:$DATA"},
        {std::string("a\0b", 3), false, false, false, false, std::string("a\0b", 3)},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(IsDotsAndSpaces(c.name), c.dotsAndSpaces) << c.name;
        EXPECT_EQ(IsDeviceName(c.name), c.device) << c.name;
        EXPECT_EQ(IsSafeFileName(c.name), c.safe) << c.name;
        EXPECT_EQ(IsWindowsFileName(c.name), c.creatable) << c.name;
        EXPECT_EQ(WithoutTrailingDotsAndSpaces(c.name), c.opened) << c.name;
    }
}

// Joined below a folder: every name must keep the path there.
TEST(WindowsPath, NamesOfAPathStayInsideTheFolder)
{
    for (const char* inside : {"", "sub", "sub\\inner\\", "\\sub\\\\inner\\", "/rooted", "a..b\\c", ".x\\y", "x.\\y",
                               "Console\\a"})
        EXPECT_TRUE(NamesStayInside(inside)) << inside;
    for (const char* outside : {"..", "..\\", "a\\..\\b", "a/../b", "a\\.\\b", "a\\ ..\\b", "a\\...\\b", "C:\\x", "c:",
                                "x.txt:stream", "con\\x", "a\\Lpt3\\", "a\\nul.d\\b", "a/CON"})
        EXPECT_FALSE(NamesStayInside(outside)) << outside;
    EXPECT_FALSE(NamesStayInside(std::string("a\\b\0c", 5)));
}

TEST(WindowsPath, FolderArithmetic)
{
    const struct {
        const char* path;
        const char* folder;
        const char* withoutBackslash;
        const char* withBackslash;
    } cases[] = {
        {"C:\\a\\b.txt", "C:\\a", "C:\\a\\b.txt", "C:\\a\\b.txt\\"},
        {"C:\\a\\", "C:\\a", "C:\\a", "C:\\a\\"},
        {"C:\\a\\\\", "C:\\a\\", "C:\\a\\", "C:\\a\\\\"},
        {"D:\\Apps\\\\App.exe", "D:\\Apps\\", "D:\\Apps\\\\App.exe", "D:\\Apps\\\\App.exe\\"},
        {"C:\\", "C:", "C:", "C:\\"},
        {"Docs/a.txt", "Docs", "Docs/a.txt", "Docs/a.txt\\"},
        {"name", "", "name", "name\\"},
        {"", "", "", ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(FolderOf(c.path), c.folder) << c.path;
        EXPECT_EQ(WithoutBackslash(c.path), c.withoutBackslash) << c.path;
        EXPECT_EQ(AddBackslash(c.path), c.withBackslash) << c.path;
    }
}

TEST(WindowsPath, LetterCase)
{
    EXPECT_EQ(UpperAscii("Uninstall.exe na\xEFve 1"), "UNINSTALL.EXE NA\xEFVE 1");
    EXPECT_TRUE(SameIgnoringCase("Uninstall.EXE", "uninstall.exe"));
    EXPECT_TRUE(SameIgnoringCase("", ""));
    EXPECT_FALSE(SameIgnoringCase("Data.Zup", "Data.Zu"));
    EXPECT_FALSE(SameIgnoringCase("\xEF", "\xCF"));
}

// Spellings of one place give one text; climbing and other places stay apart.
TEST(WindowsPath, ComparableSpellings)
{
    const std::pair<const char*, const char*> spellings[] = {
        {"c:/Program files\\\\App\\", "C:\\PROGRAM FILES\\APP"},
        {"C:\\Windows. \\win.ini ", "C:\\WINDOWS\\WIN.INI"},
        {"\\\\server\\share\\x", "\\\\SERVER\\SHARE\\X"},
        {"//SERVER/share/x/", "\\\\SERVER\\SHARE\\X"},
        {"\\\\\\share\\x", "\\\\SHARE\\X"},
        {"\\App", "\\APP"},
        {"C:\\App\\..", "C:\\APP\\.."},
        {"C:\\a\\.. \\b", "C:\\A\\.. \\B"},
        {"C:\\", "C:"},
        {"", ""},
    };
    for (const auto& [path, comparable] : spellings) EXPECT_EQ(ComparablePath(path), comparable) << path;

    EXPECT_TRUE(IsSamePath("c:/Program files\\\\App\\", "C:\\PROGRAM FILES\\App"));
    EXPECT_TRUE(IsSamePath("\\\\server\\share\\x", "//SERVER/share/x/"));
    EXPECT_FALSE(IsSamePath("C:\\App", "C:\\App2"));
    EXPECT_FALSE(IsSamePath("C:\\App\\..", "C:\\App"));
    EXPECT_FALSE(IsSamePath("\\App", "App"));

    const auto inside = [](const char* path, const char* folder) {
        return ComparableInside(ComparablePath(path), ComparablePath(folder));
    };
    EXPECT_TRUE(inside("C:\\App\\\\x\\y.txt", "c:\\app\\"));
    EXPECT_TRUE(inside("C:\\App", "C:\\App"));
    EXPECT_FALSE(inside("C:\\Apple\\y.txt", "C:\\App"));
    EXPECT_FALSE(inside("C:\\App", "C:\\App\\x"));
}

}  // namespace
