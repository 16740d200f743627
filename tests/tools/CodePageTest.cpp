// Authors' texts and names into the setup's code page: the same table holds
// natively (iconv) and under Wine (the Windows conversion functions).

#include "tools/CodePage.h"

#include <gtest/gtest.h>

#include "utilities/SetupError.h"

namespace {

struct TConversionCase {
    const char* What;
    std::string Bytes;
    unsigned CodePage;
    TTextForm Form;
    std::string Text;   // the result, when the conversion succeeds
    bool Converted;
    std::string Error;  // the whole message, when it fails
};

const std::string kMark = "\xEF\xBB\xBF";

TEST(CodePage, TextsAreConvertedKeptOrRefusedByTheirForm)
{
    const TConversionCase cases[] = {
        {"ASCII stays as it is", "Object=Setup\r\nend\r\n", 1252, TTextForm::CodePage, "Object=Setup\r\nend\r\n",
         false, ""},
        {"a byte-order mark alone makes UTF-8", kMark + "Object=Setup\r\n", 1252, TTextForm::Utf8,
         "Object=Setup\r\n", true, ""},
        {"umlauts and sharp s", "Title=F\xC3\xBCr Gro\xC3\x9F\r\n", 1252, TTextForm::Utf8, "Title=F\xFCr Gro\xDF\r\n",
         true, ""},
        {"the euro sign has a place in 1252", kMark + "Price=5 \xE2\x82\xAC", 1252, TTextForm::Utf8, "Price=5 \x80",
         true, ""},
        {"L with stroke has a place in 1250", "Name=\xC5\x81\xC3\xB3""d\xC5\xBA", 1250, TTextForm::Utf8,
         "Name=\xA3\xF3""d\x9F", true, ""},
        {"Cyrillic in 1251", "\xD0\x9F\xD1\x80\xD0\xB8", 1251, TTextForm::Utf8, "\xCF\xF0\xE8", true, ""},
        {"L with stroke has none in 1252, on the line a lone CR and LFs count",
         "a\r\nb\rc\n\nName=\xC5\x81\xC3\xB3""d\xC5\xBA\r\n", 1252, TTextForm::Utf8, "", false,
         "Setup.ini:5: \"\xC5\x81\" (U+0141) cannot be written in code page 1252"},
        {"no look-alike stands in for a character", "x\r\n\xE2\x80\x9C\xE2\x86\x92\xE2\x80\x9D", 1252,
         TTextForm::Utf8, "", false, "Setup.ini:2: \"\xE2\x86\x92\" (U+2192) cannot be written in code page 1252"},
        {"an emoji beyond the 16-bit plane", "ok\n\xF0\x9F\x98\x80", 1252, TTextForm::Utf8, "", false,
         "Setup.ini:2: \"\xF0\x9F\x98\x80\" (U+1F600) cannot be written in code page 1252"},
        {"bytes that are not UTF-8 are taken as they are", "Title=F\xFCr Gro\xDF\r\n", 1252, TTextForm::CodePage,
         "Title=F\xFCr Gro\xDF\r\n", false, ""},
        {"an overlong form is not UTF-8", "Title=\xC0\xAF\xC3\xBC", 1252, TTextForm::CodePage,
         "Title=\xC0\xAF\xC3\xBC", false, ""},
        {"an encoded surrogate is not UTF-8", "\xED\xA0\x80\xC3\xBC", 1252, TTextForm::CodePage,
         "\xED\xA0\x80\xC3\xBC", false, ""},
        {"a cut sequence is not UTF-8", "Gro\xC3", 1252, TTextForm::CodePage, "Gro\xC3", false, ""},
        {"after the mark, bytes that are not UTF-8", kMark + "ok\r\nF\xFCr", 1252, TTextForm::Utf8, "", false,
         "Setup.ini:2: bytes that are not UTF-8 in a file that is UTF-8 elsewhere"},
        {"UTF-16 LE with its mark", std::string("\xFF\xFEO\0b\0", 6), 1252, TTextForm::Utf16, "", false,
         "Setup.ini is UTF-16; save it as UTF-8 or Windows-1252"},
        {"UTF-16 BE with its mark", std::string("\xFE\xFF\0O\0b", 6), 1250, TTextForm::Utf16, "", false,
         "Setup.ini is UTF-16; save it as UTF-8 or Windows-1250"},
        {"UTF-16 LE without a mark", std::string("O\0b\0j\0", 6), 1252, TTextForm::Utf16, "", false,
         "Setup.ini is UTF-16; save it as UTF-8 or Windows-1252"},
        {"UTF-16 BE without a mark", std::string("\0O\0b", 4), 1252, TTextForm::Utf16, "", false,
         "Setup.ini is UTF-16; save it as UTF-8 or Windows-1252"},
        {"an empty file", "", 1252, TTextForm::CodePage, "", false, ""},
    };
    for (const TConversionCase& c : cases) {
        SCOPED_TRACE(c.What);
        EXPECT_EQ(TextFormOf(c.Bytes), c.Form);
        try {
            const TSetupText text = TextInCodePage(c.Bytes, "Setup.ini", TCodePage(c.CodePage));
            EXPECT_EQ(c.Error, "");
            EXPECT_EQ(text.Text, c.Text);
            EXPECT_EQ(text.Converted, c.Converted);
        } catch (const ESetupError& error) {
            EXPECT_EQ(error.what(), c.Error);
        }
    }
}

TEST(CodePage, OnlyTheSingleByteAnsiCodePagesAreKnown)
{
    for (unsigned number : {874u, 1250u, 1252u, 1258u}) EXPECT_TRUE(TCodePage::IsKnown(number)) << number;
    // UTF-8, double-byte Japanese, OEM US, the neighbours of the range.
    for (unsigned number : {0u, 65001u, 932u, 437u, 1249u, 1259u}) EXPECT_FALSE(TCodePage::IsKnown(number)) << number;
    // Every known one converts on this host; a name with nothing but ASCII is itself in each.
    for (unsigned number = 1250; number <= 1258; ++number)
        EXPECT_EQ(TCodePage(number).FromUtf8("Setup.ini"), "Setup.ini") << number;
    EXPECT_EQ(TCodePage(874).FromUtf8("\xE0\xB8\x81"), "\xA1");
}

}  // namespace
