#include "setup/pages/CopyPage.h"

#include "setup/InstallRun.h"
#include "platform/Window.h"

namespace {

constexpr int kLeft = 24, kTop = 65, kWidth = 321, kMessageHeight = 13, kBarHeight = 16;

void PaintNow(HWND window)
{
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
}

}  // namespace

void TCopyPage::CreateContent()
{
    Content.Create(Box, kPageDesign);
    Content.SetAlign(layout::TAlign::alClient);
    const int right = kLeft + kWidth, barTop = kTop + kMessageHeight;
    Message.Create(Content, RECT{kLeft, kTop, right, barTop}, "");
    Message.SetAnchors(kAnchorLeftTopRight);
    Bar.Create(Content, RECT{kLeft, barTop, right, barTop + kBarHeight});
    Bar.SetAnchors(kAnchorLeftTopRight);
}

void TCopyPage::Apply(const TPageSetup& setup)
{
    Head.SetFont(setup.Heading);
    Message.SetText("");
    Bar.SetPosition(0);
    SetHeadings(setup.Texts.CopyHead1, setup.Texts.CopyHead2);
}

TSetupExit TCopyPage::Run(const TSetupSettings& settings, const TInstallFolders& folders, TSetupLogBook& book,
                          const std::string& aside)
{
    const HWND wizard = GetAncestor(Box.Handle(), GA_ROOT);
    // The whole Copy page is painted once; for each file only the message
    // and the bar change, and only they are painted: a text label repaints
    // itself, its own background first, when its text is set, and a progress
    // bar when its position is. Repainting the whole skinned window for every
    // file made the copy of many small files several times slower, the page
    // around the two still twice as slow as the copy.
    PaintNow(wizard);
    TInstallObserver observer;
    observer.Copying = [this](const TInstallStep& step) {
        Message.SetText(step.Message);
        Bar.SetPosition(step.Progress);
    };
    observer.CopyFailed = [wizard](const std::string& message) {
        const int answer = MessageBoxA(wizard, message.c_str(), nullptr, MB_RETRYCANCEL | MB_ICONERROR);
        return answer == IDRETRY ? TCopyFailureAnswer::Retry : TCopyFailureAnswer::Cancel;
    };
    try {
        return PerformInstallPlan(InstallPlan(settings, folders), book, observer, aside) ? kExitInstalled
                                                                                         : kExitCancelled;
    } catch (const std::exception& error) {
        ShowError(error.what());
        return kExitFailed;
    }
}
