#include "setup/SetupFile.h"

#include <initializer_list>

#include "setup/SetupKeys.h"
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
    void Problem(std::optional<size_t> index, const std::string& text);
    void ReadBlock(size_t& i, TBlockKind kind, TButtonSkin* button);
    void ReadButtonBlock(size_t& i);
    const TSetupKey* ReadSetting(const TSourceLine& line, TBlockKind block, TButtonSkin* button);
    bool TakeValue(const TSetupKey& key, const TSourceLine& line, TKeyValue& value);
    std::optional<int32_t> IntegerValue(const TSourceLine& line);
    void CheckJoinedValue(const TSourceLine& line, bool keepsToItsRule, const char* rule);
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
        const std::optional<TBlockKind> kind = BlockNamed(ValueOfLine(Lines[i]));
        if (!kind) continue;
        if (*kind == TBlockKind::Panel) PanelLine = i;
        // After a block, line i is that block's "end" line.
        if (*kind == TBlockKind::Button)
            ReadButtonBlock(i);
        else
            ReadBlock(i, *kind, nullptr);
    }
    CheckSkinNamed();
    CheckProductNamed();
}

void TSetupFileReader::ReadBlock(size_t& i, TBlockKind kind, TButtonSkin* button)
{
    const size_t opening = i;
    Readings[opening] = {TLineReading::Opening, kind, nullptr};
    for (++i; i < Lines.size() && Lines[i] != "end"; ++i)
        Readings[i] = {TLineReading::Setting, kind, ReadSetting({Lines[i], i}, kind, button)};
    if (i == Lines.size()) {
        Problem(opening, "the block \"" + Lines[opening] + "\" has no \"end\" line.");
        return;
    }
    Readings[i] = {TLineReading::Closing, kind, nullptr};
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
    if (button) ReadBlock(i, TBlockKind::Button, button);
}

const TSetupKey* TSetupFileReader::ReadSetting(const TSourceLine& line, TBlockKind block, TButtonSkin* button)
{
    const TSetupKey* key = FindSetupKey(block, KeyOfLine(line.Text));
    if (!key) return nullptr;
    TKeyValue value{ValueOfLine(line.Text)};
    TKeyTarget target{Settings, button};
    if (TakeValue(*key, line, value)) key->Store(target, value);
    return key;
}

// False for a value the setting keeps out; the setup stops at it anyway.
bool TSetupFileReader::TakeValue(const TSetupKey& key, const TSourceLine& line, TKeyValue& value)
{
    switch (key.Kind) {
    case TKeyKind::Boolean: value.On = value.Text == "1"; break;
    case TKeyKind::FontStyle: value.Style = FontStyleNamed(value.Text); break;
    case TKeyKind::Integer:
    case TKeyKind::Colour: {
        const std::optional<int32_t> number = IntegerValue(line);
        if (!number) return false;
        value.Number = *number;
        break;
    }
    case TKeyKind::Addfile:
        if (IsInstallablePath(value.Text)) break;
        Problem(line.Index,
                "the Addfile entry \"" + value.Text + "\" is not a file path below the destination folder.");
        return false;
    case TKeyKind::Title:
        CheckJoinedValue(line, IsProductTitle(value.Text), kTitleRule);
        TitleGiven = true;
        break;
    case TKeyKind::Destination:
        CheckJoinedValue(line, IsDestinationFolder(value.Text), kDestinationRule);
        DestinationGiven = true;
        break;
    case TKeyKind::ProgramFolder: CheckJoinedValue(line, IsProgramFolder(value.Text), kFolderRule); break;
    case TKeyKind::Text:
    case TKeyKind::Language:
    case TKeyKind::Picture:
    case TKeyKind::LicenceFile:
    case TKeyKind::InstalledFile:
    case TKeyKind::SetupIcon: break;
    }
    return true;
}

std::optional<int32_t> TSetupFileReader::IntegerValue(const TSourceLine& line)
{
    const std::string value = ValueOfLine(line.Text);
    const std::optional<int32_t> number = ParseInteger(value);
    if (!number) Problem(line.Index, "\"" + KeyOfLine(line.Text) + "\" needs a whole number, not \"" + value + "\".");
    return number;
}

// The title, destination and program folder become paths and a registry key
// as they are written; the setup stops at a value that would lead elsewhere.
void TSetupFileReader::CheckJoinedValue(const TSourceLine& line, bool keepsToItsRule, const char* rule)
{
    if (!keepsToItsRule)
        Problem(line.Index, "\"" + KeyOfLine(line.Text) + "\" is \"" + ValueOfLine(line.Text) + "\", " + rule);
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

TFontStyle FontStyleNamed(const std::string& word)
{
    if (word == "Bold") return TFontStyle::Bold;
    if (word == "Italic") return TFontStyle::Italic;
    if (word == "Underline") return TFontStyle::Underline;
    if (word == "StrikeOut") return TFontStyle::StrikeOut;
    return TFontStyle::None;
}

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
