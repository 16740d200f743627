#include "setup/PageFlow.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

enum class TInput { Forward, Back, CheckLicence, ClearLicence };

struct TExpected {
    TInput input;
    TWizardPage page;
    bool back, forward;
    bool finishSetup = false;  // the input started the finish actions
};

// Drives the flow as the window does: a page step shows the page, and the
// Copy page's installation run ends by showing the Finish page.
class TWizardDriver {
public:
    explicit TWizardDriver(bool hasLicence) : HasLicence(hasLicence) { Show(pgWelcome); }

    bool Apply(TInput input)
    {
        if (input == TInput::CheckLicence || input == TInput::ClearLicence) {
            State = LicenceCheckChanged(State, input == TInput::CheckLicence);
            return false;
        }
        const TStep step = input == TInput::Forward ? ForwardStep(State, HasLicence) : BackStep(State, HasLicence);
        if (step.Kind == TStepKind::ShowPage) Show(step.Page);
        return step.Kind == TStepKind::FinishSetup;
    }

    void Show(TWizardPage page)
    {
        Visited.push_back(page);
        State = EnterPage(State, page);
        if (EntryActionOf(page) == TPageEntry::RunInstallation) Show(pgFinish);
    }

    bool HasLicence;
    TWizardState State;
    std::vector<TWizardPage> Visited;
};

void Walk(bool hasLicence, const std::vector<TExpected>& script, const std::vector<TWizardPage>& visited)
{
    TWizardDriver wizard(hasLicence);
    EXPECT_EQ(wizard.State.Page, pgWelcome);
    EXPECT_FALSE(wizard.State.BackEnabled);
    EXPECT_TRUE(wizard.State.ForwardEnabled);
    for (size_t i = 0; i < script.size(); ++i) {
        SCOPED_TRACE("step " + std::to_string(i));
        const TExpected& e = script[i];
        EXPECT_EQ(wizard.Apply(e.input), e.finishSetup);
        EXPECT_EQ(wizard.State.Page, e.page);
        EXPECT_EQ(wizard.State.BackEnabled, e.back);
        EXPECT_EQ(wizard.State.ForwardEnabled, e.forward);
    }
    EXPECT_EQ(wizard.Visited, visited);
}

TEST(PageFlow, WithLicenceEveryVisitNeedsTheBoxChecked)
{
    using I = TInput;
    Walk(true,
         {
             {I::Back, pgWelcome, false, true},
             {I::Forward, pgLicence, true, false},
             {I::Forward, pgLicence, true, false},  // Forward disabled: nothing happens
             {I::CheckLicence, pgLicence, true, true},
             {I::ClearLicence, pgLicence, true, false},
             {I::CheckLicence, pgLicence, true, true},
             {I::Forward, pgDestination, true, true},
             {I::Back, pgLicence, true, false},  // box cleared again
             {I::CheckLicence, pgLicence, true, true},
             {I::Back, pgWelcome, false, true},
             {I::Forward, pgLicence, true, false},
             {I::CheckLicence, pgLicence, true, true},
             {I::Forward, pgDestination, true, true},
             {I::Forward, pgFolder, true, true},
             {I::Back, pgDestination, true, true},
             {I::Forward, pgFolder, true, true},
             {I::Forward, pgFinish, false, true},  // through Copy, which runs the installation
             {I::Back, pgFinish, false, true},
             {I::Forward, pgFinish, false, true, true},
         },
         {pgWelcome, pgLicence, pgDestination, pgLicence, pgWelcome, pgLicence, pgDestination, pgFolder,
          pgDestination, pgFolder, pgCopy, pgFinish});
}

TEST(PageFlow, BlankLicenceSkipsTheLicencePageBothWays)
{
    using I = TInput;
    Walk(false,
         {
             {I::Forward, pgDestination, true, true},
             {I::Back, pgWelcome, false, true},
             {I::Forward, pgDestination, true, true},
             {I::Forward, pgFolder, true, true},
             {I::Forward, pgFinish, false, true},
         },
         {pgWelcome, pgDestination, pgWelcome, pgDestination, pgFolder, pgCopy, pgFinish});
}

