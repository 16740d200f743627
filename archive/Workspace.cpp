#include "archive/Workspace.h"

#include <windows.h>

#include "archive/NestedArchive.h"
#include "archive/ZLIBArchive.h"
#include "utilities/FileSystem.h"
#include "utilities/FolderTree.h"
#include "utilities/SetupError.h"

namespace {

constexpr char kPayloadResource[] = "VIZEZURAR";

std::string WorkspacePath;

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
            if (!WorkspacePath.empty() && files::DirectoryExists(WorkspacePath)) DeleteFolderTree(WorkspacePath);
        } catch (const ESetupError&) {
            // Nobody is left to tell at this point; the folder stays in the temporary folder.
        }
        WorkspacePath.clear();
    }
} WorkspaceRemoval;

// A module loaded as data only: none of its code runs.
class TDataModule {
public:
    explicit TDataModule(const std::string& file) : Module(LoadLibraryExA(file.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE))
    {
        if (!Module) throw LastOSError();
    }
    ~TDataModule() { FreeLibrary(Module); }
    TDataModule(const TDataModule&) = delete;
    TDataModule& operator=(const TDataModule&) = delete;
    HMODULE Get() const { return Module; }

private:
    HMODULE Module;
};

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
    GetTempPathA(MAX_PATH, buffer);
    return buffer;
}

void CreateWorkspace()
{
    const std::string temp = GetTempFolder();
    for (unsigned n = 1;; ++n) {
        WorkspacePath = temp + "QXTemp" + std::to_string(n);
        switch (files::CreateNewFolder(WorkspacePath)) {
        case files::TFolderCreation::Created: return;
        case files::TFolderCreation::NameTaken: continue;
        case files::TFolderCreation::Failed:
            throw ESetupError("Cannot create folder \"" + WorkspacePath + "\". " + files::LastSystemError());
        }
    }
}

const std::string& WorkspaceFolder()
{
    return WorkspacePath;
}

void ExtractResourceToFile(const std::string& moduleFile, const std::string& destinationFile)
{
    const TDataModule module(moduleFile);
    HRSRC resource = FindResourceA(module.Get(), kPayloadResource, RT_RCDATA);
    if (!resource) throw LastOSError();
    const DWORD size = SizeofResource(module.Get(), resource);
    HGLOBAL loaded = LoadResource(module.Get(), resource);
    if (!loaded) throw LastOSError();
    // The locked bytes go straight to the file: a payload can be hundreds of megabytes.
    const void* bytes = LockResource(loaded);
    if (!bytes) return;
    files::TFile output;
    output.CreateForWriting(destinationFile);
    output.Write(bytes, size);
}

void ExtractPayload(TZLBArchive& archiver, const std::string& workspace, const std::string& moduleFile)
{
    ExtractResourceToFile(moduleFile, workspace + "Data.Zup");
    UnpackArchive(archiver, workspace + "Data.Zup", workspace);
    UnpackArchive(archiver, workspace + "gfx.x", workspace + "Graphics\\");
    if (files::FileExists(workspace + "snd.x")) UnpackArchive(archiver, workspace + "snd.x", workspace + "Sounds\\");
    if (files::FileExists(workspace + "Additional.x")) ExtractNestedArchive(workspace + "Additional.x");
}
