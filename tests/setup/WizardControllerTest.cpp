#include "setup/WizardController.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

using C = TWizardCommand;

enum class TInput { Forward, Back, Check, Clear, Cancel, Close, Confirmed, Installed, RunCancelled, RunFailed, Finished, FinishFailed };

struct TExpected {
    TInput input;
    TWizardCommand command;
    TWizardPage page;
    bool back, forward, cancel;
};

TWizardCommand Apply(TWizardController& wizard, TInput input)
{
    switch (input) {
    case TInput::Forward: return wizard.Forward();
    case TInput::Back: return wizard.Back();
    case TInput::Check: wizard.CheckLicence(true); return C::None;
    case TInput::Clear: wizard.CheckLicence(false); return C::None;
    case TInput::Cancel: return wizard.Cancel();
    case TInput::Close: return wizard.Close();
    case TInput::Confirmed: return wizard.CancelConfirmed();
    case TInput::Installed: return wizard.RunEnded(kExitInstalled);
    case TInput::RunCancelled: return wizard.RunEnded(kExitCancelled);
    case TInput::RunFailed: return wizard.RunEnded(kExitFailed);
    case TInput::Finished: return wizard.FinishEnded(true);
    case TInput::FinishFailed: return wizard.FinishEnded(false);
    }
    return C::None;
}

TWizardChoices AllOffered()
{
    return {"C:\\Program Files\\Demo", "Demo", {{true, true}, {true, false}, {true, true}}};
}

void Walk(TWizardController& wizard, const std::vector<TExpected>& script)
{
    for (size_t i = 0; i < script.size(); ++i) {
        SCOPED_TRACE("step " + std::to_string(i));
        const TExpected& e = script[i];
        EXPECT_EQ(Apply(wizard, e.input), e.command);
        EXPECT_EQ(wizard.Page(), e.page);
        EXPECT_EQ(wizard.State().BackEnabled, e.back);
        EXPECT_EQ(wizard.State().ForwardEnabled, e.forward);
        EXPECT_EQ(wizard.State().CancelEnabled, e.cancel);
    }
}

using I = TInput;

TEST(WizardController, WithLicenceToAnInstallation)
{
    TWizardController wizard(true, AllOffered());
    EXPECT_EQ(wizard.Page(), pgWelcome);
    Walk(wizard, {
                     {I::Back, C::None, pgWelcome, false, true, true},
                     {I::Cancel, C::AskToCancel, pgWelcome, false, true, true},  // the user says no: nothing else happens
                     {I::Forward, C::ShowPage, pgLicence, true, false, true},
                     {I::Forward, C::None, pgLicence, true, false, true},  // Forward disabled
                     {I::Check, C::None, pgLicence, true, true, true},
                     {I::Clear, C::None, pgLicence, true, false, true},
                     {I::Check, C::None, pgLicence, true, true, true},
                     {I::Forward, C::ShowPage, pgDestination, true, true, true},
                     {I::Back, C::ShowPage, pgLicence, true, false, true},  // every visit asks anew
                     {I::Close, C::AskToCancel, pgLicence, true, false, true},
                     {I::Check, C::None, pgLicence, true, true, true},
                     {I::Back, C::ShowPage, pgWelcome, false, true, true},
                     {I::Forward, C::ShowPage, pgLicence, true, false, true},
                     {I::Check, C::None, pgLicence, true, true, true},
                     {I::Forward, C::ShowPage, pgDestination, true, true, true},
                     {I::Forward, C::ShowPage, pgFolder, true, true, true},
                     {I::Back, C::ShowPage, pgDestination, true, true, true},
                     {I::Forward, C::ShowPage, pgFolder, true, true, true},
                     {I::Forward, C::RunInstallation, pgCopy, false, false, false},
                     {I::Cancel, C::None, pgCopy, false, false, false},  // the run is not interrupted
                     {I::Close, C::None, pgCopy, false, false, false},
                     {I::Installed, C::ShowPage, pgFinish, false, true, false},
                     {I::Back, C::None, pgFinish, false, true, false},
                     {I::Cancel, C::None, pgFinish, false, true, false},
                     {I::Forward, C::FinishSetup, pgFinish, false, true, false},
                     {I::Forward, C::None, pgFinish, false, true, false},  // a second click while finishing
                     {I::Close, C::None, pgFinish, false, true, false},
                     {I::Finished, C::End, pgFinish, false, true, false},
                 });
    // The boxes as the Finish page reported them; the ReadMe box was cleared.
    EXPECT_TRUE(wizard.FinishActions().DesktopIcon);
    EXPECT_FALSE(wizard.FinishActions().ReadMe);
    EXPECT_TRUE(wizard.FinishActions().LaunchProg);
    EXPECT_EQ(wizard.Outcome(), kExitInstalled);
}

