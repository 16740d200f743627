// The author's identity put into a setup program: icon files read and their
// images made resources, the version information made the product's, the
// stub check, all written through the packer's writer and read back with the
// tests' own reader.

#include "tools/SetupIdentity.h"

#include <gtest/gtest.h>

#include "tests/tools/TestPrograms.h"
#include "tools/CodePage.h"
#include "tools/IconFile.h"
#include "utilities/SetupError.h"

namespace {

void Put(Bytes& out, uint32_t value, int size)
{
    for (int i = 0; i < size; ++i) out.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

// An icon file with an image of each size (bytes), each filled with its own
// pattern, laid out after the directory in order.
Bytes IconFileOf(const std::vector<uint32_t>& imageSizes)
{
    Bytes out;
    for (const uint32_t word : {0u, 1u, static_cast<uint32_t>(imageSizes.size())}) Put(out, word, 2);
    uint32_t offset = 6 + 16 * static_cast<uint32_t>(imageSizes.size());
    for (size_t i = 0; i < imageSizes.size(); ++i) {
        out.insert(out.end(), {static_cast<uint8_t>(16 << i), static_cast<uint8_t>(16 << i), 0, 0});
        Put(out, 1, 2);
        Put(out, 32, 2);
        Put(out, imageSizes[i], 4);
        Put(out, offset, 4);
        offset += imageSizes[i];
    }
    for (size_t i = 0; i < imageSizes.size(); ++i) {
        const Bytes image = SampleRandom(imageSizes[i], static_cast<int>(i) + 40);
        out.insert(out.end(), image.begin(), image.end());
    }
    return out;
}

Bytes Group(const std::vector<uint16_t>& ids)
{
    std::vector<TIconImage> images(ids.size());
    for (TIconImage& image : images) image.Size = 100;
    return IconGroupBytes(images, ids);
}

TEST(IconFile, ReadsTheDirectoryAndRefusesWhatNoLoaderCouldShow)
{
    const Bytes good = IconFileOf({40, 1000});
    const std::vector<TIconImage> images = IconImages(good, good.size());
    ASSERT_EQ(images.size(), 2u);
    EXPECT_EQ(images[1].Width, 32);
    EXPECT_EQ(images[1].BitCount, 32);
    EXPECT_EQ(images[1].Size, 1000u);
    EXPECT_EQ(images[1].Offset, 6u + 32 + 40);

    const auto changed = [&good](size_t at, uint8_t value) {
        Bytes bytes = good;
        bytes[at] = value;
        return bytes;
    };
    const struct {
        const char* What;
        Bytes Head;
        uint64_t FileSize;
        std::string Error;
    } cases[] = {
        {"a cursor", changed(2, 2), good.size(), "it is not an icon file"},
        {"a bitmap", TextBytes("BM6\x0c\0\0"), 3126, "it is not an icon file"},
        {"too short for a directory", Bytes{0, 0, 1}, 3, "it is not an icon file"},
        {"no image", changed(4, 0), good.size(), "it holds no image"},
        {"directory cut off", Bytes(good.begin(), good.begin() + 30), good.size(), "its list of images is cut off"},
        {"second image past the end", good, good.size() - 1, "its image 2 does not lie within the file"},
        {"first image inside the directory", changed(18, 30), good.size(), "its image 1 does not lie within the file"},
        {"first image of no bytes", changed(14, 0), good.size(), "its image 1 does not lie within the file"},
    };
    for (const auto& c : cases) EXPECT_EQ(ErrorOf([&c] { IconImages(c.Head, c.FileSize); }), c.Error) << c.What;

    EXPECT_EQ(IconGroupIds(IconGroupBytes(images, {7, 3})), (std::vector<uint16_t>{7, 3}));
    EXPECT_EQ(IconGroupBytes(images, {7, 3}).size(), 6u + 2 * 14);
    const Bytes group = IconGroupBytes(images, {7, 3});
    EXPECT_EQ(IconGroupIds(Bytes(group.begin(), group.end() - 1)), (std::vector<uint16_t>{7}))
        << "an entry cut off is not read";
    EXPECT_TRUE(IsIconFileName("App.ICO"));
    EXPECT_FALSE(IsIconFileName("App.ico.png"));
    EXPECT_FALSE(IsIconFileName("ico"));
}

TEST(SetupIdentity, ProductVersionsAndTheTextOfVersionStrings)
{
    using N = version::TVersionNumber;
    const struct {
        const char* Text;
        std::optional<N> Number;
    } versions[] = {{"1.2", N{1, 2, 0, 0}},       {"1.2.3", N{1, 2, 3, 0}}, {"10.0.65535.7", N{10, 0, 65535, 7}},
                    {"01.2", N{1, 2, 0, 0}},      {"1", std::nullopt},     {"1.2.3.4.5", std::nullopt},
                    {"1..2", std::nullopt},       {"1.2.", std::nullopt},  {".1.2", std::nullopt},
                    {"1.65536", std::nullopt},    {"1.-2", std::nullopt},  {"1.2 ", std::nullopt},
                    {"v1.2", std::nullopt},       {"", std::nullopt},      {"1.0000000000000000002", std::nullopt}};
    for (const auto& v : versions) EXPECT_EQ(ParseProductVersion(v.Text), v.Number) << v.Text;

    EXPECT_EQ(TCodePage(1252).ToUtf16("Gr\xf6\xdf" "e \x80 \x9f \x81"), u"Gr\u00f6\u00dfe \u20ac \u0178 \u0081");
    EXPECT_EQ(TCodePage(1250).ToUtf16("\x8a\xb9 \xf6"), u"\u0160\u0105 \u00f6");
    EXPECT_EQ(TCodePage(1251).ToUtf16("\xc0\xff"), u"\u0410\u044f");
    EXPECT_EQ(Utf16FromArgument("M\xc3\xbcller \xe2\x82\xac \xf0\x9f\x98\x80"), u"M\u00fcller \u20ac \U0001F600");
    EXPECT_EQ(Utf16FromArgument("M\xfcller"), u"M\u00fcller") << "not UTF-8: Windows-1252, as Windows passes it";
    EXPECT_EQ(Utf16FromArgument("\xc3"), u"\u00c3") << "a sequence cut off";
}

// Only the author's strings are left: nothing of Zoreva's, no mark.
TEST(SetupIdentity, VersionInformationSaysTheProductAndKeepsTheStubsLanguage)
{
    version::TVersionInfo stub;
    stub.Fixed = version::TFixedInfo{{0, 1, 0, 0}, {0, 1, 0, 0}, 0x3F, 0, 0x40004, 1, 0, 0, 0};
    stub.TableName = u"040704B0";
    stub.Strings = {
        {u"CompanyName", u"Zoreva"}, {u"OriginalFilename", u"Zoreva.exe"}, {version::kProgramMark, u"setup"}};
    stub.Translations = {0x04B00407};

    using S = std::vector<std::pair<std::u16string, std::u16string>>;
    const struct {
        TSetupIdentity Identity;
        version::TVersionNumber Number;
        S Strings;
    } cases[] = {
        {{u"Gr\u00f6\u00dfe", u"", "", "", ""}, {0, 0, 0, 0},
         S{{u"FileDescription", u"Gr\u00f6\u00dfe"}, {u"ProductName", u"Gr\u00f6\u00dfe"}}},
        {{u"Demo", u"The demo's setup", "2.5.1", "M\xc3\xbcller", ""}, {2, 5, 1, 0},
         S{{u"CompanyName", u"M\u00fcller"}, {u"FileDescription", u"The demo's setup"}, {u"FileVersion", u"2.5.1"},
           {u"ProductName", u"Demo"}, {u"ProductVersion", u"2.5.1"}}},
    };
    for (const auto& c : cases) {
        const version::TVersionInfo info = SetupVersionInfo(stub, c.Identity);
        ASSERT_TRUE(info.Fixed);
        EXPECT_EQ(info.Fixed->FileVersion, c.Number);
        EXPECT_EQ(info.Fixed->ProductVersion, c.Number);
        EXPECT_EQ(info.Fixed->Os, 0x40004u);
        EXPECT_EQ(info.TableName, u"040704B0");
        EXPECT_EQ(info.Translations, stub.Translations);
        EXPECT_EQ(info.Strings, c.Strings);
    }
    const version::TVersionInfo bare = SetupVersionInfo({}, {u"Demo", u"", "", "", ""});
    EXPECT_EQ(bare.TableName, u"040904E4") << "no stub language: US English, Windows-1252";
    EXPECT_EQ(bare.Translations, std::vector<uint32_t>{0x04E40409});
}

class IdentityInProgram : public testing::Test {
protected:
    std::string Write(const std::string& name, const Bytes& bytes)
    {
        WriteAll(Temp.Path() / name, bytes);
        return Temp / name;
    }
    TTempFolder Temp;
};

TEST_F(IdentityInProgram, StubMustBeZorevasSetupProgramWithoutAPayload)
{
    const struct {
        const char* What;
        std::vector<TTestResource> Resources;
        std::string Error;  // after the path
    } cases[] = {
        {"the setup program", {{"#16", "#1", 0x409, ProgramVersion("setup")}}, ""},
        {"the uninstaller", {{"#16", "#1", 0x409, ProgramVersion("uninstaller")}},
         " is Zoreva's uninstaller, not its setup program"},
        {"another program's version", {{"#16", "#1", 0x409, ProgramVersion("")}}, " is not Zoreva's setup program"},
        {"version bytes of no sense", {{"#16", "#1", 0x409, TextBytes("version")}}, " is not Zoreva's setup program"},
        {"no version at all", {}, " is not Zoreva's setup program"},
        {"a setup already built",
         {{"#16", "#1", 0x409, ProgramVersion("setup")}, {"#10", "VIZEZURAR", 0, TextBytes("payload")}},
         " is a setup already (it carries a payload), not Zoreva's setup program"},
    };
    for (const auto& c : cases) {
        TTestProgram program;
        program.Resources = c.Resources;
        const std::string path = Write("stub.exe", program.Build());
        EXPECT_EQ(ErrorOf([&path] { CheckStub(pe::TPeFile(path)); }), c.Error.empty() ? "no error" : path + c.Error)
            << c.What;
    }
}

// The first icon group is the one Explorer shows: it gets the file's images
// under the lowest free ids; images only it named go, one another group
// names stays, and so does everything else.
TEST_F(IdentityInProgram, IconAndVersionReplacedAndReadBackByAnotherReader)
{
    TTestProgram program;
    const Bytes manifest = TextBytes("<assembly/>");
    const Bytes otherGroup = Group({2, 5});
    program.Resources = {{"#24", "#1", 0, manifest},
                         {"#16", "#1", 0x407, ProgramVersion("setup")},
                         {"#14", "#1", 0x407, Group({1, 2})},
                         {"#14", "#7", 0x407, otherGroup},
                         {"#3", "#1", 0x407, SampleRandom(100, 1)},
                         {"#3", "#2", 0x407, SampleRandom(100, 2)},
                         {"#3", "#5", 0x407, SampleRandom(100, 5)},
                         {"#3", "#9", 0x407, SampleRandom(100, 9)}};
    const Bytes icon = IconFileOf({300, 40, 5000});
    const std::string iconPath = Write("App.ico", icon);
    const pe::TPeFile stub(Write("stub.exe", program.Build()));
    pe::TResourceTree resources = stub.Resources();
    ApplyIdentity(resources, {u"Demo", u"", "1.2.3.4", "Vendor", iconPath});
    stub.WriteWithResources(resources, Temp / "setup.exe");

    const TProgramView setup(ReadAll(Temp.Path() / "setup.exe"));
    EXPECT_EQ(setup.StoredChecksum(), setup.ComputedChecksum());
    TResourceBytes read = setup.Resources();
    const Bytes version = read.at({"#16", "#1", 0x407});
    const Bytes group = read.at({"#14", "#1", 0x407});
    const auto image = [&icon](size_t offset, size_t size) {
        return Bytes(icon.begin() + static_cast<std::ptrdiff_t>(offset),
                     icon.begin() + static_cast<std::ptrdiff_t>(offset + size));
    };
    EXPECT_EQ(read, (TResourceBytes{{{"#24", "#1", 0}, manifest},
                                    {{"#16", "#1", 0x407}, version},
                                    {{"#14", "#1", 0x407}, group},
                                    {{"#14", "#7", 0x407}, otherGroup},
                                    {{"#3", "#1", 0x407}, image(54, 300)},
                                    {{"#3", "#2", 0x407}, SampleRandom(100, 2)},
                                    {{"#3", "#3", 0x407}, image(354, 40)},
                                    {{"#3", "#4", 0x407}, image(394, 5000)},
                                    {{"#3", "#5", 0x407}, SampleRandom(100, 5)},
                                    {{"#3", "#9", 0x407}, SampleRandom(100, 9)}}));
    EXPECT_EQ(IconGroupIds(group), (std::vector<uint16_t>{1, 3, 4}));
    EXPECT_EQ(group, IconGroupBytes(IconImages(icon, icon.size()), {1, 3, 4}));

    const auto info = version::ParseVersionInfo(version.data(), version.size());
    ASSERT_TRUE(info);
    EXPECT_EQ(info->Fixed->ProductVersion, (version::TVersionNumber{1, 2, 3, 4}));
    EXPECT_EQ(version::VersionString(*info, u"ProductName"), u"Demo");
    EXPECT_EQ(version::VersionString(*info, u"CompanyName"), u"Vendor");
    EXPECT_FALSE(version::VersionString(*info, version::kProgramMark));
    EXPECT_EQ(ErrorOf([&] { CheckStub(pe::TPeFile(Temp / "setup.exe")); }),
              Temp / "setup.exe" + " is not Zoreva's setup program")
        << "a setup cannot be built from again";

    // A broken icon file stops the build with what is wrong with it.
    const std::string broken = Write("Broken.ico", Bytes(icon.begin(), icon.begin() + 20));
    EXPECT_EQ(ErrorOf([&] { ApplyIdentity(resources, {u"Demo", u"", "", "", broken}); }),
              "Cannot use the icon file " + broken + ": its list of images is cut off");
}

}  // namespace
