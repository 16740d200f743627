#pragma once

#include <string>

// Deletes folder with everything below it, clearing read-only attributes on
// the way. A junction or symbolic link inside is removed itself and never
// entered: what it points to stays untouched. A folder that does not exist is
// left alone. Failure raises "Aborted deleting Directory: " + folder +
// "file: " + entry.
void DeleteFolderTree(const std::string& folder);
