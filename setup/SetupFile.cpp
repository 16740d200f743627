#include "setup/SetupFile.h"

#include <functional>

#include "utilities/KUtilities.h"
#include "utilities/SetupError.h"

namespace {

const char kFileName[] = "Setup.ini";
// The Button block names its button on the line this far below its opening line.
constexpr size_t kButtonNameDistance = 2;

std::string LineText(size_t index)
{
    return std::string(kFileName) + ", line " + std::to_string(index + 1) + ": ";
}

[[noreturn]] void Fail(size_t index, const std::string& what)
{
    throw ESetupError(LineText(index) + what);
}

bool IsHexDigit(char c)
{
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

unsigned HexValue(char c)
{
    if (c <= '9') return static_cast<unsigned>(c - '0');
    return static_cast<unsigned>((c | 0x20) - 'a' + 10);
}

bool IsDotsAndSpaces(const std::string& component)
{
    return component.find_first_not_of(". ") == std::string::npos;
}

// One line of the file with where it is, for the line handlers' messages.
struct TSourceLine {
    const std::string& Text;
    size_t Index;
};

class TSetupFileReader {
public:
    explicit TSetupFileReader(const std::string& text) : Lines(SplitLines(text)) {}

    TSetupSettings Read();

private:
    using TLineHandler = std::function<void(const TSourceLine&)>;

    void ReadBlock(size_t& i, const TLineHandler& handle);
    void ReadButtonBlock(size_t& i);
    void ParseSetupLine(const TSourceLine& line);
    void ParseToolwebLine(const TSourceLine& line);
    void ParsePanelLine(const TSourceLine& line);
    void ParseButtonLine(const TSourceLine& line, TButtonSkin& button);
    void CheckSkinNamed() const;

    std::vector<std::string> Lines;
    TSetupSettings Settings;
    std::optional<size_t> PanelLine;  // the last Panel block's opening line
};

int32_t IntegerValue(const TSourceLine& line)
{
    const std::string value = ValueOfLine(line.Text);
    const std::optional<int32_t> number = ParseInteger(value);
    if (!number) Fail(line.Index, "\"" + KeyOfLine(line.Text) + "\" needs a whole number, not \"" + value + "\".");
    return *number;
}

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

TSetupSettings TSetupFileReader::Read()
{
    // Line 0 is never examined: the authoring tool writes a line of its own there.
    for (size_t i = 1; i < Lines.size(); ++i) {
        if (KeyOfLine(Lines[i]) != "Object") continue;
        // After a block, line i is that block's "end" line, so one opening line reads at most one block.
        if (ValueOfLine(Lines[i]) == "Setup") ReadBlock(i, [this](const TSourceLine& l) { ParseSetupLine(l); });
        if (ValueOfLine(Lines[i]) == "Toolweb") ReadBlock(i, [this](const TSourceLine& l) { ParseToolwebLine(l); });
        if (ValueOfLine(Lines[i]) == "Panel") {
            PanelLine = i;
            ReadBlock(i, [this](const TSourceLine& l) { ParsePanelLine(l); });
        }
        if (ValueOfLine(Lines[i]) == "Button") ReadButtonBlock(i);
    }
    CheckSkinNamed();
    return Settings;
}

void TSetupFileReader::ReadBlock(size_t& i, const TLineHandler& handle)
{
    const size_t opening = i;
    for (++i; i < Lines.size() && Lines[i] != "end"; ++i) handle({Lines[i], i});
    if (i == Lines.size()) Fail(opening, "the block \"" + Lines[opening] + "\" has no \"end\" line.");
}

void TSetupFileReader::ReadButtonBlock(size_t& i)
{
    if (i + kButtonNameDistance >= Lines.size())
        Fail(i, "the Button block ends before the line two below it, which names the button.");
    const std::string name = ValueOfLine(Lines[i + kButtonNameDistance]);
    TButtonSkin* button = name == "Cancel"    ? &Settings.Cancelbutton
                          : name == "Forward" ? &Settings.Forwardbutton
                          : name == "Back"    ? &Settings.Backbutton
                                              : nullptr;
    if (button) ReadBlock(i, [this, button](const TSourceLine& l) { ParseButtonLine(l, *button); });
}

void TSetupFileReader::ParseSetupLine(const TSourceLine& line)
{
    const std::string key = KeyOfLine(line.Text);
    const std::string value = ValueOfLine(line.Text);
    TSetupSettings& s = Settings;
    if (key == "TargetFile") s.TargetFile = value;
    if (key == "Addfile") {
        if (!IsInstallablePath(value))
            Fail(line.Index, "the Addfile entry \"" + value + "\" is not a file path below the destination folder.");
        s.AddFiles.push_back(value);
    }
    if (key == "VistraneTitle") s.Title = value;
    if (key == "Language") s.Language = value;
    if (key == "Licence") s.Licence = value;
    if (key == "Destination") s.Destination = value;
    if (key == "Folder") s.Folder = value;
    if (key == "ReadMe") s.ReadMe = value;
    if (key == "LaunchProg") s.LaunchProg = BooleanValue(line.Text);
    if (key == "DesktopIcon") s.DesktopIcon = BooleanValue(line.Text);
    if (key == "PerMachine") s.PerMachine = BooleanValue(line.Text);
    if (key == "TextBoxColor") s.TextBoxColor = IntegerValue(line);
    if (key == "Fontname") s.TextFont.Name = value;
    if (key == "Fontcolor") s.TextFont.Color = IntegerValue(line);
    if (key == "Fontheight") s.TextFont.Height = IntegerValue(line);
    if (key == "Fontstyle") s.TextFont.Style = FontStyleNamed(value);
    if (key == "Method") s.Method = value;
    if (key == "Description") s.Description = value;
    if (key == "Icon") s.Icon = value;
    if (key == "Encrypted") s.Encrypted = BooleanValue(line.Text);
    if (key == "AlphaColor") s.AlphaColor = IntegerValue(line);
    if (key == "SetupName") s.SetupName = value;
    if (key == "ControlPanel") s.ControlPanel = value;
}

void TSetupFileReader::ParseToolwebLine(const TSourceLine& line)
{
    const std::string key = KeyOfLine(line.Text);
    TPanelRect& rect = Settings.MainPanel;
    if (key == "Top") rect.Top = IntegerValue(line);
    if (key == "Left") rect.Left = IntegerValue(line);
    if (key == "Width") rect.Width = IntegerValue(line);
    if (key == "Height") rect.Height = IntegerValue(line);
}

void TSetupFileReader::ParsePanelLine(const TSourceLine& line)
{
    const std::string key = KeyOfLine(line.Text);
    if (key == "Bitmap") Settings.Panel.Bitmap = ValueOfLine(line.Text);
    if (key == "InvisibleColor") Settings.Panel.InvisibleColor = IntegerValue(line);
}

void TSetupFileReader::ParseButtonLine(const TSourceLine& line, TButtonSkin& button)
{
    const std::string key = KeyOfLine(line.Text);
    const std::string value = ValueOfLine(line.Text);
    if (key == "Top") button.Top = IntegerValue(line);
    if (key == "Left") button.Left = IntegerValue(line);
    if (key == "Mask") button.Mask = value;
    if (key == "Touched") button.Touched = value;
    if (key == "Pressed") button.Pressed = value;
    if (key == "Disabled") button.Disabled = value;
    if (key == "InvisibleColor") button.InvisibleColor = IntegerValue(line);
}

// The window takes the size of its skin picture; without one it would be 0 by 0 pixels.
void TSetupFileReader::CheckSkinNamed() const
{
    if (!PanelLine)
        throw ESetupError(std::string(kFileName) +
                          " has no \"Object=Panel\" block, so the setup window has no skin picture.");
    if (IsBlank(Settings.Panel.Bitmap))
        Fail(*PanelLine, "the Panel block names no skin picture: it needs a \"Bitmap=\" line with the picture file.");
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
    if (entry.find(':') != std::string::npos || entry.find('\0') != std::string::npos) return false;
    std::string component;
    for (size_t i = 0; i <= entry.size(); ++i) {
        if (i < entry.size() && entry[i] != '\\' && entry[i] != '/') {
            component += entry[i];
            continue;
        }
        // Empty: a leading, doubled or trailing separator. Dots and spaces: Windows trims
        // trailing dots and spaces, so ".. " climbs like "..".
        if (component.empty() || IsDotsAndSpaces(component)) return false;
        component.clear();
    }
    return true;
}

TSetupSettings ReadSetupFile(const std::string& text)
{
    return TSetupFileReader(text).Read();
}
