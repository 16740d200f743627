#include "archive/MemberPaths.h"

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

}  // namespace

bool IsSafeFileName(const std::string& name)
{
    if (name.empty() || HasForbiddenByte(name) || IsDotsAndSpaces(name)) return false;
    for (char c : name)
        if (IsSeparator(c)) return false;
    return true;
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
        if (!component.empty() && IsDotsAndSpaces(component)) return false;
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
