#pragma once

// What the packer tells an author before shipping a setup: the faults the
// setup would stop on (errors) and what it would silently ignore or show
// wrongly on a user's machine (warnings), each with its line in Setup.ini.
// The errors are those of the setup's own reader, so the two never disagree.

#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "archive/PayloadLayout.h"
#include "setup/SetupFile.h"
#include "tools/PictureProbe.h"
#include "tools/SetupPayload.h"

struct TDiagnostic {
    std::optional<size_t> Line;  // counted from 1; none for the description as a whole
    bool IsError = false;
    std::string Text;
};

// A file in the folder as the author named it on the command line, as
// compilers name the files they report on: "app" gives "app/Setup.ini", and
// a folder given with backslashes keeps them ("C:\app\Setup.ini").
std::string FileIn(const std::string& folder, const std::string& name);
std::string SetupFileIn(const std::string& folder);
// "app/Setup.ini:12: error: ...", as compilers write it.
std::string FormatDiagnostic(const TDiagnostic& diagnostic, const std::string& file = kSetupDescription);
bool HasErrors(const std::vector<TDiagnostic>& diagnostics);
// "app/Setup.ini: no errors, 2 warnings": the verdict in one line.
std::string SummaryOf(const std::vector<TDiagnostic>& diagnostics, const std::string& file);

// The key of the block that a key it does not know most likely meant: the
// nearest by edit distance (letter case aside), when close enough to be a
// slip of the fingers rather than another word. None when nothing is that close.
std::optional<std::string> SuggestedKey(TBlockKind block, const std::string& written);

// The files a setup's workspace will hold, found by the paths Setup.ini gives
// them relative to the workspace.
class TWorkspaceFiles {
public:
    void Add(const std::string& path, const std::string& source);
    // The source of the file a path names as Windows resolves it: in any
    // letter case, with either separator, "." and ".." components and the
    // trailing dots and spaces of names dropped. Null for no such file.
    const std::string* Find(const std::string& path) const;

private:
    std::map<std::string, std::string> Sources;
};

// The workspace the setup will unpack the planned payload into.
TWorkspaceFiles WorkspaceFilesOf(const TPayloadPlan& plan);

// What the setup would make of the picture file (a source in the packed folder).
using TPictureCheck = std::function<TPictureVerdict(const std::string& source)>;

// Every diagnostic in the order of the lines, those about the whole description last.
std::vector<TDiagnostic> CheckSetup(const std::string& setupText, const TWorkspaceFiles& files,
                                    const TPictureCheck& probePicture);
