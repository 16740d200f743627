#include "utilities/Shell.h"

#include <objbase.h>
#include <shlobj.h>

#include <vector>

#include "utilities/FileSystem.h"
#include "utilities/Handles.h"
#include "utilities/SetupError.h"

namespace {

// S-1-5-32-544, the built-in Administrators group; not valid when it cannot be made.
TSidHandle AdministratorsSid()
{
    SID_IDENTIFIER_AUTHORITY authority = SECURITY_NT_AUTHORITY;
    TSidHandle sid;
    AllocateAndInitializeSid(&authority, 2, SECURITY_BUILTIN_DOMAIN_RID, DOMAIN_ALIAS_RID_ADMINS, 0, 0, 0, 0, 0, 0,
                             sid.Receive());
    return sid;
}

HANDLE OpenOwnTokenForQuery()
{
    HANDLE token = nullptr;
    return OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token) ? token : nullptr;
}

// The token's TOKEN_GROUPS in a buffer of the size the first call asks for;
// empty when either call fails.
std::vector<BYTE> TokenGroupsOf(HANDLE token)
{
    DWORD size = 0;
    GetTokenInformation(token, TokenGroups, nullptr, 0, &size);
    if (size == 0) return {};
    std::vector<BYTE> buffer(size);
    if (!GetTokenInformation(token, TokenGroups, buffer.data(), size, &size)) return {};
    return buffer;
}

bool OwnTokenHoldsAdministratorsGroup()
{
    const TKernelHandle token(OpenOwnTokenForQuery());
    if (!token) return false;
    const std::vector<BYTE> groups = TokenGroupsOf(token.Get());
    if (groups.empty()) return false;
    return HoldsAdministratorsGroup(*reinterpret_cast<const TOKEN_GROUPS*>(groups.data()));
}

DWORD PlatformFamily()
{
    OSVERSIONINFOA version{};
    version.dwOSVersionInfoSize = sizeof version;
    return GetVersionExA(&version) ? version.dwPlatformId : VER_PLATFORM_WIN32s;
}

// Eight upper-case hex digits, as Windows writes an HRESULT; done by hand
// because printf's formatter alone adds 20 KiB to the setup program.
std::string HexCode(uint32_t value)
{
    std::string digits(8, '0');
    for (auto digit = digits.rbegin(); digit != digits.rend(); ++digit, value >>= 4)
        *digit = "0123456789ABCDEF"[value & 0xF];
    return digits;
}

std::string ComErrorText(HRESULT result)
{
    std::string message = files::SystemErrorText(static_cast<DWORD>(result));
    if (!message.empty()) return message;
    return "OLE error " + HexCode(static_cast<uint32_t>(result));
}

void RequireCom(HRESULT result)
{
    if (FAILED(result)) throw ESetupError(ComErrorText(result));
}

}  // namespace

TComApartment::TComApartment()
    : Initialised(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE)))
{
}

TComApartment::~TComApartment()
{
    if (Initialised) CoUninitialize();
}

bool HoldsAdministratorsGroup(const TOKEN_GROUPS& groups)
{
    const TSidHandle administrators = AdministratorsSid();
    if (!administrators) return false;
    for (DWORD i = 0; i < groups.GroupCount; ++i)
        if (EqualSid(groups.Groups[i].Sid, administrators.Get())) return true;
    return false;
}

bool IsAdministrator()
{
    switch (PlatformFamily()) {
    case VER_PLATFORM_WIN32_WINDOWS: return true;
    case VER_PLATFORM_WIN32_NT: return OwnTokenHoldsAdministratorsGroup();
    default: return false;
    }
}

void CreateShellLink(const std::string& linkFile, const std::string& target, const std::string& arguments,
                     const std::string& workingFolder, const std::string& description, bool useIcon,
                     const std::string& iconFile, int iconIndex, bool useHotkey, uint16_t hotkey,
                     int showCommand)
{
    TComPtr<IShellLinkA> link;
    RequireCom(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA, link.Receive()));
    TComPtr<IPersistFile> file;
    RequireCom(link->QueryInterface(IID_IPersistFile, file.Receive()));

    link->SetPath(target.c_str());
    link->SetDescription(description.c_str());
    link->SetArguments(arguments.c_str());
    link->SetWorkingDirectory(workingFolder.c_str());
    if (useIcon) link->SetIconLocation(iconFile.c_str(), iconIndex);
    if (useHotkey) link->SetHotkey(hotkey);
    link->SetShowCmd(showCommand);
    // IPersistFile takes only UTF-16 names; the setup program's paths are ANSI.
    file->Save(files::WideFromAnsi(linkFile).data(), FALSE);
}

std::string GetSpecialFolder(HWND owner, int folderId)
{
    char path[MAX_PATH] = {};
    if (FAILED(SHGetFolderPathA(owner, folderId, nullptr, SHGFP_TYPE_CURRENT, path))) return std::string();
    return path;
}

std::string GetProgramFilesFolder(HWND owner)
{
    return GetSpecialFolder(owner, kFolderProgramFiles);
}
