#pragma once

// Whether two names lead to one file, judged by the file system's own
// identity of a file (device and inode; volume and file index) rather than by
// spelling: relative names, "..", links, letter case and short names all
// lead to the same identity.

#include <cstdint>
#include <string>
#include <vector>

// False when either does not exist.
bool IsSameFile(const std::string& first, const std::string& second);

// Whether a file at path, which need not exist yet, would lie somewhere below
// folder. False when folder does not exist.
bool LiesInFolder(const std::string& path, const std::string& folder);

struct TFileIdentity {
    uint64_t Volume = 0;
    uint64_t Index = 0;

    bool operator==(const TFileIdentity& other) const { return Volume == other.Volume && Index == other.Index; }
};

// The folders a walk is inside, by identity: a link (or a mount) leading back
// up into one of them would otherwise be walked round for ever.
class TFolderTrail {
public:
    // This trail one folder further down. Raises "Folder not packed, as it
    // leads back into a folder it lies in: <folder>" when the walk is inside
    // that folder already.
    TFolderTrail Into(const std::string& folder) const;

private:
    std::vector<TFileIdentity> Folders;
};
