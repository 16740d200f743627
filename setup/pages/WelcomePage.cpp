#include "setup/pages/WelcomePage.h"

void TWelcomePage::Apply(const TPageSetup& setup)
{
    Head.SetFont(setup.Heading);
    SetHeadings(setup.Texts.WelcomeHead, setup.Texts.WelcomeText);
}
