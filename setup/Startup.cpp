#include "setup/Startup.h"

#include <windows.h>

#include "archive/PayloadLayout.h"
#include "archive/Workspace.h"
#include "archive/ZLIBArchive.h"
#include "setup/PageTexts.h"
#include "utilities/FileSystem.h"
#include "utilities/SetupError.h"
#include "utilities/Shell.h"

namespace {

std::string RunningProgramFile()
{
    char path[MAX_PATH] = {};
    const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        throw ESetupError("Cannot find the setup program's own file. " + files::LastSystemError());
    return std::string(path, length);
}

}  // namespace

std::string ReadTextFile(const std::string& path)
{
    files::TFile file;
    if (!file.OpenForReading(path))
        throw ESetupError("Cannot open file \"" + path + "\". " + files::LastSystemError());
    std::string text(static_cast<size_t>(file.Size()), '\0');
    if (!text.empty()) file.ReadExactly(&text[0], text.size());
    return text;
}

std::string UnpackPayload()
{
    // Said plainly: the loader's own words ("Resource name not found") tell a user nothing.
    if (!FindResourceA(nullptr, kPayloadResource, RT_RCDATA))
        throw ESetupError(std::string("This setup program carries nothing to install: its resource ") +
                          kPayloadResource + " is missing. Setups are made from it with \"zoreva-pack build\".");
    CreateWorkspace();
    const std::string workspace = WorkspaceFolder() + "\\";
    for (const char* folder : {kGraphicsFolder, kSoundsFolder, kAdditionalFolder})
        files::ForceDirectories(workspace + folder);
    TZLBArchive archiver;
    ExtractPayload(archiver, workspace, RunningProgramFile());
    return workspace;
}

TSetupSettings ReadSetupDescription(const std::string& workspace)
{
    return ReadSetupFile(ReadTextFile(workspace + kSetupDescription));
}

void CheckAdministrator(const TSetupSettings& settings)
{
    if (!IsAdministrator()) throw ESetupError(AdministratorMessage(settings.Language));
}
