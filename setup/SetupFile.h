#pragma once

// The setup description "Setup.ini": blocks opened by "Object=<kind>" lines
// and closed by "end" lines, key=value lines inside them. Reading it gives a
// plain settings value; the wizard applies that to its window and pages.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

enum class TFontStyle { None, Bold, Italic, Underline, StrikeOut };

// What the description says about the page font; a part it does not name
// stays as the toolkit's default font has it.
struct TFontDescription {
    std::optional<std::string> Name;
    std::optional<int32_t> Color;
    std::optional<int32_t> Height;  // negative: character height in pixels
    TFontStyle Style = TFontStyle::None;
};

struct TPanelRect {
    int32_t Left = 0, Top = 0, Width = 0, Height = 0;
};

// The text area as designed, before a Toolweb block moves it.
constexpr TPanelRect kMainPanelDesign{104, 16, 393, 305};

// Where a button sits when the description does not place it.
struct TButtonPlace {
    int32_t Left = 0, Top = 0;
};
constexpr TButtonPlace kBackDesign{150, 280};
constexpr TButtonPlace kForwardDesign{230, 280};
constexpr TButtonPlace kCancelDesign{310, 280};

struct TPanelSkin {
    std::string Bitmap;  // relative to the workspace
    int32_t InvisibleColor = 0;
};

struct TButtonSkin {
    std::optional<int32_t> Top, Left;  // none: where the window's design puts the button
    std::string Mask, Touched, Pressed, Disabled;  // relative to the workspace
    int32_t InvisibleColor = 0;
};

struct TSetupSettings {
    std::vector<std::string> AddFiles;
    std::string TargetFile;
    std::string Destination;
    std::string Folder;
    std::string Licence;
    std::string ReadMe;
    std::string Language;
    std::string Title;
    bool LaunchProg = false;
    bool DesktopIcon = false;
    bool PerMachine = false;
    int32_t TextBoxColor = 0;
    TFontDescription TextFont;

    // Read and kept for the authoring tool's sake; no step uses them.
    std::string Method;
    std::string Description;
    std::string Icon;
    bool Encrypted = false;
    int32_t AlphaColor = 0;
    std::string SetupName;
    std::string ControlPanel;

    TPanelRect MainPanel = kMainPanelDesign;
    TPanelSkin Panel;
    TButtonSkin Backbutton, Forwardbutton, Cancelbutton;
};

// The lines of a text; a line ends at CR LF, a lone CR or a lone LF, and a
// break at the very end starts no further line.
std::vector<std::string> SplitLines(const std::string& text);

// The "Fontstyle" value's style: "Bold", "Italic", "Underline" or
// "StrikeOut" as written, None for any other word.
TFontStyle FontStyleNamed(const std::string& word);

// Empty after removing leading and trailing characters with codes 0 to 32.
bool IsBlank(const std::string& text);

// The platform's integer syntax: leading spaces, an optional sign, decimal
// digits, or hexadecimal ones after "$" or "0x". Decimal values must fit 32
// signed bits; hexadecimal ones give their 32-bit pattern, so system colours
// such as $FF00000F can be written. None for anything else.
std::optional<int32_t> ParseInteger(const std::string& text);

// Reads the whole description. Raises ESetupError naming "Setup.ini" and the
// line (counted from 1, as an editor shows it) for a block without "end", a
// Button block cut off by the end of the file, a value that is not an
// integer, an "Addfile" entry that would land outside the destination folder,
// a title, destination or program folder that breaks its rule below, and a
// description that names no skin picture for the window, no title or no
// destination. Without a "Folder" line no program folder is made.
TSetupSettings ReadSetupFile(const std::string& text);

// A fault that stops the setup: the first one it meets does.
struct TSetupFileProblem {
    std::optional<size_t> Line;  // counted from 1; none for the description as a whole
    std::string Text;
    // The text the setup shows: "Setup.ini, line 12: ..." or "Setup.ini: ...".
    std::string Message() const;
};

enum class TBlockKind { Setup, Toolweb, Panel, Button };

struct TSetupKey;

// How the reader took one line.
struct TLineReading {
    enum TRole { Ignored, Opening, Setting, Closing };
    TRole Role = Ignored;
    TBlockKind Block = TBlockKind::Setup;  // of an opening, setting or closing line
    const TSetupKey* Key = nullptr;        // of a setting line, when its block knows the key
};

// A description read for the packer's check: the same walk as ReadSetupFile,
// which goes on past a problem wherever reading can, so that every problem
// is found in one go, and tells how it took each line.
struct TSetupFileReading {
    TSetupSettings Settings;
    std::vector<std::string> Lines;
    std::vector<TLineReading> Readings;  // one per line
    std::vector<TSetupFileProblem> Problems;
};
TSetupFileReading ReadSetupFileThoroughly(const std::string& text);

// Whether an "Addfile" entry names a file below the folder it is joined to:
// a relative path without drive, colon, leading, doubled or trailing
// backslash, a name of dots and spaces only or a device name such as CON.
bool IsInstallablePath(const std::string& entry);

// Whether a title can name the product's shortcuts ("<title>.lnk") and its
// uninstall registry key: one name Windows can create as written.
bool IsProductTitle(const std::string& title);

// Whether a destination, joined below Program Files, names an installation
// folder there: names Windows can create as written, separated by single
// backslashes (so no drive, root, "." or ".." and no device), and not the
// Common Files folder, which belongs to Windows.
bool IsDestinationFolder(const std::string& destination);

// Whether a program folder, joined below the Start menu's Programs folder,
// names a folder of the product's there: a path as for the destination, and
// not Windows' own Startup (whose shortcuts start at every log-on) or
// Administrative Tools.
bool IsProgramFolder(const std::string& folder);
