#include "tools/SetupPayload.h"

#include <set>

#include "archive/NestedArchive.h"
#include "archive/PayloadLayout.h"
#include "archive/ZLIBArchiveWriter.h"
#include "setup/SetupFile.h"
#include "setup/SetupLogWords.h"
#include "tools/FileIdentity.h"
#include "tools/SetupCheck.h"
#include "tools/TempFile.h"
#include "utilities/FileSystem.h"
#include "utilities/SetupError.h"
#include "utilities/WindowsPath.h"

namespace {

constexpr int64_t kLargestText = 16 << 20;

int64_t SizeOfFile(const std::string& path)
{
    files::TFile file;
    if (!file.OpenForReading(path)) throw ESetupError("Unable to open file (" + path + ")");
    return file.Size();
}

bool Contains(const std::vector<TNamedEntry>& entries, const std::string& name, bool isFolder)
{
    for (const TNamedEntry& entry : entries)
        if (entry.Name == name && entry.IsFolder == isFolder) return true;
    return false;
}

// Names that differ only in case are one file once extracted on Windows.
void CheckDistinctNames(const TPayloadMember& archive)
{
    std::set<std::string> seen;
    for (const TPayloadMember& member : archive.Members)
        if (!seen.insert(winpath::UpperAscii(member.Name)).second)
            throw ESetupError("Two members named " + member.Name + " in " + archive.Source);
}

TPayloadMember FileMember(const std::string& name, const std::string& source)
{
    return {name, source, SizeOfFile(source), false, {}, {}};
}

// The setup would stop when Windows refuses the name, or unpack the file under
// another one when Windows drops its trailing dots or spaces.
void CheckCreatableName(const TNamedEntry& entry)
{
    if (winpath::IsWindowsFileName(entry.Name)) return;
    const std::string& source = entry.Source;
    throw ESetupError(entry.IsFolder ? "Folder not packed, as Windows cannot make a folder of that name: " + source
                                     : "File not packed, as Windows cannot make a file of that name: " + source);
}

// The setup looks its pictures and sounds up by name alone.
TPayloadMember FlatArchive(const std::string& name, const std::string& folder, const TCodePage& codePage)
{
    TPayloadMember archive{name, folder, 0, true, {}, {}};
    for (const TNamedEntry& entry : ListFolderIn(folder, codePage)) {
        if (entry.IsFolder) throw ESetupError("Folder not packed, as " + folder + " holds files only: " + entry.Source);
        CheckCreatableName(entry);
        archive.Members.push_back(FileMember(entry.Name, entry.Source));
    }
    CheckDistinctNames(archive);
    return archive;
}

// Every folder becomes an archive NAME.x, which the setup unpacks into NAME;
// so does every file named like one, which therefore cannot be packed. Links
// to folders are followed, as an author may keep parts of a product elsewhere.
TPayloadMember NestedArchive(const std::string& name, const std::string& folder, const TFolderTrail& trail,
                             const TCodePage& codePage)
{
    const TFolderTrail inside = trail.Into(folder);
    TPayloadMember archive{name, folder, 0, true, {}, {}};
    for (const TNamedEntry& entry : ListFolderIn(folder, codePage)) {
        CheckCreatableName(entry);
        if (entry.IsFolder) {
            archive.Members.push_back(
                NestedArchive(entry.Name + kNestedArchiveExtension, entry.Source, inside, codePage));
            continue;
        }
        if (IsNestedArchiveName(entry.Name))
            throw ESetupError("File not packed, as the setup would unpack it as an archive: " + entry.Source);
        archive.Members.push_back(FileMember(entry.Name, entry.Source));
    }
    CheckDistinctNames(archive);
    return archive;
}

// The payload, its archives and the folders they unpack into share the
// workspace with its files: a file of such a name would be overwritten, taken
// for an archive, or fail to unpack beside the folder.
bool IsWorkspaceName(const std::string& name)
{
    for (const char* reserved : {kPayloadArchive, kGraphicsArchive, kSoundsArchive, kAdditionalArchive,
                                 kGraphicsFolder, kSoundsFolder, kAdditionalFolder, kReplacedFolder})
        if (winpath::SameIgnoringCase(name, reserved)) return true;
    return false;
}

TPayloadMember WorkspaceMember(const TNamedEntry& entry, const TFolderTrail& trail, const TCodePage& codePage)
{
    const std::string& source = entry.Source;
    if (!entry.IsFolder) {
        if (IsWorkspaceName(entry.Name)) throw ESetupError("File name kept for the setup's own use: " + source);
        CheckCreatableName(entry);
        return FileMember(entry.Name, source);
    }
    if (entry.Name == kGraphicsFolder) return FlatArchive(kGraphicsArchive, source, codePage);
    if (entry.Name == kSoundsFolder) return FlatArchive(kSoundsArchive, source, codePage);
    if (entry.Name == kAdditionalFolder) return NestedArchive(kAdditionalArchive, source, trail, codePage);
    throw ESetupError("Folder not part of a setup: " + source + " (only Graphics, Sounds and Additional are packed)");
}

void CountFiles(const TPayloadMember& archive, TPayloadPlan& plan)
{
    for (const TPayloadMember& member : archive.Members) {
        if (member.IsArchive) {
            CountFiles(member, plan);
            continue;
        }
        ++plan.FileCount;
        plan.ByteCount += member.Size;
    }
}

// Each archive is a file of its own whose records can name blocks of that
// file only, so identical files share a block within one archive and are
// stored again in another. Two identical folders give identical nested
// archives, which do share within their parent.
class TPayloadWriter {
public:
    TPayloadWriter(TFileCompressionLevel level, const TPackProgress& progress) : Level(level), Progress(progress) {}

