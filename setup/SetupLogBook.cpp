#include "setup/SetupLogBook.h"

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
