#include "utilities/FileSystem.h"

#include <windows.h>

#include <algorithm>

#include "utilities/Handles.h"
#include "utilities/SetupError.h"

namespace files {

std::string SystemErrorText(unsigned long code)
{
    char text[512] = {};
    const DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0,
                                        text, sizeof text, nullptr);
    std::string message(text, length);
    while (!message.empty() && (message.back() == '\n' || message.back() == '\r' || message.back() == ' '))
        message.pop_back();
    return message;
}

std::string LastSystemError()
{
    const DWORD code = GetLastError();
    const std::string message = SystemErrorText(code);
    return message.empty() ? "System error " + std::to_string(code) : message;
}

std::string RunningProgramFile()
{
    char path[MAX_PATH];
    const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        throw ESetupError("Cannot find the setup program's own file. " + LastSystemError());
    return std::string(path, length);
}

std::vector<wchar_t> WideFromAnsi(const std::string& text)
{
    const int length = MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, nullptr, 0);
    if (length <= 0) return std::vector<wchar_t>(1, L'\0');
    std::vector<wchar_t> wide(static_cast<size_t>(length));
    MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, wide.data(), length);
    return wide;
}

bool FileExists(const std::string& path)
{
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool DirectoryExists(const std::string& path)
{
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

TFolderCreation CreateNewFolder(const std::string& path)
{
    if (CreateDirectoryA(path.c_str(), nullptr)) return TFolderCreation::Created;
    return GetLastError() == ERROR_ALREADY_EXISTS ? TFolderCreation::NameTaken : TFolderCreation::Failed;
}

bool RemoveFile(const std::string& path)
{
    return DeleteFileA(path.c_str()) != 0;
}

std::vector<FolderEntry> ListFolder(const std::string& path)
{
    std::vector<FolderEntry> entries;
    WIN32_FIND_DATAA found;
    const TFindHandle search(FindFirstFileA((path + "\\*.*").c_str(), &found));
    if (search.Get() == INVALID_HANDLE_VALUE) {
        // A drive's root has no "." entry, so an empty one matches nothing.
        if (GetLastError() == ERROR_FILE_NOT_FOUND) return entries;
        throw ESetupError("Cannot read folder \"" + path + "\". " + LastSystemError());
    }
    do {
        const std::string name = found.cFileName;
        if (name == "." || name == "..") continue;
        entries.push_back({name, (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0,
                           (found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0});
    } while (FindNextFileA(search.Get(), &found));
    if (GetLastError() != ERROR_NO_MORE_FILES)
        throw ESetupError("Cannot read folder \"" + path + "\". " + LastSystemError());
    std::sort(entries.begin(), entries.end(),
              [](const FolderEntry& a, const FolderEntry& b) { return a.Name < b.Name; });
    return entries;
}

std::string CreateUniqueTempFile(const std::string& prefix)
{
    char folder[MAX_PATH + 1];
    char name[MAX_PATH + 1];
    if (!GetTempPathA(sizeof folder, folder) || !GetTempFileNameA(folder, prefix.c_str(), 0, name))
        throw ESetupError(LastSystemError());
    return name;
}

TFile::~TFile() { Close(); }

TFile::TFile(TFile&& other) noexcept : Handle(other.Handle) { other.Handle = INVALID_HANDLE_VALUE; }

TFile& TFile::operator=(TFile&& other) noexcept
{
    if (this != &other) {
        Close();
        Handle = other.Handle;
        other.Handle = INVALID_HANDLE_VALUE;
    }
    return *this;
}

bool TFile::OpenForReading(const std::string& path)
{
    Close();
    Handle = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                         FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    return Handle != INVALID_HANDLE_VALUE;
}

void TFile::CreateForWriting(const std::string& path)
{
    Close();
    Handle = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
    if (Handle == INVALID_HANDLE_VALUE)
        throw ESetupError("Cannot create file \"" + path + "\". " + LastSystemError());
}

void TFile::Close()
{
    if (Handle != INVALID_HANDLE_VALUE) CloseHandle(Handle);
    Handle = INVALID_HANDLE_VALUE;
}

bool TFile::IsOpen() const { return Handle != INVALID_HANDLE_VALUE; }

size_t TFile::Read(void* buffer, size_t count)
{
    size_t done = 0;
    while (done < count) {
        DWORD got = 0;
        const DWORD ask = static_cast<DWORD>(std::min<size_t>(count - done, 1u << 30));
        if (!ReadFile(Handle, static_cast<char*>(buffer) + done, ask, &got, nullptr))
            throw ESetupError(LastSystemError());
        if (got == 0) break;
        done += got;
    }
    return done;
}

void TFile::Write(const void* buffer, size_t count)
{
    size_t done = 0;
    while (done < count) {
        DWORD put = 0;
        const DWORD ask = static_cast<DWORD>(std::min<size_t>(count - done, 1u << 30));
        if (!WriteFile(Handle, static_cast<const char*>(buffer) + done, ask, &put, nullptr) || put == 0)
            throw ESetupError(LastSystemError());
        done += put;
    }
}

void TFile::Seek(int64_t position)
{
    LARGE_INTEGER distance;
    distance.QuadPart = position;
    if (!SetFilePointerEx(Handle, distance, nullptr, FILE_BEGIN)) throw ESetupError(LastSystemError());
}

int64_t TFile::Position() const
{
    LARGE_INTEGER zero{}, position{};
    SetFilePointerEx(Handle, zero, &position, FILE_CURRENT);
    return position.QuadPart;
}

int64_t TFile::Size() const
{
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(Handle, &size)) throw ESetupError(LastSystemError());
    return size.QuadPart;
}

}  // namespace files
