#pragma once

// Performs an install plan with the system's services: folders, file copies
// with overwrite, shortcuts, each recorded in the log book once done; and
// takes a stopped installation back.

#include <functional>
#include <string>
#include <vector>

#include "setup/InstallPlan.h"
#include "setup/SetupLogBook.h"

enum class TCopyFailureAnswer { Retry, Cancel };

struct TInstallObserver {
    // Before each copy: the Copy page shows the step's message and bar position.
    std::function<void(const TInstallStep&)> Copying;
    // A copy failed; the message names the target and the system's reason.
    std::function<TCopyFailureAnswer(const std::string& message)> CopyFailed;
};

// Returns false when the user cancelled at a failed copy; the book then lists
// what was really done. Raises ESetupError when the program folder cannot be
// made or the shell-link object cannot be created.
bool PerformInstallPlan(const std::vector<TInstallStep>& plan, TSetupLogBook& book, const TInstallObserver& observer);

// Removes what the log lines name, in UndoPlan's order; what cannot be
// removed (a folder the user added files to) stays.
void PerformUndo(const std::vector<std::string>& lines);
