// The portable resource writer on hand-made 32- and 64-bit programs, checked
// with the tests' own reader: section and image bookkeeping, directory order,
// alignment, checksum, and the programs it must refuse.

#include "tools/PeResources.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "tests/tools/TestPrograms.h"
#include "utilities/SetupError.h"

namespace fs = std::filesystem;

namespace {

constexpr uint32_t kFileAlignment = 0x200;
constexpr uint32_t kSectionAlignment = 0x1000;
constexpr uint32_t kPageSize = 0x1000;
constexpr size_t kSizeOfInitializedData = 8;
constexpr size_t kSizeOfImage = 56;

uint32_t AlignUp(uint32_t value, uint32_t alignment)
{
    return (value + alignment - 1) / alignment * alignment;
}

std::vector<TTestResource> MixedResources()
{
    // Deliberately out of the loader's order, names in mixed case.
    return {{"#16", "#1", 0x409, TextBytes("version block")},
            {"#10", "ZEBRA", 0, TextBytes("z")},
            {"#24", "#1", 0, TextBytes("<assembly/>")},
            {"#10", "#7", 0x407, SampleRandom(33, 2)},
            {"#10", "#7", 0, SampleRandom(17, 3)},
            {"#10", "ALPHA", 0, TextBytes("a")},
            {"ZOREVATEXT", "Mixed", 0x409, TextBytes("named type, mixed-case name")},
            {"#3", "#2", 0x409, SampleRandom(1001, 4)}};
}

TResourceBytes AsResources(const std::vector<TTestResource>& resources)
{
    TResourceBytes bytes;
    for (const auto& resource : resources) bytes[{resource.Type, resource.Name, resource.Language}] = resource.Data;
    return bytes;
}

// Every case runs on a PE32 and on a PE32+ program.
class PeResourcesTest : public testing::TestWithParam<bool> {
protected:
    static TTestProgram Program()
    {
        TTestProgram program;
        program.Pe32Plus = GetParam();
        return program;
    }

    std::string Write(const std::string& name, const Bytes& bytes)
    {
        WriteAll(Temp.Path() / name, bytes);
        return Temp / name;
    }

    // Adds (or replaces) RCDATA VIZEZURAR with payload, as the packer does.
    TProgramView Pack(const std::string& program, const Bytes& payload, const std::string& out = "out.exe")
    {
        const pe::TPeFile input(program);
        pe::TResourceTree resources = input.Resources();
        pe::ReplaceResource(resources, pe::TResourceKey::Number(pe::kRtRcData), pe::TResourceKey::Text("vizezurar"),
                            pe::WholeFile(Write("payload.bin", payload)));
        const int64_t written = input.WriteWithResources(resources, Temp / out);
        const Bytes file = ReadAll(Temp.Path() / out);
        EXPECT_EQ(written, static_cast<int64_t>(file.size()));
        return TProgramView(file);
    }

