#include "setup/Startup.h"

#include <windows.h>

#include "archive/PayloadLayout.h"
#include "archive/Workspace.h"
#include "archive/ZLIBArchive.h"
#include "setup/PageTexts.h"
#include "utilities/FileSystem.h"
#include "utilities/SetupError.h"
#include "utilities/Shell.h"

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
    ExtractPayload(archiver, workspace, files::RunningProgramFile());
    return workspace;
}

TSetupSettings ReadSetupDescription(const std::string& workspace)
{
    return ReadSetupFile(files::ReadWholeFile(workspace + kSetupDescription));
}

void CheckAdministrator(const TSetupSettings& settings)
{
    if (!IsAdministrator()) throw ESetupError(AdministratorMessage(settings.Language));
}
