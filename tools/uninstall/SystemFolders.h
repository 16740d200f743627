#pragma once

// The folders the system and the user own; a log that names one as its
// folder is not believed. Kept apart from the undo code, whose names the
// shell's headers would shadow.

#include <string>
#include <vector>

std::string WindowsFolder();
// Program Files, the profile, the Start menu, desktop and document folders,
// as far as the system knows them.
std::vector<std::string> ShellFolders();
// The user's and everyone's Programs folders of the Start menu, where a
// program folder with the product's shortcuts may be.
std::vector<std::string> ProgramsFolders();
// The user's and everyone's desktops, where the product's one shortcut may be.
std::vector<std::string> Desktops();
