#include "tests/ShellLinkReader.h"

#include <shlobj.h>

#include <fstream>
#include <iterator>
#include <vector>

#include "utilities/FileSystem.h"
#include "utilities/SetupError.h"
#include "utilities/Shell.h"

namespace {

// Wine's link object forgets the show command when it loads a file, although it
// saves it; so it is read from the file's ShellLinkHeader (field at 0x3C).
int ShowCommandInHeader(const std::string& linkFile)
{
    constexpr size_t kShowCommandOffset = 0x3C;
    std::ifstream in(linkFile, std::ios::binary);
    const std::vector<unsigned char> file{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    if (file.size() < kShowCommandOffset + 4) throw ESetupError("Shortcut too short: " + linkFile);
    return file[kShowCommandOffset] | file[kShowCommandOffset + 1] << 8 | file[kShowCommandOffset + 2] << 16 |
           file[kShowCommandOffset + 3] << 24;
}

void Require(HRESULT result, const std::string& what)
{
    if (FAILED(result)) throw ESetupError(what + ": " + files::SystemErrorText(static_cast<DWORD>(result)));
}

}  // namespace

TLinkContents ReadLink(const std::string& linkFile)
{
    TComPtr<IShellLinkA> link;
    Require(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA, link.Receive()),
            "No shell link object");
    TComPtr<IPersistFile> file;
    Require(link->QueryInterface(IID_IPersistFile, file.Receive()), "No IPersistFile");
    Require(file->Load(files::WideFromAnsi(linkFile).data(), STGM_READ), "Cannot load " + linkFile);

    TLinkContents contents;
    char text[INFOTIPSIZE] = {};
    link->GetPath(text, MAX_PATH, nullptr, SLGP_RAWPATH);
    contents.Target = text;
    link->GetArguments(text, INFOTIPSIZE);
    contents.Arguments = text;
    link->GetWorkingDirectory(text, MAX_PATH);
    contents.WorkingFolder = text;
    link->GetDescription(text, INFOTIPSIZE);
    contents.Description = text;
    link->GetIconLocation(text, MAX_PATH, &contents.IconIndex);
    contents.IconFile = text;
    link->GetHotkey(&contents.Hotkey);
    contents.ShowCommand = ShowCommandInHeader(linkFile);
    return contents;
}
