#pragma once

// The installation run: the plan's steps performed one after another inside
// the click that left the Folder page, each copy named above the bar.

#include <string>
#include <vector>

#include "setup/InstallPlan.h"
#include "setup/SetupLogBook.h"
#include "setup/pages/Page.h"

class TCopyPage : public TPage {
public:
    void Apply(const TPageSetup& setup) override;

    // Performs the plan and reports how the run ended. A copy that fails asks
    // Retry or Cancel; any other error is shown here, once. What the run made
    // is in the book, what it replaced in the folder aside.
    TSetupExit Run(const TSetupSettings& settings, const TInstallFolders& folders, TSetupLogBook& book,
                   const std::string& aside);

private:
    void CreateContent() override;

    TPanel Content;
    TLabel Message;
    TProgressBar Bar;
};
