#include "setup/PageTexts.h"

#include <gtest/gtest.h>

namespace {

// Every text of both sets, typos and double spaces included, for the title "Zap".
TEST(PageTexts, BothSetsWordForWord)
{
    const struct {
        std::string TPageTexts::*field;
        const char* english;
        const char* german;
    } cases[] = {
        {&TPageTexts::WelcomeHead, "Welcome to the Setup Wizard for Zap", "Willkommen zum Setup Assistenten f\xFCr Zap"},
        {&TPageTexts::WelcomeText, "This wizard will install Zap on your computer. Click Next to continue.",
         "Dieser Assistent installiert Zap auf Ihrem Computer."},
        {&TPageTexts::LicenceHead1, "Licence Agreement", "Lizenzbestimmungen"},
        {&TPageTexts::LicenceHead2, "Please read the following licence agreement carefully.",
         "Bitte lesen Sie sorgf\xE4ltig folgende Lizenzbestimmungen."},
        {&TPageTexts::LicenceCheck, "Yes, I accept all the terms of the preceeding licence agreement.",
         "Ich stimme s\xE4mtlichen Bedingungen des vorstehenden Lizenzvertrages zu."},
        {&TPageTexts::DestinationHead1, "Choose Destination Location", "Zielordner w\xE4hlen"},
        {&TPageTexts::DestinationHead2,
         "To install to this folder, click Next. To install to a different folder, click Browse and select another "
         "folder.",
         "W\xE4hlen Sie einen Zielordner, in den die Programmdateien installiert werden."},
        {&TPageTexts::DestinationGroup, "Destination Folder", "Zielordner"},
        {&TPageTexts::DestinationButton, "Browse...", "Durchsuchen..."},
        {&TPageTexts::FolderHead1, "Select Program Folder", "StartMen\xFC"},
        {&TPageTexts::FolderHead2,
         "Setup will add icons to the program folder listed below. You may type a new folder, or select one from the "
         "existing folders list. Click Next to start installing.",
         "W\xE4hlen Sie eine Gruppe im Men\xFC 'Programme'. Klicke Sie 'Weiter' um mit der Installation zu beginnen."},
        {&TPageTexts::FolderEditHead, "Program Folder", "Programmgruppe"},
        {&TPageTexts::FolderListHead, "Existing Folders", "Existierende Gruppen"},
        {&TPageTexts::CopyHead1, "Setup Status", "Setup Status"},
        {&TPageTexts::CopyHead2, "Zap installer is performing the requested operations.",
         "Zap  wird jetzt auf Ihrem Computer installiert. Bitte warten."},
        {&TPageTexts::FinishHead1, "Setup Complete", "Setup fertig"},
        {&TPageTexts::FinshHead2, "Zap has been installed successfully. Click Next to finish Setup.",
         "Zap wurde erfolgreich installiert. Klicken Sie 'Weiter' um das Setup zu beenden."},
        {&TPageTexts::DesktopCheck, "Create Icon on Desktop.", "Verk\xFCpfung auf dem Desktop erstellen."},
        {&TPageTexts::LaunchProgCheck, "Launch Program.", "Zap starten."},
        {&TPageTexts::ReadMeCheck, "View ReadMe.", "ReadMe-Datei anzeigen."},
    };
    const TPageTexts english = EnglishTexts("Zap"), german = GermanTexts("Zap");
    for (const auto& c : cases) {
        EXPECT_EQ(english.*c.field, c.english);
        EXPECT_EQ(german.*c.field, c.german);
    }
    EXPECT_EQ(english.DestinationButtonWidening, 0);
    EXPECT_EQ(german.DestinationButtonWidening, 30);
}

TEST(PageTexts, OnlyExactlyGermanPicksGerman)
{
    const std::pair<const char*, bool> cases[] = {
        {"German", true}, {"English", false}, {"French", false}, {"Spanish", false},
        {"german", false}, {"German ", false}, {"", false}, {"Klingon", false},
    };
    for (const auto& [language, german] : cases) {
        SCOPED_TRACE(language);
        EXPECT_EQ(PageTextsFor(language, "Zap").FolderHead1, german ? "StartMen\xFC" : "Select Program Folder");
        EXPECT_EQ(AdministratorMessage(language),
                  german ? "Um diese Installation auszuf\xFChren \r\n ben\xF6tigen Sie Administratorrechte."
                         : "You need administrator access\r\n to run installation.");
        EXPECT_EQ(CancelQuestion(language), german ? "Wollen Sie das Setup abbrechen?" : "Do you want to cancel setup?");
    }
}

TEST(PageTexts, EmptyTitleKeepsTheFixedParts)
{
    EXPECT_EQ(EnglishTexts("").WelcomeHead, "Welcome to the Setup Wizard for ");
    EXPECT_EQ(GermanTexts("").CopyHead2, "  wird jetzt auf Ihrem Computer installiert. Bitte warten.");
    EXPECT_EQ(GermanTexts("").LaunchProgCheck, " starten.");
}

}  // namespace
