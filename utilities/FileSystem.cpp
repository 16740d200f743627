#include "utilities/FileSystem.h"

#include <limits>

#include "utilities/SetupError.h"

namespace files {

std::string ToHostPath(std::string path)
{
    if (kPathDelim != '\\') {
        for (char& c : path)
            if (c == '\\') c = kPathDelim;
    }
    return path;
}

static bool IsDriveOnly(const std::string& path)
{
    return path.size() == 2 && path[1] == ':';
}

void ForceDirectories(const std::string& path)
{
    std::string folder = path;
    while (folder.size() > 1 && folder.back() == kPathDelim) folder.pop_back();
    if (folder.empty() || IsDriveOnly(folder) || DirectoryExists(folder)) return;
    const size_t cut = folder.find_last_of(kPathDelim);
    if (cut != std::string::npos && cut > 0) ForceDirectories(folder.substr(0, cut));
    CreateNewFolder(folder);
}

std::string ReadWholeFile(const std::string& path)
{
    std::string text;
    if (!ReadFileWithin(path, std::numeric_limits<int64_t>::max(), text))
        throw ESetupError("Cannot open file \"" + path + "\". " + LastSystemError());
    return text;
}

void TFile::ReadExactly(void* buffer, size_t count)
{
    if (Read(buffer, count) != count) throw ESetupError("Read beyond end of file");
}

}  // namespace files
