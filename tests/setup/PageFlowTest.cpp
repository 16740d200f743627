#include "setup/PageFlow.h"

#include <gtest/gtest.h>

namespace {

TEST(PageFlow, ButtonsOfEveryPage)
{
    // Page 2 leaves Forward as it was and page 3 both buttons; the others set what they need.
    // Cancel shows whether it does anything on the page.
    const struct {
        TWizardPage page;
        bool backFromOff, forwardFromOff;
        bool backFromOn, forwardFromOn;
        bool cancel;  // whatever it was before
    } cases[] = {
        {pgWelcome, false, true, false, true, true},
        {pgLicence, true, false, true, false, true},
        {pgDestination, true, false, true, true, true},
        {pgFolder, false, false, true, true, true},
        {pgCopy, false, false, false, false, false},
        {pgFinish, false, true, false, true, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.page));
        TWizardState off{pgWelcome, false, false, true, false}, on{pgWelcome, true, true, true, true};
        off = EnterPage(off, c.page);
        on = EnterPage(on, c.page);
        EXPECT_EQ(off.Page, c.page);
        EXPECT_EQ(off.BackEnabled, c.backFromOff);
        EXPECT_EQ(off.ForwardEnabled, c.forwardFromOff);
        EXPECT_EQ(on.BackEnabled, c.backFromOn);
        EXPECT_EQ(on.ForwardEnabled, c.forwardFromOn);
        EXPECT_EQ(on.LicenceChecked, c.page != pgLicence);
        EXPECT_EQ(off.CancelEnabled, c.cancel);
        EXPECT_EQ(on.CancelEnabled, c.cancel);
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
