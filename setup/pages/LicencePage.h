#pragma once

// The licence: its text, and the box the user checks to accept it. Forward
// follows the box, which the wizard decides.

#include <functional>

#include "setup/pages/Page.h"

class TLicencePage : public TPage {
public:
    void Apply(const TPageSetup& setup) override;
    // Space accepts the licence without reaching for the mouse.
    void Shown() override;

    bool Accepted() const;
    void SetAccepted(bool accepted);
    std::function<void()> OnAcceptedChange;

private:
    void CreateContent() override;

    TPanel MemoPanel, CheckPanel;
    TMemo Memo;
    TCheckBox Check;
};
