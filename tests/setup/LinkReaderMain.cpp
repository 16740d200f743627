// link_reader LINK...: prints what the shell reads from each shortcut, one
// "Field=value" line each, for the scripts that check a setup's shortcuts.

#include <cstdio>

#include "tests/ShellLinkReader.h"
#include "utilities/SetupError.h"
#include "utilities/Shell.h"

int main(int argc, char** argv)
{
    const TComApartment apartment;
    int status = 0;
    for (int i = 1; i < argc; ++i) {
        try {
            const TLinkContents link = ReadLink(argv[i]);
            std::printf("Link=%s\nTarget=%s\nArguments=%s\nWorkingFolder=%s\nDescription=%s\nShowCommand=%d\n"
                        "IconFile=%s\nIconIndex=%d\nHotkey=%u\n",
                        argv[i], link.Target.c_str(), link.Arguments.c_str(), link.WorkingFolder.c_str(),
                        link.Description.c_str(), link.ShowCommand, link.IconFile.c_str(), link.IconIndex,
                        static_cast<unsigned>(link.Hotkey));
        } catch (const ESetupError& error) {
            std::fprintf(stderr, "link_reader: %s\n", error.what());
            status = 1;
        }
    }
    return status;
}
