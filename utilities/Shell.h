#pragma once

// The Windows shell and security services the setup program uses.

#include <windows.h>

#include <cstdint>
#include <string>

// Shell folder ids used by the setup program.
constexpr int kFolderPrograms = 2;               // CSIDL_PROGRAMS
constexpr int kFolderDesktop = 16;               // CSIDL_DESKTOPDIRECTORY
constexpr int kFolderCommonPrograms = 23;        // CSIDL_COMMON_PROGRAMS
constexpr int kFolderCommonDesktop = 25;         // CSIDL_COMMON_DESKTOPDIRECTORY
constexpr int kFolderProgramFiles = 38;          // CSIDL_PROGRAM_FILES

// COM for the calling thread, apartment-threaded, for as long as it lives.
class TComApartment {
public:
    TComApartment();
    ~TComApartment();
    TComApartment(const TComApartment&) = delete;
    TComApartment& operator=(const TComApartment&) = delete;

private:
    bool Initialised;
};

// Holds one COM interface pointer and releases it.
template <typename Interface>
class TComPtr {
public:
    TComPtr() = default;
    ~TComPtr()
    {
        if (Pointer) Pointer->Release();
    }
    TComPtr(const TComPtr&) = delete;
    TComPtr& operator=(const TComPtr&) = delete;

    Interface* operator->() const { return Pointer; }
    Interface* Get() const { return Pointer; }
    // Where CoCreateInstance and QueryInterface put the new pointer; only while empty.
    void** Receive() { return reinterpret_cast<void**>(&Pointer); }

private:
    Interface* Pointer = nullptr;
};

// True on Windows 9x, which has no accounts, and on NT when the process token
// holds the built-in Administrators group.
bool IsAdministrator();
// True when the list holds the built-in Administrators group. A group kept
// only for deny checks counts too: the question is membership, not rights.
bool HoldsAdministratorsGroup(const TOKEN_GROUPS& groups);

// Writes a shortcut file through the shell-link object. Raises only when the
// object cannot be made; later failures leave the file missing.
void CreateShellLink(const std::string& linkFile, const std::string& target, const std::string& arguments,
                     const std::string& workingFolder, const std::string& description, bool useIcon,
                     const std::string& iconFile, int iconIndex, bool useHotkey, uint16_t hotkey,
                     int showCommand);

// The folder's path as the shell reports it, empty on failure.
std::string GetSpecialFolder(HWND owner, int folderId);
std::string GetProgramFilesFolder(HWND owner);