    void Write(const TPayloadMember& archive, const std::string& path)
    {
        TZLBArchiveWriter writer(path, Level, true);
        for (const TPayloadMember& member : archive.Members) {
            if (member.IsArchive) {
                const TTempFile nested;
                Write(member, nested.Path());
                writer.AddFile(nested.Path(), member.Name, "");
                continue;
            }
            Progress(member.Name, Done);
            writer.OnRead = [this, &member](int64_t read) { Progress(member.Name, {Done.Files, Done.Bytes + read}); };
            if (member.Text) AddText(writer, *member.Text, member.Name);
            else writer.AddFile(member.Source, member.Name, "");
            writer.OnRead = nullptr;
            ++Done.Files;
            Done.Bytes += member.Size;
        }
        writer.Finish();
        Duplicates += writer.Duplicates();
    }

    const TDuplicateFigures& DuplicatesMerged() const { return Duplicates; }

private:
    static void AddText(TZLBArchiveWriter& writer, const std::string& text, const std::string& name)
    {
        const TTempFile copy;
        files::TFile file;
        file.CreateForWriting(copy.Path());
        file.Write(text.data(), text.size());
        file.Close();
        writer.AddFile(copy.Path(), name, "");
    }

    TFileCompressionLevel Level;
    const TPackProgress& Progress;
    TPackCount Done;
    TDuplicateFigures Duplicates;
};

TPayloadMember* MemberMadeFrom(TPayloadMember& archive, const std::string& source)
{
    for (TPayloadMember& member : archive.Members) {
        if (!member.IsArchive && member.Source == source) return &member;
        if (member.IsArchive)
            if (TPayloadMember* found = MemberMadeFrom(member, source)) return found;
    }
    return nullptr;
}

// Setup.ini's place among the members of Data.Zup.
size_t SetupDescriptionAt(const TPayloadPlan& plan)
{
    const std::vector<TPayloadMember>& members = plan.Root.Members;
    for (size_t i = 0; i < members.size(); ++i)
        if (!members[i].IsArchive && members[i].Name == kSetupDescription) return i;
    throw ESetupError("No Setup.ini in " + plan.Root.Source);
}

// The member's text in the code page, packed from memory when it was UTF-8.
// A file far larger than any text a user reads (a licence key naming the
// program, say) is packed as it is, rather than read into memory.
void ConvertText(TPayloadMember& member, const std::string& name, const TCodePage& codePage, TPayloadPlan& plan,
                 std::vector<std::string>& notes)
{
    if (member.Size > kLargestText) return;
    TSetupText text = TextInCodePage(files::ReadWholeFile(member.Source), name, codePage);
    if (!text.Converted) return;
    const int64_t size = static_cast<int64_t>(text.Text.size());
    plan.ByteCount += size - member.Size;
    member.Size = size;
    member.Text = std::move(text.Text);
    notes.push_back(name + ": converted from UTF-8 to " + codePage.Name());
}

pe::TResourceKey PayloadType()
{
    return pe::TResourceKey::Number(pe::kRtRcData);
}

}  // namespace