TEST(PageFlow, EntryActionsAndButtonsOfEveryPage)
{
    // Page 2 leaves Forward as it was and page 3 both buttons; the others set what they need.
    const struct {
        TWizardPage page;
        TPageEntry action;
        bool backFromOff, forwardFromOff;
        bool backFromOn, forwardFromOn;
    } cases[] = {
        {pgWelcome, TPageEntry::None, false, true, false, true},
        {pgLicence, TPageEntry::None, true, false, true, false},
        {pgDestination, TPageEntry::None, true, false, true, true},
        {pgFolder, TPageEntry::FocusFolderEdit, false, false, true, true},
        {pgCopy, TPageEntry::RunInstallation, false, false, false, false},
        {pgFinish, TPageEntry::None, false, true, false, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.page));
        EXPECT_EQ(EntryActionOf(c.page), c.action);
        TWizardState off{pgWelcome, false, false, true}, on{pgWelcome, true, true, true};
        off = EnterPage(off, c.page);
        on = EnterPage(on, c.page);
        EXPECT_EQ(off.Page, c.page);
        EXPECT_EQ(off.BackEnabled, c.backFromOff);
        EXPECT_EQ(off.ForwardEnabled, c.forwardFromOff);
        EXPECT_EQ(on.BackEnabled, c.backFromOn);
        EXPECT_EQ(on.ForwardEnabled, c.forwardFromOn);
        EXPECT_EQ(on.LicenceChecked, c.page != pgLicence);
    }
}

TEST(PageFlow, CancelAndClosingPerPage)
{
    const struct {
        TWizardPage page;
        TLeaving cancel, close;
    } cases[] = {
        {pgWelcome, TLeaving::Confirm, TLeaving::Confirm},
        {pgLicence, TLeaving::Confirm, TLeaving::Confirm},
        {pgDestination, TLeaving::Confirm, TLeaving::Confirm},
        {pgFolder, TLeaving::Confirm, TLeaving::Confirm},
        {pgCopy, TLeaving::Ignore, TLeaving::Ignore},
        {pgFinish, TLeaving::Ignore, TLeaving::RegisterAndClose},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(CancelLeaving(c.page), c.cancel) << static_cast<int>(c.page);
        EXPECT_EQ(CloseLeaving(c.page), c.close) << static_cast<int>(c.page);
    }
}

TEST(PageFlow, FinishStripsFollowTheSettingsAndHiddenMeansUnchecked)
{
    const struct {
        bool desktopIcon, launchProg;
        const char* readMe;
        bool desktop, readMeShown, launch;
    } cases[] = {
        {false, false, "", false, false, false},
        {true, true, "ReadMe.txt", true, true, true},
        {false, true, " \t", false, false, true},
        {true, false, " Docs\\ReadMe.txt", true, true, false},
    };
    for (const auto& c : cases) {
        TSetupSettings settings;
        settings.DesktopIcon = c.desktopIcon;
        settings.LaunchProg = c.launchProg;
        settings.ReadMe = c.readMe;
        const TFinishStrips strips = InitialFinishStrips(settings);
        EXPECT_EQ(strips.Desktop.Visible, c.desktop);
        EXPECT_EQ(strips.Desktop.Checked, c.desktop);
        EXPECT_EQ(strips.ReadMe.Visible, c.readMeShown);
        EXPECT_EQ(strips.ReadMe.Checked, c.readMeShown);
        EXPECT_EQ(strips.LaunchProg.Visible, c.launch);
        EXPECT_EQ(strips.LaunchProg.Checked, c.launch);
    }

    TFinishStrips strips{{true, true}, {false, true}, {true, false}};
    TFinishChoices chosen = ChosenFinishActions(strips);
    EXPECT_TRUE(chosen.DesktopIcon);
    EXPECT_FALSE(chosen.ReadMe);
    EXPECT_FALSE(chosen.LaunchProg);
    strips = {{true, false}, {true, true}, {true, true}};
    chosen = ChosenFinishActions(strips);
    EXPECT_FALSE(chosen.DesktopIcon);
    EXPECT_TRUE(chosen.ReadMe);
    EXPECT_TRUE(chosen.LaunchProg);
}

}  // namespace
