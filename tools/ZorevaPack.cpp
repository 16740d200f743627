// zoreva-pack: builds setup programs and builds and inspects the archives they carry.

#include <algorithm>
#include <cinttypes>
#include <cstdio>
#include <cstring>
#include <map>
#include <optional>
#include <string>
#include <vector>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#else
#include <unistd.h>
#endif

#include "archive/PayloadLayout.h"
#include "archive/ZLIBArchive.h"
#include "archive/ZLIBArchiveWriter.h"
#include "setup/SetupFile.h"
#include "setup/SetupLogWords.h"
#include "tools/FileIdentity.h"
#include "tools/IconFile.h"
#include "tools/PackProgress.h"
#include "tools/PictureProbe.h"
#include "tools/SetupCheck.h"
#include "tools/SetupIdentity.h"
#include "tools/SetupPayload.h"
#include "tools/TempFile.h"
#include "utilities/FileSystem.h"
#include "utilities/SetupError.h"

#ifdef _WIN32
#include "utilities/DllSearch.h"
#endif

namespace {

constexpr int kExitFailure = 1;
constexpr int kExitUsage = 2;

const char kHelp[] =
    "Usage: zoreva-pack COMMAND ...\n"
    "\n"
    "  archive [--plain-list] [--store] [--level none|fastest|default|maximum] OUT INPUT...\n"
    "      Packs the INPUT files in the given order into the archive OUT. A folder\n"
    "      adds its files recursively, each with its folder below INPUT as path;\n"
    "      links are followed, but a link to OUT or back into a folder that holds\n"
    "      it is refused.\n"
    "      --store and --level none keep the members uncompressed; --plain-list\n"
    "      writes the file list without compression. A file identical to one\n"
    "      packed before is stored once: both records name the same data, and a\n"
    "      line says how many files were merged and the bytes saved.\n"
    "  build [--with-uninstaller] [--no-check] [--level none|fastest|default|maximum]\n"
    "        [--codepage N] [--product-version X.Y[.Z[.W]]] [--publisher NAME]\n"
    "        --stub STUB.exe --from DIR --out SETUP.exe\n"
    "      Checks DIR as check does and refuses it when it has errors; then packs\n"
    "      the workspace DIR into the payload Data.Zup and writes SETUP.exe,\n"
    "      a copy of STUB.exe carrying it as the resource RCDATA VIZEZURAR. The\n"
    "      files in DIR (Setup.ini among them) become members of Data.Zup, as do\n"
    "      the archives gfx.x of DIR/Graphics (required), snd.x of DIR/Sounds and\n"
    "      Additional.x of DIR/Additional, where every folder becomes a nested\n"
    "      NAME.x. Prints the check's count line, then the number of files, their\n"
    "      bytes, the bytes of SETUP.exe and the ratio of the two. On a terminal,\n"
    "      a line on stderr shows each step and the files and bytes packed so\n"
    "      far. --with-uninstaller adds Uninstall.exe from STUB.exe's folder to\n"
    "      the payload's root (in place of a file of that name in DIR).\n"
    "      --no-check packs a faulty Setup.ini all the same, for testing a setup's\n"
    "      own start-up errors. --level sets the compression of every archive in\n"
    "      the payload (default: default). Identical files in one archive are\n"
    "      stored once, as with archive.\n"
    "      --codepage sets the Windows code page the setup's names and texts are\n"
    "      written in: 1252 (the default), 874 or 1250 to 1258. File names are\n"
    "      converted to it, and so are Setup.ini and the licence file when they\n"
    "      are UTF-8 (a line on stderr says so); a name or character the code\n"
    "      page lacks and a UTF-16 text are errors. --no-check packs both texts\n"
    "      as they are.\n"
    "      STUB.exe must be Zoreva's setup program (Zoreva.exe) without a payload.\n"
    "      SETUP.exe says it is the product of Setup.ini, not Zoreva: its version\n"
    "      information names the title as ProductName, Description (or the title)\n"
    "      as FileDescription, --product-version as its version (0.0.0.0 without\n"
    "      it) and --publisher as CompanyName; an Icon key naming an .ico file in\n"
    "      DIR gives it that icon.\n"
    "  check [--with-uninstaller] [--codepage N] DIR\n"
    "      Tells what the setup made from DIR would stop on (errors: exit code 1)\n"
    "      or silently ignore or show wrongly (warnings), as DIR/Setup.ini:LINE:\n"
    "      lines on stderr, then the count of each on stdout (\"DIR/Setup.ini: no\n"
    "      errors, 2 warnings\"). --with-uninstaller counts Uninstall.exe as\n"
    "      packed, as build --with-uninstaller packs it; --codepage judges names\n"
    "      and texts in that code page, as build packs them.\n"
    "  list ARCHIVE\n"
    "      One line per member: index, size, zlib|stored, CRC-32, path, name.\n"
    "      ARCHIVE may be a setup program: its payload is listed.\n"
    "  extract [--with-paths] [--check-crc] ARCHIVE DESTFOLDER\n"
    "      Extracts every member into DESTFOLDER (with their stored paths when\n"
    "      asked), optionally checking each member's CRC-32. ARCHIVE may be a\n"
    "      setup program: its payload is extracted.\n"
    "  --help\n"
    "      Shows this text.\n";

struct UsageError {
    std::string Problem;
};

bool StderrIsTerminal()
{
#ifdef _WIN32
    return _isatty(_fileno(stderr)) != 0;
#else
    return isatty(STDERR_FILENO) != 0;
#endif
}

// A progress line on stderr, redrawn in place, drawn only for a person watching.
class TProgressBar {
public:
    TProgressBar() : Visible(StderrIsTerminal()) {}
    ~TProgressBar() { Finish(); }
    TProgressBar(const TProgressBar&) = delete;
    TProgressBar& operator=(const TProgressBar&) = delete;

