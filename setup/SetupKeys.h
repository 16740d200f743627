#pragma once

// The keys of "Setup.ini": the block each stands in, the kind of value it
// takes and the setting it fills. The setup's reader fills its settings by
// this one table and the packer's check judges values by it, so no key can be
// known to one and not to the other, or taken as another kind.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "setup/SetupFile.h"

enum class TKeyKind {
    Text,           // kept as written
    Boolean,        // on for "1" alone
    Integer,        // ParseInteger's syntax; the setup stops at anything else
    Colour,         // an Integer in the Windows colour layout, $00BBGGRR
    FontStyle,      // a style's name; any other word is no style
    Language,       // the language of the pages
    Picture,        // a skin picture in the workspace
    LicenceFile,    // shown before anything is installed: without it in the payload the setup cannot start
    InstalledFile,  // a file that an Addfile line installs
    Addfile,        // one more file to install, below the destination
    Title,          // names the shortcuts and the uninstall entry
    Destination,    // the installation folder below Program Files
    ProgramFolder,  // the program folder below the Start menu's Programs folder
    SetupIcon,      // an .ico in the payload the packer gives the setup program; the setup never reads it
};

// A value as its key's kind takes it: Text always, the others for their kind.
struct TKeyValue {
    std::string Text;
    bool On = false;
    int32_t Number = 0;
    TFontStyle Style = TFontStyle::None;
};

// What a block's values fill; Button is the button a Button block is about.
struct TKeyTarget {
    TSetupSettings& Settings;
    TButtonSkin* Button;
};

struct TSetupKey {
    TBlockKind Block;
    const char* Name;
    TKeyKind Kind;
    void (*Store)(TKeyTarget& target, const TKeyValue& value);
};

struct TSetupKeyTable {
    const TSetupKey* First;
    size_t Count;
    const TSetupKey* begin() const { return First; }
    const TSetupKey* end() const { return First + Count; }
};
TSetupKeyTable SetupKeys();

// The key of the block, named exactly as written (letter case and spaces
// count); null when the block has none of that name.
const TSetupKey* FindSetupKey(TBlockKind block, const std::string& name);

// The word after "Object=" that opens a block of the kind, and back.
const char* BlockName(TBlockKind block);
std::optional<TBlockKind> BlockNamed(const std::string& word);
