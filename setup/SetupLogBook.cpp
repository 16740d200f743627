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

void TSetupLogBook::SaveLog()
{
    AddFirst("KEY=" + KeyName);
    AddFirst("NAME=" + DisplayTitle);
    AddFirst("SetupLOG");
    std::string text;
    for (const std::string& line : Lines) text += line + "\r\n";
    files::TFile log;
    log.CreateForWriting(LogFileName);
    log.Write(text.data(), text.size());
}
