#pragma once

// The few file-system services the portable code needs, implemented once for
// Win32 and once for POSIX hosts. Paths are byte strings in the system's ANSI
// code page; on Windows they go to the "A" functions unchanged.

#include <cstdint>
#include <string>
#include <vector>

namespace files {

#ifdef _WIN32
constexpr char kPathDelim = '\\';
#else
constexpr char kPathDelim = '/';
#endif

// Stored names use backslashes; on a POSIX host they become slashes.
std::string ToHostPath(std::string path);

bool FileExists(const std::string& path);       // exists and is not a folder
bool DirectoryExists(const std::string& path);
// Creates the folder and every missing parent. Failures are not reported:
// callers test DirectoryExists afterwards, as the archive reader does.
void ForceDirectories(const std::string& path);
bool RemoveFile(const std::string& path);

enum class TFolderCreation { Created, NameTaken, Failed };
// Creates one folder whose parent exists. NameTaken: a folder or a file of
// that name is already there.
TFolderCreation CreateNewFolder(const std::string& path);

struct FolderEntry {
    std::string Name;
    bool IsFolder = false;
    // A junction, symbolic link or other reparse point: the name stands for a
    // place elsewhere, which a walk through this folder must not enter.
    bool IsLink = false;
};
// The entries of a folder without "." and "..", sorted by name (byte order).
// Raises "Cannot read folder "<path>". <reason>" when the folder cannot be
// read to its end: an empty answer always means an empty folder.
std::vector<FolderEntry> ListFolder(const std::string& path);

// Creates an empty file with a unique name in the system's temporary folder.
std::string CreateUniqueTempFile(const std::string& prefix);

// The platform's own text for the last failed call.
std::string LastSystemError();

// The file's bytes into text; false when it cannot be opened (LastSystemError
// says why) or holds more than maxBytes, which is then not read.
bool ReadFileWithin(const std::string& path, int64_t maxBytes, std::string& text);
// The file's bytes. Raises "Cannot open file "<path>". <reason>" when it
// cannot be opened.
std::string ReadWholeFile(const std::string& path);

#ifdef _WIN32
// The running program's own file. Raises "Cannot find the setup program's
// own file. <reason>".
std::string RunningProgramFile();
// The system's text for an error code (GetLastError, HRESULT); empty when the
// system has none.
std::string SystemErrorText(unsigned long code);
// ANSI text as UTF-16 with its terminating NUL, for the interfaces that take
// only wide names (a vector: std::wstring would add 35 KiB to each program).
std::vector<wchar_t> WideFromAnsi(const std::string& text);
#endif

// An open file; closed by its destructor.
class TFile {
public:
    TFile() = default;
    ~TFile();
    TFile(TFile&& other) noexcept;
    TFile& operator=(TFile&& other) noexcept;
    TFile(const TFile&) = delete;
    TFile& operator=(const TFile&) = delete;

    // Others may read the file meanwhile but not write it.
    bool OpenForReading(const std::string& path);
    // Creates or truncates; raises "Cannot create file "<path>". <reason>".
    void CreateForWriting(const std::string& path);
    void Close();
    bool IsOpen() const;

    // Returns fewer bytes than asked only at the end of the file.
    size_t Read(void* buffer, size_t count);
    void ReadExactly(void* buffer, size_t count);
    void Write(const void* buffer, size_t count);
    void Seek(int64_t position);
    int64_t Position() const;
    int64_t Size() const;

private:
#ifdef _WIN32
    void* Handle = reinterpret_cast<void*>(-1);
#else
    int Descriptor = -1;
#endif
};

}  // namespace files
