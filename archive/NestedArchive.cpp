#include "archive/NestedArchive.h"

#include "archive/PayloadLayout.h"
#include "archive/ZLIBArchive.h"
#include "utilities/FileSystem.h"
#include "utilities/SetupError.h"
#include "utilities/WindowsPath.h"

namespace {

size_t NameStart(const std::string& path)
{
    const size_t cut = path.find_last_of(std::string("\\/") + files::kPathDelim);
    return cut == std::string::npos ? 0 : cut + 1;
}

// The extension is the part from the last "." of the file name on.
std::string ExtensionOf(const std::string& name)
{
    const size_t dot = name.rfind('.');
    return dot == std::string::npos ? std::string() : name.substr(dot);
}

// The folder beside the archive that takes its members.
std::string UnpackFolderOf(const std::string& archiveFile)
{
    const size_t start = NameStart(archiveFile);
    const std::string name = archiveFile.substr(start);
    const std::string stem = name.substr(0, name.size() - ExtensionOf(name).size());
    // ".x" or "..x" would unpack into the archive's own folder and find itself again.
    if (!winpath::IsSafeFileName(stem)) throw ESetupError("Nested archive has no usable name: " + archiveFile);
    return archiveFile.substr(0, start) + stem;
}

}  // namespace

bool IsNestedArchiveName(const std::string& name)
{
    return winpath::SameIgnoringCase(ExtensionOf(name), kNestedArchiveExtension);
}

void ExtractNestedArchive(const std::string& archiveFile)
{
    TZLBArchive archive;
    const std::string folder = UnpackFolderOf(archiveFile);
    if (!files::DirectoryExists(folder)) files::ForceDirectories(folder);
    archive.OpenArchive(archiveFile);
    archive.ExtractAll(folder);
    archive.CloseArchive();
    for (const files::FolderEntry& entry : files::ListFolder(folder))
        if (IsNestedArchiveName(entry.Name)) ExtractNestedArchive(folder + files::kPathDelim + entry.Name);
    files::RemoveFile(archiveFile);
}
