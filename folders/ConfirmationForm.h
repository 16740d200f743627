#pragma once

// TConfirmationForm: the modal yes/no question, labelled in German or English
// by the language name given with each question.

#include <string>

#include "platform/Controls.h"
#include "platform/Dialog.h"

class TConfirmationForm : public TDialog {
public:
    explicit TConfirmationForm(HWND owner = nullptr);

    // 6 after Yes, 7 after No, 2 when closed any other way.
    int Confirm(const std::string& msg, const std::string& language);

    // For tests that press the buttons.
    const TPushButton& YesButton() const { return YesBut; }
    const TPushButton& NoButton() const { return NoBut; }
    const TLabel& Message() const { return MessageLabel; }

private:
    void YesButClick() { SetModalResult(kModalYes); }
    void NoButClick() { SetModalResult(kModalNo); }
    void KeepClientSize();

    TLabel MessageLabel;
    TPushButton YesBut;
    TPushButton NoBut;
};
