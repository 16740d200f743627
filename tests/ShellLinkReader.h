#pragma once

// Reads a shortcut file back the way the shell sees it, for the tests of the
// code that writes shortcuts.

#include <windows.h>

#include <string>

struct TLinkContents {
    std::string Target;
    std::string Arguments;
    std::string WorkingFolder;
    std::string Description;
    int ShowCommand = 0;
    std::string IconFile;
    int IconIndex = 0;
    WORD Hotkey = 0;
};

// Needs COM on the calling thread; raises ESetupError when the file cannot be
// loaded as a shortcut.
TLinkContents ReadLink(const std::string& linkFile);
