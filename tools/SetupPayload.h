#pragma once

// A setup's payload: the archive Data.Zup made from a workspace folder, and
// carried by the setup program as the RCDATA resource VIZEZURAR.
//
//   DIR/*                 the members of Data.Zup (DIR/Setup.ini is required)
//   DIR/Graphics/*        gfx.x (required)
//   DIR/Sounds/*          snd.x, when the folder exists
//   DIR/Additional/...    Additional.x, every folder in it a nested NAME.x
//
// The three archives are members of Data.Zup.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "archive/ZLIBArchiveWriter.h"
#include "tools/CodePage.h"
#include "tools/PackProgress.h"
#include "tools/PeResources.h"

// A member of an archive: a file, or a folder packed as an archive of its own.
struct TPayloadMember {
    std::string Name;
    std::string Source;  // the file or folder it is made from
    int64_t Size = 0;    // of a file
    bool IsArchive = false;
    std::vector<TPayloadMember> Members;  // of an archive
    std::optional<std::string> Text;      // of a file: packed in place of the source's bytes
};

struct TPayloadPlan {
    TPayloadMember Root;  // Data.Zup
    int FileCount = 0;
    int64_t ByteCount = 0;
};

// What the workspace becomes; raises for a folder that cannot make a setup,
// before anything is written: one without Setup.ini or Graphics, with a
// folder the setup does not unpack, with files the setup would mistake for
// its own archives or folders, with names Windows would merge, refuse or
// change or the code page cannot hold, with a folder that cannot be read or
// a link leading back into a folder that holds it. Member names are in the
// code page.
TPayloadPlan PlanPayload(const std::string& workspace, const TCodePage& codePage);

// Puts Setup.ini and the licence file it names into the code page, as
// TextInCodePage does (raising as it does); returns a note for each file
// that was UTF-8: "app/Setup.ini: converted from UTF-8 to code page 1252",
// the files named in the folder as the author gave it.
std::vector<std::string> ConvertSetupTexts(TPayloadPlan& plan, const TCodePage& codePage, const std::string& folder);

// The Setup.ini the payload carries.
std::string SetupTextOf(const TPayloadPlan& plan);

// Puts the uninstaller into the payload's root as "Uninstall.exe", in place of
// a file of that name (in any letter case) the workspace holds.
void AddUninstaller(TPayloadPlan& plan, const std::string& uninstaller);

// Told before each file is packed and as its bytes are read: the files packed
// before it, and their bytes with what was read of it.
using TPackProgress = std::function<void(const std::string& fileName, const TPackCount& done)>;

// Writes Data.Zup, its members and those of every nested archive compressed
// at level; nested archives pass through temporary files. Returns the
// duplicates merged in all of its archives.
TDuplicateFigures WritePayload(const TPayloadPlan& plan, const std::string& archivePath, TFileCompressionLevel level,
                               const TPackProgress& progress);

// Writes a copy of the stub carrying the archive as its payload (replacing
// one it already carries); returns the size of the setup program.
int64_t EmbedPayload(const pe::TPeFile& stub, const std::string& archivePath, const std::string& setupPath);

// A Windows program that is nothing but itself, unlike an archive whose first
// member happens to be a stored program.
bool IsSetupProgram(const std::string& path);
// Copies the payload of a setup program to archivePath; raises when it has none.
void CopySetupPayload(const std::string& setupPath, const std::string& archivePath);
