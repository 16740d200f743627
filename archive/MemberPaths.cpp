#include "archive/MemberPaths.h"

#include "utilities/FileSystem.h"
#include "utilities/WindowsPath.h"

bool IsSafeFilePath(const std::string& path, const std::string& destFolder)
{
    const bool rooted = !path.empty() && winpath::IsSeparator(path[0]);
    return winpath::NamesStayInside(path) && !(rooted && destFolder.empty());
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
