// Version information written and read back, a string found where it lies
// as the setup finds its own, and both read from bytes that lie.

#include "tools/VersionInfo.h"

#include <gtest/gtest.h>

#include "tests/TestSupport.h"

namespace {

using version::TVersionInfo;

TVersionInfo Sample()
{
    TVersionInfo info;
    info.Fixed = version::TFixedInfo{{1, 2, 3, 4}, {5, 6, 7, 65535}, 0x3F, 0, 0x40004, 1, 0, 7, 8};
    info.TableName = u"040704E4";
    info.Strings = {{u"CompanyName", u"M\u00fcller & S\u00f6hne"},
                    {u"FileDescription", u"Setup"},  // an even key
                    {u"Comments", u""},
                    {u"ProductName", u"\U0001F600 Tools"},
                    {version::kProgramMark, u"setup"}};
    info.Translations = {0x04E40407, 0x04B00409};
    return info;
}

void ExpectSame(const TVersionInfo& read, const TVersionInfo& written)
{
    ASSERT_EQ(read.Fixed.has_value(), written.Fixed.has_value());
    if (written.Fixed) {
        EXPECT_EQ(read.Fixed->FileVersion, written.Fixed->FileVersion);
        EXPECT_EQ(read.Fixed->ProductVersion, written.Fixed->ProductVersion);
        EXPECT_EQ(read.Fixed->FlagsMask, written.Fixed->FlagsMask);
        EXPECT_EQ(read.Fixed->Os, written.Fixed->Os);
        EXPECT_EQ(read.Fixed->Type, written.Fixed->Type);
        EXPECT_EQ(read.Fixed->DateHigh, written.Fixed->DateHigh);
        EXPECT_EQ(read.Fixed->DateLow, written.Fixed->DateLow);
    }
    EXPECT_EQ(read.TableName, written.TableName);
    EXPECT_EQ(read.Strings, written.Strings);
    EXPECT_EQ(read.Translations, written.Translations);
}

uint16_t Get16(const Bytes& bytes, size_t at)
{
    return static_cast<uint16_t>(bytes[at] | bytes[at + 1] << 8);
}

// Every block of the resource as resource compilers lay it out: its length
// covers its children, each child starts at a multiple of four, a text value
// counts its characters with the zero and a binary one its bytes.
TEST(VersionResource, WritesWhatItReadsBackInTheCompilersLayout)
{
    for (const bool withFixed : {true, false}) {
        TVersionInfo info = Sample();
        if (!withFixed) info.Fixed.reset();
        const Bytes bytes = version::VersionInfoBytes(info);
        const std::optional<TVersionInfo> read = version::ParseVersionInfo(bytes.data(), bytes.size());
        ASSERT_TRUE(read) << withFixed;
        ExpectSame(*read, info);
        EXPECT_EQ(Get16(bytes, 0), bytes.size());
        EXPECT_EQ(Get16(bytes, 2), withFixed ? 52 : 0);
        EXPECT_EQ(Get16(bytes, 4), 0) << "the root's value is binary";
        // "VS_VERSION_INFO" and its zero end at 38, the fixed info starts at 40.
        if (withFixed) {
            EXPECT_EQ(Get16(bytes, 40), 0x04BD);
            EXPECT_EQ(Get16(bytes, 42), 0xFEEF);
            EXPECT_EQ(Get16(bytes, 48), 2) << "file version 1.2: the minor part in the low word";
            EXPECT_EQ(Get16(bytes, 50), 1);
        }
        // The first string: "CompanyName" in the table after StringFileInfo.
        const size_t table = (withFixed ? 92 : 40) + 36;
        const size_t company = table + 24;
        EXPECT_EQ(Get16(bytes, company + 2), 15) << "14 characters and the zero";
        EXPECT_EQ(Get16(bytes, company + 4), 1) << "text";
        EXPECT_EQ(company % 4, 0u);
    }
}

// The whole model and the setup's search in the bytes agree on every string.
TEST(VersionResource, FindsStringsByTheirExactName)
{
    const TVersionInfo info = Sample();
    const Bytes bytes = version::VersionInfoBytes(info);
    for (const auto& [name, value] : info.Strings) {
        EXPECT_EQ(version::VersionString(info, name), value);
        const auto span = version::FindVersionString(bytes.data(), bytes.size(), name);
        ASSERT_TRUE(span);
        std::u16string found;
        for (size_t i = 0; i < span->Units; ++i) found += static_cast<char16_t>(Get16(bytes, span->Offset + 2 * i));
        EXPECT_EQ(found, value);
        EXPECT_EQ(span->Offset % 4, 0u) << "aligned where the setup reads it as UTF-16";
    }
    for (const std::u16string name : {u"companyname", u"ProductVersion", u"CompanyNam", u"040704E4"}) {
        EXPECT_FALSE(version::VersionString(info, name));
        EXPECT_FALSE(version::FindVersionString(bytes.data(), bytes.size(), name));
    }
}

// Truncated anywhere, with any length field or byte wrong, the reader stays
// within the bytes (the sanitizers watch) and never invents a string.
TEST(VersionResource, BytesThatLieNeverLeadOutOfTheBlock)
{
    const TVersionInfo info = Sample();
    const Bytes good = version::VersionInfoBytes(info);
    for (size_t cut = 0; cut < good.size(); ++cut) {
        const Bytes prefix(good.begin(), good.begin() + static_cast<std::ptrdiff_t>(cut));
        EXPECT_FALSE(version::ParseVersionInfo(prefix.data(), prefix.size()))
            << "the root's length says more than there is, cut at " << cut;
        EXPECT_FALSE(version::FindVersionString(prefix.data(), prefix.size(), version::kProgramMark)) << cut;
    }
    for (size_t at = 0; at < good.size(); ++at)
        for (const uint8_t value : {uint8_t{0}, uint8_t{1}, uint8_t{0x7F}, uint8_t{0xFF}}) {
            Bytes bad = good;
            bad[at] = value;
            // The length says less than the bytes hold: a prefix is all that is read.
            const auto read = version::ParseVersionInfo(bad.data(), bad.size() - at % 3);
            const auto span = version::FindVersionString(bad.data(), bad.size() - at % 3, u"CompanyName");
            if (span) {
                EXPECT_LE(span->Offset + 2 * span->Units, bad.size() - at % 3) << at;
            }
            if (!read) continue;
            EXPECT_LE(read->Strings.size(), info.Strings.size()) << at;
            for (const auto& string : read->Strings) EXPECT_LE(string.second.size(), 40u) << at;
        }

    const struct {
        const char* What;
        Bytes Data;
    } strays[] = {
        {"nothing", {}},
        {"a header alone", {6, 0, 0, 0, 0, 0}},
        {"a key without its zero", {10, 0, 0, 0, 0, 0, 'V', 0, 'S', 0}},
        {"another key", {12, 0, 0, 0, 0, 0, 'V', 0, 'S', 0, 0, 0}},
        {"a length below the header", {2, 0, 0, 0, 0, 0, 0, 0}},
    };
    for (const auto& stray : strays) EXPECT_FALSE(version::ParseVersionInfo(stray.Data.data(), stray.Data.size()))
        << stray.What;
}

// A child block of length zero ends the list instead of looping on the spot.
TEST(VersionResource, AChildOfNoLengthEndsItsList)
{
    TVersionInfo info = Sample();
    info.Fixed.reset();
    Bytes bytes = version::VersionInfoBytes(info);
    // StringFileInfo starts at 40: its length zeroed, its children are not read.
    bytes[40] = 0;
    bytes[41] = 0;
    const auto read = version::ParseVersionInfo(bytes.data(), bytes.size());
    ASSERT_TRUE(read);
    EXPECT_TRUE(read->Strings.empty());
    EXPECT_TRUE(read->Translations.empty());
}

}  // namespace
