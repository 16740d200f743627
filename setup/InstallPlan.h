#pragma once

// What the installation run and the finish actions do, worked out from the
// settings and the folders before anything touches the disk: an ordered list
// of steps, each with the log line it leaves in the log book, so the executor
// only performs them and the order of "setup.log" is settled here.

#include <optional>
#include <string>
#include <vector>

#include "setup/SetupFile.h"
#include "setup/SetupLogBook.h"

// The show command every shortcut gets: a normal window.
constexpr int kShowNormal = 1;

struct TShortcut {
    std::string LinkFile, Target, Arguments, WorkingFolder, Description;
    int ShowCommand = kShowNormal;
};

enum class TInstallStepKind {
    RecordFolder,       // only recorded: the uninstaller removes it when empty
    MakeFolders,        // created with missing parents, not recorded
    InstallFile,        // folder of the target made if missing, copied with overwrite, recorded
    MakeProgramFolder,  // a single folder whose parent must exist; recorded only when this run made it
    MakeLink,           // shortcut written and recorded
};

struct TInstallStep {
    TInstallStepKind Kind = TInstallStepKind::RecordFolder;
    std::string Path;     // the folder, the copy's target or the link file
    std::string Source;   // InstallFile
    std::string Message;  // InstallFile: the text above the progress bar
    int Progress = 0;     // InstallFile: the bar's position while this file is copied
    TShortcut Link;  // MakeLink
};

struct TInstallFolders {
    std::string Workspace;       // ends in a backslash
    std::string Destination;     // ends in a backslash only after a pick in the folder chooser
    std::string ProgramsFolder;  // ends in a backslash; empty when the system gave none
    std::string ProgramFolder;   // the user's choice below it; blank for none
};

// The copy loop's bar, from 0, never reaching 100: the same whole step per
// file for up to 100 files, the file's share of 100 rounded down beyond.
int CopyProgressPosition(size_t index, size_t count);

// The all-users folder when installing per machine and the system gave one,
// otherwise the current user's; a backslash appended when missing.
std::string PerMachineFolder(bool perMachine, const std::string& allUsersFolder, const std::string& currentUserFolder);

// Raises ESetupError when a program folder is chosen but the system gave no
// Programs folder to put it in.
std::vector<TInstallStep> InstallPlan(const TSetupSettings& settings, const TInstallFolders& folders);

// The log line a performed step leaves (none for MakeFolders).
void RecordStep(const TInstallStep& step, TSetupLogBook& book);

struct TProgramStart {
    std::string File, Parameters;
    // The started program's current folder; empty: the setup's own. The
    // setup never changes its own: it would hold the installation folder,
    // which cannot be removed while a process has it as its current folder.
    std::string WorkingFolder;
};

// The finish actions for the choices made on the Finish page.
struct TFinishPlan {
    std::optional<TShortcut> DesktopLink;  // none when not chosen or no desktop folder is known
    std::string LogFileName, KeyName, DisplayTitle;
    // For the list of programs: the installation folder and the program's file (empty without a TargetFile).
    std::string InstallFolder, ProgramFile;
    std::optional<TProgramStart> ReadMeViewer;
    // Started with Destination as its current folder.
    std::optional<TProgramStart> Program;
};
TFinishPlan FinishPlan(const TSetupSettings& settings, const std::string& destination, const std::string& desktopFolder,
                       bool desktopIcon, bool readMe, bool launchProg);
