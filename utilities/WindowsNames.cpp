#include "utilities/WindowsPath.h"

#include <cstring>

// The rules of names the setup and the packer create, and of the folder
// paths the setup joins; the uninstaller applies none of them.

namespace winpath {

namespace {

bool HasCharacterWindowsRefuses(std::string_view name)
{
    for (char c : name)
        if (static_cast<unsigned char>(c) < ' ' || std::strchr("*?\"<>|", c)) return true;
    return false;
}

}  // namespace

std::string UpperAscii(std::string text)
{
    for (char& c : text) c = UpperAscii(c);
    return text;
}

std::string WithoutTrailingDotsAndSpaces(std::string name)
{
    name.erase(name.find_last_not_of(". ") + 1);
    return name;
}

bool IsSafeFileName(std::string_view name)
{
    return !name.empty() && name.find_first_of("\\/") == std::string_view::npos && NamesStayInside(name);
}

bool IsWindowsFileName(std::string_view name)
{
    return IsSafeFileName(name) && !HasCharacterWindowsRefuses(name) && name.back() != '.' && name.back() != ' ';
}

std::string AddBackslash(std::string path)
{
    if (!path.empty() && path.back() != '\\') path += '\\';
    return path;
}

std::string WithoutBackslash(std::string path)
{
    if (!path.empty() && path.back() == '\\') path.pop_back();
    return path;
}

}  // namespace winpath
