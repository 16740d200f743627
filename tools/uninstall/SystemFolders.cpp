#include "tools/uninstall/SystemFolders.h"

#include <windows.h>

#include <shlobj.h>

#include <initializer_list>

namespace {

std::vector<std::string> FoldersOf(std::initializer_list<int> ids)
{
    std::vector<std::string> folders;
    char path[MAX_PATH];
    for (const int id : ids)
        if (SHGetFolderPathA(nullptr, id, nullptr, SHGFP_TYPE_CURRENT, path) == S_OK) folders.push_back(path);
    return folders;
}

}  // namespace

std::string WindowsFolder()
{
    char path[MAX_PATH];
    const UINT length = GetWindowsDirectoryA(path, MAX_PATH);
    return length == 0 || length >= MAX_PATH ? std::string() : std::string(path, length);
}

std::vector<std::string> ShellFolders()
{
    return FoldersOf({CSIDL_PROGRAM_FILES, CSIDL_PROGRAM_FILESX86, CSIDL_PROGRAM_FILES_COMMON,
                      CSIDL_PROGRAM_FILES_COMMONX86, CSIDL_PROFILE, CSIDL_PROGRAMS, CSIDL_COMMON_PROGRAMS,
                      CSIDL_STARTMENU, CSIDL_COMMON_STARTMENU, CSIDL_STARTUP, CSIDL_COMMON_STARTUP,
                      CSIDL_DESKTOPDIRECTORY, CSIDL_COMMON_DESKTOPDIRECTORY, CSIDL_PERSONAL, CSIDL_COMMON_DOCUMENTS,
                      CSIDL_APPDATA, CSIDL_LOCAL_APPDATA, CSIDL_COMMON_APPDATA, CSIDL_WINDOWS, CSIDL_SYSTEM});
}

std::vector<std::string> ProgramsFolders()
{
    return FoldersOf({CSIDL_PROGRAMS, CSIDL_COMMON_PROGRAMS});
}

std::vector<std::string> Desktops()
{
    return FoldersOf({CSIDL_DESKTOPDIRECTORY, CSIDL_COMMON_DESKTOPDIRECTORY});
}
