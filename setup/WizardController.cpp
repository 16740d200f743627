#include "setup/WizardController.h"

TWizardChoices InitialChoices(const TSetupSettings& settings, const std::string& programFilesFolder)
{
    return {programFilesFolder + "\\" + settings.Destination, settings.Folder, InitialFinishStrips(settings)};
}

TWizardController::TWizardController(bool hasLicence, TWizardChoices choices)
    : HasLicence(hasLicence), Chosen(std::move(choices))
{
    Current = EnterPage(Current, pgWelcome);
}

TWizardCommand TWizardController::Forward()
{
    return Take(ForwardStep(Current, HasLicence));
}

TWizardCommand TWizardController::Back()
{
    return Take(BackStep(Current, HasLicence));
}

void TWizardController::CheckLicence(bool checked)
{
    Current = LicenceCheckChanged(Current, checked);
}

TWizardCommand TWizardController::Cancel()
{
    return Leave(CancelLeaving(Current.Page));
}

TWizardCommand TWizardController::Close()
{
    return Leave(CloseLeaving(Current.Page));
}

TWizardCommand TWizardController::CancelConfirmed()
{
    return EndWith(kExitCancelled);
}

TWizardCommand TWizardController::RunEnded(TSetupExit outcome)
{
    if (outcome != kExitInstalled) return EndWith(outcome);
    return Enter(pgFinish);
}

TWizardCommand TWizardController::FinishEnded(bool finished)
{
    return EndWith(finished ? kExitInstalled : kExitFailed);
}

TWizardCommand TWizardController::Take(const TStep& step)
{
    if (Closing) return TWizardCommand::None;
    switch (step.Kind) {
    case TStepKind::Stay: return TWizardCommand::None;
    case TStepKind::ShowPage: return Enter(step.Page);
    case TStepKind::FinishSetup:
        return BeginFinish(ChosenFinishActions(Chosen.Finish));
    }
    return TWizardCommand::None;
}

TWizardCommand TWizardController::Enter(TWizardPage page)
{
    Current = EnterPage(Current, page);
    return page == pgCopy ? TWizardCommand::RunInstallation : TWizardCommand::ShowPage;
}

TWizardCommand TWizardController::Leave(TLeaving leaving)
{
    if (Closing) return TWizardCommand::None;
    switch (leaving) {
    case TLeaving::Ignore: return TWizardCommand::None;
    case TLeaving::Confirm: return TWizardCommand::AskToCancel;
    case TLeaving::RegisterAndClose:
        // Closed rather than finished: the installation is kept and registered, nothing is started.
        return BeginFinish(TFinishChoices{});
    }
    return TWizardCommand::None;
}

TWizardCommand TWizardController::BeginFinish(const TFinishChoices& actions)
{
    Actions = actions;
    Closing = true;
    return TWizardCommand::FinishSetup;
}

TWizardCommand TWizardController::EndWith(TSetupExit exit)
{
    Exit = exit;
    Closing = true;
    return TWizardCommand::End;
}
