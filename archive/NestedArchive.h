#pragma once

#include <string>

// Unpacks the archive into a folder beside it named after it ("Additional.x"
// into "Additional"), then every ".x" archive found there (any letter case)
// the same way, depth first, and finally deletes the archive itself.
void ExtractNestedArchive(const std::string& archiveFile);

// A file name ExtractNestedArchive takes for an archive: extension ".x" in any letter case.
bool IsNestedArchiveName(const std::string& name);
