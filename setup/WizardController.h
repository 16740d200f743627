#pragma once

// The wizard as the user walks it, without its windows: the page shown and
// what its buttons allow, the user's choices (kept apart from the settings
// they start from), and how the run ends. The window passes each click on
// and does what the answer asks; the answer to the last step is End, with
// the outcome the program exits with.

#include <string>

#include "setup/PageFlow.h"
#include "setup/SetupFile.h"

// What the user chose. The settings give only the starting values.
struct TWizardChoices {
    std::string Destination;    // the installation folder, in full
    std::string ProgramFolder;  // below the Start menu's Programs folder; blank for none
    TFinishStrips Finish;
};

// Destination below the system's Program Files folder, the program folder and
// the Finish page's boxes as the settings offer them.
TWizardChoices InitialChoices(const TSetupSettings& settings, const std::string& programFilesFolder);

enum class TWizardCommand {
    None,
    ShowPage,         // show Page()
    RunInstallation,  // show the Copy page and run the installation; report with RunEnded
    AskToCancel,      // ask the user; a yes is reported with CancelConfirmed
    FinishSetup,      // perform FinishActions(); report with FinishEnded
    End,              // end with Outcome(); a run that did not install is taken back first
};

class TWizardController {
public:
    // On the Welcome page of a wizard without a licence, until the setup's description is read.
    TWizardController() = default;
    TWizardController(bool hasLicence, TWizardChoices choices);

    TWizardCommand Forward();
    TWizardCommand Back();
    void CheckLicence(bool checked);
    TWizardCommand Cancel();
    // Closing the window any other way than with Cancel (Alt+F4, the task bar).
    TWizardCommand Close();
    TWizardCommand CancelConfirmed();
    TWizardCommand RunEnded(TSetupExit outcome);
    TWizardCommand FinishEnded(bool finished);

    const TWizardState& State() const { return Current; }
    TWizardPage Page() const { return Current.Page; }
    TWizardChoices& Choices() { return Chosen; }
    const TWizardChoices& Choices() const { return Chosen; }
    const TFinishChoices& FinishActions() const { return Actions; }
    TSetupExit Outcome() const { return Exit; }

private:
    TWizardCommand Take(const TStep& step);
    TWizardCommand Enter(TWizardPage page);
    TWizardCommand Leave(TLeaving leaving);
    TWizardCommand BeginFinish(const TFinishChoices& actions);
    TWizardCommand EndWith(TSetupExit exit);

    bool HasLicence = false;
    TWizardState Current;
    TWizardChoices Chosen;
    TFinishChoices Actions;
    TSetupExit Exit = kExitCancelled;
    // Once the finish actions began, clicks (queued ones, or those reaching
    // the wizard while an error is shown) start nothing more.
    bool Closing = false;
};
