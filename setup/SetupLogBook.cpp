#include "setup/SetupLogBook.h"

#include "utilities/FileSystem.h"

void TSetupLogBook::AddFirst(const std::string& line)
{
    Lines.insert(Lines.begin(), line);
}

void TSetupLogBook::AddCopiedFile(const std::string& path)
{
    AddFirst("COPYFILE=" + path);
}

void TSetupLogBook::AddDirectory(const std::string& path)
{
    AddFirst("DIRECTORY=" + path);
}

void TSetupLogBook::AddLink(const std::string& path)
{
    AddFirst("LINK=" + path);
}

void TSetupLogBook::AddReplaced(const std::string& path, const std::string& backup)
{
    ReplacedFiles.emplace_back(path, backup);
}

std::string TSetupLogBook::UninstallString() const
{
    const size_t cut = LogFileName.find_last_of("\\/:");
    const std::string folder = cut == std::string::npos ? std::string() : LogFileName.substr(0, cut + 1);
    return "\"" + folder + "Uninstall.exe\"";
}

// The header goes only into the file: Lines stays the record of the run, which
// taking the run back reads.
void TSetupLogBook::SaveLog() const
{
    std::string text = "SetupLOG\r\nNAME=" + DisplayTitle + "\r\nKEY=" + KeyName + "\r\n";
    for (const std::string& line : Lines) text += line + "\r\n";
    files::TFile log;
    log.CreateForWriting(LogFileName);
    log.Write(text.data(), text.size());
}
