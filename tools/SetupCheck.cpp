#include "tools/SetupCheck.h"

#include <algorithm>
#include <cctype>
#include <set>
#include <string_view>

#include "archive/PayloadLayout.h"
#include "setup/SetupFile.h"
#include "setup/SetupKeys.h"
#include "setup/SetupLogWords.h"
#include "skin/PictureKind.h"
#include "tools/IconFile.h"
#include "utilities/KUtilities.h"
#include "utilities/SetupError.h"
#include "utilities/WindowsPath.h"

namespace {

const std::set<std::string> kLanguages{"English", "French", "German", "Spanish"};
// A Button block names its button two lines below its opening line; the line
// between is the authoring tool's "Kind=" line. Neither is a setting.
constexpr size_t kButtonNameDistance = 2;
// What Notepad and most Linux editors put before UTF-8 text.
const std::string kByteOrderMark = "\xEF\xBB\xBF";
// The size of the setup's placeholder picture, which stands in for one it cannot show.
constexpr int32_t kPlaceholderSide = 100;
// The key and setting of each state's picture but the normal one ("Mask"), which sizes the button first.
const struct {
    const char* Key;
    std::string TButtonSkin::*Path;
} kStatePictures[] = {{"Touched", &TButtonSkin::Touched},
                      {"Pressed", &TButtonSkin::Pressed},
                      {"Disabled", &TButtonSkin::Disabled}};

std::string Quoted(const std::string& text)
{
    return "\"" + text + "\"";
}

// Without the leading and trailing characters with codes 0 to 32.
std::string Trimmed(const std::string& text)
{
    size_t first = 0, end = text.size();
    while (first < end && static_cast<unsigned char>(text[first]) <= ' ') ++first;
    while (end > first && static_cast<unsigned char>(text[end - 1]) <= ' ') --end;
    return text.substr(first, end - first);
}

// The path as Windows resolves it below a folder, in one spelling; none when it climbs out.
std::optional<std::string> ResolvedKey(const std::string& path)
{
    std::vector<std::string> names;
    const bool staysBelow = winpath::EveryName(path, [&names](std::string_view name) {
        if (name == "..") {
            if (names.empty()) return false;
            names.pop_back();
        } else if (name != "." && !name.empty()) {
            names.push_back(winpath::UpperAscii(winpath::WithoutTrailingDotsAndSpaces(std::string(name))));
        }
        return true;
    });
    if (!staysBelow) return std::nullopt;
    std::string key;
    for (const std::string& part : names) key += (key.empty() ? "" : "\\") + part;
    return key;
}

std::string SizeText(const TPictureSize& size)
{
    return std::to_string(size.Width) + " x " + std::to_string(size.Height);
}

std::string Counted(size_t count, const std::string& noun)
{
    if (count == 0) return "no " + noun + "s";
    return std::to_string(count) + " " + noun + (count == 1 ? "" : "s");
}

char LowerAscii(char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// Edits (insertions, deletions, substitutions and swaps of neighbours) from
// one to the other, letter case aside: the slips a typist makes.
size_t TypingDistance(const std::string& a, const std::string& b)
{
    // Rows of the distances from a's first i letters to each start of b: the two before and this one.
    std::vector<size_t> before(b.size() + 1), previous(b.size() + 1), row(b.size() + 1);
    for (size_t j = 0; j <= b.size(); ++j) previous[j] = j;
    for (size_t i = 1; i <= a.size(); ++i) {
        row[0] = i;
        for (size_t j = 1; j <= b.size(); ++j) {
            const bool same = LowerAscii(a[i - 1]) == LowerAscii(b[j - 1]);
            row[j] = std::min({previous[j] + 1, row[j - 1] + 1, previous[j - 1] + (same ? 0 : 1)});
            if (i > 1 && j > 1 && LowerAscii(a[i - 1]) == LowerAscii(b[j - 2]) &&
                LowerAscii(a[i - 2]) == LowerAscii(b[j - 1]))
                row[j] = std::min(row[j], before[j - 2] + 1);
        }
        std::swap(before, previous);
        std::swap(previous, row);
    }
    return previous[b.size()];
}

// One slip in three letters, at most three: "Destinaton" is Destination,
// while "Width" is no Button key's slip and "Fontsize" no slip of Fontstyle.
size_t SlipsAllowed(const std::string& written)
{
    return std::max<size_t>(1, std::min<size_t>(3, written.size() / 3));
}

bool IsHexText(const std::string& text)
{
    return std::all_of(text.begin(), text.end(), [](char c) { return std::isxdigit(static_cast<unsigned char>(c)); });
}

// The colour form spelt out, with the author's own colour when they wrote it
// as web pages do (#RRGGBB), its bytes the other way round.
std::string ColourHint(const std::string& value)
{
    const std::string form = "Colours are written $00BBGGRR: blue, green and red in hexadecimal";
    const std::string web = Trimmed(value);
    if (web.size() != 7 || web[0] != '#' || !IsHexText(web.substr(1))) return form + ", such as $00FFFFFF for white.";
    std::string written = "$00" + web.substr(5, 2) + web.substr(3, 2) + web.substr(1, 2);
    std::transform(written.begin(), written.end(), written.begin(),
                   [](char c) { return static_cast<char>(std::toupper(static_cast<unsigned char>(c))); });
    return form + ": " + web + " is written " + written + ".";
}

bool IsKeyOfAnyBlock(const std::string& name)
{
    for (const TSetupKey& key : SetupKeys())
        if (name == key.Name) return true;
    return false;
}

void AddMembers(TWorkspaceFiles& files, const TPayloadMember& archive, const std::string& folder)
{
    for (const TPayloadMember& member : archive.Members) {
        if (!member.IsArchive) {
            files.Add(folder + member.Name, member.Source);
            continue;
        }
        // The setup unpacks its own archives into their folders, nested ones into NAME for NAME.x.
        std::string name = member.Name.substr(0, member.Name.size() - std::string(kNestedArchiveExtension).size());
        if (member.Name == kGraphicsArchive) name = kGraphicsFolder;
        if (member.Name == kSoundsArchive) name = kSoundsFolder;
        if (member.Name == kAdditionalArchive) name = kAdditionalFolder;
        AddMembers(files, member, folder + name + "\\");
    }
}

// Where a button's lines are: its last block's opening and the last line of each of its picture keys.
struct TButtonLines {
    size_t Opening = 0;
    std::map<std::string, size_t> Pictures;
};

class TSetupLint {
public:
    TSetupLint(const std::string& text, const TWorkspaceFiles& files, const TPictureCheck& probePicture)
        : Reading(ReadSetupFileThoroughly(text)), Files(files), ProbePicture(probePicture)
    {
    }

    std::vector<TDiagnostic> Run();

private:
    void Report(std::optional<size_t> index, bool isError, const std::string& text);
    void Warn(size_t index, const std::string& text) { Report(index, false, text); }
    void ReportProblem(const TSetupFileProblem& problem);
    void CheckFirstLine();
    void CheckIgnoredLine(size_t i);
    void CheckUnknownSetting(size_t i);
    void CheckSetting(size_t i);
    void CheckValueOfKind(size_t i, const TSetupKey& key, const std::string& value);
    void CheckPicture(size_t i, const std::string& path, bool isSkin);
    const TPictureVerdict* VerdictOn(const std::string& path);
    std::optional<TPictureSize> SizeOf(const std::string& path);
    void CheckFileNamed(const TSetupKey& key, size_t i);
    void CheckSetupIcon(size_t i, const std::string& path);
    void CheckAsAWhole();
    void CheckButton(const std::string& name, const TButtonSkin& skin, TButtonPlace design);
    bool IsButtonHeading(size_t i) const;
    bool Installs(const std::string& path) const;

    TSetupFileReading Reading;
    const TWorkspaceFiles& Files;
    const TPictureCheck& ProbePicture;
    std::map<std::string, TPictureVerdict> PictureVerdicts;  // by source: several buttons share pictures
    std::map<const TSetupKey*, size_t> LastLineOf;  // of the keys whose last line alone counts
    std::map<std::string, TButtonLines> Buttons;    // by the name of each button a block was read for
    std::vector<TDiagnostic> Diagnostics;
};

std::vector<TDiagnostic> TSetupLint::Run()
{
    for (const TSetupFileProblem& problem : Reading.Problems) ReportProblem(problem);
    CheckFirstLine();
    std::string button;
    for (size_t i = 0; i < Reading.Lines.size(); ++i) {
        const TLineReading& reading = Reading.Readings[i];
        if (reading.Role == TLineReading::Opening && reading.Block == TBlockKind::Button) {
            button = ValueOfLine(Reading.Lines[i + kButtonNameDistance]);
            Buttons[button].Opening = i;
        }
        if (reading.Role == TLineReading::Setting && reading.Block == TBlockKind::Button && reading.Key &&
            reading.Key->Kind == TKeyKind::Picture)
            Buttons[button].Pictures[reading.Key->Name] = i;
        if (reading.Role == TLineReading::Ignored && i > 0) CheckIgnoredLine(i);
        if (reading.Role == TLineReading::Setting && !reading.Key) CheckUnknownSetting(i);
        if (reading.Role == TLineReading::Setting && reading.Key) CheckSetting(i);
    }
    CheckAsAWhole();
    std::stable_sort(Diagnostics.begin(), Diagnostics.end(), [](const TDiagnostic& a, const TDiagnostic& b) {
        return a.Line.has_value() && (!b.Line || *a.Line < *b.Line);
    });
    return Diagnostics;
}

void TSetupLint::Report(std::optional<size_t> index, bool isError, const std::string& text)
{
    Diagnostics.push_back({index ? std::optional<size_t>(*index + 1) : std::nullopt, isError, text});
}

// The reader's own words, with the colour form added where a colour was not understood.
void TSetupLint::ReportProblem(const TSetupFileProblem& problem)
{
    std::string text = problem.Text;
    if (problem.Line) {
        const TSetupKey* key = Reading.Readings[*problem.Line - 1].Key;
        const std::string& line = Reading.Lines[*problem.Line - 1];
        if (key && key->Kind == TKeyKind::Colour) text += " " + ColourHint(ValueOfLine(line));
    }
    Diagnostics.push_back({problem.Line, true, text});
}

// The setup skips the first line, which the authoring tool fills with words of
// its own: a block opened or a key set there is lost, and with it the title,
// the destination or the text area's look that the rest of the file relies on.
void TSetupLint::CheckFirstLine()
{
    if (Reading.Lines.empty()) return;
    std::string line = Reading.Lines[0];
    if (line.compare(0, kByteOrderMark.size(), kByteOrderMark) == 0) line.erase(0, kByteOrderMark.size());
    const std::string key = KeyOfLine(line);
    const std::string skipped = "the setup never reads the first line, so ";
    const std::string remedy = "; leave the first line to a comment such as \"Made by hand\"";
    if (key == "Object")
        Report(0, true, skipped + "the block " + Quoted(line) + " opens there is lost" + remedy);
    else if (IsKeyOfAnyBlock(key))
        Report(0, true, skipped + "the " + Quoted(key) + " line there is lost" + remedy);
}

void TSetupLint::CheckIgnoredLine(size_t i)
{
    const std::string& line = Reading.Lines[i];
    if (KeyOfLine(line) != "Object") return;
    const std::optional<TBlockKind> block = BlockNamed(ValueOfLine(line));
    if (block == TBlockKind::Button) {
        if (i + kButtonNameDistance >= Reading.Lines.size()) return;  // the reader's error
        Warn(i, "the Button block names no button: the line two below says " +
                    Quoted(ValueOfLine(Reading.Lines[i + kButtonNameDistance])) +
                    ", not \"Back\", \"Forward\" or \"Cancel\", so the block is ignored");
    } else if (!block) {
        Warn(i, Quoted(line) + " opens no block (the kinds are Setup, Toolweb, Panel and Button), so it is ignored");
    }
}

bool TSetupLint::IsButtonHeading(size_t i) const
{
    for (size_t back = 1; back <= kButtonNameDistance && back <= i; ++back) {
        const TLineReading& opening = Reading.Readings[i - back];
        if (opening.Role == TLineReading::Opening && opening.Block == TBlockKind::Button) return true;
    }
    return false;
}

void TSetupLint::CheckUnknownSetting(size_t i)
{
    const std::string& line = Reading.Lines[i];
    if (IsButtonHeading(i) || IsBlank(line)) return;
    const std::string key = KeyOfLine(line);
    const std::string block = std::string(BlockName(Reading.Readings[i].Block)) + " block";
    if (line.find('=') == std::string::npos) {
        if (Trimmed(line) == "end")
            Warn(i, Quoted(line) + " does not close the " + block + ": the line must be exactly \"end\"");
        else
            Warn(i, "the line is no key=value line, so the " + block + " ignores it");
    } else if (key == "Object") {
        Warn(i, Quoted(line) + " inside the " + block +
                    " opens no block, as blocks do not nest; is an \"end\" line missing above it?");
    } else if (!key.empty() && Trimmed(key) != key) {
        Warn(i, "spaces around \"=\" belong to the key: " + Quoted(key) + " is not a key of the " + block +
                    ", so the line is ignored");
    } else {
        const std::optional<std::string> meant = SuggestedKey(Reading.Readings[i].Block, key);
        Warn(i, Quoted(key) + " is not a key of the " + block + ", so the line is ignored" +
                    (meant ? "; did you mean " + Quoted(*meant) + "?" : ""));
    }
}

void TSetupLint::CheckSetting(size_t i)
{
    const TSetupKey& key = *Reading.Readings[i].Key;
    const std::string value = ValueOfLine(Reading.Lines[i]);
    if (key.Kind == TKeyKind::Boolean) {
        if (value != "0" && value != "1")
            Warn(i, Quoted(key.Name) + " is " + Quoted(value) + ": only \"1\" switches it on, anything else is off");
        return;
    }
    // The setup reads numbers past leading spaces.
    if (key.Kind != TKeyKind::Integer && key.Kind != TKeyKind::Colour && !value.empty() && value.front() == ' ')
        Warn(i, "the value of " + Quoted(key.Name) + " begins with a space, which is part of it");
    CheckValueOfKind(i, key, value);
}

void TSetupLint::CheckValueOfKind(size_t i, const TSetupKey& key, const std::string& value)
{
    switch (key.Kind) {
    case TKeyKind::Picture:
        // The window takes its skin from the last Bitmap line: only that one is checked.
        if (key.Block == TBlockKind::Panel) LastLineOf[&key] = i;
        else if (!value.empty()) CheckPicture(i, value, false);
        break;
    case TKeyKind::FontStyle:
        if (!value.empty() && FontStyleNamed(value) == TFontStyle::None)
            Warn(i, Quoted(key.Name) + " is " + Quoted(value) +
                        ": the styles are \"Bold\", \"Italic\", \"Underline\" and \"StrikeOut\", so the font has "
                        "none");
        break;
    case TKeyKind::Language:
        if (!kLanguages.count(value))
            Warn(i, Quoted(key.Name) + " is " + Quoted(value) +
                        ": the languages are \"English\", \"French\", \"German\" and \"Spanish\", so the pages are "
                        "in English");
        break;
    case TKeyKind::Addfile:
        if (IsInstallablePath(value) && !Files.Find(value))
            Warn(i, "the Addfile entry " + Quoted(value) +
                        " is not in the payload, so the setup installs nothing for it");
        break;
    // The setup takes the last of these lines: only that one is checked, once every Addfile line is known.
    case TKeyKind::LicenceFile:
    case TKeyKind::InstalledFile:
    case TKeyKind::SetupIcon: LastLineOf[&key] = i; break;
    case TKeyKind::Text:
    case TKeyKind::Boolean:
    case TKeyKind::Integer:
    case TKeyKind::Colour:
    case TKeyKind::Title:
    case TKeyKind::Destination:
    case TKeyKind::ProgramFolder: break;
    }
}

// A skin picture the setup cannot show leaves its window the placeholder
// picture's size, with the buttons at their places outside it.
void TSetupLint::CheckPicture(size_t i, const std::string& path, bool isSkin)
{
    const std::string picture = isSkin ? "the skin picture " : "the picture ";
    const std::string placeholder = isSkin ? ", so the setup window is its " + std::to_string(kPlaceholderSide) +
                                                 " x " + std::to_string(kPlaceholderSide) +
                                                 " placeholder picture, with the buttons outside it"
                                           : ", so the setup shows its placeholder picture instead";
    if (!Files.Find(path)) {
        Report(i, isSkin, picture + Quoted(path) + " is not in the payload" + placeholder);
    } else if (!PictureKindOf(path)) {
        Report(i, isSkin,
               "the setup reads no " + Quoted(LowerExtension(path)) +
                   " pictures (only .bmp, .ico, .emf, .wmf, .jpg, .jpeg and .gif), so " +
                   (isSkin ? "the setup window is its placeholder picture with the buttons outside it, instead of "
                           : "it shows its placeholder picture instead of ") +
                   Quoted(path));
    } else if (!VerdictOn(path)->Shown) {
        Report(i, isSkin, picture + Quoted(path) + " cannot be decoded" + placeholder);
    }
}

// Null for a picture the setup cannot even try: not in the payload, or of a kind it reads not.
const TPictureVerdict* TSetupLint::VerdictOn(const std::string& path)
{
    const std::string* source = Files.Find(path);
    if (!source || !PictureKindOf(path)) return nullptr;
    const auto verdict = PictureVerdicts.try_emplace(*source);
    if (verdict.second) verdict.first->second = ProbePicture(*source);
    return &verdict.first->second;
}

std::optional<TPictureSize> TSetupLint::SizeOf(const std::string& path)
{
    const TPictureVerdict* verdict = IsBlank(path) ? nullptr : VerdictOn(path);
    return verdict ? verdict->Size : std::nullopt;
}

bool TSetupLint::Installs(const std::string& path) const
{
    const std::optional<std::string> wanted = ResolvedKey(path);
    for (const std::string& entry : Reading.Settings.AddFiles)
        if (wanted && ResolvedKey(entry) == wanted) return true;
    return false;
}

void TSetupLint::CheckFileNamed(const TSetupKey& key, size_t i)
{
    const std::string value = ValueOfLine(Reading.Lines[i]);
    if (IsBlank(value)) return;
    if (key.Kind == TKeyKind::LicenceFile && !Files.Find(value))
        Report(i, true, "the licence file " + Quoted(value) + " is not in the payload, so the setup cannot start");
    if (key.Kind == TKeyKind::Picture) CheckPicture(i, value, true);
    if (key.Kind == TKeyKind::InstalledFile && !Installs(value))
        Warn(i, Quoted(key.Name) + " names " + Quoted(value) + ", which no Addfile line installs");
    if (key.Kind == TKeyKind::SetupIcon) CheckSetupIcon(i, value);
}

// The packer reads the icon file; only a file it cannot use at all stops the build.
void TSetupLint::CheckSetupIcon(size_t i, const std::string& path)
{
    const std::string keeps = ", so the setup program keeps Zoreva's icon";
    const std::string* source = Files.Find(path);
    if (!IsIconFileName(path)) {
        Warn(i, "the setup program's icon must be an .ico file, not " + Quoted(path) + keeps);
    } else if (!source) {
        Warn(i, "the icon " + Quoted(path) + " is not in the payload" + keeps);
    } else {
        try {
            ReadIconFile(*source);
        } catch (const ESetupError& error) {
            Report(i, true, "the icon " + Quoted(path) + " cannot be the setup program's icon: " + error.what());
        }
    }
}

void TSetupLint::CheckAsAWhole()
{
    for (const auto& [key, line] : LastLineOf) CheckFileNamed(*key, line);
    if (!Installs(kUninstallerName))
        Report(std::nullopt, false,
               "no \"Addfile=" + std::string(kUninstallerName) +
                   "\" line, so the setup does not install the uninstaller its shortcuts and registry entry point at");
    if (!Buttons.count("Forward"))
        Report(std::nullopt, true,
               "there is no Button block for \"Forward\" (the line two below its \"Object=Button\" line names the "
               "button), so the setup has no Next button to go on with");
    CheckButton("Back", Reading.Settings.Backbutton, kBackDesign);
    CheckButton("Forward", Reading.Settings.Forwardbutton, kForwardDesign);
    CheckButton("Cancel", Reading.Settings.Cancelbutton, kCancelDesign);
}

// A button takes the size of the picture it shows, so pictures of its states
// in other sizes make it grow over its neighbours; and the window is cut to
// its skin picture, so a button reaching outside it is cut off.
void TSetupLint::CheckButton(const std::string& name, const TButtonSkin& skin, TButtonPlace design)
{
    const auto lines = Buttons.find(name);
    const std::optional<TPictureSize> normal = SizeOf(skin.Mask);
    if (lines == Buttons.end() || !normal) return;
    const std::string button = "the " + name + " button's ";
    for (const auto& state : kStatePictures) {
        const auto line = lines->second.Pictures.find(state.Key);
        const std::optional<TPictureSize> size = SizeOf(skin.*state.Path);
        if (line == lines->second.Pictures.end() || !size ||
            (size->Width == normal->Width && size->Height == normal->Height))
            continue;
        Warn(line->second, button + Quoted(state.Key) + " picture is " + SizeText(*size) +
                               " pixels, its \"Mask\" picture " + SizeText(*normal) +
                               ": the button takes the size of the picture it shows, so it changes size and can "
                               "cover its neighbours");
    }
    const std::optional<TPictureSize> window = SizeOf(Reading.Settings.Panel.Bitmap);
    const int64_t left = skin.Left.value_or(design.Left), top = skin.Top.value_or(design.Top);
    if (!window || (left >= 0 && top >= 0 && left + normal->Width <= window->Width &&
                    top + normal->Height <= window->Height))
        return;
    Warn(lines->second.Opening, "the " + name + " button, " + SizeText(*normal) + " pixels at left " +
                                    std::to_string(left) + " and top " + std::to_string(top) +
                                    ", reaches outside the skin picture of " + SizeText(*window) +
                                    " pixels, which the window is cut to");
}

}  // namespace

std::string FileIn(const std::string& folder, const std::string& name)
{
    if (folder.empty()) return name;
    if (folder.back() == '/' || folder.back() == '\\') return folder + name;
    const bool windowsStyle = folder.find('\\') != std::string::npos && folder.find('/') == std::string::npos;
    return folder + (windowsStyle ? "\\" : "/") + name;
}

std::string SetupFileIn(const std::string& folder)
{
    return FileIn(folder, kSetupDescription);
}

std::string FormatDiagnostic(const TDiagnostic& diagnostic, const std::string& file)
{
    const std::string where = diagnostic.Line ? ":" + std::to_string(*diagnostic.Line) : "";
    return file + where + (diagnostic.IsError ? ": error: " : ": warning: ") + diagnostic.Text;
}

std::string SummaryOf(const std::vector<TDiagnostic>& diagnostics, const std::string& file)
{
    const size_t errors = static_cast<size_t>(
        std::count_if(diagnostics.begin(), diagnostics.end(), [](const TDiagnostic& d) { return d.IsError; }));
    return file + ": " + Counted(errors, "error") + ", " + Counted(diagnostics.size() - errors, "warning");
}

std::optional<std::string> SuggestedKey(TBlockKind block, const std::string& written)
{
    const TSetupKey* nearest = nullptr;
    const size_t allowed = SlipsAllowed(written);
    size_t nearestDistance = allowed + 1;
    for (const TSetupKey& key : SetupKeys()) {
        // Each letter more or less is a slip: a long line's key is measured against no key.
        const size_t length = std::string_view(key.Name).size();
        const size_t lengthGap = written.size() > length ? written.size() - length : length - written.size();
        if (key.Block != block || lengthGap > allowed) continue;
        const size_t distance = TypingDistance(written, key.Name);
        if (distance < nearestDistance) {
            nearest = &key;
            nearestDistance = distance;
        }
    }
    return nearest ? std::optional<std::string>(nearest->Name) : std::nullopt;
}

bool HasErrors(const std::vector<TDiagnostic>& diagnostics)
{
    return std::any_of(diagnostics.begin(), diagnostics.end(), [](const TDiagnostic& d) { return d.IsError; });
}

void TWorkspaceFiles::Add(const std::string& path, const std::string& source)
{
    if (const std::optional<std::string> key = ResolvedKey(path)) Sources[*key] = source;
}

const std::string* TWorkspaceFiles::Find(const std::string& path) const
{
    const std::optional<std::string> key = ResolvedKey(path);
    const auto found = key ? Sources.find(*key) : Sources.end();
    return found == Sources.end() ? nullptr : &found->second;
}

TWorkspaceFiles WorkspaceFilesOf(const TPayloadPlan& plan)
{
    TWorkspaceFiles files;
    AddMembers(files, plan.Root, "");
    return files;
}

std::vector<TDiagnostic> CheckSetup(const std::string& setupText, const TWorkspaceFiles& files,
                                    const TPictureCheck& probePicture)
{
    return TSetupLint(setupText, files, probePicture).Run();
}
