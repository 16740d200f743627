#include "setup/PageFlow.h"

TWizardState EnterPage(TWizardState state, TWizardPage page)
{
    state.Page = page;
    switch (page) {
    case pgWelcome:
    case pgFinish:
        state.BackEnabled = false;
        state.ForwardEnabled = true;
        break;
    case pgLicence:
        // Every visit asks for the licence anew, also one coming back from Destination.
        state.BackEnabled = true;
        state.ForwardEnabled = false;
        state.LicenceChecked = false;
        break;
    case pgDestination:
        state.BackEnabled = true;
        break;
    case pgFolder:
        break;
    case pgCopy:
        state.BackEnabled = false;
        state.ForwardEnabled = false;
        break;
    }
    // The run goes on inside the click that started it, and the Finish page
    // has installed already: no Cancel there would take anything back.
    state.CancelEnabled = CancelLeaving(page) != TLeaving::Ignore;
    return state;
}

namespace {

TStep Show(TWizardPage page)
{
    return {TStepKind::ShowPage, page};
}

}  // namespace

TStep ForwardStep(const TWizardState& state, bool hasLicence)
{
    if (!state.ForwardEnabled) return {};
    switch (state.Page) {
    case pgWelcome: return Show(hasLicence ? pgLicence : pgDestination);
    case pgLicence: return Show(pgDestination);
    case pgDestination: return Show(pgFolder);
    case pgFolder: return Show(pgCopy);
    case pgCopy: return {};
    case pgFinish: return {TStepKind::FinishSetup, pgFinish};
    }
    return {};
}

TStep BackStep(const TWizardState& state, bool hasLicence)
{
    if (!state.BackEnabled) return {};
    switch (state.Page) {
    case pgLicence: return Show(pgWelcome);
    case pgDestination: return Show(hasLicence ? pgLicence : pgWelcome);
    case pgFolder: return Show(pgDestination);
    case pgWelcome:
    case pgCopy:
    case pgFinish: return {};
    }
    return {};
}

TWizardState LicenceCheckChanged(TWizardState state, bool checked)
{
    state.LicenceChecked = checked;
    state.ForwardEnabled = checked;
    return state;
}

TLeaving CancelLeaving(TWizardPage page)
{
    return page < pgCopy ? TLeaving::Confirm : TLeaving::Ignore;
}

TLeaving CloseLeaving(TWizardPage page)
{
    if (page == pgFinish) return TLeaving::RegisterAndClose;
    return CancelLeaving(page);
}

TFinishStrips InitialFinishStrips(const TSetupSettings& settings)
{
    const bool hasReadMe = !IsBlank(settings.ReadMe);
    return {{settings.DesktopIcon, settings.DesktopIcon}, {hasReadMe, hasReadMe}, {settings.LaunchProg, settings.LaunchProg}};
}

TFinishChoices ChosenFinishActions(const TFinishStrips& strips)
{
    const auto chosen = [](const TFinishStrip& strip) { return strip.Visible && strip.Checked; };
    return {chosen(strips.Desktop), chosen(strips.ReadMe), chosen(strips.LaunchProg)};
}
