#pragma once

// Where a member lands: the folder rules of extraction and the checks that
// keep every member inside the destination folder.

#include <string>

// A bare file name: not empty, no folder separators, no drive or stream
// colon, no NUL, and not a name made of dots and spaces only (Windows trims
// trailing dots and spaces, so ".. " would climb out like ".."), and not a
// device name such as CON or com1.txt, which would swallow the data.
bool IsSafeFileName(const std::string& name);

// A name Windows creates a file or folder of exactly as written: a safe file
// name (above) without the characters Windows refuses in names (* ? " < > |
// and codes 1 to 31) and not ending in a dot or a space, which Windows drops.
bool IsWindowsFileName(const std::string& name);

// A stored relative folder path: no drive or colon, no NUL, no component of
// dots and spaces only or naming a device. A leading separator is harmless,
// as the path is appended to the destination, unless there is no destination
// to append to.
bool IsSafeFilePath(const std::string& path, const std::string& destFolder);

// The member's folder: destination plus (with paths) the stored path joined as
// plain text, every run of separators reduced to one and a trailing one removed.
std::string MemberFolder(const std::string& destFolder, const std::string& storedPath, bool withPath);
