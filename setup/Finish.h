#pragma once

// The end of a run. The finish actions make the chosen desktop shortcut,
// write "setup.log" and register the uninstaller, then open the ReadMe and
// start the program as chosen. Every way out of the wizard ends through
// EndWizard, which takes back a run that did not install.

#include <windows.h>

#include <string>

#include "setup/InstallPlan.h"
#include "setup/PageFlow.h"
#include "setup/SetupLogBook.h"

// False when the shortcut, the log or the registration failed: the error was
// shown once, and the log and the entry this finish made are gone again.
// aside: the folder where an earlier installation's log is kept.
bool PerformFinish(const TFinishPlan& plan, TSetupLogBook& book, const std::string& aside, HWND owner);

// Takes back what a run that did not install made, hides the wizard and ends
// the message loop with the exit code. The windows are destroyed in order
// when the program unwinds.
void EndWizard(TSetupExit exit, const TSetupLogBook& book, HWND wizard);
