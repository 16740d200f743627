#include "setup/SetupFile.h"

#include <gtest/gtest.h>

#include "tests/setup/SetupKeyCoverage.h"
#include "utilities/SetupError.h"

namespace {

// Every description needs a title, a destination and a window skin; tests
// about other lines append these blocks.
const std::string kRequiredBlocks =
    "Object=Setup\r\nVistraneTitle=Test\r\nDestination=Test\r\nend\r\n"
    "Object=Panel\r\nBitmap=Graphics\\skin.bmp\r\nend\r\n";

void ExpectSameButton(const TButtonSkin& actual, const TButtonSkin& expected, const char* which)
{
    SCOPED_TRACE(which);
    EXPECT_EQ(actual.Top, expected.Top);
    EXPECT_EQ(actual.Left, expected.Left);
    EXPECT_EQ(actual.Mask, expected.Mask);
    EXPECT_EQ(actual.Touched, expected.Touched);
    EXPECT_EQ(actual.Pressed, expected.Pressed);
    EXPECT_EQ(actual.Disabled, expected.Disabled);
    EXPECT_EQ(actual.InvisibleColor, expected.InvisibleColor);
}

void ExpectSameSettings(const TSetupSettings& actual, const TSetupSettings& expected)
{
    EXPECT_EQ(actual.AddFiles, expected.AddFiles);
    EXPECT_EQ(actual.TargetFile, expected.TargetFile);
    EXPECT_EQ(actual.Destination, expected.Destination);
    EXPECT_EQ(actual.Folder, expected.Folder);
    EXPECT_EQ(actual.Licence, expected.Licence);
    EXPECT_EQ(actual.ReadMe, expected.ReadMe);
    EXPECT_EQ(actual.Language, expected.Language);
    EXPECT_EQ(actual.Title, expected.Title);
    EXPECT_EQ(actual.LaunchProg, expected.LaunchProg);
    EXPECT_EQ(actual.DesktopIcon, expected.DesktopIcon);
    EXPECT_EQ(actual.PerMachine, expected.PerMachine);
    EXPECT_EQ(actual.TextBoxColor, expected.TextBoxColor);
    EXPECT_EQ(actual.TextFont.Name, expected.TextFont.Name);
    EXPECT_EQ(actual.TextFont.Color, expected.TextFont.Color);
    EXPECT_EQ(actual.TextFont.Height, expected.TextFont.Height);
    EXPECT_EQ(actual.TextFont.Style, expected.TextFont.Style);
    EXPECT_EQ(actual.Method, expected.Method);
    EXPECT_EQ(actual.Description, expected.Description);
    EXPECT_EQ(actual.Icon, expected.Icon);
    EXPECT_EQ(actual.Encrypted, expected.Encrypted);
    EXPECT_EQ(actual.AlphaColor, expected.AlphaColor);
    EXPECT_EQ(actual.SetupName, expected.SetupName);
    EXPECT_EQ(actual.ControlPanel, expected.ControlPanel);
    EXPECT_EQ(actual.MainPanel.Left, expected.MainPanel.Left);
    EXPECT_EQ(actual.MainPanel.Top, expected.MainPanel.Top);
    EXPECT_EQ(actual.MainPanel.Width, expected.MainPanel.Width);
    EXPECT_EQ(actual.MainPanel.Height, expected.MainPanel.Height);
    EXPECT_EQ(actual.Panel.Bitmap, expected.Panel.Bitmap);
    EXPECT_EQ(actual.Panel.InvisibleColor, expected.Panel.InvisibleColor);
    ExpectSameButton(actual.Backbutton, expected.Backbutton, "Back");
    ExpectSameButton(actual.Forwardbutton, expected.Forwardbutton, "Forward");
    ExpectSameButton(actual.Cancelbutton, expected.Cancelbutton, "Cancel");
}

// A description as the authoring tool writes it, every key used, with the
// quirks authors meet: mixed line breaks, repeated keys and blocks, keys with
// spaces, a second Cancel block, values holding "=". Every setting it names
// has a value of its own, so a key of the table that fills another setting
// than its own, or takes its value as another kind, leaves one unfilled.
TEST(SetupFile, FullDescriptionFillsEverySetting)
{
    const std::string text =
        "Object=Setup\r\n"  // line 0: never examined
        "Object=Setup\r\n"
        "TargetFile=App.exe\r\n"
        "TargetFile =Other.exe\r\n"
        "Addfile=App.exe\n"
        "Addfile=Graphics\\logo.bmp\r"
        "Addfile=Additional\\Docs\\a=b.txt\r\n"
        "Addfile=App.exe\r\n"
        "VistraneTitle=Zoreva Demo\r\n"
        "Language=German\r\n"
        "Licence=Licence.txt\r\n"
        "Destination=Zoreva Demo\r\n"
        "Folder=Zoreva\r\n"
        "ReadMe=Docs\\ReadMe.txt\r\n"
        "LaunchProg=1\r\n"
        "DesktopIcon=1\r\n"
        "PerMachine=1\r\n"
        "TextBoxColor=$00FFEEDD\r\n"
        "Fontname=Tahoma\r\n"
        "Fontcolor=0x0000FF\r\n"
        "Fontheight=-13\r\n"
        "Fontstyle=Bold\r\n"
        "Fontstyle=Italic\r\n"
        "Method=zlib\r\n"
        "Description=A demo = a test\r\n"
        "Icon=App.ico\r\n"
        "Encrypted=1\r\n"
        "AlphaColor= 255\r\n"
        "SetupName=DemoSetup\r\n"
        "ControlPanel=yes\r\n"
        "end\r\n"
        "Object=Toolweb\r\n"
        "Top=20\r\nLeft=110\r\nWidth=380\r\nHeight=-5\r\n"
        "end\r\n"
        "Object=Panel\r\n"
        "Bitmap=Graphics\\skin.bmp\r\n"
        "InvisibleColor=$FF00FF\r\n"
        "end\r\n"
        "Object=Button\r\n"
        "Top=300\r\n"
        "Name=Back\r\n"
        "Left=10\r\nMask=Graphics\\b1.bmp\r\nTouched=Graphics\\b2.bmp\r\nPressed=Graphics\\b3.bmp\r\n"
        "Disabled=Graphics\\b4.bmp\r\nInvisibleColor=16711935\r\n"
        "end\r\n"
        "Object=Button\r\n"
        "Left=200\r\n"
        "Mask=Forward\r\n"  // the name line, whatever its key, is also a key line of the block
        "end\r\n"
        "Object=Button\r\nTop=1\r\nName=Cancel\r\nLeft=2\r\nMask=c1.bmp\r\nend\r\n"
        "Object=Button\r\nTop=3\r\nName=Cancel\r\nTouched=c2.bmp\r\nend\r\n"
        "Object=Setup\r\nAddfile=ReadMe.txt\r\nFolder=Zoreva Tools\r\nend\r\n";

    TSetupSettings expected;
    expected.AddFiles = {"App.exe", "Graphics\\logo.bmp", "Additional\\Docs\\a=b.txt", "App.exe", "ReadMe.txt"};
    expected.TargetFile = "App.exe";
    expected.Title = "Zoreva Demo";
    expected.Language = "German";
    expected.Licence = "Licence.txt";
    expected.Destination = "Zoreva Demo";
    expected.Folder = "Zoreva Tools";
    expected.ReadMe = "Docs\\ReadMe.txt";
    expected.LaunchProg = true;
    expected.DesktopIcon = true;
    expected.PerMachine = true;
    expected.TextBoxColor = 0x00FFEEDD;
    expected.TextFont.Name = "Tahoma";
    expected.TextFont.Color = 0x0000FF;
    expected.TextFont.Height = -13;
    expected.TextFont.Style = TFontStyle::Italic;
    expected.Method = "zlib";
    expected.Description = "A demo = a test";
    expected.Icon = "App.ico";
    expected.Encrypted = true;
    expected.AlphaColor = 255;
    expected.SetupName = "DemoSetup";
    expected.ControlPanel = "yes";
    expected.MainPanel = {110, 20, 380, -5};
    expected.Panel = {"Graphics\\skin.bmp", 0xFF00FF};
    expected.Backbutton = {300, 10, "Graphics\\b1.bmp", "Graphics\\b2.bmp", "Graphics\\b3.bmp", "Graphics\\b4.bmp",
                           0xFF00FF};
    expected.Forwardbutton.Left = 200;
    expected.Forwardbutton.Mask = "Forward";
    expected.Cancelbutton = {3, 2, "c1.bmp", "c2.bmp", "", "", 0};

    ExpectEveryKeyRead(text);
    ExpectSameSettings(ReadSetupFile(text), expected);
}

// Where blocks begin and end, what is seen and what is skipped.
TEST(SetupFile, BlockGrammar)
{
    const struct {
        const char* name;
        std::string text;
        std::string targetFile;
        int32_t mainPanelTop;
        std::string backMask;
    } cases[] = {
        {"opening on line 0 is not seen", "Object=Setup\r\nTargetFile=A\r\nend\r\n", "", 16, ""},
        {"empty line 0", "\r\nObject=Setup\r\nTargetFile=A\r\nend\r\n", "A", 16, ""},
        {"lone CR and LF break lines", "x\rObject=Setup\nTargetFile=A\rend", "A", 16, ""},
        {"key outside blocks ignored", "x\r\nTargetFile=A\r\n", "", 16, ""},
        {"unknown kind: body read as top level",
         "x\r\nObject=Other\r\nObject=Setup\r\nTargetFile=B\r\nend\r\nend\r\n", "B", 16, ""},
        {"blocks do not nest",
         "x\r\nObject=Setup\r\nObject=Toolweb\r\nTop=5\r\nend\r\nTargetFile=C\r\nend\r\n", "", 16, ""},
        {"a Toolweb block moves the text area", "x\r\nObject=Toolweb\r\nTop=5\r\nend\r\n", "", 5, ""},
        {"kinds are case-sensitive", "x\r\nObject=setup\r\nTargetFile=A\r\nend\r\n", "", 16, ""},
        {"\"end\" must be the whole line",
         "x\r\nObject=Setup\r\nTargetFile=A\r\n end\r\nTargetFile=B\r\nend\r\n", "B", 16, ""},
        {"unknown button: body read as top level",
         "x\r\nObject=Button\r\n\r\nName=Help\r\nObject=Setup\r\nTargetFile=D\r\nend\r\nend\r\n", "D", 16, ""},
        {"button name is case-sensitive", "x\r\nObject=Button\r\n\r\nName=back\r\nMask=m.bmp\r\nend\r\n", "", 16, ""},
        {"button name taken from the value", "x\r\nObject=Button\r\nMask=m.bmp\r\nDisabled=Back\r\nend\r\n", "", 16, "m.bmp"},
        {"button block read", "x\r\nObject=Button\r\n\r\nName=Back\r\nMask=m.bmp\r\nend\r\n", "", 16, "m.bmp"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const TSetupSettings settings = ReadSetupFile(c.text + "\r\n" + kRequiredBlocks);
        EXPECT_EQ(settings.TargetFile, c.targetFile);
        EXPECT_EQ(settings.MainPanel.Top, c.mainPanelTop);
        EXPECT_EQ(settings.Backbutton.Mask, c.backMask);
    }
}

TEST(SetupFile, ValueRules)
{
    const auto setup = [](const std::string& lines) {
        return ReadSetupFile("x\r\nObject=Setup\r\n" + lines + "end\r\n" + kRequiredBlocks);
    };
    EXPECT_FALSE(setup("LaunchProg=true\r\n").LaunchProg);
    EXPECT_FALSE(setup("LaunchProg= 1\r\n").LaunchProg);
    EXPECT_FALSE(setup("LaunchProg=\r\n").LaunchProg);
    EXPECT_TRUE(setup("LaunchProg=1\r\n").LaunchProg);
    EXPECT_TRUE(setup("LaunchProg=1\r\nLaunchProg=0\r\nLaunchProg=1\r\n").LaunchProg);
    EXPECT_EQ(setup("Fontstyle=bold\r\n").TextFont.Style, TFontStyle::None);
    EXPECT_EQ(setup("Fontstyle=Underline\r\n").TextFont.Style, TFontStyle::Underline);
    EXPECT_EQ(setup("Fontstyle=StrikeOut\r\n").TextFont.Style, TFontStyle::StrikeOut);
    EXPECT_EQ(setup("Fontstyle=Bold\r\nFontstyle=Bogus\r\n").TextFont.Style, TFontStyle::None);
    EXPECT_EQ(setup("").TextFont.Name, std::nullopt);
    EXPECT_EQ(setup("Fontname=\r\n").TextFont.Name, std::string());
    EXPECT_EQ(setup(" Folder=X\r\n").Folder, "");
    EXPECT_EQ(setup("Folder= X\r\n").Folder, " X");
}

TEST(SetupFile, ErrorsNameTheFileTheLineAndTheFault)
{
    const struct {
        std::string text;
        std::string message;
    } cases[] = {
        {"x\r\nObject=Panel\r\nBitmap=s.bmp\r\nend\r\nObject=Setup\r\nFolder=A\r\n",
         "Setup.ini, line 5: the block \"Object=Setup\" has no \"end\" line."},
        {"x\r\nObject=Toolweb\r\nTop=1\r\nend \r\n",
         "Setup.ini, line 2: the block \"Object=Toolweb\" has no \"end\" line."},
        {"x\r\nObject=Button\r\nTop=1\r\n",
         "Setup.ini, line 2: the Button block ends before the line two below it, which names the button."},
        {"x\r\nObject=Button\r\n\r\nName=Back\r\nMask=m.bmp\r\n",
         "Setup.ini, line 2: the block \"Object=Button\" has no \"end\" line."},
        {"x\r\nObject=Toolweb\r\nTop=1\r\nWidth=12px\r\nend\r\n",
         "Setup.ini, line 4: \"Width\" needs a whole number, not \"12px\"."},
        {"x\r\nObject=Setup\r\nFontheight=\r\nend\r\n", "Setup.ini, line 3: \"Fontheight\" needs a whole number, not \"\"."},
        {"x\r\nObject=Button\r\nInvisibleColor=red\r\nName=Cancel\r\nend\r\n",
         "Setup.ini, line 3: \"InvisibleColor\" needs a whole number, not \"red\"."},
        {"x\r\nObject=Setup\r\nAddfile=App.exe\r\nAddfile=..\\Windows\\evil.dll\r\nend\r\n",
         "Setup.ini, line 4: the Addfile entry \"..\\Windows\\evil.dll\" is not a file path below the destination "
         "folder."},
        {"x\r\n", "Setup.ini: there is no \"Object=Panel\" block, so the setup window has no skin picture."},
        {"x\r\nObject=Panel\r\nBitmap=s.bmp\r\nend\r\nObject=Panel\r\nBitmap= \r\nend\r\n",
         "Setup.ini, line 5: the Panel block names no skin picture: it needs a \"Bitmap=\" line with the picture file."},
        {"x\r\nObject=Setup\r\nVistraneTitle=Zoreva\r\nVistraneTitle=..\\..\\users\\Public\\Desktop\\Evil\r\nend\r\n" +
             kRequiredBlocks,
         "Setup.ini, line 4: \"VistraneTitle\" is \"..\\..\\users\\Public\\Desktop\\Evil\", which cannot name the "
         "product's shortcuts and its uninstall entry: a title is not empty, holds none of \\ / : * ? \" < > | and no "
         "control characters, does not end in a dot or a space and is no device name such as CON, NUL, COM1 or LPT1."},
        {"x\r\nObject=Setup\r\nDestination=..\\..\\Windows\r\nend\r\n" + kRequiredBlocks,
         "Setup.ini, line 3: \"Destination\" is \"..\\..\\Windows\", which is no folder below Program Files to install "
         "into: it must be folder names separated by single backslashes, none of them empty, \".\" or \"..\", a device "
         "name such as CON or NUL, holding / : * ? \" < > | or control characters or ending in a dot or a space, and "
         "not \"Common Files\", which belongs to Windows."},
        {"x\r\nObject=Setup\r\nFolder=Startup\r\nend\r\n" + kRequiredBlocks,
         "Setup.ini, line 3: \"Folder\" is \"Startup\", which is no program folder below the Start menu's Programs "
         "folder: it must be folder names separated by single backslashes, none of them empty, \".\" or \"..\", a "
         "device name such as CON or NUL, holding / : * ? \" < > | or control characters or ending in a dot or a "
         "space, and not Windows' own \"Startup\" or \"Administrative Tools\". Without a \"Folder\" line the setup "
         "makes no program folder."},
        {"x\r\nObject=Setup\r\nDestination=Zoreva\r\nFolder=Zoreva\r\nend\r\nObject=Panel\r\nBitmap=s.bmp\r\nend\r\n",
         "Setup.ini: there is no \"VistraneTitle=\" line in a Setup block, so the setup has no title for its shortcuts "
         "and its uninstall entry."},
        {"VistraneTitle=Zoreva\r\nObject=Setup\r\nVistraneTitle=Zoreva\r\nend\r\n"
         "Object=Panel\r\nBitmap=s.bmp\r\nend\r\n",
         "Setup.ini: there is no \"Destination=\" line in a Setup block, so the setup has no folder below Program "
         "Files to install into."},
    };
    for (const auto& c : cases) {
        try {
            ReadSetupFile(c.text);
            ADD_FAILURE() << "no error for " << c.text;
        } catch (const ESetupError& error) {
            EXPECT_EQ(error.what(), c.message);
        }
    }
}

TEST(SetupFile, AddfileEntriesMustStayBelowTheDestination)
{
    const std::pair<const char*, bool> cases[] = {
        {"App.exe", true},
        {"Graphics\\logo.bmp", true},
        {"Additional\\Docs\\Guide.txt", true},
        {"a..b\\.config", true},
        {"Console.txt", true},
        {"..\\x", false},
        {"a\\..\\..\\x", false},
        {"a/../../x", false},
        {"a\\.. \\x", false},
        {"a\\...\\x", false},
        {"CON", false},
        {"Docs\\nul.txt", false},
        {"com1\\x.txt", false},
        {".\\x", false},
        {"C:\\Windows\\x.dll", false},
        {"C:x.dll", false},
        {"x.txt:stream", false},
        {"\\Windows\\x.dll", false},
        {"/etc/x", false},
        {"\\\\server\\share\\x", false},
        {"a\\\\x", false},
        {"Graphics\\", false},
        {"", false},
    };
    for (const auto& [entry, installable] : cases) EXPECT_EQ(IsInstallablePath(entry), installable) << entry;
}

// The title names shortcut files and a registry key; the destination and the
// program folder are joined below Program Files and the Programs folder.
TEST(SetupFile, NamesJoinedIntoPathsAndKeysStayWhereTheyBelong)
{
    const struct {
        const char* value;
        bool title, destination, folder;
    } cases[] = {
        {"Zoreva Demo", true, true, true},
        {" Leading space", true, true, true},
        {"Zoreva 2.0 (beta) & co", true, true, true},
        {"a..b", true, true, true},
        {"Console", true, true, true},
        {"Vendor\\Zoreva Demo", false, true, true},
        {"", false, false, false},
        {"Zoreva: Pro", false, false, false},
        {"Zoreva/Slash", false, false, false},
        {"Zoreva.", false, false, false},
        {"Zoreva ", false, false, false},
        {"Vendor\\Zoreva.", false, false, false},
        {"Vendor \\Zoreva", false, false, false},
        {"a?b", false, false, false},
        {"a*b", false, false, false},
        {"a\"b", false, false, false},
        {"a<b>", false, false, false},
        {"pi|pe", false, false, false},
        {"tab\there", false, false, false},
        {"CON", false, false, false},
        {"nul.txt", false, false, false},
        {"Com1", false, false, false},
        {"Vendor\\lpt9.log", false, false, false},
        {"..", false, false, false},
        {".", false, false, false},
        {"..\\..\\Windows", false, false, false},
        {"..\\..\\..\\..\\Startup", false, false, false},
        {"Vendor\\..\\..\\x", false, false, false},
        {".. \\x", false, false, false},
        {".\\x", false, false, false},
        {"x\\.\\y", false, false, false},
        {"C:\\Windows", false, false, false},
        {"C:Zoreva", false, false, false},
        {"\\Windows", false, false, false},
        {"\\\\server\\share", false, false, false},
        {"Zoreva\\", false, false, false},
        {"Vendor\\\\Zoreva", false, false, false},
        // The shell's own folders right where the name is joined.
        {"Common Files", true, false, true},
        {"common FILES", true, false, true},
        {"Common Files\\Zoreva", false, true, true},
        {"Startup", true, true, false},
        {"STARTUP", true, true, false},
        {"Startup\\Zoreva", false, true, true},
        {"Administrative Tools", true, true, false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(IsProductTitle(c.value), c.title) << '"' << c.value << '"';
        EXPECT_EQ(IsDestinationFolder(c.value), c.destination) << '"' << c.value << '"';
        EXPECT_EQ(IsProgramFolder(c.value), c.folder) << '"' << c.value << '"';
    }
}

TEST(SetupFile, IntegerSyntax)
{
    const std::pair<const char*, std::optional<int32_t>> cases[] = {
        {"0", 0},
        {"42", 42},
        {"   42", 42},
        {"+7", 7},
        {"-7", -7},
        {"007", 7},
        {"$FF", 255},
        {"$ff", 255},
        {"0xFF", 255},
        {"-$10", -16},
        {"$FF00000F", -16777201},
        {"$FFFFFFFF", -1},
        {"2147483647", 2147483647},
        {"-2147483648", INT32_MIN},
        {"2147483648", std::nullopt},
        {"-2147483649", std::nullopt},
        {"$100000000", std::nullopt},
        {"99999999999999999999", std::nullopt},
        {"", std::nullopt},
        {"   ", std::nullopt},
        {"42 ", std::nullopt},
        {"\t42", std::nullopt},
        {"- 1", std::nullopt},
        {"--1", std::nullopt},
        {"1.5", std::nullopt},
        {"1e3", std::nullopt},
        {"$", std::nullopt},
        {"0x", std::nullopt},
        {"0X1F", std::nullopt},
        {"$G", std::nullopt},
        {"12abc", std::nullopt},
    };
    for (const auto& [text, value] : cases) EXPECT_EQ(ParseInteger(text), value) << '"' << text << '"';
}

TEST(SetupFile, LineBreaksAndBlankText)
{
    using Lines = std::vector<std::string>;
    EXPECT_EQ(SplitLines(""), Lines{});
    EXPECT_EQ(SplitLines("a"), Lines{"a"});
    EXPECT_EQ(SplitLines("a\r\n"), Lines{"a"});
    EXPECT_EQ(SplitLines("a\r\n\r\nb"), (Lines{"a", "", "b"}));
    EXPECT_EQ(SplitLines("a\rb\nc\r\n"), (Lines{"a", "b", "c"}));
    EXPECT_EQ(SplitLines("a\n\rb"), (Lines{"a", "", "b"}));
    EXPECT_EQ(SplitLines("\n"), Lines{""});
    EXPECT_EQ(SplitLines("x=\xE4\xF6\r\n"), Lines{"x=\xE4\xF6"});

    EXPECT_TRUE(IsBlank(""));
    EXPECT_TRUE(IsBlank(" \t\r\n\x01 "));
    EXPECT_FALSE(IsBlank(" x "));
    EXPECT_FALSE(IsBlank("\xA0"));
}

}  // namespace
