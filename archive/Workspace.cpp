#include "archive/Workspace.h"

#include <windows.h>

#include "archive/NestedArchive.h"
#include "archive/PayloadLayout.h"
#include "archive/ZLIBArchive.h"
#include "utilities/FileSystem.h"
#include "utilities/FolderTree.h"
#include "utilities/Handles.h"
#include "utilities/SetupError.h"
#include "utilities/TrustedFolders.h"

namespace {

std::string WorkspacePath;
// Keeps the workspace in its place until it is removed.
TFileHandle WorkspaceHold;

ESetupError LastOSError()
{
    return ESetupError("System Error.  Code: " + std::to_string(GetLastError()) + ".\r\n" +
                       files::LastSystemError());
}

// Removes a workspace still left when the program ends, also after a start-up error.
struct TWorkspaceRemoval {
    TWorkspaceRemoval() = default;
    TWorkspaceRemoval(const TWorkspaceRemoval&) = delete;
    TWorkspaceRemoval& operator=(const TWorkspaceRemoval&) = delete;
    ~TWorkspaceRemoval()
    {
        try {
            RemoveWorkspace();
        } catch (const ESetupError&) {
            // Nobody is left to tell at this point; the folder stays in the temporary folder.
        }
        WorkspacePath.clear();
    }
} WorkspaceRemoval;

// Loaded as data only: none of its code runs.
TModuleHandle LoadDataModule(const std::string& file)
{
    TModuleHandle module(LoadLibraryExA(file.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE));
    if (!module) throw LastOSError();
    return module;
}

void UnpackArchive(TZLBArchive& archiver, const std::string& archive, const std::string& folder)
{
    archiver.OpenArchive(archive);
    archiver.ExtractAll(folder);
    archiver.CloseArchive();
}

}  // namespace

std::string GetTempFolder()
{
    char buffer[MAX_PATH] = {};
    const DWORD length = GetTempPathA(MAX_PATH, buffer);
    // Without these checks an empty name would put the workspace into the current folder.
    if (length == 0) throw ESetupError("Cannot find the temporary folder. " + files::LastSystemError());
    if (length >= MAX_PATH)
        throw ESetupError("The name of the temporary folder is longer than " + std::to_string(MAX_PATH - 1) +
                          " characters.");
    return std::string(buffer, length);
}

void CreateWorkspace()
{
    const std::string temp = GetTempFolder();
    // Without elevation nothing is installed, and a folder of the administrators' could not even be written.
    const bool adminOnly = files::RunsAsAdministrator();
    for (unsigned n = 1;; ++n) {
        WorkspacePath = temp + kWorkspacePrefix + std::to_string(n);
        const files::TFolderCreation creation =
            adminOnly ? files::CreateAdminOnlyFolder(WorkspacePath) : files::CreateNewFolder(WorkspacePath);
        switch (creation) {
        case files::TFolderCreation::Created: break;
        case files::TFolderCreation::NameTaken: continue;
        case files::TFolderCreation::Failed:
            throw ESetupError("Cannot create folder \"" + WorkspacePath + "\". " + files::LastSystemError());
        }
        WorkspaceHold = files::HoldFolder(WorkspacePath);
        if (!WorkspaceHold)
            throw ESetupError("Cannot open folder \"" + WorkspacePath + "\". " + files::LastSystemError());
        return;
    }
}

void RemoveWorkspace()
{
    WorkspaceHold.Reset();
    if (!WorkspacePath.empty() && files::DirectoryExists(WorkspacePath)) DeleteFolderTree(WorkspacePath);
}

const std::string& WorkspaceFolder()
{
    return WorkspacePath;
}

void ExtractResourceToFile(const std::string& moduleFile, const std::string& destinationFile)
{
    const TModuleHandle module = LoadDataModule(moduleFile);
    HRSRC resource = FindResourceA(module.Get(), kPayloadResource, RT_RCDATA);
    if (!resource) throw LastOSError();
    const DWORD size = SizeofResource(module.Get(), resource);
    HGLOBAL loaded = LoadResource(module.Get(), resource);
    if (!loaded) throw LastOSError();
    // The locked bytes go straight to the file: a payload can be hundreds of megabytes.
    const void* bytes = LockResource(loaded);
    // Said here, as the missing file would later read as "Archive file not found".
    if (!bytes) throw ESetupError(std::string("Cannot read the resource ") + kPayloadResource + " of " + moduleFile);
    files::TFile output;
    output.CreateForWriting(destinationFile);
    output.Write(bytes, size);
}

void ExtractPayload(TZLBArchive& archiver, const std::string& workspace, const std::string& moduleFile)
{
    const std::string sounds = workspace + kSoundsArchive, additional = workspace + kAdditionalArchive;
    ExtractResourceToFile(moduleFile, workspace + kPayloadArchive);
    UnpackArchive(archiver, workspace + kPayloadArchive, workspace);
    UnpackArchive(archiver, workspace + kGraphicsArchive, workspace + kGraphicsFolder + "\\");
    if (files::FileExists(sounds)) UnpackArchive(archiver, sounds, workspace + kSoundsFolder + "\\");
    if (files::FileExists(additional)) ExtractNestedArchive(additional);
}
