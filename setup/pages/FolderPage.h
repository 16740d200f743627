#pragma once

// The program folder in the Start menu: typed, or picked from the folders
// the Programs folder already holds.

#include "setup/pages/Page.h"

class TFolderPage : public TPage {
public:
    void Apply(const TPageSetup& setup) override;
    // The name can be typed at once; the whole window is painted anew.
    void Shown() override;
    void Report(TWizardChoices& choices) const override;

private:
    void CreateContent() override;
    void OfferExistingFolders(const std::string& programsFolder);
    void Pick();

    TPanel Content;
    TLabel EditHead;
    TEdit Edit;
    TLabel EditSpacer;
    TLabel ListHead;
    TListBox List;
};
