#pragma once

// The decisions of the folder tree and its dialogs that need no window:
// path arithmetic, the drive and folder filters, the recycle-bin rule, names
// of new folders and the confirmation texts. Portable, so they are tested on
// the host as well.

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <string>
#include <vector>

namespace folders {

enum TDriveType { drtUnknown, drtRemovable, drtFixed, drtRemote, drtCDRom, drtRamDisk };
enum TDirType { dtReadOnly, dtHidden, dtSystem, dtArchive, dtNormal, dtAll };

// A set of enumeration members; member n is bit n.
template <typename Member>
class TSet {
public:
    constexpr TSet() = default;
    constexpr TSet(std::initializer_list<Member> members)
    {
        for (Member member : members) Bits |= 1u << member;
    }
    constexpr bool Has(Member member) const { return (Bits >> member) & 1u; }
    constexpr bool operator==(const TSet& other) const { return Bits == other.Bits; }
    constexpr bool operator!=(const TSet& other) const { return Bits != other.Bits; }

private:
    uint32_t Bits = 0;
};

using TDriveTypes = TSet<TDriveType>;
using TDirTypes = TSet<TDirType>;

constexpr TDriveTypes kAllDriveTypes{drtUnknown, drtRemovable, drtFixed, drtRemote, drtCDRom, drtRamDisk};

// File attribute bits as the system reports them.
constexpr uint32_t kAttrHidden = 0x02;
constexpr uint32_t kAttrSystem = 0x04;
constexpr uint32_t kAttrDirectory = 0x10;
constexpr uint32_t kAttrArchive = 0x20;

int CountBackslashes(const std::string& path);
// The leading part up to and including the k-th backslash (k from 1); all of path when it has fewer.
std::string PathPrefix(const std::string& path, int k);
// The name after the last backslash, a trailing backslash ignored.
std::string LastComponent(const std::string& path);
// "C:\" for "c:\some\where".
std::string DriveRootOf(const std::string& path);

// True for a path strictly below a "\recycled\" or "\recycler\" folder, at any depth.
bool IsBelowRecycleBin(const std::string& path);
bool AcceptAttributes(uint32_t attributes, TDirTypes dirTypes);
// systemType as the system's drive-type query gives it (0 unknown .. 6 RAM disk).
bool DriveTypeAccepted(unsigned systemType, TDriveTypes driveTypes);
// "System (C:)", " (C:)" for an empty name, "(C:)" when the volume could not be read.
std::string DriveLabelText(bool volumeRead, const std::string& volumeName, char letter);

// The folder's path with every component as stored on disk; storedName gives
// the stored name of the item a path (no trailing backslash) names, or "" when
// there is none, and the component as written is kept then.
std::string TruePathName(const std::string& path, const std::function<std::string(const std::string&)>& storedName);

// One step of making nodes along a path: the level's parent path (ending in a
// backslash) and the name below it.
struct TPathLevel {
    std::string Parent;
    std::string Name;
};
std::vector<TPathLevel> PathLevels(const std::string& path);

// "New Folder", else "New Folder 2", "New Folder 3", ...: the first one not taken.
std::string NewFolderName(const std::function<bool(const std::string&)>& taken);

struct TConfirmationTexts {
    std::string Caption, Yes, No;
};
// German for exactly "German", English for every other language name. ANSI (code page 1252) text.
TConfirmationTexts ConfirmationTexts(const std::string& language);

// A folder found while loading a node, with the caller's value for its node.
struct TFoundFolder {
    std::string Name;
    void* Data = nullptr;
};
using TTextCompare = std::function<int(const char*, const char*)>;
void SortByName(std::vector<TFoundFolder>& found, const TTextCompare& compare);
// Byte comparison with ASCII letters folded; where no locale comparison exists.
int CompareIgnoringAsciiCase(const char* left, const char* right);

}  // namespace folders
