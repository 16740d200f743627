// The check on whole workspaces: Setup.ini text and files in, the exact
// lines an author reads out, with the pictures decoded as this host does.

#include "tools/SetupCheck.h"

#include <gtest/gtest.h>

#include <map>

#include "tests/TestSupport.h"
#include "tests/setup/SetupKeyCoverage.h"
#include "tools/PictureProbe.h"

namespace fs = std::filesystem;

namespace {

// An 8 x 8 picture of one colour, as an image editor saves it.
const char kJpegHex[] =
    "ffd8ffe000104a46494600010100000100010000ffdb004300100b0c0e0c0a100e0d0e1211101318281a181616183123"
    "251d283a333d3c3933383740485c4e404457453738506d51575f626768673e4d71797064785c656763ffdb0043011112"
    "121815182f1a1a2f63423842636363636363636363636363636363636363636363636363636363636363636363636363"
    "6363636363636363636363636363ffc00011080008000803012200021101031101ffc400150001010000000000000000"
    "0000000000000005ffc40014100100000000000000000000000000000000ffc400150101010000000000000000000000"
    "0000000405ffc40014110100000000000000000000000000000000ffda000c03010002110311003f009a02802fffd9";

Bytes FromHex(const std::string& hex)
{
    Bytes bytes;
    for (size_t i = 0; i + 1 < hex.size(); i += 2)
        bytes.push_back(static_cast<uint8_t>(std::stoi(hex.substr(i, 2), nullptr, 16)));
    return bytes;
}

Bytes Jpeg()
{
    return FromHex(kJpegHex);
}

Bytes Gif()
{
    return {0x47, 0x49, 0x46, 0x38, 0x39, 0x61, 0x02, 0x00, 0x02, 0x00, 0xf0, 0x00, 0x00, 0x33, 0x66,
            0x99, 0x00, 0x00, 0x00, 0x21, 0xf9, 0x04, 0x00, 0x00, 0x00, 0x00, 0x00, 0x2c, 0x00, 0x00,
            0x00, 0x00, 0x02, 0x00, 0x02, 0x00, 0x00, 0x02, 0x02, 0x84, 0x51, 0x00, 0x3b};
}

void Put(Bytes& out, uint32_t value, int size)
{
    for (int i = 0; i < size; ++i) out.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

// A 2 x 2 icon of 32 bits per pixel: directory, one entry, the bitmap with its mask.
Bytes Icon()
{
    Bytes out;
    for (uint32_t word : {0u, 1u, 1u}) Put(out, word, 2);
    out.insert(out.end(), {2, 2, 0, 0});
    Put(out, 1, 2);
    Put(out, 32, 2);
    Put(out, 40 + 16 + 8, 4);
    Put(out, 22, 4);
    for (uint32_t value : {40u, 2u, 4u}) Put(out, value, 4);
    Put(out, 1, 2);
    Put(out, 32, 2);
    for (int i = 0; i < 6; ++i) Put(out, 0, 4);
    for (int i = 0; i < 4; ++i) Put(out, 0xFF336699, 4);
    out.resize(out.size() + 8, 0);
    return out;
}

// An empty enhanced metafile: its header record and the end record.
Bytes Emf()
{
    Bytes out;
    for (uint32_t value : {1u, 88u, 0u, 0u, 9u, 9u, 0u, 0u, 264u, 264u, 0x464D4520u, 0x10000u, 108u, 2u})
        Put(out, value, 4);
    Put(out, 1, 2);
    Put(out, 0, 2);
    for (uint32_t value : {0u, 0u, 0u, 1024u, 768u, 320u, 240u, 14u, 20u, 0u, 16u, 20u}) Put(out, value, 4);
    return out;
}

// An empty Windows metafile behind the placeable header.
Bytes Wmf()
{
    Bytes out;
    Put(out, 0x9AC6CDD7, 4);
    const uint32_t words[] = {0, 0, 0, 100, 100, 1440};
    uint32_t checksum = 0xCDD7 ^ 0x9AC6;
    for (uint32_t word : words) {
        Put(out, word, 2);
        checksum ^= word;
    }
    Put(out, 0, 4);
    Put(out, checksum, 2);
    for (uint32_t word : {1u, 9u, 0x300u}) Put(out, word, 2);
    Put(out, 12, 4);
    Put(out, 0, 2);
    Put(out, 3, 4);
    Put(out, 0, 2);
    Put(out, 3, 4);
    Put(out, 0, 2);
    return out;
}

Bytes Bmp()
{
    return BmpFile(4, 3, 24, std::vector<uint32_t>(12, 0xFF336699));
}

Bytes Head(Bytes bytes, size_t size)
{
    bytes.resize(size);
    return bytes;
}

struct TFile {
    std::string Path;  // relative to the workspace, with slashes
    Bytes Data;
};

// Every workspace has a window skin and an uninstaller; each case adds its own files.
const std::string kSkin = "Object=Panel\r\nBitmap=Graphics\\skin.bmp\r\nend\r\n";
const std::string kUninstaller = "Addfile=Uninstall.exe\r\n";
// A title and a destination, in a block of their own after a case's lines.
const std::string kProduct = "Object=Setup\r\nVistraneTitle=Demo\r\nDestination=Demo\r\nend\r\n";
const std::string kForward = "Object=Button\r\nKind=Bitmap\r\nName=Forward\r\nend\r\n";
const std::string kNoForward =
    "Setup.ini: error: there is no Button block for \"Forward\" (the line two below its \"Object=Button\" line "
    "names the button), so the setup has no Next button to go on with";
const std::string kNoTitle =
    "Setup.ini: error: there is no \"VistraneTitle=\" line in a Setup block, so the setup has no title for its "
    "shortcuts and its uninstall entry.";
const std::string kNoDestination =
    "Setup.ini: error: there is no \"Destination=\" line in a Setup block, so the setup has no folder below Program "
    "Files to install into.";
const std::string kFolderNames =
    "folder names separated by single backslashes, none of them empty, \".\" or \"..\", a device name such as CON "
    "or NUL, holding / : * ? \" < > | or control characters or ending in a dot or a space";

// The window's skin: wide enough for the buttons at their places of the window's design.
constexpr int kSkinWidth = 400, kSkinHeight = 320;

std::vector<TDiagnostic> Diagnose(const std::string& setupText, const std::vector<TFile>& extraFiles)
{
    TTempFolder ws;
    fs::create_directory(ws.Path() / "Graphics");
    WriteAll(ws.Path() / "Graphics" / "skin.bmp",
             BmpFile(kSkinWidth, kSkinHeight, 24, std::vector<uint32_t>(kSkinWidth * kSkinHeight, 0xFF336699)));
    WriteAll(ws.Path() / "Uninstall.exe", TextBytes("MZ"));
    WriteAll(ws.Path() / "Setup.ini", TextBytes(setupText));
    for (const TFile& file : extraFiles) {
        fs::create_directories((ws.Path() / file.Path).parent_path());
        WriteAll(ws.Path() / file.Path, file.Data);
    }
    return CheckSetup(setupText, WorkspaceFilesOf(PlanPayload(ws.Text(), TCodePage(kDefaultCodePage))), ProbePicture);
}

std::vector<std::string> Check(const std::string& setupText, const std::vector<TFile>& extraFiles)
{
    std::vector<std::string> lines;
    for (const TDiagnostic& diagnostic : Diagnose(setupText, extraFiles)) lines.push_back(FormatDiagnostic(diagnostic));
    return lines;
}

TEST(SetupCheck, TellsEachFaultWithItsLine)
{
    const struct {
        const char* what;
        std::string ini;
        std::vector<TFile> files;
        std::vector<std::string> expected;
    } cases[] = {
        {"a sound setup says nothing",
         "Made by the authoring tool\r\nObject=Setup\r\nTargetFile=App.exe\r\nAddfile=app.EXE\r\n" + kUninstaller +
             "Addfile=Additional\\Docs\\Guide.txt\r\nAddfile=graphics\\LOGO.bmp\r\nVistraneTitle=Demo\r\n"
             "Destination=Vendor\\Demo\r\nFolder=Vendor\\Demo\r\n"
             "Language=German\r\nLicence=Licence.txt\r\nReadMe=Additional\\Docs\\.\\Guide.txt\r\nLaunchProg=1\r\n"
             "DesktopIcon=0\r\nFontstyle=Bold\r\nFontheight= -13\r\nTextBoxColor=$00FFFFFF\r\nend\r\n"
             "Object=Toolweb\r\nTop=10\r\nend\r\n" +
             kSkin +
             "Object=Button\r\nKind=Bitmap\r\nName=Back\r\nMask=Graphics\\b.ico\r\nTouched=Graphics\\b.GIF\r\n"
             "Pressed=Graphics\\b.ico\r\nDisabled=Graphics\\b.gif\r\nend\r\n"
             "Object=Button\r\nKind=Bitmap\r\nName=Forward\r\nMask=Graphics\\b.jpg\r\nTouched=Graphics\\b.emf\r\n"
             "Pressed=Graphics\\b.wmf\r\nend\r\n"
             "Object=Button\r\nKind=Bitmap\r\nName=Cancel\r\nMask=Graphics\\logo.bmp\r\n"
             "Disabled=Graphics\\LOGO.bmp\r\nend\r\n",
         {{"App.exe", TextBytes("MZ")},
          {"Licence.txt", TextBytes("Terms")},
          {"Additional/Docs/Guide.txt", TextBytes("Guide")},
          {"Graphics/logo.bmp", Bmp()},
          {"Graphics/b.jpg", Jpeg()},
          {"Graphics/b.gif", Gif()},
          {"Graphics/b.ico", Icon()},
          {"Graphics/b.emf", Emf()},
          {"Graphics/b.wmf", Wmf()}},
         {}},
        {"every error the setup would stop on",
         "x\r\nObject=Setup\r\nAddfile=..\\Windows\\evil.dll\r\nFontheight=12pt\r\nLicence=Licence.txt\r\n" +
             kUninstaller +
             "end\r\nObject=Toolweb\r\nWidth=\r\nend\r\nObject=Panel\r\nBitmap=\r\nend\r\nObject=Button\r\n"
             "Name=Cancel\r\n",
         {},
         {"Setup.ini:3: error: the Addfile entry \"..\\Windows\\evil.dll\" is not a file path below the destination "
          "folder.",
          "Setup.ini:4: error: \"Fontheight\" needs a whole number, not \"12pt\".",
          "Setup.ini:5: error: the licence file \"Licence.txt\" is not in the payload, so the setup cannot start",
          "Setup.ini:9: error: \"Width\" needs a whole number, not \"\".",
          "Setup.ini:11: error: the Panel block names no skin picture: it needs a \"Bitmap=\" line with the picture "
          "file.",
          "Setup.ini:14: error: the Button block ends before the line two below it, which names the button.",
          kNoTitle, kNoDestination, kNoForward}},
        {"names the setup joins into paths and its registry key",
         "x\r\nObject=Setup\r\nVistraneTitle=Zoreva\\Slash\r\nDestination=\r\nFolder=..\\..\\..\\..\\Startup\r\n" +
             kUninstaller + "VistraneTitle=Zoreva\r\nend\r\n" + kSkin,
         {},
         {"Setup.ini:3: error: \"VistraneTitle\" is \"Zoreva\\Slash\", which cannot name the product's shortcuts and "
          "its uninstall entry: a title is not empty, holds none of \\ / : * ? \" < > | and no control characters, "
          "does not end in a dot or a space and is no device name such as CON, NUL, COM1 or LPT1.",
          "Setup.ini:4: error: \"Destination\" is \"\", which is no folder below Program Files to install into: it "
          "must be " + kFolderNames + ", and not \"Common Files\", which belongs to Windows.",
          "Setup.ini:5: error: \"Folder\" is \"..\\..\\..\\..\\Startup\", which is no program folder below the "
          "Start menu's Programs folder: it must be " + kFolderNames +
              ", and not Windows' own \"Startup\" or \"Administrative Tools\". Without a \"Folder\" line the setup "
              "makes no program folder.",
          kNoForward}},
        {"an end line that closes nothing",
         "x\r\nObject=Setup\r\n" + kUninstaller + "end \r\n" + kSkin + "Object=Toolweb\r\nTop=1\r\n",
         {},
         {"Setup.ini:4: warning: \"end \" does not close the Setup block: the line must be exactly \"end\"",
          "Setup.ini:5: warning: \"Object=Panel\" inside the Setup block opens no block, as blocks do not nest; is an "
          "\"end\" line missing above it?",
          "Setup.ini:6: warning: \"Bitmap\" is not a key of the Setup block, so the line is ignored",
          "Setup.ini:8: error: the block \"Object=Toolweb\" has no \"end\" line.",
          "Setup.ini: error: there is no \"Object=Panel\" block, so the setup window has no skin picture.", kNoTitle,
          kNoDestination, kNoForward}},
        {"what the setup silently ignores",
         "Object=Setup\r\nObject=Setup\r\nTargetFile = App.exe\r\nTitel=Demo\r\n; a comment\r\n\r\nFolder= Demo\r\n"
         "LaunchProg=true\r\nDesktopIcon=\r\nFontstyle=bold\r\nFontstyle=\r\nLanguage=english\r\n" +
             kUninstaller + "end\r\nObject=Toolbar\r\nTop=3\r\nend\r\n" + kSkin +
             "Object=Button\r\nKind=Bitmap\r\nName=Ok\r\nMask=Graphics\\skin.bmp\r\nend\r\n"
             "Object=Button\r\nKind=Bitmap\r\nName=Forward\r\nWidth=5\r\nend\r\n" + kProduct,
         {},
         {"Setup.ini:1: error: the setup never reads the first line, so the block \"Object=Setup\" opens there is "
          "lost; leave the first line to a comment such as \"Made by hand\"",
          "Setup.ini:3: warning: spaces around \"=\" belong to the key: \"TargetFile \" is not a key of the Setup "
          "block, so the line is ignored",
          "Setup.ini:4: warning: \"Titel\" is not a key of the Setup block, so the line is ignored",
          "Setup.ini:5: warning: the line is no key=value line, so the Setup block ignores it",
          "Setup.ini:7: warning: the value of \"Folder\" begins with a space, which is part of it",
          "Setup.ini:8: warning: \"LaunchProg\" is \"true\": only \"1\" switches it on, anything else is off",
          "Setup.ini:9: warning: \"DesktopIcon\" is \"\": only \"1\" switches it on, anything else is off",
          "Setup.ini:10: warning: \"Fontstyle\" is \"bold\": the styles are \"Bold\", \"Italic\", \"Underline\" and "
          "\"StrikeOut\", so the font has none",
          "Setup.ini:12: warning: \"Language\" is \"english\": the languages are \"English\", \"French\", \"German\" "
          "and \"Spanish\", so the pages are in English",
          "Setup.ini:15: warning: \"Object=Toolbar\" opens no block (the kinds are Setup, Toolweb, Panel and Button), "
          "so it is ignored",
          "Setup.ini:21: warning: the Button block names no button: the line two below says \"Ok\", not \"Back\", "
          "\"Forward\" or \"Cancel\", so the block is ignored",
          "Setup.ini:29: warning: \"Width\" is not a key of the Button block, so the line is ignored"}},
        {"files and pictures the setup would miss",
         "x\r\nObject=Setup\r\nTargetFile=Bin\\App.exe\r\nReadMe=ReadMe.txt\r\nAddfile=App.exe\r\n"
         "Addfile=Missing.txt\r\nAddfile=Additional\\Docs\\guide.TXT\r\nAddfile=Sounds\\click.wav\r\nend\r\n" +
             kSkin +
             "Object=Button\r\nKind=Bitmap\r\nName=Back\r\nMask=Graphics\\noise.jpg\r\nTouched=Graphics\\cut.gif\r\n"
             "Pressed=Graphics\\short.bmp\r\nDisabled=Graphics\\text.ico\r\nend\r\n"
             "Object=Button\r\nKind=Bitmap\r\nName=Cancel\r\nMask=Graphics\\skin.png\r\n"
             "Touched=Graphics\\absent.bmp\r\nPressed=Additional\\Docs\\skin.bmp\r\nDisabled=Graphics\\text.wmf\r\n"
             "end\r\n" + kProduct,
         {{"App.exe", TextBytes("MZ")},
          {"Additional/Docs/Guide.txt", TextBytes("Guide")},
          {"Additional/Docs/skin.bmp", Bmp()},
          {"Sounds/click.wav", TextBytes("RIFF")},
          {"Graphics/noise.jpg", SampleRandom(500)},
          {"Graphics/cut.gif", Head(Gif(), 12)},
          {"Graphics/short.bmp", Head(Bmp(), 12)},
          {"Graphics/text.ico", TextBytes("an icon")},
          {"Graphics/skin.png", Gif()},
          {"Graphics/text.wmf", TextBytes("not a metafile, not a metafile, not a metafile")}},
         {"Setup.ini:3: warning: \"TargetFile\" names \"Bin\\App.exe\", which no Addfile line installs",
          "Setup.ini:4: warning: \"ReadMe\" names \"ReadMe.txt\", which no Addfile line installs",
          "Setup.ini:6: warning: the Addfile entry \"Missing.txt\" is not in the payload, so the setup installs "
          "nothing for it",
          "Setup.ini:16: warning: the picture \"Graphics\\noise.jpg\" cannot be decoded, so the setup shows its "
          "placeholder picture instead",
          "Setup.ini:17: warning: the picture \"Graphics\\cut.gif\" cannot be decoded, so the setup shows its "
          "placeholder picture instead",
          "Setup.ini:18: warning: the picture \"Graphics\\short.bmp\" cannot be decoded, so the setup shows its "
          "placeholder picture instead",
          "Setup.ini:19: warning: the picture \"Graphics\\text.ico\" cannot be decoded, so the setup shows its "
          "placeholder picture instead",
          "Setup.ini:24: warning: the setup reads no \".png\" pictures (only .bmp, .ico, .emf, .wmf, .jpg, .jpeg and "
          ".gif), so it shows its placeholder picture instead of \"Graphics\\skin.png\"",
          "Setup.ini:25: warning: the picture \"Graphics\\absent.bmp\" is not in the payload, so the setup shows its "
          "placeholder picture instead",
          "Setup.ini:27: warning: the picture \"Graphics\\text.wmf\" cannot be decoded, so the setup shows its "
          "placeholder picture instead",
          "Setup.ini: warning: no \"Addfile=Uninstall.exe\" line, so the setup does not install the uninstaller its "
          "shortcuts and registry entry point at",
          kNoForward}},
    };
    for (const auto& c : cases) EXPECT_EQ(Check(c.ini, c.files), c.expected) << c.what;
}

// The packer, not the setup, reads the icon: the file it would take, its
// letter case and folder as Windows resolves them; the last Icon line counts.
TEST(SetupCheck, IconTheSetupProgramGetsIsAReadableIcoFile)
{
    const std::string keeps = ", so the setup program keeps Zoreva's icon";
    const struct {
        const char* what;
        std::string icon;
        std::vector<TFile> files;
        std::vector<std::string> expected;
    } cases[] = {
        {"an icon in a folder of the payload", "Additional\\art\\App.ICO", {{"Additional/Art/app.ico", Icon()}}, {}},
        {"empty: no icon asked for", "", {}, {}},
        {"not there", "App.ico", {}, {"Setup.ini:3: warning: the icon \"App.ico\" is not in the payload" + keeps}},
        {"not an .ico", "Graphics\\skin.bmp", {},
         {"Setup.ini:3: warning: the setup program's icon must be an .ico file, not \"Graphics\\skin.bmp\"" +
          keeps}},
        {"a bitmap named .ico", "App.ico", {{"App.ico", Bmp()}},
         {"Setup.ini:3: error: the icon \"App.ico\" cannot be the setup program's icon: it is not an icon file"}},
        {"cut off", "App.ico", {{"App.ico", Head(Icon(), 30)}},
         {"Setup.ini:3: error: the icon \"App.ico\" cannot be the setup program's icon: its image 1 does not lie "
          "within the file"}},
    };
    for (const auto& c : cases) {
        const std::string text =
            "x\r\nObject=Setup\r\nIcon=" + c.icon + "\r\n" + kUninstaller + "end\r\n" + kProduct + kSkin + kForward;
        EXPECT_EQ(Check(text, c.files), c.expected) << c.what;
    }
    const std::string twice = "x\r\nObject=Setup\r\nIcon=Gone.ico\r\nIcon=App.ico\r\n" + kUninstaller + "end\r\n" +
                              kProduct + kSkin + kForward;
    EXPECT_EQ(Check(twice, {{"App.ico", Icon()}}), std::vector<std::string>{});
}

// The mistakes that leave a setup unusable or oddly drawn, each in a folder
// that is otherwise sound, with the exact lines an author reads.
TEST(SetupCheck, StopsUnusableSetupsAndWarnsOfButtonsThatDoNotFit)
{
    const std::string sound = kUninstaller + "end\r\n" + kSkin + kForward + kProduct;
    const std::string lost = "; leave the first line to a comment such as \"Made by hand\"";
    const std::string buttonPictures = "Mask=Graphics\\four.bmp\r\nTouched=Graphics\\two.gif\r\n"
                                       "Pressed=Graphics\\FOUR.bmp\r\nDisabled=Graphics\\eight.jpg\r\n";
    const std::vector<TFile> pictures{{"Graphics/four.bmp", Bmp()},
                                      {"Graphics/two.gif", Gif()},
                                      {"Graphics/eight.jpg", Jpeg()},
                                      {"Graphics/none.emf", Emf()},
                                      {"Graphics/cut.bmp", Head(Bmp(), 20)},
                                      {"Graphics/skin.png", Gif()}};
    const struct {
        const char* what;
        std::string ini;
        std::vector<std::string> expected;
    } cases[] = {
        {"a block opened on the skipped first line, behind a UTF-8 byte order mark",
         "\xEF\xBB\xBFObject=Setup\r\nObject=Setup\r\n" + sound,
         {"Setup.ini:1: error: the setup never reads the first line, so the block \"Object=Setup\" opens there is "
          "lost" + lost}},
        {"a key on the skipped first line", "VistraneTitle=Demo\r\nObject=Setup\r\n" + sound,
         {"Setup.ini:1: error: the setup never reads the first line, so the \"VistraneTitle\" line there is lost" +
          lost}},
        {"skin pictures missing, then undecodable: the last Bitmap line counts",
         "x\r\nObject=Setup\r\n" + kUninstaller +
             "end\r\nObject=Panel\r\nBitmap=Graphics\\gone.bmp\r\nend\r\nObject=Panel\r\nBitmap=Graphics\\cut.bmp\r\n"
             "end\r\n" + kForward + kProduct,
         {"Setup.ini:9: error: the skin picture \"Graphics\\cut.bmp\" cannot be decoded, so the setup window is its "
          "100 x 100 placeholder picture, with the buttons outside it"}},
        {"a skin picture of a kind the setup does not read",
         "x\r\nObject=Setup\r\n" + kUninstaller +
             "end\r\nObject=Panel\r\nBitmap=Graphics\\skin.png\r\nend\r\n" + kForward + kProduct,
         {"Setup.ini:6: error: the setup reads no \".png\" pictures (only .bmp, .ico, .emf, .wmf, .jpg, .jpeg and "
          ".gif), so the setup window is its placeholder picture with the buttons outside it, instead of "
          "\"Graphics\\skin.png\""}},
        {"no skin picture in the payload", "x\r\nObject=Setup\r\n" + kUninstaller +
             "end\r\nObject=Panel\r\nBitmap=Graphics\\gone.bmp\r\nend\r\n" + kForward + kProduct,
         {"Setup.ini:6: error: the skin picture \"Graphics\\gone.bmp\" is not in the payload, so the setup window is "
          "its 100 x 100 placeholder picture, with the buttons outside it"}},
        {"the Next button named otherwise",
         "x\r\nObject=Setup\r\n" + kUninstaller + "end\r\n" + kSkin +
             "Object=Button\r\nKind=Bitmap\r\nName=Next\r\nend\r\n" + kProduct,
         {"Setup.ini:8: warning: the Button block names no button: the line two below says \"Next\", not \"Back\", "
          "\"Forward\" or \"Cancel\", so the block is ignored",
          kNoForward}},
        {"buttons reaching outside the skin, pictures of other sizes than the normal one",
         "x\r\nObject=Setup\r\n" + kUninstaller + "end\r\n" + kSkin +
             "Object=Button\r\nKind=Bitmap\r\nName=Forward\r\nLeft=397\r\nTop=317\r\nMask=Graphics\\four.bmp\r\n"
             "Touched=Graphics\\none.emf\r\nend\r\n"
             "Object=Button\r\nKind=Bitmap\r\nName=Back\r\nLeft=-1\r\nMask=Graphics\\four.bmp\r\nend\r\n"
             "Object=Button\r\nKind=Bitmap\r\nName=Cancel\r\nTop=318\r\n" + buttonPictures + "end\r\n" + kProduct,
         {"Setup.ini:8: warning: the Forward button, 4 x 3 pixels at left 397 and top 317, reaches outside the skin "
          "picture of 400 x 320 pixels, which the window is cut to",
          "Setup.ini:16: warning: the Back button, 4 x 3 pixels at left -1 and top 280, reaches outside the skin "
          "picture of 400 x 320 pixels, which the window is cut to",
          "Setup.ini:22: warning: the Cancel button, 4 x 3 pixels at left 310 and top 318, reaches outside the skin "
          "picture of 400 x 320 pixels, which the window is cut to",
          "Setup.ini:27: warning: the Cancel button's \"Touched\" picture is 2 x 2 pixels, its \"Mask\" picture 4 x 3: "
          "the button takes the size of the picture it shows, so it changes size and can cover its neighbours",
          "Setup.ini:29: warning: the Cancel button's \"Disabled\" picture is 8 x 8 pixels, its \"Mask\" picture 4 x "
          "3: the button takes the size of the picture it shows, so it changes size and can cover its neighbours"}},
        {"misspelt keys, and keys in the wrong letter case",
         "x\r\nObject=Setup\r\nDestinaton=Demo\r\ntargetfile=App.exe\r\n" + kUninstaller +
             "end\r\nObject=Toolweb\r\nHieght=3\r\nend\r\n" + kSkin +
             "Object=Button\r\nKind=Bitmap\r\nName=Forward\r\nmask=Graphics\\four.bmp\r\nend\r\n" + kProduct,
         {"Setup.ini:3: warning: \"Destinaton\" is not a key of the Setup block, so the line is ignored; did you "
          "mean \"Destination\"?",
          "Setup.ini:4: warning: \"targetfile\" is not a key of the Setup block, so the line is ignored; did you "
          "mean \"TargetFile\"?",
          "Setup.ini:8: warning: \"Hieght\" is not a key of the Toolweb block, so the line is ignored; did you mean "
          "\"Height\"?",
          "Setup.ini:16: warning: \"mask\" is not a key of the Button block, so the line is ignored; did you mean "
          "\"Mask\"?"}},
        {"colours written as web pages write them, or as words",
         "x\r\nObject=Setup\r\nTextBoxColor=#FFF8F0\r\nFontcolor=#1e2b3c\r\nAlphaColor=white\r\n" + sound,
         {"Setup.ini:3: error: \"TextBoxColor\" needs a whole number, not \"#FFF8F0\". Colours are written $00BBGGRR: "
          "blue, green and red in hexadecimal: #FFF8F0 is written $00F0F8FF.",
          "Setup.ini:4: error: \"Fontcolor\" needs a whole number, not \"#1e2b3c\". Colours are written $00BBGGRR: "
          "blue, green and red in hexadecimal: #1e2b3c is written $003C2B1E.",
          "Setup.ini:5: error: \"AlphaColor\" needs a whole number, not \"white\". Colours are written $00BBGGRR: "
          "blue, green and red in hexadecimal, such as $00FFFFFF for white."}},
    };
    for (const auto& c : cases) EXPECT_EQ(Check(c.ini, pictures), c.expected) << c.what;
}

// A suggestion is a slip of the fingers away: one edit in three letters, at
// most three, swapped neighbours one edit and letter case none; the nearest
// key of the block wins, and a word of its own is left alone.
TEST(SetupCheck, SuggestsTheKeyAMisspeltOneMeant)
{
    using B = TBlockKind;
    const struct {
        TBlockKind block;
        const char* written;
        std::optional<std::string> meant;
    } cases[] = {
        {B::Setup, "Destinaton", "Destination"},     {B::Setup, "DESTINATION", "Destination"},
        {B::Setup, "Lisence", "Licence"},            {B::Setup, "License", "Licence"},
        {B::Setup, "TextBoxColour", "TextBoxColor"}, {B::Setup, "Adfile", "Addfile"},
        {B::Setup, "VistraneTitel", "VistraneTitle"}, {B::Setup, "VistaTitle", "VistraneTitle"},
        {B::Setup, "Titel", std::nullopt},           {B::Setup, "Fontsize", std::nullopt},
        {B::Setup, "Font name", "Fontname"},         {B::Setup, "Bitmap", std::nullopt},
        {B::Toolweb, "Wdith", "Width"},              {B::Toolweb, "To", "Top"},
        {B::Toolweb, "Heigth", "Height"},            {B::Toolweb, "Right", std::nullopt},
        {B::Panel, "Bitmaps", "Bitmap"},             {B::Panel, "Picture", std::nullopt},
        {B::Button, "Width", std::nullopt},          {B::Button, "Lft", "Left"},
        {B::Button, "Touced", "Touched"},             {B::Button, "InvisibleColour", "InvisibleColor"},
        {B::Button, "X", std::nullopt},              {B::Button, "", std::nullopt},
    };
    for (const auto& c : cases) EXPECT_EQ(SuggestedKey(c.block, c.written), c.meant) << c.written;
}

TEST(SetupCheck, NamesTheFileAsGivenAndCountsTheVerdict)
{
    const TDiagnostic error{12, true, "e"}, warning{std::nullopt, false, "w"};
    const struct {
        std::string folder, file;
        std::vector<TDiagnostic> diagnostics;
        std::string summary, first;
    } cases[] = {
        {"app", "app/Setup.ini", {}, "app/Setup.ini: no errors, no warnings", ""},
        {"app/", "app/Setup.ini", {warning}, "app/Setup.ini: no errors, 1 warning", "app/Setup.ini: warning: w"},
        {"C:\\Setups\\app", "C:\\Setups\\app\\Setup.ini", {error, warning, warning},
         "C:\\Setups\\app\\Setup.ini: 1 error, 2 warnings", "C:\\Setups\\app\\Setup.ini:12: error: e"},
        {"../my app\\", "../my app\\Setup.ini", {error, error}, "../my app\\Setup.ini: 2 errors, no warnings",
         "../my app\\Setup.ini:12: error: e"},
        {"", "Setup.ini", {warning, error}, "Setup.ini: 1 error, 1 warning", "Setup.ini: warning: w"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(SetupFileIn(c.folder), c.file) << c.folder;
        EXPECT_EQ(SummaryOf(c.diagnostics, c.file), c.summary) << c.folder;
        const std::string first = c.diagnostics.empty() ? "" : FormatDiagnostic(c.diagnostics[0], c.file);
        EXPECT_EQ(first, c.first) << c.folder;
    }
}

// A Button block whose pictures are named after the button and their state.
std::string ButtonBlock(const std::string& name, const std::string& top, const std::string& left,
                        const std::string& invisibleColor)
{
    std::string block = "Object=Button\r\nKind=Bitmap\r\nName=" + name + "\r\nTop=" + top + "\r\nLeft=" + left + "\r\n";
    for (const char* state : {"Mask", "Touched", "Pressed", "Disabled"})
        block += std::string(state) + "=Graphics\\" + name + state + ".bmp\r\n";
    return block + "InvisibleColor=" + invisibleColor + "\r\nend\r\n";
}

// Every key of every block with a value the setup takes as meant (numbers
// with leading spaces, which it reads past): the check has nothing to say. A
// key taken as another kind would draw a word (a text as a picture, say).
TEST(SetupKeys, GoodValueOfEachKindDrawsNoWord)
{
    const std::string text =
        "Made by the authoring tool\r\nObject=Setup\r\nTargetFile=App.exe\r\nAddfile=App.exe\r\n" + kUninstaller +
        "Addfile=Additional\\Docs\\ReadMe.txt\r\nVistraneTitle=Demo\r\nLanguage=German\r\nLicence=Licence.txt\r\n"
        "Destination=Vendor\\Demo\r\nFolder=Vendor\\Demo Tools\r\nReadMe=Additional\\Docs\\ReadMe.txt\r\n"
        "LaunchProg=1\r\nDesktopIcon=0\r\nPerMachine=1\r\nTextBoxColor= $00FFEEDD\r\nFontname=Tahoma\r\n"
        "Fontcolor= 0x0000FF\r\nFontheight= -13\r\nFontstyle=Italic\r\nMethod=zlib\r\nDescription=A demo\r\n"
        "Icon=App.ico\r\nEncrypted=0\r\nAlphaColor= 255\r\nSetupName=DemoSetup\r\nControlPanel=yes\r\nend\r\n"
        "Object=Toolweb\r\nTop= 20\r\nLeft= 110\r\nWidth= 380\r\nHeight= 290\r\nend\r\n"
        "Object=Panel\r\nBitmap=Graphics\\skin.bmp\r\nInvisibleColor= $FF00FF\r\nend\r\n" +
        ButtonBlock("Back", " 300", " 10", " 1") + ButtonBlock("Forward", " 301", " 11", " 2") +
        ButtonBlock("Cancel", " 302", " 12", " 3");
    std::vector<TFile> files{{"App.exe", TextBytes("MZ")},
                             {"App.ico", Icon()},
                             {"Licence.txt", TextBytes("Terms")},
                             {"Additional/Docs/ReadMe.txt", TextBytes("Read me")}};
    for (const char* button : {"Back", "Forward", "Cancel"})
        for (const char* state : {"Mask", "Touched", "Pressed", "Disabled"})
            files.push_back({std::string("Graphics/") + button + state + ".bmp", Bmp()});

    ExpectEveryKeyRead(text);
    EXPECT_EQ(Check(text, files), std::vector<std::string>{});
}

// Each value is wrong only for its own kind: the title would make a fine
// destination, the destination a fine title, the target file is in the
// payload but not installed, a Boolean's leading space is no second fault.
TEST(SetupKeys, BadValuesDrawOneWordEach)
{
    const std::string text =
        "x\r\nObject=Setup\r\nTargetFile=Licence.txt\r\nAddfile=..\\App.exe\r\nVistraneTitle=Vendor\\Demo\r\n"
        "Language=Klingon\r\nLicence=Gone.txt\r\nDestination=Common Files\r\nFolder=Startup\r\n"
        "ReadMe=Licence.txt\r\nLaunchProg= 1\r\nDesktopIcon=yes\r\nPerMachine=\r\nTextBoxColor=blue\r\n"
        "Fontname= Tahoma\r\nFontcolor=0x\r\nFontheight=-\r\nFontstyle=Heavy\r\nMethod= zlib\r\n"
        "Description= A demo\r\nIcon=App.png\r\nEncrypted=2\r\nAlphaColor=$1FFFFFFFF\r\nSetupName= Demo\r\n"
        "ControlPanel= yes\r\nend\r\n"
        "Object=Toolweb\r\nTop=1px\r\nLeft=\r\nWidth=2147483648\r\nHeight=1.5\r\nend\r\n"
        "Object=Panel\r\nBitmap=Graphics\\gone.bmp\r\nInvisibleColor=magenta\r\nend\r\n" +
        ButtonBlock("Back", "top", "-2147483649", "red");
    const std::vector<TDiagnostic> diagnostics = Diagnose(text, {{"Licence.txt", TextBytes("Terms")}});

    ExpectEveryKeyRead(text);
    std::map<size_t, std::vector<std::string>> byLine;
    for (const TDiagnostic& diagnostic : diagnostics)
        if (diagnostic.Line) byLine[*diagnostic.Line].push_back(FormatDiagnostic(diagnostic));
    const TSetupFileReading reading = ReadSetupFileThoroughly(text);
    for (size_t i = 0; i < reading.Lines.size(); ++i) {
        const size_t words = byLine.count(i + 1) ? byLine[i + 1].size() : 0;
        EXPECT_EQ(words, reading.Readings[i].Key ? 1u : 0u)
            << "line " << i + 1 << ": " << reading.Lines[i] << (words ? "\n" + byLine[i + 1][0] : "");
    }
}

}  // namespace