    void Draw(const std::string& line)
    {
        if (!Visible || line == LastLine) return;
        LastLine = line;
        std::fprintf(stderr, "\r%s", line.c_str());
        std::fflush(stderr);
        Drawn = true;
    }
    void Show(const std::string& text, int percentage)
    {
        if (!text.empty()) Draw(BarLine(percentage, text));
    }
    // Ends the line, so that what is printed next starts on a line of its own.
    void Finish()
    {
        if (Drawn) std::fputc('\n', stderr);
        Drawn = false;
        LastLine.clear();
    }
    // Clears the line for lines printed in between, which the next drawing follows.
    void Clear()
    {
        if (Drawn) std::fprintf(stderr, "\r%s\r", std::string(kProgressLineWidth, ' ').c_str());
        Drawn = false;
        LastLine.clear();
    }

private:
    bool Visible;
    bool Drawn = false;
    std::string LastLine;
};

std::string BaseName(std::string path)
{
    while (path.size() > 1 && (path.back() == '/' || path.back() == files::kPathDelim)) path.pop_back();
    const size_t cut = path.find_last_of(std::string("/") + files::kPathDelim);
    return cut == std::string::npos ? path : path.substr(cut + 1);
}

std::string WithTrailingDelim(const std::string& folder)
{
    if (folder.empty() || folder.back() == '/' || folder.back() == '\\') return folder;
    return folder + files::kPathDelim;
}

TFileCompressionLevel ParseLevel(const std::string& name)
{
    if (name == "none") return TFileCompressionLevel::fcNone;
    if (name == "fastest") return TFileCompressionLevel::fcFastest;
    if (name == "default") return TFileCompressionLevel::fcDefault;
    if (name == "maximum") return TFileCompressionLevel::fcMaximum;
    throw UsageError{"unknown level '" + name + "'"};
}

// Splits the arguments after the command into options (with the value of
// those that take one) and operands.
struct TArguments {
    std::vector<std::string> Flags;
    std::map<std::string, std::string> Values;
    std::vector<std::string> Operands;
};

bool IsOneOf(const std::string& word, const std::vector<std::string>& words)
{
    return std::find(words.begin(), words.end(), word) != words.end();
}

TArguments ParseArguments(int argc, char** argv, const std::vector<std::string>& flags,
                          const std::vector<std::string>& valued = {})
{
    TArguments parsed;
    for (int i = 2; i < argc; ++i) {
        const std::string word = argv[i];
        if (word.size() < 2 || word.compare(0, 2, "--") != 0 || !parsed.Operands.empty()) {
            parsed.Operands.push_back(word);
        } else if (IsOneOf(word, valued)) {
            if (++i == argc) throw UsageError{word + " needs a value"};
            parsed.Values[word] = argv[i];
        } else if (IsOneOf(word, flags)) {
            parsed.Flags.push_back(word);
        } else {
            throw UsageError{"unknown option '" + word + "'"};
        }
    }
    return parsed;
}

std::string ValueOf(const TArguments& arguments, const std::string& option)
{
    const auto found = arguments.Values.find(option);
    return found == arguments.Values.end() ? "" : found->second;
}

TFileCompressionLevel LevelOption(const TArguments& arguments)
{
    const std::string name = ValueOf(arguments, "--level");
    return name.empty() ? TFileCompressionLevel::fcDefault : ParseLevel(name);
}

TCodePage CodePageOption(const TArguments& arguments)
{
    const auto given = arguments.Values.find("--codepage");
    if (given == arguments.Values.end()) return TCodePage(kDefaultCodePage);
    const std::string& number = given->second;
    const bool digits = !number.empty() && number.size() <= 5 &&
                        std::all_of(number.begin(), number.end(), [](char c) { return c >= '0' && c <= '9'; });
    const unsigned value = digits ? static_cast<unsigned>(std::stoul(number)) : 0;
    if (!TCodePage::IsKnown(value)) throw UsageError{"unknown code page '" + number + "' (874 or 1250 to 1258)"};
    return TCodePage(value);
}

bool HasFlag(const TArguments& arguments, const char* flag)
{
    return std::find(arguments.Flags.begin(), arguments.Flags.end(), flag) != arguments.Flags.end();
}

// Said only when there were any, so that a folder without them packs as it always did.
void PrintDuplicates(const TDuplicateFigures& duplicates)
{
    if (duplicates.Merged == 0) return;
    const std::string line = "Merged " + std::to_string(duplicates.Merged) +
                             (duplicates.Merged == 1 ? " duplicate file: " : " duplicate files: ") +
                             WithThousands(duplicates.BytesSaved) + " bytes saved\n";
    std::fwrite(line.data(), 1, line.size(), stdout);
}

// A file to pack: where it is read from, its member name and stored path.
struct TArchiveItem {
    std::string Source, Name, StoredPath;
};

// Links to folders are followed, as an author may keep parts elsewhere.
void CollectFolder(const std::string& folder, const std::string& storedPath, const TFolderTrail& trail,
                   std::vector<TArchiveItem>& items)
{
    const TFolderTrail inside = trail.Into(folder);
    for (const files::FolderEntry& item : files::ListFolder(folder)) {
        const std::string source = folder + files::kPathDelim + item.Name;
        if (item.IsFolder)
            CollectFolder(source, storedPath.empty() ? item.Name : storedPath + "\\" + item.Name, inside, items);
        else
            items.push_back({source, item.Name, storedPath});
    }
}

// A link among the inputs may lead to the output: packing would then read
// the archive while writing it, and never come to its end.
void RefusePackingOutput(const TArchiveItem& item, const std::string& out)
{
    if (IsSameFile(item.Source, out)) throw ESetupError("Output would be packed into itself: " + item.Source);
}

int RunArchive(int argc, char** argv)
{
    const TArguments arguments = ParseArguments(argc, argv, {"--plain-list", "--store"}, {"--level"});
    if (arguments.Operands.size() < 2) throw UsageError{"archive needs OUT and at least one INPUT"};
    TFileCompressionLevel level = LevelOption(arguments);
    if (HasFlag(arguments, "--store")) level = TFileCompressionLevel::fcNone;

    const std::string& out = arguments.Operands[0];
    const std::vector<std::string> inputs(arguments.Operands.begin() + 1, arguments.Operands.end());
    // Creating the output truncates it, and a failure removes it: both must never reach an input.
    for (const std::string& input : inputs) {
        if (IsSameFile(out, input)) throw ESetupError("Output would overwrite the input " + input);
        if (LiesInFolder(out, input)) throw ESetupError("Output would be written into the input folder " + input);
    }
    // Every file is found before the output is made, so that a folder that
    // cannot be read or a link to the output leaves an earlier output as it was.
    std::vector<TArchiveItem> items;
    for (const std::string& input : inputs) {
        if (files::DirectoryExists(input)) CollectFolder(input, "", TFolderTrail(), items);
        else items.push_back({input, BaseName(input), ""});
    }
    for (const TArchiveItem& item : items) RefusePackingOutput(item, out);
    try {
        TZLBArchiveWriter writer(out, level, !HasFlag(arguments, "--plain-list"));
        for (const TArchiveItem& item : items) {
            // A link that led nowhere may lead to the output now that it exists.
            RefusePackingOutput(item, out);
            writer.AddFile(item.Source, item.Name, item.StoredPath);
        }
        writer.Finish();
        PrintDuplicates(writer.Duplicates());
    } catch (...) {
        files::RemoveFile(out);
        throw;
    }
    return 0;
}

// Tenths of a percent in integers, so that every host prints the same digits.
std::string Percentage(int64_t part, int64_t whole)
{
    const int64_t tenths = (part * 1000 + whole / 2) / whole;
    return std::to_string(tenths / 10) + "." + std::to_string(tenths % 10) + "%";
}

void PrintSummary(const TPayloadPlan& plan, int64_t setupBytes)
{
    std::string line = "Packed " + std::to_string(plan.FileCount) + (plan.FileCount == 1 ? " file: " : " files: ") +
                       WithThousands(plan.ByteCount) + " bytes in, " + WithThousands(setupBytes) + " bytes out";
    if (plan.ByteCount > 0) line += " (" + Percentage(setupBytes, plan.ByteCount) + ")";
    line += '\n';
    std::fwrite(line.data(), 1, line.size(), stdout);
}

// The uninstaller is built beside the setup program.
void AddUninstallerBesideStub(TPayloadPlan& plan, const std::string& stub)
{
    const size_t cut = stub.find_last_of(std::string("/") + files::kPathDelim);
    const std::string uninstaller = (cut == std::string::npos ? "" : stub.substr(0, cut + 1)) + kUninstallerName;
    if (!files::FileExists(uninstaller))
        throw ESetupError("No " + std::string(kUninstallerName) + " beside the stub: " + uninstaller);
    AddUninstaller(plan, uninstaller);
}

// The setup is written once the payload is complete; a file to pack that is
// the output (through a link, say) would be lost to it.
void RefuseOutputAmongFiles(const TPayloadMember& archive, const std::string& out)
{
    for (const TPayloadMember& member : archive.Members) {
        if (member.IsArchive) RefuseOutputAmongFiles(member, out);
        else if (IsSameFile(member.Source, out))
            throw ESetupError("Output would overwrite the file to pack " + member.Source);
    }
}

// Who the setup says it is: Setup.ini as the setup reads it, and the command line.
TSetupIdentity IdentityOf(const TPayloadPlan& plan, const TCodePage& codePage, const TArguments& arguments)
{
    const TSetupSettings settings = ReadSetupFileThoroughly(SetupTextOf(plan)).Settings;
    TSetupIdentity identity{codePage.ToUtf16(settings.Title), codePage.ToUtf16(settings.Description),
                            ValueOf(arguments, "--product-version"), ValueOf(arguments, "--publisher"), ""};
    const TWorkspaceFiles workspace = WorkspaceFilesOf(plan);
    const std::string* icon = IsIconFileName(settings.Icon) ? workspace.Find(settings.Icon) : nullptr;
    if (icon) identity.IconFile = *icon;
    return identity;
}

// The texts as the setup will read them, with a line on stderr for each that was converted.
void ConvertTexts(TPayloadPlan& plan, const TCodePage& codePage, const std::string& from)
{
    for (const std::string& note : ConvertSetupTexts(plan, codePage, from)) {
        const std::string line = note + "\n";
        std::fwrite(line.data(), 1, line.size(), stderr);
    }
}

// Prints what the check finds in the payload's Setup.ini, the diagnostics on
// stderr and the verdict in one line on stdout; false when the setup would not start.
bool PassesCheck(const std::string& from, const TPayloadPlan& plan, const TWorkspaceFiles& workspace,
                 TProgressBar& bar)
{
    const std::string file = SetupFileIn(from);
    bar.Draw(PhaseLine("checking " + file));
    const std::vector<TDiagnostic> diagnostics = CheckSetup(SetupTextOf(plan), workspace, ProbePicture);
    bar.Clear();
    for (const TDiagnostic& diagnostic : diagnostics) {
        const std::string line = FormatDiagnostic(diagnostic, file) + "\n";
        std::fwrite(line.data(), 1, line.size(), stderr);
    }
    const std::string summary = SummaryOf(diagnostics, file) + "\n";
    std::fflush(stderr);
    std::fwrite(summary.data(), 1, summary.size(), stdout);
    std::fflush(stdout);
    return !HasErrors(diagnostics);
}

int RunCheck(int argc, char** argv)
{
    const TArguments arguments = ParseArguments(argc, argv, {"--with-uninstaller"}, {"--codepage"});
    if (arguments.Operands.size() != 1) throw UsageError{"check needs exactly one DIR"};
    const TCodePage codePage = CodePageOption(arguments);
    const std::string& from = arguments.Operands[0];
    TProgressBar bar;
    bar.Draw(PhaseLine("planning the payload of " + from));
    TPayloadPlan plan = PlanPayload(from, codePage);
    bar.Clear();
    ConvertTexts(plan, codePage, from);
    TWorkspaceFiles workspace = WorkspaceFilesOf(plan);
    // Only its presence counts: the check opens no file but pictures.
    if (HasFlag(arguments, "--with-uninstaller")) workspace.Add(kUninstallerName, kUninstallerName);
    return PassesCheck(from, plan, workspace, bar) ? 0 : kExitFailure;
}

int RunBuild(int argc, char** argv)
{
    const TArguments arguments =
        ParseArguments(argc, argv, {"--with-uninstaller", "--no-check"},
                       {"--stub", "--from", "--out", "--level", "--codepage", "--product-version", "--publisher"});
    const std::string stub = ValueOf(arguments, "--stub"), from = ValueOf(arguments, "--from"),
                      out = ValueOf(arguments, "--out");
    if (stub.empty() || from.empty() || out.empty() || !arguments.Operands.empty())
        throw UsageError{"build needs --stub STUB.exe, --from DIR and --out SETUP.exe"};
    const TFileCompressionLevel level = LevelOption(arguments);
    const TCodePage codePage = CodePageOption(arguments);
    const std::string productVersion = ValueOf(arguments, "--product-version");
    if (!productVersion.empty() && !ParseProductVersion(productVersion))
        throw UsageError{"--product-version takes 1.2, 1.2.3 or 1.2.3.4 (each part up to 65535), not '" +
                         productVersion + "'"};

    // A setup left in the folder would be packed into the next one.
    if (LiesInFolder(out, from)) throw ESetupError("Output would be written into the folder to pack " + from);
    const pe::TPeFile program(stub);
    program.CheckRewritable();
    CheckStub(program);
    TProgressBar bar;
    bar.Draw(PhaseLine("planning the payload of " + from));
    TPayloadPlan plan = PlanPayload(from, codePage);
    bar.Clear();
    if (HasFlag(arguments, "--with-uninstaller")) AddUninstallerBesideStub(plan, stub);
    RefuseOutputAmongFiles(plan.Root, out);
    if (!HasFlag(arguments, "--no-check")) {
        ConvertTexts(plan, codePage, from);
        if (!PassesCheck(from, plan, WorkspaceFilesOf(plan), bar))
            throw ESetupError("Setup.ini has errors the setup would stop on; no setup written");
    }
    const TPackCount total{plan.FileCount, plan.ByteCount};
    const TTempFile payload;
    const TDuplicateFigures duplicates =
        WritePayload(plan, payload.Path(), level, [&bar, &total](const std::string& name, const TPackCount& done) {
            bar.Draw(PackProgressLine(done, total, name));
        });
    bar.Draw(PackProgressLine(total, total, ""));
    bar.Finish();
    bar.Draw(PhaseLine("writing " + out));
    pe::TResourceTree resources = program.Resources();
    ApplyIdentity(resources, IdentityOf(plan, codePage, arguments));
    pe::ReplaceResource(resources, pe::TResourceKey::Number(pe::kRtRcData), pe::TResourceKey::Text(kPayloadResource),
                        pe::WholeFile(payload.Path()));
    const int64_t setupBytes = program.WriteWithResources(resources, out);
    bar.Clear();
    PrintSummary(plan, setupBytes);
    PrintDuplicates(duplicates);
    return 0;
}

// What list and extract read: the archive itself, or the payload of a setup
// program copied to a temporary file for as long as the command runs.
class TArchiveInput {
public:
    explicit TArchiveInput(const std::string& path) : ArchivePath(path)
    {
        if (!IsSetupProgram(path)) return;
        Payload.emplace();
        CopySetupPayload(path, Payload->Path());
        ArchivePath = Payload->Path();
    }
    const std::string& Path() const { return ArchivePath; }

private:
    std::optional<TTempFile> Payload;
    std::string ArchivePath;
};

int RunList(int argc, char** argv)
{
    const TArguments arguments = ParseArguments(argc, argv, {});
    if (arguments.Operands.size() != 1) throw UsageError{"list needs exactly one ARCHIVE"};
    const TArchiveInput input(arguments.Operands[0]);
    TZLBArchive archive;
    archive.OpenArchive(input.Path());
    for (int i = 0; i < archive.FileCount(); ++i) {
        TZLBFileEntry entry;
        archive.GetFileEntry(i, entry);
        const std::string line = std::to_string(i) + '\t' + std::to_string(entry.UncompressedSize()) + '\t' +
                                 (entry.Stored() ? "stored" : "zlib") + '\t';
        char crc[9];
        std::snprintf(crc, sizeof crc, "%08" PRIx32, entry.Crc32());
        const std::string rest = std::string(crc) + '\t' + entry.FilePath() + '\t' + entry.FileName() + '\n';
        std::fwrite(line.data(), 1, line.size(), stdout);
        std::fwrite(rest.data(), 1, rest.size(), stdout);
    }
    archive.CloseArchive();
    return 0;
}

int RunExtract(int argc, char** argv)
{
    const TArguments arguments = ParseArguments(argc, argv, {"--with-paths", "--check-crc"});
    if (arguments.Operands.size() != 2) throw UsageError{"extract needs ARCHIVE and DESTFOLDER"};
    const TArchiveInput input(arguments.Operands[0]);
    TProgressBar bar;
    TZLBArchive archive;
    archive.ExtractWithPath = HasFlag(arguments, "--with-paths");
    archive.CheckCRC = HasFlag(arguments, "--check-crc");
    archive.OnProgress = [&bar](const std::string& text, int percentage) { bar.Show(text, percentage); };
    archive.OpenArchive(input.Path());
    archive.ExtractAll(WithTrailingDelim(arguments.Operands[1]));
    archive.CloseArchive();
    return 0;
}

int Run(int argc, char** argv)
{
    const std::string command = argc > 1 ? argv[1] : "";
    if (command == "--help" || command == "-h") {
        std::fputs(kHelp, stdout);
        return 0;
    }
    if (command == "archive") return RunArchive(argc, argv);
    if (command == "build") return RunBuild(argc, argv);
    if (command == "check") return RunCheck(argc, argv);
    if (command == "list") return RunList(argc, argv);
    if (command == "extract") return RunExtract(argc, argv);
    throw UsageError{command.empty() ? "no command given" : "unknown command '" + command + "'"};
}

}  // namespace

int main(int argc, char** argv)
{
#ifdef _WIN32
    // The picture check loads GDI+ on first use.
    RestrictDllSearch();
    // The same bytes as on other hosts: no CR added before each LF.
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
#endif
    try {
        return Run(argc, argv);
    } catch (const UsageError& error) {
        std::fprintf(stderr, "zoreva-pack: %s (see 'zoreva-pack --help')\n", error.Problem.c_str());
        return kExitUsage;
    } catch (const std::exception& error) {
        std::fflush(stdout);
        std::fprintf(stderr, "zoreva-pack: %s\n", error.what());
        return kExitFailure;
    }
}
