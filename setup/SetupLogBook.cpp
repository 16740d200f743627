#include "setup/SetupLogBook.h"

#include <algorithm>
#include <limits>

#include "setup/SetupLogWords.h"
#include "utilities/FileSystem.h"

void TSetupLogBook::AddFirst(const std::string& line)
{
    Lines.insert(Lines.begin(), line);
}

void TSetupLogBook::AddCopiedFile(const std::string& path)
{
    AddFirst(kLogFilePrefix + path);
}

void TSetupLogBook::AddDirectory(const std::string& path)
{
    AddFirst(kLogFolderPrefix + path);
}

void TSetupLogBook::AddLink(const std::string& path)
{
    AddFirst(kLogLinkPrefix + path);
}

void TSetupLogBook::AddReplaced(const std::string& path, const std::string& backup)
{
    ReplacedFiles.emplace_back(path, backup);
}

std::vector<std::string> TSetupLogBook::CopiedFiles() const
{
    const std::string prefix = kLogFilePrefix;
    std::vector<std::string> copied;
    for (const std::string& line : Lines)
        if (line.compare(0, prefix.size(), prefix) == 0) copied.push_back(line.substr(prefix.size()));
    return copied;
}

uint32_t KilobytesRoundedUp(uint64_t bytes)
{
    constexpr uint64_t kKilobyte = 1024;
    const uint64_t kilobytes = bytes / kKilobyte + (bytes % kKilobyte != 0);
    return static_cast<uint32_t>(std::min<uint64_t>(kilobytes, std::numeric_limits<uint32_t>::max()));
}

std::string TSetupLogBook::UninstallString() const
{
    const size_t cut = LogFileName.find_last_of("\\/:");
    const std::string folder = cut == std::string::npos ? std::string() : LogFileName.substr(0, cut + 1);
    return "\"" + folder + kUninstallerName + "\"";
}

// The header goes only into the file: Lines stays the record of the run, which
// taking the run back reads.
void TSetupLogBook::SaveLog() const
{
    std::string text;
    const auto addLine = [&text](const std::string& line) { text += line + kLogLineEnd; };
    addLine(kLogHeading);
    addLine(kLogNamePrefix + DisplayTitle);
    addLine(kLogKeyPrefix + KeyName);
    for (const std::string& line : Lines) addLine(line);
    files::TFile log;
    log.CreateForWriting(LogFileName);
    log.Write(text.data(), text.size());
}
