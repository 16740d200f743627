#pragma once

// How Windows reads names and paths, decided once for the setup, the
// uninstaller, the archive and the packer: which names it creates as
// written, which it takes for a device or for a climb out of a folder, and
// which spellings it takes for one place. Names are separated by '\' or '/',
// as Windows accepts both; nothing here asks the system.

#include <string>
#include <string_view>

namespace winpath {

inline bool IsSeparator(char c)
{
    return c == '\\' || c == '/';
}

// ASCII letters in upper case, for comparing names as Windows does, in any
// letter case; letters beyond ASCII depend on the code page and are
// compared as written.
inline char UpperAscii(char c)
{
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}
std::string UpperAscii(std::string text);
bool SameIgnoringCase(std::string_view a, std::string_view b);

// Windows drops the dots and spaces that end a name: "x. " opens "x".
std::string WithoutTrailingDotsAndSpaces(std::string name);
// A name of dots and spaces only. Windows reads it as "." or "..": ".. "
// climbs like "..".
bool IsDotsAndSpaces(std::string_view name);
// CON, PRN, AUX, NUL, COM1 to COM9, LPT1 to LPT9 in any case, whatever
// follows the first dot and with trailing spaces ignored: Windows opens the
// device instead of a file in any folder, so "con.txt" or "Nul .log" would
// be written to nowhere.
bool IsDeviceName(std::string_view name);

// A bare name that stays in its folder: not empty, no separator, no drive or
// stream colon, no NUL, not of dots and spaces only, and no device.
bool IsSafeFileName(std::string_view name);
// A name Windows creates a file or folder of exactly as written: a safe name
// without the characters Windows refuses (* ? " < > | and codes 1 to 31) and
// not ending in a dot or a space, which Windows drops.
bool IsWindowsFileName(std::string_view name);

// Whether accept holds for every name of path, asked in order: the text
// between separators, empty where a separator leads, ends or is doubled.
template <typename Accept>
bool EveryName(std::string_view path, Accept accept)
{
    for (;;) {
        size_t end = 0;
        while (end < path.size() && !IsSeparator(path[end])) ++end;
        if (!accept(std::string_view(path.data(), end))) return false;
        if (end == path.size()) return true;
        path.remove_prefix(end + 1);
    }
}
// Joined below a folder, the path stays inside it: no drive or stream colon,
// no NUL, no name of dots and spaces only and none naming a device. Empty
// names pass; whether a leading separator leaves the folder depends on how
// the path is joined.
bool NamesStayInside(std::string_view path);

// The part before the last separator; empty when there is none.
std::string FolderOf(const std::string& path);
// A backslash at the end, unless there is one or the path is empty.
std::string AddBackslash(std::string path);
// One backslash less at the end, when there is one: "C:\" becomes "C:".
std::string WithoutBackslash(std::string path);

// The one spelling of the places that Windows reads a path as: letters in
// upper case, '\' between names, no empty names (a doubled, trailing
// separator), no trailing dots and spaces. A share's leading pair and a lone
// leading backslash stay, and so does a name of dots and spaces only, so
// that the path still reads as climbing. "c:/Apps\\x. \" and "C:\APPS\X"
// give the same text.
std::string ComparablePath(const std::string& path);
// Of comparable paths: inner is the folder outer itself or lies below it.
bool ComparableInside(const std::string& inner, const std::string& outer);
// Windows' comparison: letter case, slashes, doubled or trailing backslashes
// and the dots and spaces Windows drops from the end of a name do not matter.
bool IsSamePath(const std::string& a, const std::string& b);

}  // namespace winpath
