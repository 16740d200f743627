#pragma once

// The wizard's page state machine: which page follows which, what the Back
// and Forward buttons allow on each page, the licence gate, what Cancel and
// closing the window mean, and the check boxes of the Finish page. The window
// shows what these decide.

#include <cstdint>

#include "setup/SetupFile.h"

enum TWizardPage : uint8_t { pgWelcome = 0, pgLicence = 1, pgDestination = 2, pgFolder = 3, pgCopy = 4, pgFinish = 5 };

struct TWizardState {
    TWizardPage Page = pgWelcome;
    // Skinning enables every button before the first page is shown.
    bool BackEnabled = true;
    bool ForwardEnabled = true;
    bool LicenceChecked = false;
    // Cancel is shown enabled only where it does something.
    bool CancelEnabled = true;
};

// The state on entering a page. The Copy page runs the installation as it
// is entered, and the Finish page follows.
TWizardState EnterPage(TWizardState state, TWizardPage page);

enum class TStepKind { Stay, ShowPage, FinishSetup };
struct TStep {
    TStepKind Kind = TStepKind::Stay;
    TWizardPage Page = pgWelcome;  // for ShowPage
};

// A disabled button does nothing, whichever way its click arrives.
TStep ForwardStep(const TWizardState& state, bool hasLicence);
TStep BackStep(const TWizardState& state, bool hasLicence);

// The licence box enables Forward exactly while it is checked.
TWizardState LicenceCheckChanged(TWizardState state, bool checked);

// How a run of the wizard ends, as its exit code tells the script or
// deployment tool that started the setup. Whatever a cancelled or failed run
// did is taken back before it ends.
enum TSetupExit : int { kExitInstalled = 0, kExitCancelled = 1, kExitFailed = 2 };

// How the wizard answers a wish to leave it.
enum class TLeaving {
    Ignore,         // the installation is running
    Confirm,        // nothing installed yet: ask, and close on yes
    RegisterAndClose,  // installed: register the uninstaller and write the log, then close
};
// The Cancel button: asks before the installation, ignored after it.
TLeaving CancelLeaving(TWizardPage page);
// Closing the window any other way (Alt+F4, the task bar). On the Finish page
// the installation is already on disk, and without the log and the uninstall
// entry nothing could remove it again. The wizard's own closing after a
// confirmed cancel or the finish actions does not come through here.
TLeaving CloseLeaving(TWizardPage page);

// One strip of the Finish page: a check box the user may change, on a strip
// shown only when the action is offered.
struct TFinishStrip {
    bool Visible = false;
    bool Checked = false;
};
struct TFinishStrips {
    TFinishStrip Desktop, ReadMe, LaunchProg;
};
TFinishStrips InitialFinishStrips(const TSetupSettings& settings);

// A box on a hidden strip counts as unchecked.
struct TFinishChoices {
    bool DesktopIcon = false, ReadMe = false, LaunchProg = false;
};
TFinishChoices ChosenFinishActions(const TFinishStrips& strips);
