#pragma once

// What a setup program says about itself: the author's product name,
// version, publisher and icon in place of Zoreva's, and the check that the
// program a setup is built from is Zoreva's setup program.

#include <optional>
#include <string>

#include "tools/PeResources.h"
#include "tools/VersionInfo.h"

// Raises unless the stub is Zoreva's setup program as built, without a
// payload: a setup made from another program would not be a setup at all.
void CheckStub(const pe::TPeFile& stub);

// "1.2", "1.2.3" or "1.2.3.4", each part from 0 to 65535; missing parts are 0.
std::optional<version::TVersionNumber> ParseProductVersion(const std::string& text);

struct TSetupIdentity {
    // From Setup.ini.
    std::u16string ProductName, Description;
    // From the command line; empty when not given.
    std::string ProductVersion, Publisher;
    // The icon file to give the setup program; empty to keep the stub's icon.
    std::string IconFile;
};

// The stub's version information made the author's: the fixed numbers from
// the product version (0.0.0.0 without one), the stub's language, and only
// the strings ProductName, FileDescription (the description, or the product
// name without one), FileVersion and ProductVersion (when a version is
// given) and CompanyName (when a publisher is given).
version::TVersionInfo SetupVersionInfo(const version::TVersionInfo& stub, const TSetupIdentity& identity);

// Replaces the version information, and with an icon file the program's first
// icon group with the file's images (the images only that group named go).
void ApplyIdentity(pe::TResourceTree& resources, const TSetupIdentity& identity);

// Command-line text as the UTF-16 of version strings: UTF-8 where it is valid
// UTF-8 (as Linux passes it), Windows-1252 otherwise (as Windows passes it
// to an ANSI program in Western Europe and the Americas).
std::u16string Utf16FromArgument(const std::string& text);
