#include "tools/FileIdentity.h"

#include <algorithm>
#include <optional>

#include "utilities/SetupError.h"

#ifdef _WIN32
#include <windows.h>

#include "utilities/Handles.h"
#else
#include <sys/stat.h>

#include <climits>
#include <cstdlib>
#include <memory>
#endif

namespace {

#ifdef _WIN32

std::optional<TFileIdentity> IdentityOf(const std::string& path)
{
    // No access asked for, so files others hold open are looked at too; the
    // backup flag lets folders be opened.
    const TFileHandle file(CreateFileA(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                       nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    BY_HANDLE_FILE_INFORMATION info{};
    if (!file || !GetFileInformationByHandle(file.Get(), &info)) return std::nullopt;
    return TFileIdentity{info.dwVolumeSerialNumber, uint64_t{info.nFileIndexHigh} << 32 | info.nFileIndexLow};
}

// Windows resolves ".." by spelling, before any link is followed, as this does.
std::optional<std::string> FolderHolding(const std::string& path)
{
    char full[MAX_PATH] = {};
    char* name = nullptr;
    const DWORD length = GetFullPathNameA(path.c_str(), MAX_PATH, full, &name);
    if (length == 0 || length >= MAX_PATH || !name) return std::nullopt;
    return std::string(full, static_cast<size_t>(name - full));
}

#else

std::optional<TFileIdentity> IdentityOf(const std::string& path)
{
    struct stat status {};
    if (stat(path.c_str(), &status) != 0) return std::nullopt;
    return TFileIdentity{static_cast<uint64_t>(status.st_dev), static_cast<uint64_t>(status.st_ino)};
}

// ".." after a symbolic link leads to the link target's parent, so the
// holding folder is resolved by the system before its ancestors are taken.
std::optional<std::string> FolderHolding(const std::string& path)
{
    const size_t cut = path.rfind('/');
    const std::string folder = cut == std::string::npos ? "." : cut == 0 ? "/" : path.substr(0, cut);
    const std::unique_ptr<char, decltype(&std::free)> real(realpath(folder.c_str(), nullptr), &std::free);
    if (!real) return std::nullopt;
    return std::string(real.get()) + "/";
}

#endif

}  // namespace

bool IsSameFile(const std::string& first, const std::string& second)
{
    const std::optional<TFileIdentity> a = IdentityOf(first), b = IdentityOf(second);
    return a && b && *a == *b;
}

bool LiesInFolder(const std::string& path, const std::string& folder)
{
    const std::optional<TFileIdentity> target = IdentityOf(folder);
    const std::optional<std::string> holding = FolderHolding(path);
    if (!target || !holding) return false;
    // The holding folder, then each folder above it up to the root; each ends
    // in a separator, so that "C:\" and "/" are looked at too.
    for (std::string ancestor = *holding;;) {
        if (IdentityOf(ancestor) == target) return true;
        const size_t lastName = ancestor.find_last_not_of("/\\");
        const size_t cut = lastName == std::string::npos ? lastName : ancestor.find_last_of("/\\", lastName);
        if (cut == std::string::npos) return false;
        ancestor.resize(cut + 1);
    }
}

TFolderTrail TFolderTrail::Into(const std::string& folder) const
{
    TFolderTrail inside = *this;
    const std::optional<TFileIdentity> identity = IdentityOf(folder);
    // A folder that cannot be looked at is reported by the walk's listing of it.
    if (!identity) return inside;
    if (std::find(Folders.begin(), Folders.end(), *identity) != Folders.end())
        throw ESetupError("Folder not packed, as it leads back into a folder it lies in: " + folder);
    inside.Folders.push_back(*identity);
    return inside;
}
