#include "utilities/TrustedFolders.h"

#include <sddl.h>

#include "utilities/WindowsPath.h"

namespace files {

namespace {

// Owned by the administrators; SYSTEM and the administrators have full
// control of the folder and of all it will hold; nothing is inherited from
// the parent (P: protected), so the user's own rights on Temp do not reach in.
constexpr char kAdminOnly[] = "O:BAD:P(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)";

struct TLocalMemoryTraits {  // LocalAlloc, as the security descriptor conversions return it
    using THandle = void*;
    static THandle Invalid() { return nullptr; }
    static void Close(THandle memory) { LocalFree(memory); }
};

// "C:\" stays "C:\": the rest of a path below it begins with its own backslash.
std::string WithoutBackslashBelowRoot(std::string path)
{
    while (path.size() > 3 && path.back() == '\\') path.pop_back();
    return path;
}

std::string FullPath(const std::string& path)
{
    char buffer[MAX_PATH];
    const DWORD length = GetFullPathNameA(path.c_str(), MAX_PATH, buffer, nullptr);
    if (length == 0 || length >= MAX_PATH) return {};
    return WithoutBackslashBelowRoot(std::string(buffer, length));
}

// The system's own name for what the handle holds, without the "\\?\" that
// GetFinalPathNameByHandle puts in front.
std::string FinalPath(HANDLE handle)
{
    std::string path(MAX_PATH, '\0');
    DWORD length = GetFinalPathNameByHandleA(handle, &path[0], static_cast<DWORD>(path.size()), FILE_NAME_NORMALIZED);
    if (length >= path.size()) {
        path.resize(length);
        length = GetFinalPathNameByHandleA(handle, &path[0], static_cast<DWORD>(path.size()), FILE_NAME_NORMALIZED);
    }
    if (length == 0 || length >= path.size()) return {};
    path.resize(length);
    if (path.compare(0, 8, "\\\\?\\UNC\\") == 0) return "\\" + path.substr(7);
    if (path.compare(0, 4, "\\\\?\\") == 0) path.erase(0, 4);
    return WithoutBackslashBelowRoot(path);
}

// What path holds below root, beginning with a backslash; none when path is not below root.
bool RestBelow(const std::string& root, const std::string& path, std::string& rest)
{
    const size_t size = root.back() == '\\' ? root.size() - 1 : root.size();
    if (path.size() < size || !winpath::SameIgnoringCase({path.data(), size}, {root.data(), size})) return false;
    if (path.size() > size && path[size] != '\\') return false;
    rest = path.substr(size);
    return true;
}

TFileHandle OpenForRemoval(const std::string& path, DWORD deleteAccess)
{
    return TFileHandle(CreateFileA(path.c_str(), deleteAccess | FILE_READ_ATTRIBUTES | FILE_WRITE_ATTRIBUTES,
                                   FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                   FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
}

void ClearReadOnly(HANDLE handle, FILE_BASIC_INFO basic)
{
    basic.FileAttributes &= ~FILE_ATTRIBUTE_READONLY;
    if (basic.FileAttributes == 0) basic.FileAttributes = FILE_ATTRIBUTE_NORMAL;
    SetFileInformationByHandle(handle, FileBasicInfo, &basic, sizeof basic);
}

}  // namespace

TFolderCreation CreateAdminOnlyFolder(const std::string& path)
{
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (!ConvertStringSecurityDescriptorToSecurityDescriptorA(kAdminOnly, SDDL_REVISION_1, &descriptor, nullptr))
        return TFolderCreation::Failed;
    const TUniqueHandle<TLocalMemoryTraits> owned(descriptor);
    SECURITY_ATTRIBUTES attributes = {sizeof attributes, descriptor, FALSE};
    if (CreateDirectoryA(path.c_str(), &attributes)) return TFolderCreation::Created;
    return GetLastError() == ERROR_ALREADY_EXISTS ? TFolderCreation::NameTaken : TFolderCreation::Failed;
}

bool RunsAsAdministrator()
{
    SID_IDENTIFIER_AUTHORITY authority = SECURITY_NT_AUTHORITY;
    PSID administrators = nullptr;
    if (!AllocateAndInitializeSid(&authority, 2, SECURITY_BUILTIN_DOMAIN_RID, DOMAIN_ALIAS_RID_ADMINS, 0, 0, 0, 0, 0,
                                  0, &administrators))
        return false;
    const TSidHandle owned(administrators);
    BOOL member = FALSE;
    return CheckTokenMembership(nullptr, administrators, &member) && member;
}

TFileHandle HoldFolder(const std::string& path)
{
    // Listing access: a handle with no data access would take part in no sharing check.
    return TFileHandle(CreateFileA(path.c_str(), FILE_LIST_DIRECTORY, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                   OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
}

TRemoveOutcome RemoveBelow(const std::string& root, const std::string& path, bool isFolder)
{
    const std::string fullRoot = FullPath(root), full = FullPath(path);
    std::string rest;
    if (fullRoot.empty() || full.empty() || !RestBelow(fullRoot, full, rest)) return TRemoveOutcome::Failed;

    // Not following a link at path itself: Windows opens the junction, not its target.
    TFileHandle target = OpenForRemoval(full, DELETE);
    // Held open by a program that shares no deletion: it cannot go, but still loses its read-only flag,
    // as it would on the way to being deleted (attributes take part in no sharing check).
    const DWORD openError = target ? ERROR_SUCCESS : GetLastError();
    if (openError == ERROR_SHARING_VIOLATION) target = OpenForRemoval(full, 0);
    if (!target) {
        return openError == ERROR_FILE_NOT_FOUND || openError == ERROR_PATH_NOT_FOUND ? TRemoveOutcome::Missing
                                                                                        : TRemoveOutcome::Failed;
    }
    // Only the attributes: the full information asks the volume for its serial number as well, which under
    // Wine took half of each removal.
    FILE_BASIC_INFO basic = {};
    if (!GetFileInformationByHandleEx(target.Get(), FileBasicInfo, &basic, sizeof basic)) return TRemoveOutcome::Failed;
    const DWORD attributes = basic.FileAttributes;
    if (((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) != isFolder) return TRemoveOutcome::Failed;

    const TFileHandle rootHandle(CreateFileA(fullRoot.c_str(), FILE_READ_ATTRIBUTES,
                                             FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                             OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    std::string finalRoot = rootHandle ? FinalPath(rootHandle.Get()) : std::string();
    if (!finalRoot.empty() && finalRoot.back() == '\\') finalRoot.pop_back();
    if (finalRoot.empty() || !winpath::SameIgnoringCase(FinalPath(target.Get()), finalRoot + rest))
        return TRemoveOutcome::BehindLink;

    // A read-only file cannot be deleted, nor a read-only folder removed: the
    // flag goes first, the other attributes are the owner's business.
    if (attributes & FILE_ATTRIBUTE_READONLY) ClearReadOnly(target.Get(), basic);
    if (openError == ERROR_SHARING_VIOLATION) {
        SetLastError(openError);
        return TRemoveOutcome::Failed;
    }
    FILE_DISPOSITION_INFO disposition = {TRUE};
    return SetFileInformationByHandle(target.Get(), FileDispositionInfo, &disposition, sizeof disposition)
               ? TRemoveOutcome::Removed
               : TRemoveOutcome::Failed;
}

}  // namespace files
