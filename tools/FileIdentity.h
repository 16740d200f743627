#pragma once

// Whether two names lead to one file, judged by the file system's own
// identity of a file (device and inode; volume and file index) rather than by
// spelling: relative names, "..", links, letter case and short names all
// lead to the same identity.

#include <string>

// False when either does not exist.
bool IsSameFile(const std::string& first, const std::string& second);

// Whether a file at path, which need not exist yet, would lie somewhere below
// folder. False when folder does not exist.
bool LiesInFolder(const std::string& path, const std::string& folder);
