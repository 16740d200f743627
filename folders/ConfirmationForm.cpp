#include "folders/ConfirmationForm.h"

#include "folders/FolderRules.h"

namespace {

constexpr int kClientWidth = 344, kClientHeight = 102;
constexpr RECT kMessageBounds{8, 16, 8 + 329, 16 + 50};
constexpr RECT kYesBounds{184, 73, 184 + 75, 73 + 25};
constexpr RECT kNoBounds{264, 73, 264 + 75, 73 + 25};

}  // namespace

TConfirmationForm::TConfirmationForm(HWND owner)
{
    // A fixed dialog frame with a title but no title-bar buttons.
    CreateForm("ZorevaConfirmationForm", "ConfirmationForm", WS_POPUP | WS_CAPTION | DS_MODALFRAME, kClientWidth,
               kClientHeight, true, GetSysColor(COLOR_BTNFACE), owner);
    MessageLabel.Create(*this, kMessageBounds, "MessageLabel", SS_CENTER);
    YesBut.Create(*this, kYesBounds, "Ok");
    NoBut.Create(*this, kNoBounds, "Cancel");
    YesBut.OnClick = [this] { YesButClick(); };
    NoBut.OnClick = [this] { NoButClick(); };
}

void TConfirmationForm::KeepClientSize()
{
    // The frame is whatever the system draws now (taller on newer Windows),
    // so the outer size follows from the client area, never the other way.
    RECT outer{0, 0, kClientWidth, kClientHeight};
    AdjustWindowRectEx(&outer, static_cast<DWORD>(GetWindowLongPtrA(Handle(), GWL_STYLE)), FALSE,
                       static_cast<DWORD>(GetWindowLongPtrA(Handle(), GWL_EXSTYLE)));
    SetWindowPos(Handle(), nullptr, 0, 0, outer.right - outer.left, outer.bottom - outer.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
}

int TConfirmationForm::Confirm(const std::string& msg, const std::string& language)
{
    const folders::TConfirmationTexts texts = folders::ConfirmationTexts(language);
    SetCaption(texts.Caption);
    YesBut.SetText(texts.Yes);
    NoBut.SetText(texts.No);
    MessageLabel.SetText(msg);
    KeepClientSize();
    CentreOnScreen();
    return ShowModal();
}
