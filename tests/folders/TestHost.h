#pragma once

// A plain top-level window for the folder tests to put a tree into.

#include "platform/Dialog.h"

class TTestHost : public TDialog {
public:
    TTestHost()
    {
        CreateForm("ZorevaFolderTestHost", "Folder test host", WS_POPUP | WS_CAPTION, 300, 400, true,
                   GetSysColor(COLOR_BTNFACE), nullptr);
    }
};
