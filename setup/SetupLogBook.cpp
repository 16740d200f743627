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

std::string TSetupLogBook::UninstallString() const
{
    const size_t cut = LogFileName.find_last_of("\\/:");
    const std::string folder = cut == std::string::npos ? std::string() : LogFileName.substr(0, cut + 1);
    return "\"" + folder + "Uninstall.exe\"";
}

// The header goes only into the file: Lines stays the record of the run, so a
// second save after a failed finish writes the same log again.
void TSetupLogBook::SaveLog() const
{
    std::string text = "SetupLOG\r\nNAME=" + DisplayTitle + "\r\nKEY=" + KeyName + "\r\n";
    for (const std::string& line : Lines) text += line + "\r\n";
    files::TFile log;
    log.CreateForWriting(LogFileName);
    log.Write(text.data(), text.size());
}
