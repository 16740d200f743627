#include "tools/SetupCheck.h"

#include <algorithm>
#include <set>

#include "archive/PayloadLayout.h"
#include "setup/SetupFile.h"
#include "skin/PictureKind.h"
#include "utilities/KUtilities.h"
#include "utilities/WindowsPath.h"

namespace {

constexpr char kUninstaller[] = "Uninstall.exe";
const std::set<std::string> kBooleanKeys{"LaunchProg", "DesktopIcon", "PerMachine", "Encrypted"};
const std::set<std::string> kIntegerKeys{"TextBoxColor", "Fontcolor", "Fontheight", "AlphaColor", "Top",
                                         "Left",         "Width",     "Height",     "InvisibleColor"};
const std::set<std::string> kFontStyles{"Bold", "Italic", "Underline", "StrikeOut"};
const std::set<std::string> kLanguages{"English", "French", "German", "Spanish"};
const std::set<std::string> kPictureKeys{"Bitmap", "Mask", "Touched", "Pressed", "Disabled"};
// A Button block names its button two lines below its opening line; the line
// between is the authoring tool's "Kind=" line. Neither is a setting.
constexpr size_t kButtonNameDistance = 2;

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

const char* BlockName(TBlockKind kind)
{
    switch (kind) {
    case TBlockKind::Setup: return "Setup";
    case TBlockKind::Toolweb: return "Toolweb";
    case TBlockKind::Panel: return "Panel";
    case TBlockKind::Button: return "Button";
    }
    return "";
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

class TSetupLint {
public:
    TSetupLint(const std::string& text, const TWorkspaceFiles& files, const TPictureCheck& canShowPicture)
        : Reading(ReadSetupFileThoroughly(text)), Files(files), CanShowPicture(canShowPicture)
    {
    }

    std::vector<TDiagnostic> Run();

private:
    void Report(std::optional<size_t> index, bool isError, const std::string& text);
    void Warn(size_t index, const std::string& text) { Report(index, false, text); }
    void CheckIgnoredLine(size_t i);
    void CheckUnknownSetting(size_t i);
    void CheckSetting(size_t i);
    void CheckPicture(size_t i, const std::string& path);
    void CheckInstalled(const std::string& key, const std::string& value);
    void CheckAsAWhole();
    bool IsButtonHeading(size_t i) const;
    bool Installs(const std::string& path) const;

    TSetupFileReading Reading;
    const TWorkspaceFiles& Files;
    const TPictureCheck& CanShowPicture;
    std::map<std::string, bool> PictureVerdicts;  // by source: several buttons share pictures
    std::map<std::string, size_t> LastLineOf;      // of the Setup block's keys
    std::vector<TDiagnostic> Diagnostics;
};

std::vector<TDiagnostic> TSetupLint::Run()
{
    for (const TSetupFileProblem& problem : Reading.Problems) Diagnostics.push_back({problem.Line, true, problem.Text});
    for (size_t i = 0; i < Reading.Lines.size(); ++i) {
        const TLineReading& reading = Reading.Readings[i];
        if (reading.Role == TLineReading::Ignored) CheckIgnoredLine(i);
        if (reading.Role == TLineReading::Setting && !reading.KeyKnown) CheckUnknownSetting(i);
        if (reading.Role == TLineReading::Setting && reading.KeyKnown) CheckSetting(i);
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

void TSetupLint::CheckIgnoredLine(size_t i)
{
    const std::string& line = Reading.Lines[i];
    if (KeyOfLine(line) != "Object") return;
    const std::string kind = ValueOfLine(line);
    const bool known = kind == "Setup" || kind == "Toolweb" || kind == "Panel" || kind == "Button";
    if (i == 0) {
        if (known) Warn(i, "the setup never reads the first line, so this block is ignored");
    } else if (kind == "Button") {
        if (i + kButtonNameDistance >= Reading.Lines.size()) return;  // the reader's error
        Warn(i, "the Button block names no button: the line two below says " +
                    Quoted(ValueOfLine(Reading.Lines[i + kButtonNameDistance])) +
                    ", not \"Back\", \"Forward\" or \"Cancel\", so the block is ignored");
    } else if (!known) {
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
        Warn(i, Quoted(key) + " is not a key of the " + block + ", so the line is ignored");
    }
}

void TSetupLint::CheckSetting(size_t i)
{
    const std::string& line = Reading.Lines[i];
    const std::string key = KeyOfLine(line), value = ValueOfLine(line);
    const bool inSetup = Reading.Readings[i].Block == TBlockKind::Setup;
    if (inSetup) LastLineOf[key] = i;
    if (kBooleanKeys.count(key)) {
        if (value != "0" && value != "1")
            Warn(i, Quoted(key) + " is " + Quoted(value) + ": only \"1\" switches it on, anything else is off");
        return;
    }
    if (!kIntegerKeys.count(key) && !value.empty() && value.front() == ' ')
        Warn(i, "the value of " + Quoted(key) + " begins with a space, which is part of it");
    if (kPictureKeys.count(key) && !value.empty()) CheckPicture(i, value);
    if (!inSetup) return;
    if (key == "Fontstyle" && !value.empty() && !kFontStyles.count(value))
        Warn(i, "\"Fontstyle\" is " + Quoted(value) +
                    ": the styles are \"Bold\", \"Italic\", \"Underline\" and \"StrikeOut\", so the font has none");
    if (key == "Language" && !kLanguages.count(value))
        Warn(i, "\"Language\" is " + Quoted(value) +
                    ": the languages are \"English\", \"French\", \"German\" and \"Spanish\", so the pages are "
                    "in English");
    if (key == "Addfile" && IsInstallablePath(value) && !Files.Find(value))
        Warn(i, "the Addfile entry " + Quoted(value) + " is not in the payload, so the setup installs nothing for it");
}

void TSetupLint::CheckPicture(size_t i, const std::string& path)
{
    const std::string* source = Files.Find(path);
    const std::string placeholder = ", so the setup shows its placeholder picture instead";
    if (!source) {
        Warn(i, "the picture " + Quoted(path) + " is not in the payload" + placeholder);
    } else if (!PictureKindOf(path)) {
        Warn(i, "the setup reads no " + Quoted(LowerExtension(path)) +
                    " pictures (only .bmp, .ico, .emf, .wmf, .jpg, .jpeg and .gif), so it shows its placeholder "
                    "picture instead of " + Quoted(path));
    } else {
        const auto verdict = PictureVerdicts.try_emplace(*source, false);
        if (verdict.second) verdict.first->second = CanShowPicture(*source);
        if (!verdict.first->second) Warn(i, "the picture " + Quoted(path) + " cannot be decoded" + placeholder);
    }
}

bool TSetupLint::Installs(const std::string& path) const
{
    const std::optional<std::string> wanted = ResolvedKey(path);
    for (const std::string& entry : Reading.Settings.AddFiles)
        if (wanted && ResolvedKey(entry) == wanted) return true;
    return false;
}

void TSetupLint::CheckInstalled(const std::string& key, const std::string& value)
{
    const auto line = LastLineOf.find(key);
    if (line != LastLineOf.end() && !IsBlank(value) && !Installs(value))
        Warn(line->second, Quoted(key) + " names " + Quoted(value) + ", which no Addfile line installs");
}

void TSetupLint::CheckAsAWhole()
{
    const TSetupSettings& s = Reading.Settings;
    const auto licence = LastLineOf.find("Licence");
    if (licence != LastLineOf.end() && !IsBlank(s.Licence) && !Files.Find(s.Licence))
        Report(licence->second, true,
               "the licence file " + Quoted(s.Licence) + " is not in the payload, so the setup cannot start");
    CheckInstalled("TargetFile", s.TargetFile);
    CheckInstalled("ReadMe", s.ReadMe);
    if (!Installs(kUninstaller))
        Report(std::nullopt, false,
               "no \"Addfile=Uninstall.exe\" line, so the setup does not install the uninstaller its shortcuts and "
               "registry entry point at");
}

}  // namespace

std::string FormatDiagnostic(const TDiagnostic& diagnostic)
{
    const std::string where = diagnostic.Line ? ":" + std::to_string(*diagnostic.Line) : "";
    return std::string(kSetupDescription) + where + (diagnostic.IsError ? ": error: " : ": warning: ") +
           diagnostic.Text;
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
                                    const TPictureCheck& canShowPicture)
{
    return TSetupLint(setupText, files, canShowPicture).Run();
}
