#pragma once

// The wizard's words in its two languages, as 8-bit text in the Windows ANSI
// code page (1252). The "Language" setting alone picks the set: exactly
// "German" gets the German one, every other value the English one, which is
// also what the controls show by design.

#include <string>

struct TPageTexts {
    std::string WelcomeHead, WelcomeText;
    std::string LicenceHead1, LicenceHead2, LicenceCheck;
    std::string DestinationHead1, DestinationHead2, DestinationGroup, DestinationButton;
    std::string FolderHead1, FolderHead2, FolderEditHead, FolderListHead;
    std::string CopyHead1, CopyHead2;
    std::string FinishHead1, FinshHead2;
    std::string DesktopCheck, LaunchProgCheck, ReadMeCheck;
    // The longer German caption needs a wider Browse button; it grows to the
    // left so that its right edge stays.
    int DestinationButtonWidening = 0;
};

TPageTexts EnglishTexts(const std::string& title);
TPageTexts GermanTexts(const std::string& title);
TPageTexts PageTextsFor(const std::string& language, const std::string& title);

// Shown before the wizard ends when the user lacks administrator rights.
std::string AdministratorMessage(const std::string& language);
// Asked when the user wants to leave before anything is installed.
std::string CancelQuestion(const std::string& language);