TEST(WizardController, EveryWayOutAndItsExitCode)
{
    const auto toCopy = std::vector<TExpected>{
        {I::Forward, C::ShowPage, pgDestination, true, true, true},  // no licence: its page is skipped
        {I::Back, C::ShowPage, pgWelcome, false, true, true},
        {I::Forward, C::ShowPage, pgDestination, true, true, true},
        {I::Forward, C::ShowPage, pgFolder, true, true, true},
        {I::Forward, C::RunInstallation, pgCopy, false, false, false},
    };
    const struct {
        const char* way;
        size_t stepsToCopy;  // of the walk above, before the way out
        std::vector<TExpected> end;
        TSetupExit exit;
        bool anyAction;
    } cases[] = {
        {"cancel confirmed on a page", 4, {{I::Cancel, C::AskToCancel, pgFolder, true, true, true}, {I::Confirmed, C::End, pgFolder, true, true, true}}, kExitCancelled, false},
        {"cancel at a failed copy", 5, {{I::RunCancelled, C::End, pgCopy, false, false, false}}, kExitCancelled, false},
        {"an error in the run", 5, {{I::RunFailed, C::End, pgCopy, false, false, false}}, kExitFailed, false},
        {"a failed finish", 5, {{I::Installed, C::ShowPage, pgFinish, false, true, false}, {I::Forward, C::FinishSetup, pgFinish, false, true, false}, {I::FinishFailed, C::End, pgFinish, false, true, false}}, kExitFailed, true},
        // Closing the window on the Finish page keeps and registers the installation, and starts nothing.
        {"closed on the Finish page", 5, {{I::Installed, C::ShowPage, pgFinish, false, true, false}, {I::Close, C::FinishSetup, pgFinish, false, true, false}, {I::Finished, C::End, pgFinish, false, true, false}}, kExitInstalled, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.way);
        TWizardController wizard(false, AllOffered());
        std::vector<TExpected> script(toCopy.begin(), toCopy.begin() + static_cast<std::ptrdiff_t>(c.stepsToCopy));
        script.insert(script.end(), c.end.begin(), c.end.end());
        Walk(wizard, script);
        EXPECT_EQ(wizard.Outcome(), c.exit);
        const TFinishChoices& actions = wizard.FinishActions();
        EXPECT_EQ(actions.DesktopIcon || actions.ReadMe || actions.LaunchProg, c.anyAction);
        // Once ended, a click still queued starts nothing.
        for (TInput late : {I::Forward, I::Back, I::Cancel, I::Close})
            EXPECT_EQ(Apply(wizard, late), C::None);
    }
}

TEST(WizardController, ChoicesStartFromTheSettings)
{
    TSetupSettings settings;
    settings.Destination = "Demo App";
    settings.Folder = "Demo";
    settings.DesktopIcon = true;
    settings.ReadMe = "ReadMe.txt";
    const TWizardChoices chosen = InitialChoices(settings, "C:\\Program Files");
    EXPECT_EQ(chosen.Destination, "C:\\Program Files\\Demo App");
    EXPECT_EQ(chosen.ProgramFolder, "Demo");
    EXPECT_TRUE(chosen.Finish.Desktop.Visible && chosen.Finish.ReadMe.Checked);
    EXPECT_FALSE(chosen.Finish.LaunchProg.Visible);
}

}  // namespace
