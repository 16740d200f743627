#pragma once

// The private temporary workspace of one setup run and the payload the setup
// program carries as its "VIZEZURAR" data resource.

#include <string>

class TZLBArchive;

// The system's temporary folder as Windows reports it, normally with a
// trailing backslash. Raises when Windows names none or one too long to use.
std::string GetTempFolder();

// Makes the folder "QXTemp" + n in the temporary folder for the smallest n
// whose name is free, and remembers it as WorkspaceFolder. A name already
// taken by a folder or a file is skipped, so setups starting together never
// share or fail. The workspace is deleted again when the program ends.
//
// The temporary folder is the user's, and an elevated setup installs and
// starts what it unpacked there: so an elevated setup makes the workspace
// one that only administrators and SYSTEM may change, from its creation on,
// and holds it open so that it cannot be renamed and replaced while the
// setup runs (the user may rename anything in a folder of their own).
void CreateWorkspace();
// Lets go of the workspace and deletes it with all it holds (DeleteFolderTree).
void RemoveWorkspace();
// Empty until CreateWorkspace; then the workspace path without a trailing backslash.
const std::string& WorkspaceFolder();

// Writes the "VIZEZURAR" RCDATA resource of moduleFile to destinationFile;
// raises the system's error when moduleFile or its resource cannot be loaded.
void ExtractResourceToFile(const std::string& moduleFile, const std::string& destinationFile);

// Unpacks the payload of moduleFile into workspace (ending in a backslash):
// "Data.Zup" into it, "gfx.x" into "Graphics\", "snd.x" (if present) into
// "Sounds\" and "Additional.x" (if present) with its nested archives into
// "Additional".
void ExtractPayload(TZLBArchive& archiver, const std::string& workspace, const std::string& moduleFile);
