#pragma once

// Where a member lands: the folder rules of extraction and the checks that
// keep every member inside the destination folder. A member's own name must
// be a safe file name (utilities/WindowsPath.h).

#include <string>

// A stored relative folder path whose names stay inside the destination
// (winpath::NamesStayInside). A leading separator is harmless, as the path
// is appended to the destination, unless there is no destination to append
// to.
bool IsSafeFilePath(const std::string& path, const std::string& destFolder);

// The member's folder: destination plus (with paths) the stored path joined as
// plain text, every run of separators reduced to one and a trailing one removed.
std::string MemberFolder(const std::string& destFolder, const std::string& storedPath, bool withPath);
