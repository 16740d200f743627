#pragma once

// What an elevated program needs to work safely in folders that other users
// can write: a folder only administrators may change, a hold that keeps a
// folder in its place, and a removal that never follows a junction or a
// symbolic link to somewhere else.

#include <string>

#include "utilities/FileSystem.h"
#include "utilities/Handles.h"

namespace files {

// Creates one folder that only administrators and SYSTEM may change, whose
// files and folders inherit that, owned by the administrators: work of an
// elevated program in a folder such as the user's Temp, which the user's
// other programs must not swap or alter. Set at creation, never afterwards,
// so there is no moment at which the folder is open to others. As for
// CreateNewFolder.
TFolderCreation CreateAdminOnlyFolder(const std::string& path);
// Whether this process may work in such a folder: the Administrators group
// counts in its access checks (it runs elevated), and is not there only to deny.
bool RunsAsAdministrator();

// Keeps the folder at path in its place while the handle lives: opened for
// listing without sharing deletion, so that nobody, its owner included, can
// rename it away and put another folder (or a junction) under its name. An
// invalid handle when the folder cannot be opened.
TFileHandle HoldFolder(const std::string& path);

enum class TRemoveOutcome { Removed, Missing, BehindLink, Failed };

// Removes the file, or the folder when empty, at path itself. It is opened
// without following a link that path itself names, so a junction there is
// removed, never what it points to; and it is removed only when the system's
// final path for it is root's final path followed by the rest of path: a
// junction or symbolic link anywhere between root and path leaves it where it
// is (BehindLink). Holding the handle it checked, the removal cannot be
// turned elsewhere between the check and the deletion. A read-only file is
// removed too (its flag is cleared first, and stays cleared should the
// removal fail). Failed: in use, not empty, a file where a folder was meant
// or the other way round, or not below root at all; LastSystemError says why.
TRemoveOutcome RemoveBelow(const std::string& root, const std::string& path, bool isFolder);

}  // namespace files
