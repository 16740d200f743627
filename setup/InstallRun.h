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
// made or the shell-link object cannot be created. A file or shortcut already
// where the run puts one (an earlier installation's, or the user's own) is
// first moved into the folder aside (the run's, in its workspace) and noted
// in the book, so that taking the run back can restore it; one that cannot
// be moved there is a failed copy, never overwritten unkept.
bool PerformInstallPlan(const std::vector<TInstallStep>& plan, TSetupLogBook& book, const TInstallObserver& observer,
                        const std::string& aside);

// Moves a file already at path into the folder aside and notes it in the
// book, as the run does before it copies over a file; false, with the
// system's error, when it cannot be moved.
bool KeepAside(const std::string& path, const std::string& aside, TSetupLogBook& book);

// Takes a run back: what it replaced goes back in place, then what it made
// is removed, in UndoPlan's order; what cannot be removed (a folder the user
// added files to) stays.
void PerformUndo(const TSetupLogBook& book);
