#include "setup/SetupFile.h"

#include <functional>
#include <initializer_list>

#include "utilities/KUtilities.h"
#include "utilities/SetupError.h"
#include "utilities/WindowsPath.h"

namespace {

const char kFileName[] = "Setup.ini";
// The Button block names its button on the line this far below its opening line.
constexpr size_t kButtonNameDistance = 2;

bool IsHexDigit(char c)
{
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

unsigned HexValue(char c)
{
    if (c <= '9') return static_cast<unsigned>(c - '0');
    return static_cast<unsigned>((c | 0x20) - 'a' + 10);
}

// What the messages tell an author about the names the setup joins into paths and keys.
const char kTitleRule[] =
    "which cannot name the product's shortcuts and its uninstall entry: a title is not empty, holds none of "
    "\\ / : * ? \" < > | and no control characters, does not end in a dot or a space and is no device name such "
    "as CON, NUL, COM1 or LPT1.";
// The folder names' rule is said twice: a string made at start-up would cost more than the words.
const char kDestinationRule[] =
    "which is no folder below Program Files to install into: it must be folder names separated by single "
    "backslashes, none of them empty, \".\" or \"..\", a device name such as CON or NUL, holding / : * ? \" < > | or "
    "control characters or ending in a dot or a space, and not \"Common Files\", which belongs to Windows.";
const char kFolderRule[] =
    "which is no program folder below the Start menu's Programs folder: it must be folder names separated by single "
    "backslashes, none of them empty, \".\" or \"..\", a device name such as CON or NUL, holding / : * ? \" < > | or "
    "control characters or ending in a dot or a space, and not Windows' own \"Startup\" or \"Administrative "
    "Tools\". Without a \"Folder\" line the setup makes no program folder.";

// Windows compares names in any letter case.
bool NamesOneOf(const std::string& path, std::initializer_list<const char*> names)
{
    for (const char* name : names)
        if (winpath::SameIgnoringCase(path, name)) return true;
    return false;
}

// Names Windows can create as written, one backslash between each two.
bool IsRelativeFolderPath(const std::string& path)
{
    return path.find('/') == std::string::npos && winpath::EveryName(path, winpath::IsWindowsFileName);
}

// One line of the file with where it is, for the line handlers' messages.
struct TSourceLine {
    const std::string& Text;
    size_t Index;
};

// The setup stops at the first problem; the packer's check collects them all
// and reads on wherever the walk can go on.
class TSetupFileReader {
public:
    TSetupFileReader(const std::string& text, bool collectProblems)
        : Lines(SplitLines(text)), Readings(Lines.size()), Collecting(collectProblems)
    {
    }

    void Read();
    TSetupFileReading Result()
    {
        return {std::move(Settings), std::move(Lines), std::move(Readings), std::move(Problems)};
    }

private:
    // Each returns whether the block knows the line's key.
    using TLineHandler = std::function<bool(const TSourceLine&)>;

    void Problem(std::optional<size_t> index, const std::string& text);
    void ReadBlock(size_t& i, TBlockKind kind, const TLineHandler& handle);
    void ReadButtonBlock(size_t& i);
    std::optional<int32_t> IntegerValue(const TSourceLine& line);
    bool ParseSetupLine(const TSourceLine& line);
    bool ParseToolwebLine(const TSourceLine& line);
    bool ParsePanelLine(const TSourceLine& line);
    bool ParseButtonLine(const TSourceLine& line, TButtonSkin& button);
    std::string JoinedValue(const TSourceLine& line, bool keepsToItsRule, const char* rule);
    void CheckSkinNamed();
    void CheckProductNamed();

    std::vector<std::string> Lines;
    std::vector<TLineReading> Readings;
    std::vector<TSetupFileProblem> Problems;
    bool Collecting;
    TSetupSettings Settings;
    std::optional<size_t> PanelLine;  // the last Panel block's opening line
    bool TitleGiven = false, DestinationGiven = false;
};

bool BooleanValue(const std::string& text)
{
    return ValueOfLine(text) == "1";
}

TFontStyle FontStyleNamed(const std::string& word)
{
    if (word == "Bold") return TFontStyle::Bold;
    if (word == "Italic") return TFontStyle::Italic;
    if (word == "Underline") return TFontStyle::Underline;
    if (word == "StrikeOut") return TFontStyle::StrikeOut;
    return TFontStyle::None;
}

void TSetupFileReader::Problem(std::optional<size_t> index, const std::string& text)
{
    TSetupFileProblem problem{index ? std::optional<size_t>(*index + 1) : std::nullopt, text};
    if (!Collecting) throw ESetupError(problem.Message());
    Problems.push_back(std::move(problem));
}

void TSetupFileReader::Read()
{
    // Line 0 is never examined: the authoring tool writes a line of its own there.
    for (size_t i = 1; i < Lines.size(); ++i) {
        if (KeyOfLine(Lines[i]) != "Object") continue;
        // After a block, line i is that block's "end" line, so one opening line reads at most one block.
        if (ValueOfLine(Lines[i]) == "Setup")
            ReadBlock(i, TBlockKind::Setup, [this](const TSourceLine& l) { return ParseSetupLine(l); });
        if (i < Lines.size() && ValueOfLine(Lines[i]) == "Toolweb")
            ReadBlock(i, TBlockKind::Toolweb, [this](const TSourceLine& l) { return ParseToolwebLine(l); });
        if (i < Lines.size() && ValueOfLine(Lines[i]) == "Panel") {
            PanelLine = i;
            ReadBlock(i, TBlockKind::Panel, [this](const TSourceLine& l) { return ParsePanelLine(l); });
        }
        if (i < Lines.size() && ValueOfLine(Lines[i]) == "Button") ReadButtonBlock(i);
    }
    CheckSkinNamed();
    CheckProductNamed();
}

void TSetupFileReader::ReadBlock(size_t& i, TBlockKind kind, const TLineHandler& handle)
{
    const size_t opening = i;
    Readings[opening] = {TLineReading::Opening, kind, false};
    for (++i; i < Lines.size() && Lines[i] != "end"; ++i)
        Readings[i] = {TLineReading::Setting, kind, handle({Lines[i], i})};
    if (i == Lines.size()) {
        Problem(opening, "the block \"" + Lines[opening] + "\" has no \"end\" line.");
        return;
    }
    Readings[i] = {TLineReading::Closing, kind, false};
}

void TSetupFileReader::ReadButtonBlock(size_t& i)
{
    if (i + kButtonNameDistance >= Lines.size()) {
        Problem(i, "the Button block ends before the line two below it, which names the button.");
        return;
    }
    const std::string name = ValueOfLine(Lines[i + kButtonNameDistance]);
    TButtonSkin* button = name == "Cancel"    ? &Settings.Cancelbutton
                          : name == "Forward" ? &Settings.Forwardbutton
                          : name == "Back"    ? &Settings.Backbutton
                                              : nullptr;
    if (button)
        ReadBlock(i, TBlockKind::Button, [this, button](const TSourceLine& l) { return ParseButtonLine(l, *button); });
}

std::optional<int32_t> TSetupFileReader::IntegerValue(const TSourceLine& line)
{
    const std::string value = ValueOfLine(line.Text);
    const std::optional<int32_t> number = ParseInteger(value);
    if (!number) Problem(line.Index, "\"" + KeyOfLine(line.Text) + "\" needs a whole number, not \"" + value + "\".");
    return number;
}

// A value that is no number leaves the field as it was; the setup stops at it anyway.
template <typename T>
void Assign(T& field, const std::optional<int32_t>& number)
{
    if (number) field = *number;
}

bool TSetupFileReader::ParseSetupLine(const TSourceLine& line)
{
    const std::string key = KeyOfLine(line.Text);
    const std::string value = ValueOfLine(line.Text);
    TSetupSettings& s = Settings;
    if (key == "TargetFile") s.TargetFile = value;
    else if (key == "Addfile") {
        if (IsInstallablePath(value))
            s.AddFiles.push_back(value);
        else
            Problem(line.Index,
                    "the Addfile entry \"" + value + "\" is not a file path below the destination folder.");
    }
    else if (key == "VistraneTitle") {
        s.Title = JoinedValue(line, IsProductTitle(value), kTitleRule);
        TitleGiven = true;
    }
    else if (key == "Language") s.Language = value;
    else if (key == "Licence") s.Licence = value;
    else if (key == "Destination") {
        s.Destination = JoinedValue(line, IsDestinationFolder(value), kDestinationRule);
        DestinationGiven = true;
    }
    else if (key == "Folder") s.Folder = JoinedValue(line, IsProgramFolder(value), kFolderRule);
    else if (key == "ReadMe") s.ReadMe = value;
    else if (key == "LaunchProg") s.LaunchProg = BooleanValue(line.Text);
    else if (key == "DesktopIcon") s.DesktopIcon = BooleanValue(line.Text);
    else if (key == "PerMachine") s.PerMachine = BooleanValue(line.Text);
    else if (key == "TextBoxColor") Assign(s.TextBoxColor, IntegerValue(line));
    else if (key == "Fontname") s.TextFont.Name = value;
    else if (key == "Fontcolor") Assign(s.TextFont.Color, IntegerValue(line));
    else if (key == "Fontheight") Assign(s.TextFont.Height, IntegerValue(line));
    else if (key == "Fontstyle") s.TextFont.Style = FontStyleNamed(value);
    else if (key == "Method") s.Method = value;
    else if (key == "Description") s.Description = value;
    else if (key == "Icon") s.Icon = value;
    else if (key == "Encrypted") s.Encrypted = BooleanValue(line.Text);
    else if (key == "AlphaColor") Assign(s.AlphaColor, IntegerValue(line));
    else if (key == "SetupName") s.SetupName = value;
    else if (key == "ControlPanel") s.ControlPanel = value;
    else return false;
    return true;
}

bool TSetupFileReader::ParseToolwebLine(const TSourceLine& line)
{
    const std::string key = KeyOfLine(line.Text);
    TPanelRect& rect = Settings.MainPanel;
    if (key == "Top") Assign(rect.Top, IntegerValue(line));
    else if (key == "Left") Assign(rect.Left, IntegerValue(line));
    else if (key == "Width") Assign(rect.Width, IntegerValue(line));
    else if (key == "Height") Assign(rect.Height, IntegerValue(line));
    else return false;
    return true;
}

bool TSetupFileReader::ParsePanelLine(const TSourceLine& line)
{
    const std::string key = KeyOfLine(line.Text);
    if (key == "Bitmap") Settings.Panel.Bitmap = ValueOfLine(line.Text);
    else if (key == "InvisibleColor") Assign(Settings.Panel.InvisibleColor, IntegerValue(line));
    else return false;
    return true;
}

bool TSetupFileReader::ParseButtonLine(const TSourceLine& line, TButtonSkin& button)
{
    const std::string key = KeyOfLine(line.Text);
    const std::string value = ValueOfLine(line.Text);
    if (key == "Top") Assign(button.Top, IntegerValue(line));
    else if (key == "Left") Assign(button.Left, IntegerValue(line));
    else if (key == "Mask") button.Mask = value;
    else if (key == "Touched") button.Touched = value;
    else if (key == "Pressed") button.Pressed = value;
    else if (key == "Disabled") button.Disabled = value;
    else if (key == "InvisibleColor") Assign(button.InvisibleColor, IntegerValue(line));
    else return false;
    return true;
}

// The title, destination and program folder become paths and a registry key
// as they are written; the setup stops at a value that would lead elsewhere.
std::string TSetupFileReader::JoinedValue(const TSourceLine& line, bool keepsToItsRule, const char* rule)
{
    const std::string value = ValueOfLine(line.Text);
    if (!keepsToItsRule) Problem(line.Index, "\"" + KeyOfLine(line.Text) + "\" is \"" + value + "\", " + rule);
    return value;
}

// The window takes the size of its skin picture; without one it would be 0 by 0 pixels.
void TSetupFileReader::CheckSkinNamed()
{
    if (!PanelLine)
        Problem(std::nullopt, "there is no \"Object=Panel\" block, so the setup window has no skin picture.");
    else if (IsBlank(Settings.Panel.Bitmap))
        Problem(*PanelLine,
                "the Panel block names no skin picture: it needs a \"Bitmap=\" line with the picture file.");
}

// Without a title the shortcuts would be named ".lnk" and no uninstall entry
// written; without a destination the files would land in Program Files itself.
void TSetupFileReader::CheckProductNamed()
{
    if (!TitleGiven)
        Problem(std::nullopt, "there is no \"VistraneTitle=\" line in a Setup block, so the setup has no title for "
                              "its shortcuts and its uninstall entry.");
    if (!DestinationGiven)
        Problem(std::nullopt, "there is no \"Destination=\" line in a Setup block, so the setup has no folder below "
                              "Program Files to install into.");
}

}  // namespace

std::vector<std::string> SplitLines(const std::string& text)
{
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < text.size()) {
        const size_t end = text.find_first_of("\r\n", start);
        if (end == std::string::npos) {
            lines.push_back(text.substr(start));
            break;
        }
        lines.push_back(text.substr(start, end - start));
        start = end + (text.compare(end, 2, "\r\n") == 0 ? 2 : 1);
    }
    return lines;
}

