#pragma once

// The last page: a strip with a check box for each finish action offered
// (the desktop shortcut, the ReadMe, starting the program).

#include "setup/pages/Page.h"

class TFinishPage : public TPage {
public:
    void Apply(const TPageSetup& setup) override;
    void Report(TWizardChoices& choices) const override;

private:
    void CreateContent() override;

    TPanel DesktopPanel, ReadMePanel, LaunchProgPanel;
    TCheckBox DesktopCheck, ReadMeCheck, LaunchProgCheck;
};
