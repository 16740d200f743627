#pragma once

// The installation folder: shown in full, changed with the folder chooser.

#include <string>

#include "setup/pages/Page.h"

class TFolderMan;

class TDestinationPage : public TPage {
public:
    // The folder chooser is made after the wizard, with the wizard as its owner.
    void UseChooser(TFolderMan& chooser) { Chooser = &chooser; }
    void Apply(const TPageSetup& setup) override;
    void Report(TWizardChoices& choices) const override;

private:
    void CreateContent() override;
    void Browse();

    TFolderMan* Chooser = nullptr;
    std::string Destination;
    TGroupBox Group;
    TLabel Folder;
    TPushButton BrowseButton;
};
