#include "folders/ConfirmationForm.h"

#include "folders/FolderRules.h"

namespace {

constexpr int kClientWidth = 344, kClientHeight = 102;
constexpr int kShownOuterHeight = 126;
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

int TConfirmationForm::Confirm(const std::string& msg, const std::string& language)
{
    const folders::TConfirmationTexts texts = folders::ConfirmationTexts(language);
    SetCaption(texts.Caption);
    YesBut.SetText(texts.Yes);
    NoBut.SetText(texts.No);
    MessageLabel.SetText(msg);
    SetOuterHeight(kShownOuterHeight);
    CentreOnScreen();
    return ShowModal();
}