TPayloadPlan PlanPayload(const std::string& workspace, const TCodePage& codePage)
{
    if (!files::DirectoryExists(workspace)) throw ESetupError("Folder not found: " + workspace);
    const std::vector<TNamedEntry> entries = ListFolderIn(workspace, codePage);
    if (!Contains(entries, kSetupDescription, false)) throw ESetupError("No Setup.ini in " + workspace);
    if (!Contains(entries, kGraphicsFolder, true)) throw ESetupError("No Graphics folder in " + workspace);

    TPayloadPlan plan;
    plan.Root = {kPayloadArchive, workspace, 0, true, {}, {}};
    const TFolderTrail trail = TFolderTrail().Into(workspace);
    for (const TNamedEntry& entry : entries) plan.Root.Members.push_back(WorkspaceMember(entry, trail, codePage));
    CheckDistinctNames(plan.Root);
    CountFiles(plan.Root, plan);
    return plan;
}

std::vector<std::string> ConvertSetupTexts(TPayloadPlan& plan, const TCodePage& codePage, const std::string& folder)
{
    std::vector<std::string> notes;
    ConvertText(plan.Root.Members[SetupDescriptionAt(plan)], FileIn(folder, kSetupDescription), codePage, plan, notes);
    const std::string licence = ReadSetupFileThoroughly(SetupTextOf(plan)).Settings.Licence;
    if (licence.empty()) return notes;
    // A licence missing from the payload is the check's to report.
    const TWorkspaceFiles files = WorkspaceFilesOf(plan);
    if (const std::string* source = files.Find(licence))
        if (TPayloadMember* member = MemberMadeFrom(plan.Root, *source))
            ConvertText(*member, FileIn(folder, licence), codePage, plan, notes);
    return notes;
}

std::string SetupTextOf(const TPayloadPlan& plan)
{
    const TPayloadMember& description = plan.Root.Members[SetupDescriptionAt(plan)];
    return description.Text ? *description.Text : files::ReadWholeFile(description.Source);
}

void AddUninstaller(TPayloadPlan& plan, const std::string& uninstaller)
{
    std::vector<TPayloadMember>& members = plan.Root.Members;
    for (auto member = members.begin(); member != members.end(); ++member) {
        if (member->IsArchive || !winpath::SameIgnoringCase(member->Name, kUninstallerName)) continue;
        --plan.FileCount;
        plan.ByteCount -= member->Size;
        members.erase(member);
        break;
    }
    members.push_back(FileMember(kUninstallerName, uninstaller));
    ++plan.FileCount;
    plan.ByteCount += members.back().Size;
}

TDuplicateFigures WritePayload(const TPayloadPlan& plan, const std::string& archivePath, TFileCompressionLevel level,
                               const TPackProgress& progress)
{
    TPayloadWriter writer(level, progress);
    writer.Write(plan.Root, archivePath);
    return writer.DuplicatesMerged();
}

int64_t EmbedPayload(const pe::TPeFile& stub, const std::string& archivePath, const std::string& setupPath)
{
    pe::TResourceTree resources = stub.Resources();
    pe::ReplaceResource(resources, PayloadType(), pe::TResourceKey::Text(kPayloadResource),
                        pe::WholeFile(archivePath));
    return stub.WriteWithResources(resources, setupPath);
}

bool IsSetupProgram(const std::string& path)
{
    try {
        return pe::TPeFile(path).EndsWithItsImage();
    } catch (const ESetupError&) {
        return false;
    }
}

void CopySetupPayload(const std::string& setupPath, const std::string& archivePath)
{
    const pe::TPeFile setup(setupPath);
    const auto payload = pe::LookUpResource(setup.Resources(), PayloadType(), pe::TResourceKey::Text(kPayloadResource));
    if (!payload) throw ESetupError("No setup payload (resource VIZEZURAR) in " + setupPath);
    pe::CopyResourceData(*payload, archivePath);
}
