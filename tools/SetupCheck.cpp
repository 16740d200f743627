#include "tools/SetupCheck.h"

#include <algorithm>
#include <set>

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
    void CheckValueOfKind(size_t i, const TSetupKey& key, const std::string& value);
    void CheckPicture(size_t i, const std::string& path);
    void CheckFileNamed(const TSetupKey& key, size_t i);
    void CheckSetupIcon(size_t i, const std::string& path);
    void CheckAsAWhole();
    bool IsButtonHeading(size_t i) const;
    bool Installs(const std::string& path) const;

    TSetupFileReading Reading;
    const TWorkspaceFiles& Files;
    const TPictureCheck& CanShowPicture;
    std::map<std::string, bool> PictureVerdicts;  // by source: several buttons share pictures
    std::map<const TSetupKey*, size_t> LastLineOf;  // of the keys naming one file each
    std::vector<TDiagnostic> Diagnostics;
};

std::vector<TDiagnostic> TSetupLint::Run()
{
    for (const TSetupFileProblem& problem : Reading.Problems) Diagnostics.push_back({problem.Line, true, problem.Text});
    for (size_t i = 0; i < Reading.Lines.size(); ++i) {
        const TLineReading& reading = Reading.Readings[i];
        if (reading.Role == TLineReading::Ignored) CheckIgnoredLine(i);
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

void TSetupLint::CheckIgnoredLine(size_t i)
{
    const std::string& line = Reading.Lines[i];
    if (KeyOfLine(line) != "Object") return;
    const std::string kind = ValueOfLine(line);
    const std::optional<TBlockKind> block = BlockNamed(kind);
    if (i == 0) {
        if (block) Warn(i, "the setup never reads the first line, so this block is ignored");
    } else if (block == TBlockKind::Button) {
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
        Warn(i, Quoted(key) + " is not a key of the " + block + ", so the line is ignored");
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
    if (key.Kind != TKeyKind::Integer && !value.empty() && value.front() == ' ')
        Warn(i, "the value of " + Quoted(key.Name) + " begins with a space, which is part of it");
    CheckValueOfKind(i, key, value);
}

void TSetupLint::CheckValueOfKind(size_t i, const TSetupKey& key, const std::string& value)
{
    switch (key.Kind) {
    case TKeyKind::Picture:
        if (!value.empty()) CheckPicture(i, value);
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
    case TKeyKind::Title:
    case TKeyKind::Destination:
    case TKeyKind::ProgramFolder: break;
    }
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

void TSetupLint::CheckFileNamed(const TSetupKey& key, size_t i)
{
    const std::string value = ValueOfLine(Reading.Lines[i]);
    if (IsBlank(value)) return;
    if (key.Kind == TKeyKind::LicenceFile && !Files.Find(value))
        Report(i, true, "the licence file " + Quoted(value) + " is not in the payload, so the setup cannot start");
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
