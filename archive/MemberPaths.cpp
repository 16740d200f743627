#include "archive/MemberPaths.h"

#include <array>
#include <cctype>
#include <cstring>

#include "utilities/FileSystem.h"

namespace {

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

bool IsDotsAndSpaces(const std::string& component)
{
    return component.find_first_not_of(". ") == std::string::npos;
}

bool HasForbiddenByte(const std::string& text)
{
    return text.find(':') != std::string::npos || text.find('\0') != std::string::npos;
}

std::string UpperAscii(std::string text)
{
    for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return text;
}

// Windows opens a device instead of a file for these names in any folder,
// whatever follows the first dot and with trailing spaces ignored: "con.txt"
// or "Nul .log" would be written to nowhere.
bool IsDeviceName(const std::string& component)
{
    std::string stem = UpperAscii(component.substr(0, component.find('.')));
    stem.erase(stem.find_last_not_of(' ') + 1);
    static const std::array<const char*, 4> kPlainDevices = {"CON", "PRN", "AUX", "NUL"};
    for (const char* device : kPlainDevices)
        if (stem == device) return true;
    const bool numbered = stem.size() == 4 && stem[3] >= '1' && stem[3] <= '9';
    return numbered && (stem.compare(0, 3, "COM") == 0 || stem.compare(0, 3, "LPT") == 0);
}

bool IsUnsafeComponent(const std::string& component)
{
    return IsDotsAndSpaces(component) || IsDeviceName(component);
}

bool HasCharacterWindowsRefuses(const std::string& name)
{
    for (char c : name)
        if (static_cast<unsigned char>(c) < ' ' || std::strchr("*?\"<>|", c)) return true;
    return false;
}

}  // namespace

bool IsSafeFileName(const std::string& name)
{
    if (name.empty() || HasForbiddenByte(name) || IsUnsafeComponent(name)) return false;
    for (char c : name)
        if (IsSeparator(c)) return false;
    return true;
}

bool IsWindowsFileName(const std::string& name)
{
    return IsSafeFileName(name) && !HasCharacterWindowsRefuses(name) && name.back() != '.' && name.back() != ' ';
}

bool IsSafeFilePath(const std::string& path, const std::string& destFolder)
{
    if (HasForbiddenByte(path)) return false;
    if (destFolder.empty() && !path.empty() && IsSeparator(path[0])) return false;
    std::string component;
    for (size_t i = 0; i <= path.size(); ++i) {
        if (i < path.size() && !IsSeparator(path[i])) {
            component += path[i];
            continue;
        }
        if (!component.empty() && IsUnsafeComponent(component)) return false;
        component.clear();
    }
    return true;
}

std::string MemberFolder(const std::string& destFolder, const std::string& storedPath, bool withPath)
{
    const std::string joined = files::ToHostPath(withPath ? destFolder + storedPath : destFolder);
    std::string folder;
    for (char c : joined) {
        if (c == files::kPathDelim && !folder.empty() && folder.back() == files::kPathDelim) continue;
        folder += c;
    }
    if (!folder.empty() && folder.back() == files::kPathDelim) folder.pop_back();
    return folder;
}
