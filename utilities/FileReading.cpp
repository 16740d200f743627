#include "utilities/FileSystem.h"

// Apart from FileSystem.cpp, so that the uninstaller, which reads its log but
// makes no folders, carries nothing else of it.

namespace files {

bool ReadFileWithin(const std::string& path, int64_t maxBytes, std::string& text)
{
    TFile file;
    if (!file.OpenForReading(path) || file.Size() > maxBytes) return false;
    text.resize(static_cast<size_t>(file.Size()));
    // A file that shrinks meanwhile gives what it still holds.
    text.resize(file.Read(&text[0], text.size()));
    return true;
}

}  // namespace files
