#pragma once

// The setup is an ANSI program: the names it creates and the texts it shows
// are 8-bit text in one Windows code page, the one its users' Windows runs
// in. Authors keep their files under UTF-8 names (Linux) or UTF-16 ones
// (Windows) and may save their texts as UTF-8; the packer writes all of them
// in the setup's code page, and refuses what that code page cannot hold
// rather than let the setup show or install it wrongly.

#include <optional>
#include <string>
#include <vector>

constexpr unsigned kDefaultCodePage = 1252;

class TCodePage {
public:
    // The single-byte ANSI code pages of Windows: 874 and 1250 to 1258. The
    // double-byte ones are not: the setup splits paths at every backslash
    // byte, which there can be the second byte of a character.
    static bool IsKnown(unsigned number);
    // For a known number only.
    explicit TCodePage(unsigned number) : Number(number) {}

    // "code page 1252"
    std::string Name() const { return "code page " + std::to_string(Number); }
    unsigned Id() const { return Number; }

    // UTF-8 text in this code page; none when the text is not UTF-8 or holds
    // a character the code page lacks (no look-alike stands in for it).
    std::optional<std::string> FromUtf8(const std::string& utf8) const;
    // Text in this code page as UTF-16, for what Windows keeps in Unicode (the
    // setup program's version information). A byte the code page leaves
    // undefined stands for the character of its own number, as Windows maps it.
    std::u16string ToUtf16(const std::string& text) const;

private:
    unsigned Number;
};

// Strict UTF-8: no overlong forms, surrogates or code points above U+10FFFF.
bool IsUtf8(const std::string& bytes);

enum class TTextForm {
    CodePage,  // 8-bit text taken as it is: ASCII, or bytes that are not UTF-8
    Utf8,      // starts with the UTF-8 byte-order mark, or is UTF-8 with non-ASCII characters
    Utf16,     // starts with a UTF-16 byte-order mark, or has a NUL in one of its first two bytes only
};
TTextForm TextFormOf(const std::string& bytes);

// An author's text file as the setup reads it.
struct TSetupText {
    std::string Text;
    bool Converted = false;  // it was UTF-8
};

// The text of the file called name in the code page: UTF-8 converted (its
// byte-order mark dropped), any other 8-bit text as it is. Raises for UTF-16
// ("NAME is UTF-16; save it as UTF-8 or Windows-1252") and for a character the
// code page lacks, naming the file, the line and the character.
TSetupText TextInCodePage(const std::string& bytes, const std::string& name, const TCodePage& codePage);

// A folder's entry by the name the archive stores, in the setup's code page.
struct TNamedEntry {
    std::string Name;
    std::string Source;  // the path to read it from on this host
    bool IsFolder = false;
    bool IsLink = false;
};

// The entries of a folder, sorted by their names in the code page (byte
// order), so that every host packs them in the same order. A name the code
// page cannot hold raises "Cannot write the name of PATH in code page N", its
// path in UTF-8. On Windows the source of an entry whose name the system's
// own code page cannot hold is its short name, as the packer opens files
// with the ANSI functions; one without a short name raises.
std::vector<TNamedEntry> ListFolderIn(const std::string& folder, const TCodePage& codePage);
