#include "setup/InstallPlan.h"

#include "setup/SetupLogWords.h"
#include "utilities/SetupError.h"
#include "utilities/WindowsPath.h"

namespace {

const char* const kDestinationSubfolders[] = {"\\Graphics", "\\Sounds", "\\Additional"};
constexpr size_t kProgressRange = 100;
const char kReadMeViewer[] = "notepad.exe";
const char kLinkExtension[] = ".lnk";
// The Uninstall shortcut has always named the uninstaller so; Windows finds
// "Uninstall.exe" by it all the same, as it compares names without case.
const char kUninstallShortcutTarget[] = "\\uninstall.exe";

TInstallStep FolderStep(TInstallStepKind kind, const std::string& path)
{
    TInstallStep step;
    step.Kind = kind;
    step.Path = path;
    return step;
}

TInstallStep LinkStep(const TShortcut& link)
{
    TInstallStep step = FolderStep(TInstallStepKind::MakeLink, link.LinkFile);
    step.Link = link;
    return step;
}

// The name after the last backslash or colon, extension included.
std::string FileNamePart(const std::string& path)
{
    const size_t cut = path.find_last_of("\\:");
    return cut == std::string::npos ? path : path.substr(cut + 1);
}

void AddProgramFolderSteps(const TSetupSettings& s, const TInstallFolders& folders, std::vector<TInstallStep>& plan)
{
    if (folders.ProgramsFolder.empty())
        throw ESetupError("The Start menu's Programs folder is unknown on this system, so the program folder \"" +
                          folders.ProgramFolder + "\" cannot be made.");
    const std::string& d = folders.Destination;
    const std::string f = folders.ProgramsFolder + folders.ProgramFolder;
    plan.push_back(FolderStep(TInstallStepKind::MakeProgramFolder, f));
    plan.push_back(LinkStep({f + "\\" + s.Title + kLinkExtension, d + "\\" + s.TargetFile, "", d, s.Title}));
    plan.push_back(
        LinkStep({f + "\\Uninstall" + kLinkExtension, d + kUninstallShortcutTarget, "", d, "Uninstall " + s.Title}));
    if (IsBlank(s.ReadMe)) return;
    const std::string name = FileNamePart(s.ReadMe);
    // Quoted, so that the viewer gets one argument even when the path has spaces.
    plan.push_back(LinkStep({f + "\\" + name + kLinkExtension, kReadMeViewer, "\"" + d + "\\" + s.ReadMe + "\"", "", name}));
}

}  // namespace

int CopyProgressPosition(size_t index, size_t count)
{
    // Up to 100 files the whole steps the bar has always taken; beyond, such
    // a step is 0 and the bar would stand still.
    if (count <= kProgressRange) return static_cast<int>(index * (kProgressRange / count));
    return static_cast<int>(index * kProgressRange / count);
}

std::string PerMachineFolder(bool perMachine, const std::string& allUsersFolder, const std::string& currentUserFolder)
{
    return winpath::AddBackslash(perMachine && !allUsersFolder.empty() ? allUsersFolder : currentUserFolder);
}

std::vector<TInstallStep> InstallPlan(const TSetupSettings& settings, const TInstallFolders& folders)
{
    const std::string& d = folders.Destination;
    std::vector<TInstallStep> plan{FolderStep(TInstallStepKind::RecordFolder, d)};
    for (const char* sub : kDestinationSubfolders) plan.push_back(FolderStep(TInstallStepKind::MakeFolders, d + sub));
    for (const char* sub : kDestinationSubfolders) plan.push_back(FolderStep(TInstallStepKind::RecordFolder, d + sub));
    const std::vector<std::string>& entries = settings.AddFiles;
    for (size_t k = 0; k < entries.size(); ++k) {
        TInstallStep copy = FolderStep(TInstallStepKind::InstallFile, d + "\\" + entries[k]);
        copy.Source = folders.Workspace + entries[k];
        copy.Message = "copying " + entries[k];
        copy.Progress = CopyProgressPosition(k, entries.size());
        plan.push_back(copy);
    }
    if (!IsBlank(folders.ProgramFolder)) AddProgramFolderSteps(settings, folders, plan);
    return plan;
}

void RecordStep(const TInstallStep& step, TSetupLogBook& book)
{
    switch (step.Kind) {
    case TInstallStepKind::RecordFolder:
    case TInstallStepKind::MakeProgramFolder: book.AddDirectory(step.Path); break;
    case TInstallStepKind::InstallFile: book.AddCopiedFile(step.Path); break;
    case TInstallStepKind::MakeLink: book.AddLink(step.Path); break;
    case TInstallStepKind::MakeFolders: break;
    }
}

TFinishPlan FinishPlan(const TSetupSettings& settings, const std::string& destination, const std::string& desktopFolder,
                       bool desktopIcon, bool readMe, bool launchProg)
{
    const std::string& d = destination;
    TFinishPlan plan;
    // Without a desktop folder the link would land in whatever the current folder is.
    if (desktopIcon && !desktopFolder.empty())
        plan.DesktopLink = TShortcut{winpath::AddBackslash(desktopFolder) + settings.Title + kLinkExtension,
                                          d + "\\" + settings.TargetFile, "", d, settings.Title};
    plan.LogFileName = d + "\\" + kSetupLogName;
    plan.KeyName = settings.Title;
    plan.DisplayTitle = settings.Title;
    plan.InstallFolder = d;
    if (!IsBlank(settings.TargetFile)) plan.ProgramFile = d + "\\" + settings.TargetFile;
    if (readMe) plan.ReadMeViewer = TProgramStart{kReadMeViewer, d + "\\" + settings.ReadMe, ""};
    if (launchProg) plan.Program = TProgramStart{d + "\\" + settings.TargetFile, "", d};
    return plan;
}
