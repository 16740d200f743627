#include "utilities/FileSystem.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "utilities/SetupError.h"

namespace files {

std::string LastSystemError()
{
    return std::strerror(errno);
}

bool FileExists(const std::string& path)
{
    struct stat info;
    return stat(path.c_str(), &info) == 0 && !S_ISDIR(info.st_mode);
}

bool DirectoryExists(const std::string& path)
{
    struct stat info;
    return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

TFolderCreation CreateNewFolder(const std::string& path)
{
    if (mkdir(path.c_str(), 0777) == 0) return TFolderCreation::Created;
    return errno == EEXIST ? TFolderCreation::NameTaken : TFolderCreation::Failed;
}

bool RemoveFile(const std::string& path)
{
    return unlink(path.c_str()) == 0;
}

std::vector<FolderEntry> ListFolder(const std::string& path)
{
    std::vector<FolderEntry> entries;
    DIR* folder = opendir(path.c_str());
    if (!folder) throw ESetupError("Cannot read folder \"" + path + "\". " + LastSystemError());
    errno = 0;
    while (const dirent* item = readdir(folder)) {
        const std::string name = item->d_name;
        if (name == "." || name == "..") continue;
        const std::string entry = path + kPathDelim + name;
        struct stat link;
        const bool isLink = lstat(entry.c_str(), &link) == 0 && S_ISLNK(link.st_mode);
        entries.push_back({name, DirectoryExists(entry), isLink});
        errno = 0;
    }
    const int error = errno;
    closedir(folder);
    if (error != 0) {
        errno = error;
        throw ESetupError("Cannot read folder \"" + path + "\". " + LastSystemError());
    }
    std::sort(entries.begin(), entries.end(),
              [](const FolderEntry& a, const FolderEntry& b) { return a.Name < b.Name; });
    return entries;
}

std::string CreateUniqueTempFile(const std::string& prefix)
{
    const char* base = std::getenv("TMPDIR");
    std::string pattern = std::string(base && *base ? base : "/tmp") + "/" + prefix + "XXXXXX";
    const int descriptor = mkstemp(pattern.data());
    if (descriptor < 0) throw ESetupError(LastSystemError());
    close(descriptor);
    return pattern;
}

TFile::~TFile() { Close(); }

TFile::TFile(TFile&& other) noexcept : Descriptor(other.Descriptor) { other.Descriptor = -1; }

TFile& TFile::operator=(TFile&& other) noexcept
{
    if (this != &other) {
        Close();
        Descriptor = other.Descriptor;
        other.Descriptor = -1;
    }
    return *this;
}

// Windows keeps a file that is being read from being written meanwhile (the
// reader shares it for reading only). Here a shared lock taken by every reader
// and an exclusive one asked for by every writer do the same, so that
// extracting an archive over itself fails instead of truncating the archive
// while it is read.
bool TFile::OpenForReading(const std::string& path)
{
    Close();
    Descriptor = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (Descriptor >= 0) flock(Descriptor, LOCK_SH | LOCK_NB);
    return Descriptor >= 0;
}

void TFile::CreateForWriting(const std::string& path)
{
    Close();
    const int descriptor = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
    if (descriptor < 0) throw ESetupError("Cannot create file \"" + path + "\". " + LastSystemError());
    if (flock(descriptor, LOCK_EX | LOCK_NB) != 0) {
        close(descriptor);
        throw ESetupError("Cannot create file \"" + path +
                          "\". The process cannot access the file because it is being used by another process.");
    }
    Descriptor = descriptor;
    if (ftruncate(Descriptor, 0) != 0) {
        const std::string reason = LastSystemError();
        Close();
        throw ESetupError("Cannot create file \"" + path + "\". " + reason);
    }
}

void TFile::Close()
{
    if (Descriptor >= 0) close(Descriptor);
    Descriptor = -1;
}

bool TFile::IsOpen() const { return Descriptor >= 0; }

size_t TFile::Read(void* buffer, size_t count)
{
    size_t done = 0;
    while (done < count) {
        const ssize_t got = read(Descriptor, static_cast<char*>(buffer) + done, count - done);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) throw ESetupError(LastSystemError());
        if (got == 0) break;
        done += static_cast<size_t>(got);
    }
    return done;
}

void TFile::Write(const void* buffer, size_t count)
{
    size_t done = 0;
    while (done < count) {
        const ssize_t put = write(Descriptor, static_cast<const char*>(buffer) + done, count - done);
        if (put < 0 && errno == EINTR) continue;
        if (put <= 0) throw ESetupError(LastSystemError());
        done += static_cast<size_t>(put);
    }
}

void TFile::Seek(int64_t position)
{
    if (lseek(Descriptor, static_cast<off_t>(position), SEEK_SET) < 0)
        throw ESetupError(LastSystemError());
}

int64_t TFile::Position() const
{
    return lseek(Descriptor, 0, SEEK_CUR);
}

int64_t TFile::Size() const
{
    struct stat info;
    if (fstat(Descriptor, &info) != 0) throw ESetupError(LastSystemError());
    return info.st_size;
}

}  // namespace files
