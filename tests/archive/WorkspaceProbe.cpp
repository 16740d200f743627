// A stand-in for the setup program's start-up, run by the workspace tests:
// make the workspace, unpack this program's own payload, and write what the
// workspace held into the report file named on the command line. The
// workspace must be gone again once the process has ended, whether the
// start-up succeeded or failed.

#include <windows.h>

#include <cstdio>
#include <string>

#include "archive/PayloadLayout.h"
#include "archive/Workspace.h"
#include "archive/ZLIBArchive.h"
#include "utilities/FileSystem.h"
#include "utilities/SetupError.h"

namespace {

void ListTree(const std::string& folder, const std::string& prefix, std::string& report)
{
    for (const files::FolderEntry& entry : files::ListFolder(folder)) {
        if (entry.IsFolder) ListTree(folder + "\\" + entry.Name, prefix + entry.Name + "\\", report);
        else report += prefix + entry.Name + "\n";
    }
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2) return 2;
    std::string report;
    int exitCode = 0;
    try {
        CreateWorkspace();
        const std::string workspace = WorkspaceFolder() + "\\";
        report = "workspace " + workspace + "\n";
        for (const char* sub : {kGraphicsFolder, kSoundsFolder, kAdditionalFolder})
            files::ForceDirectories(workspace + sub);
        TZLBArchive archiver;
        ExtractPayload(archiver, workspace, files::RunningProgramFile());
        ListTree(WorkspaceFolder(), "", report);
    } catch (const ESetupError& error) {
        report += std::string("error ") + error.what() + "\n";
        exitCode = 1;
    }
    if (FILE* out = std::fopen(argv[1], "wb")) {
        std::fwrite(report.data(), 1, report.size(), out);
        std::fclose(out);
    }
    return exitCode;
}