bool IsBlank(const std::string& text)
{
    for (char c : text)
        if (static_cast<unsigned char>(c) > ' ') return false;
    return true;
}

std::optional<int32_t> ParseInteger(const std::string& text)
{
    size_t i = text.find_first_not_of(' ');
    if (i == std::string::npos) return std::nullopt;
    const bool negative = text[i] == '-';
    if (text[i] == '-' || text[i] == '+') ++i;
    const bool hex = text.compare(i, 1, "$") == 0 || text.compare(i, 2, "0x") == 0;
    if (hex) i += text[i] == '$' ? 1 : 2;
    if (i == text.size()) return std::nullopt;
    const uint64_t limit = hex ? 0xFFFFFFFFu : negative ? 0x80000000u : 0x7FFFFFFFu;
    uint64_t magnitude = 0;
    for (; i < text.size(); ++i) {
        const char c = text[i];
        if (hex ? !IsHexDigit(c) : (c < '0' || c > '9')) return std::nullopt;
        magnitude = magnitude * (hex ? 16 : 10) + HexValue(c);
        if (magnitude > limit) return std::nullopt;
    }
    const uint32_t pattern = static_cast<uint32_t>(negative ? 0u - magnitude : magnitude);
    return static_cast<int32_t>(pattern);
}

bool IsInstallablePath(const std::string& entry)
{
    // An empty name: a leading separator (a rooted path), a doubled one, or a trailing one (no file).
    return winpath::NamesStayInside(entry) &&
           winpath::EveryName(entry, [](std::string_view name) { return !name.empty(); });
}

bool IsProductTitle(const std::string& title)
{
    return winpath::IsWindowsFileName(title);
}

bool IsDestinationFolder(const std::string& destination)
{
    // Common Files is the shell's folder of what programs share, not a product's.
    return IsRelativeFolderPath(destination) && !NamesOneOf(destination, {"Common Files"});
}

bool IsProgramFolder(const std::string& folder)
{
    // Both are the shell's folders; Windows starts every shortcut in Startup at log-on.
    return IsRelativeFolderPath(folder) && !NamesOneOf(folder, {"Startup", "Administrative Tools"});
}

TSetupSettings ReadSetupFile(const std::string& text)
{
    TSetupFileReader reader(text, false);
    reader.Read();
    return reader.Result().Settings;
}

TSetupFileReading ReadSetupFileThoroughly(const std::string& text)
{
    TSetupFileReader reader(text, true);
    reader.Read();
    return reader.Result();
}

std::string TSetupFileProblem::Message() const
{
    if (!Line) return std::string(kFileName) + ": " + Text;
    return std::string(kFileName) + ", line " + std::to_string(*Line) + ": " + Text;
}
