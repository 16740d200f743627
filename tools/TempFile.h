#pragma once

#include <string>

#include "utilities/FileSystem.h"

// A new empty file in the system's temporary folder, removed with this object;
// whatever writes to it must have closed it by then.
class TTempFile {
public:
    TTempFile() : FilePath(files::CreateUniqueTempFile("zoreva-")) {}
    ~TTempFile() { files::RemoveFile(FilePath); }
    TTempFile(const TTempFile&) = delete;
    TTempFile& operator=(const TTempFile&) = delete;

    const std::string& Path() const { return FilePath; }

private:
    std::string FilePath;
};
