#pragma once

// What the wizard's six pages share: each fills the text area of the skin
// with a box holding a heading, a spacer and a sub-heading row on top of its
// own controls. A page creates its controls, puts the settings and words on
// them, takes the focus where the user's first key belongs when it is shown,
// and reports what the user chose on it.

#include <string>

#include "platform/Controls.h"
#include "setup/PageTexts.h"
#include "setup/SetupFile.h"
#include "setup/WizardController.h"

// The page's area in skin pixels, before the text area grows it.
constexpr int kPageWidth = 369, kPageHeight = 275;
constexpr RECT kPageDesign{0, 0, kPageWidth, kPageHeight};
constexpr int kTextMargin = 12;
constexpr layout::TAnchors kAnchorLeftTopRight{true, true, true, false};

// A full-width row of the page at top.
RECT PageRow(int top, int height, int width = kPageWidth);

// Everything a page needs to put its settings on its controls.
struct TPageSetup {
    const TSetupSettings& Settings;
    const TPageTexts& Texts;
    const TWizardChoices& Choices;  // the starting values
    TFontAttributes Text;           // the text area's font
    TFontAttributes Heading;        // the headings': larger and bold
    std::string Workspace;          // ends in a backslash
    std::string ProgramsFolder;     // ends in a backslash; empty when the system gave none
};

class TPage {
public:
    TPage() = default;
    virtual ~TPage() = default;
    TPage(const TPage&) = delete;
    TPage& operator=(const TPage&) = delete;

    void Create(TControlHost& textArea);
    virtual void Apply(const TPageSetup& setup) = 0;
    // The page is on top now.
    virtual void Shown() {}
    // Writes what the user chose on this page.
    virtual void Report(TWizardChoices& /*choices*/) const {}

    void SetVisible(bool visible);
    // Brings the page to the top and fits its heading rows to their texts.
    void Raise();

protected:
    virtual void CreateContent() {}
    void SetHeadings(const std::string& head, const std::string& text);

    TPanel Box;
    TLabel Head, Spacer, Text;
};
