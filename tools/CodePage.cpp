#include "tools/CodePage.h"

#include <algorithm>
#include <cstdio>

#include "utilities/SetupError.h"

namespace {

const std::string kUtf8Mark = "\xEF\xBB\xBF";

bool IsContinuation(unsigned char byte)
{
    return byte >= 0x80 && byte <= 0xBF;
}

// The length of the well-formed UTF-8 sequence at position at; 0 for none.
size_t SequenceAt(const std::string& text, size_t at)
{
    const auto byte = [&text, at](size_t offset) -> unsigned char {
        return at + offset < text.size() ? static_cast<unsigned char>(text[at + offset]) : 0;
    };
    const unsigned char lead = byte(0);
    if (lead < 0x80) return 1;
    // The second byte's range excludes overlong forms, surrogates and code points above U+10FFFF.
    unsigned char low = 0x80, high = 0xBF;
    size_t length = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        if (lead == 0xE0) low = 0xA0;
        if (lead == 0xED) high = 0x9F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        if (lead == 0xF0) low = 0x90;
        if (lead == 0xF4) high = 0x8F;
    } else {
        return 0;
    }
    if (byte(1) < low || byte(1) > high) return 0;
    for (size_t offset = 2; offset < length; ++offset)
        if (!IsContinuation(byte(offset))) return 0;
    return length;
}

bool HasNonAscii(const std::string& text)
{
    return std::any_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) >= 0x80; });
}

// "U+20AC" for a well-formed sequence.
std::string CodePointOf(const std::string& sequence)
{
    static const unsigned char kLeadBits[] = {0, 0x7F, 0x1F, 0x0F, 0x07};
    unsigned long code = static_cast<unsigned char>(sequence[0]) & kLeadBits[sequence.size()];
    for (size_t i = 1; i < sequence.size(); ++i) code = (code << 6) | (static_cast<unsigned char>(sequence[i]) & 0x3F);
    char text[16];
    std::snprintf(text, sizeof text, "U+%04lX", code);
    return text;
}

// Why UTF-8 text did not convert: its first character the code page lacks,
// or its first bytes that are not UTF-8, with their line as an editor counts
// it (a line ends at CR LF, a lone CR or a lone LF).
std::string FirstUnwritable(const std::string& utf8, const std::string& name, const TCodePage& codePage)
{
    size_t line = 1;
    for (size_t at = 0; at < utf8.size();) {
        const std::string where = name + ":" + std::to_string(line) + ": ";
        const size_t length = SequenceAt(utf8, at);
        if (length == 0) return where + "bytes that are not UTF-8 in a file that is UTF-8 elsewhere";
        const std::string character = utf8.substr(at, length);
        if (!codePage.FromUtf8(character))
            return where + "\"" + character + "\" (" + CodePointOf(character) + ") cannot be written in " +
                   codePage.Name();
        if (character == "\n" || (character == "\r" && (at + 1 == utf8.size() || utf8[at + 1] != '\n'))) ++line;
        at += length;
    }
    return name + ": cannot be written in " + codePage.Name();
}

}  // namespace

bool TCodePage::IsKnown(unsigned number)
{
    return number == 874 || (number >= 1250 && number <= 1258);
}

bool IsUtf8(const std::string& bytes)
{
    for (size_t at = 0; at < bytes.size();) {
        const size_t length = SequenceAt(bytes, at);
        if (length == 0) return false;
        at += length;
    }
    return true;
}

TTextForm TextFormOf(const std::string& bytes)
{
    if (bytes.size() >= 2) {
        const bool firstNul = bytes[0] == '\0', secondNul = bytes[1] == '\0';
        if (bytes.compare(0, 2, "\xFF\xFE") == 0 || bytes.compare(0, 2, "\xFE\xFF") == 0 || firstNul != secondNul)
            return TTextForm::Utf16;
    }
    if (bytes.compare(0, kUtf8Mark.size(), kUtf8Mark) == 0) return TTextForm::Utf8;
    return HasNonAscii(bytes) && IsUtf8(bytes) ? TTextForm::Utf8 : TTextForm::CodePage;
}

TSetupText TextInCodePage(const std::string& bytes, const std::string& name, const TCodePage& codePage)
{
    switch (TextFormOf(bytes)) {
    case TTextForm::Utf16:
        throw ESetupError(name + " is UTF-16; save it as UTF-8 or Windows-" + std::to_string(codePage.Id()));
    case TTextForm::CodePage:
        return {bytes, false};
    case TTextForm::Utf8:
        break;
    }
    const bool marked = bytes.compare(0, kUtf8Mark.size(), kUtf8Mark) == 0;
    const std::string utf8 = marked ? bytes.substr(kUtf8Mark.size()) : bytes;
    if (std::optional<std::string> converted = codePage.FromUtf8(utf8)) return {std::move(*converted), true};
    throw ESetupError(FirstUnwritable(utf8, name, codePage));
}