    TTempFolder Temp;
};

// Header bookkeeping every written program must satisfy.
void ExpectConsistentImage(const TProgramView& view)
{
    const TProgramSection last = view.Sections().back();
    EXPECT_EQ(last.VirtualAddress % kSectionAlignment, 0u);
    EXPECT_EQ(last.RawOffset % kFileAlignment, 0u);
    EXPECT_EQ(last.RawOffset % kPageSize, 0u) << "Wine maps the section instead of reading it at start-up";
    EXPECT_EQ(last.RawSize % kFileAlignment, 0u);
    EXPECT_GE(last.RawSize, last.VirtualSize);
    const size_t sectionsEnd = last.RawOffset + last.RawSize;
    EXPECT_EQ(view.File().size(), sectionsEnd + view.SymbolAndStringTable().size());
    if (view.SymbolTableOffset() != 0) {
        EXPECT_EQ(view.SymbolTableOffset(), sectionsEnd);
    }
    EXPECT_EQ(view.Optional32(kSizeOfImage), AlignUp(last.VirtualAddress + last.VirtualSize, kSectionAlignment));
    EXPECT_EQ(view.ResourceRva(), last.VirtualAddress);
    EXPECT_EQ(view.ResourceSize(), last.VirtualSize);
    EXPECT_EQ(view.StoredChecksum(), view.ComputedChecksum());
    for (const auto& keys : view.TableKeys()) EXPECT_TRUE(InLoaderOrder(keys)) << testing::PrintToString(keys);
    for (const uint32_t rva : view.DataRvas()) {
        EXPECT_EQ(rva % 8, 0u);
        EXPECT_GE(rva, last.VirtualAddress);
        EXPECT_LT(rva, last.VirtualAddress + last.VirtualSize);
    }
}

TEST_P(PeResourcesTest, AddsAResourceSectionAfterTheLastSection)
{
    const Bytes original = Program().Build();
    const TProgramView input(original);
    const Bytes payload = SampleRandom(100003);
    const TProgramView output = Pack(Write("plain.exe", original), payload);

    ExpectConsistentImage(output);
    ASSERT_EQ(output.Sections().size(), input.Sections().size() + 1);
    const TProgramSection added = output.Sections().back();
    EXPECT_EQ(added.Name, ".rsrc");
    EXPECT_EQ(added.VirtualAddress, input.Optional32(kSizeOfImage));
    EXPECT_EQ(added.RawOffset, AlignUp(static_cast<uint32_t>(original.size()), kPageSize));
    EXPECT_EQ(output.Optional32(kSizeOfInitializedData), input.Optional32(kSizeOfInitializedData) + added.RawSize);
    EXPECT_EQ(output.HeadersBesideResourceBookkeeping(), input.HeadersBesideResourceBookkeeping());
    EXPECT_TRUE(std::equal(original.begin() + 0x400, original.end(), output.File().begin() + 0x400))
        << "the sections' bytes stay as they were";
    EXPECT_EQ(output.Resources(), (TResourceBytes{{{"#10", "VIZEZURAR", 0}, payload}}));
}

TEST_P(PeResourcesTest, KeepsEveryResourceAndSortsTheDirectory)
{
    TTestProgram program = Program();
    program.Resources = MixedResources();
    const Bytes original = program.Build();
    const Bytes payload = SampleText(5001);
    const TProgramView output = Pack(Write("rich.exe", original), payload);

    ExpectConsistentImage(output);
    EXPECT_EQ(output.HeadersBesideResourceBookkeeping(), TProgramView(original).HeadersBesideResourceBookkeeping());
    TResourceBytes expected = AsResources(program.Resources);
    expected[{"#10", "VIZEZURAR", 0}] = payload;
    EXPECT_EQ(output.Resources(), expected);
    EXPECT_EQ(output.Sections()[1].Name, ".rsrc") << "the old section stays, unreferenced";
    EXPECT_EQ(output.TableKeys().back(), (std::vector<std::string>{"ZOREVATEXT", "#3", "#10", "#16", "#24"}));
}

TEST_P(PeResourcesTest, RebuildsAResourceSectionThatEndsTheProgramInPlace)
{
    TTestProgram program = Program();
    program.Resources = MixedResources();
    program.ResourcesLast = true;
    const Bytes original = program.Build();
    const TProgramView input(original);
    const TProgramSection old = input.Sections().back();

    const TProgramView grown = Pack(Write("last.exe", original), SampleRandom(70001));
    ExpectConsistentImage(grown);
    ASSERT_EQ(grown.Sections().size(), input.Sections().size());
    EXPECT_EQ(grown.Sections().back().VirtualAddress, old.VirtualAddress);
    EXPECT_EQ(grown.Sections().back().RawOffset, AlignUp(old.RawOffset, kPageSize));
    EXPECT_EQ(grown.Optional32(kSizeOfInitializedData),
              input.Optional32(kSizeOfInitializedData) - old.RawSize + grown.Sections().back().RawSize);
    EXPECT_EQ(grown.HeadersBesideResourceBookkeeping(), input.HeadersBesideResourceBookkeeping());

    const Bytes small = TextBytes("small");
    const TProgramView shrunk = Pack(Write("grown.exe", grown.File()), small, "shrunk.exe");
    ExpectConsistentImage(shrunk);
    EXPECT_EQ(shrunk.Sections().size(), input.Sections().size());
    EXPECT_LT(shrunk.File().size(), grown.File().size());
    TResourceBytes expected = AsResources(program.Resources);
    expected[{"#10", "VIZEZURAR", 0}] = small;
    EXPECT_EQ(shrunk.Resources(), expected);
}

TEST_P(PeResourcesTest, CarriesTheSymbolTableBehindTheResourceSection)
{
    struct TCase {
        const char* What;
        size_t Symbols;
        std::string LongSectionName;
        bool ResourcesLast;
        std::vector<std::string> SectionsPacked;
    };
    const std::vector<TCase> cases{
        {"symbols, and strings with a section's name", 40, ".debug_zoreva_info", false,
         {".text", ".rsrc", ".reloc", ".debug_zoreva_info", ".rsrc"}},
        {"no symbols, strings with a section's name", 0, ".gnu_debuglink", false,
         {".text", ".rsrc", ".reloc", ".gnu_debuglink", ".rsrc"}},
        {"symbols after a resource section rebuilt in place", 7, "", true, {".text", ".reloc", ".rsrc"}}};
    for (const TCase& test : cases) {
        SCOPED_TRACE(test.What);
        TTestProgram program = Program();
        program.Resources = MixedResources();
        program.ResourcesLast = test.ResourcesLast;
        program.Symbols = test.Symbols;
        program.LongSectionName = test.LongSectionName;
        const Bytes original = program.Build();
        const TProgramView input(original);
        ASSERT_FALSE(input.SymbolAndStringTable().empty());

        const Bytes firstPayload = SampleRandom(30001);
        const TProgramView first = Pack(Write("symbols.exe", original), firstPayload, "first.exe");
        const Bytes payload = TextBytes("the payload packed again");
        const TProgramView again = Pack(Temp / "first.exe", payload, "again.exe");
        TResourceBytes expected = AsResources(program.Resources);
        for (const auto& [output, expectedPayload] : {std::pair{&first, &firstPayload}, std::pair{&again, &payload}}) {
            ExpectConsistentImage(*output);
            EXPECT_EQ(output->SymbolAndStringTable(), input.SymbolAndStringTable());
            EXPECT_EQ(output->HeadersBesideResourceBookkeeping(), input.HeadersBesideResourceBookkeeping());
            expected[{"#10", "VIZEZURAR", 0}] = *expectedPayload;
            EXPECT_EQ(output->Resources(), expected);
        }
        std::vector<std::string> names;
        for (const TProgramSection& section : again.Sections()) names.push_back(section.Name);
        EXPECT_EQ(names, test.SectionsPacked) << "long names still read from the string table";
        EXPECT_TRUE(pe::TPeFile(Temp / "again.exe").EndsWithItsImage()) << "a setup, not an archive's first member";
    }
}

TEST_P(PeResourcesTest, ReplacesAPayloadInTheLanguageOfTheFirstOne)
{
    TTestProgram program = Program();
    program.Resources = {{"#10", "VIZEZURAR", 0x409, TextBytes("English")},
                         {"#10", "VIZEZURAR", 0x407, TextBytes("German")},
                         {"#10", "OTHER", 0x409, TextBytes("kept")}};
    const Bytes payload = TextBytes("new payload");
    const TProgramView output = Pack(Write("two.exe", program.Build()), payload);
    EXPECT_EQ(output.Resources(),
              (TResourceBytes{{{"#10", "OTHER", 0x409}, TextBytes("kept")}, {{"#10", "VIZEZURAR", 0x407}, payload}}));
}

TEST_P(PeResourcesTest, LooksUpAndCopiesOutAResource)
{
    TTestProgram program = Program();
    program.Resources = MixedResources();
    const pe::TPeFile input(Write("rich.exe", program.Build()));
    const auto found = pe::LookUpResource(input.Resources(), pe::TResourceKey::Text("zorevatext"),
                                          pe::TResourceKey::Text("MIXED"));
    ASSERT_TRUE(found);
    pe::CopyResourceData(*found, Temp / "copy.bin");
    EXPECT_EQ(ReadAll(Temp.Path() / "copy.bin"), TextBytes("named type, mixed-case name"));
    EXPECT_FALSE(pe::LookUpResource(input.Resources(), pe::TResourceKey::Number(pe::kRtRcData),
                                    pe::TResourceKey::Text("VIZEZURAR")));
}

TEST_P(PeResourcesTest, RefusesProgramsItCannotRewrite)
{
    const auto refusal = [this](const std::string& name, const Bytes& bytes) {
        const std::string path = Write(name, bytes);
        const std::string error = ErrorOf([&] {
            const pe::TPeFile program(path);
            program.WriteWithResources(program.Resources(), Temp / "out.exe");
        });
        if (error != "no error") {
            EXPECT_FALSE(fs::exists(Temp.Path() / "out.exe")) << name;
        }
        fs::remove(Temp.Path() / "out.exe");
        return error;
    };
    const std::string notAProgram = "Not a Windows program: ";
    EXPECT_EQ(refusal("text.exe", TextBytes("just text")), notAProgram + (Temp / "text.exe"));
    EXPECT_EQ(refusal("dos.exe", Bytes{'M', 'Z', 0, 0}), notAProgram + (Temp / "dos.exe"));
    TTestProgram program = Program();
    Bytes rom = program.Build();
    const size_t magic = rom.at(0x3C) + 24;
    rom.at(magic) = 0x07;  // 0x107: a ROM image
    rom.at(magic + 1) = 0x01;
    EXPECT_EQ(refusal("rom.exe", rom), notAProgram + (Temp / "rom.exe"));

    program.HeadersFull = true;
    EXPECT_EQ(refusal("full.exe", program.Build()), "No room for another section header in " + (Temp / "full.exe"));
    program.Resources = MixedResources();
    program.ResourcesLast = true;
    EXPECT_EQ(refusal("full-last.exe", program.Build()), "no error") << "rebuilt in place, no header needed";

    program = Program();
    program.Signed = true;
    EXPECT_EQ(refusal("signed.exe", program.Build()),
              "Signed program cannot take a payload: " + (Temp / "signed.exe") + " (sign the setup after packing)");
    program = Program();
    program.OverlayBytes = 100;
    EXPECT_EQ(refusal("overlay.exe", program.Build()),
              "Program carries data after its sections: " + (Temp / "overlay.exe"));
    program.Symbols = 3;
    EXPECT_EQ(refusal("overlay-symbols.exe", program.Build()),
              "Program carries data after its sections: " + (Temp / "overlay-symbols.exe"))
        << "data behind the string table";
    program.OverlayBytes = 0;
    program.Signed = true;
    EXPECT_EQ(refusal("signed-symbols.exe", program.Build()),
              "Signed program cannot take a payload: " + (Temp / "signed-symbols.exe") +
                  " (sign the setup after packing)");

    program.Signed = false;
    const Bytes withSymbols = program.Build();
    const TProgramView symbolsView(withSymbols);
    const size_t coffHeader = withSymbols.at(0x3C) + 4;
    const auto damaged = [&](const std::string& name, size_t at, uint32_t value) {
        Bytes bytes = withSymbols;
        for (size_t i = 0; i < 4; ++i) bytes.at(at + i) = static_cast<uint8_t>(value >> (8 * i));
        return refusal(name, bytes) == "Damaged Windows program: " + (Temp / name);
    };
    Bytes gap = withSymbols;
    gap.insert(gap.begin() + symbolsView.SymbolTableOffset(), 8, 0);
    gap.at(coffHeader + 8) += 8;
    EXPECT_EQ(refusal("gap.exe", gap), "Program carries data after its sections: " + (Temp / "gap.exe"))
        << "bytes between the sections and the symbols";
    EXPECT_TRUE(damaged("symbols-inside.exe", coffHeader + 8, 0x400)) << "symbols inside the sections";
    EXPECT_TRUE(damaged("symbols-many.exe", coffHeader + 12, 1000)) << "more symbols than the file holds";
    EXPECT_TRUE(damaged("strings-long.exe", symbolsView.SymbolTableOffset() + 18 * 3, 100))
        << "a string table reaching past the end";

    EXPECT_EQ(ErrorOf([&] { pe::TPeFile{Temp / "absent.exe"}; }),
              "Unable to open file (" + (Temp / "absent.exe") + ")");
    const std::string same = Write("same.exe", Program().Build());
    EXPECT_EQ(ErrorOf([&] {
                  const pe::TPeFile input(same);
                  input.WriteWithResources(input.Resources(), same);
              }),
              "Cannot write a program over itself: " + same);
    EXPECT_EQ(ReadAll(same), Program().Build());
}

TEST_P(PeResourcesTest, RefusesResourceDirectoriesThatPointAstray)
{
    TTestProgram program = Program();
    program.Resources = {{"#10", "ONE", 0, TextBytes("data")}};
    const Bytes original = program.Build();
    const TProgramView view(original);
    const size_t root = view.Sections()[1].RawOffset;
    const auto damaged = [&](size_t at, uint32_t value) {
        Bytes bytes = original;
        for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<uint8_t>(value >> (8 * i));
        const std::string path = Write("damaged.exe", bytes);
        return ErrorOf([&] { pe::TPeFile{path}; }) == "Damaged Windows program: " + path;
    };
    EXPECT_TRUE(damaged(root + 20, 0x80000000)) << "a type table that is the root again";
    EXPECT_TRUE(damaged(root + 12, 0xFFFF0000)) << "more entries than the section holds";
    const auto target = [&](size_t table) { return (original[root + table + 20] | original[root + table + 21] << 8); };
    const size_t typeTable = target(0), nameTable = target(typeTable), dataEntry = root + target(nameTable);
    EXPECT_TRUE(damaged(root + typeTable + 16, 0x8000F000)) << "a name beyond the section";
    EXPECT_TRUE(damaged(dataEntry + 4, 0x100000)) << "data reaching past its section";
    EXPECT_FALSE(damaged(dataEntry + 4, 3)) << "the unchanged layout reads";
}

INSTANTIATE_TEST_SUITE_P(Formats, PeResourcesTest, testing::Bool(),
                         [](const testing::TestParamInfo<bool>& pe32Plus) {
                             return pe32Plus.param ? "Pe32Plus" : "Pe32";
                         });

}  // namespace
