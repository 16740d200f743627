// Runs the packer as a user would and checks what it prints, writes and returns.

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <regex>
#include <sstream>
#include <utility>

#include "archive/ZLIBArchive.h"
#include "tools/VersionInfo.h"
#include "tests/TestSupport.h"
#include "tests/tools/TestPrograms.h"

namespace fs = std::filesystem;

namespace {

struct TRun {
    int ExitCode = -1;
    std::string Out;
    std::string Err;
};

std::string Quote(const std::string& word)
{
    std::string quoted = "'";
    for (char c : word) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

using TTree = std::map<std::string, Bytes>;

// Every file below root by its relative path.
TTree TreeOf(const fs::path& root)
{
    TTree tree;
    for (const auto& item : fs::recursive_directory_iterator(root))
        if (item.is_regular_file()) tree[fs::relative(item.path(), root).string()] = ReadAll(item.path());
    return tree;
}

std::vector<std::string> MemberNames(const std::string& listing)
{
    std::vector<std::string> names;
    std::istringstream lines(listing);
    for (std::string line; std::getline(lines, line);) names.push_back(line.substr(line.rfind('\t') + 1));
    return names;
}

// A description the setup starts with: the given Setup block lines, a title
// and a destination, the window's skin and its Next button.
std::string SetupText(const std::string& setupLines)
{
    return "Test setup\r\nObject=Setup\r\n" + setupLines +
           "VistraneTitle=Test\r\nDestination=Test\r\nend\r\nObject=Panel\r\nBitmap=Graphics\\back.bmp\r\nend\r\n"
           "Object=Button\r\nKind=Bitmap\r\nName=Forward\r\nend\r\n";
}

// Diagnostics name Setup.ini in the folder as given on the command line.
std::string SetupFileOf(const fs::path& ws)
{
    return ws.string() + "/Setup.ini";
}

// build's stdout after the check's verdict, which it begins with.
std::string AfterVerdict(const std::string& out, const fs::path& ws)
{
    const std::string verdict = SetupFileOf(ws) + ": no errors, ";
    EXPECT_EQ(out.compare(0, verdict.size(), verdict), 0) << out;
    return out.substr(out.find('\n') + 1);
}

const std::string kNoUninstaller =
    ": warning: no \"Addfile=Uninstall.exe\" line, so the setup does not install the uninstaller its "
    "shortcuts and registry entry point at\n";

std::string WithThousands(size_t value)
{
    std::string digits = std::to_string(value);
    for (size_t at = digits.size(); at > 3; at -= 3) digits.insert(at - 3, ",");
    return digits;
}

int64_t Number(std::string digits)
{
    digits.erase(std::remove(digits.begin(), digits.end(), ','), digits.end());
    return std::stoll(digits);
}

class PackTest : public testing::Test {
protected:
    PackTest() { fs::create_directory(TempFiles()); }

    // The packer's temporary files go to a folder of the test's own, checked empty afterwards.
    fs::path TempFiles() const { return Temp.Path() / "tmp"; }

    TRun Pack(const std::vector<std::string>& arguments)
    {
        std::string command = "TMPDIR=" + Quote(TempFiles().string()) + " " + Runner + Quote(ZOREVA_PACK);
        for (const auto& word : arguments) command += " " + Quote(word);
        const fs::path errors = Temp.Path() / "stderr.txt";
        command += " 2>" + Quote(errors.string());
        TRun run;
        FILE* pipe = popen(command.c_str(), "r");
        char buffer[4096];
        while (const size_t got = fread(buffer, 1, sizeof buffer, pipe)) run.Out.append(buffer, got);
        const int status = pclose(pipe);
        run.ExitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        const Bytes err = ReadAll(errors);
        run.Err.assign(err.begin(), err.end());
        return run;
    }

    // in/readme.txt, in/bin/app.exe, in/bin/data/table.dat
    void MakeTree()
    {
        fs::create_directories(Temp.Path() / "in" / "bin" / "data");
        WriteAll(Temp.Path() / "in" / "readme.txt", TextBytes("Read me\r\n"));
        WriteAll(Temp.Path() / "in" / "bin" / "app.exe", SampleRandom(30000));
        WriteAll(Temp.Path() / "in" / "bin" / "data" / "table.dat", SampleText(50000));
    }

    // ws/Setup.ini, ws/Licence.txt, ws/Graphics/*, ws/Sounds/click.wav and
    // ws/Additional/{readme.txt, Docs/{guide.txt, Pictures/shot.png}}
    fs::path MakeWorkspace()
    {
        const fs::path ws = Temp.Path() / "ws";
        fs::create_directories(ws / "Graphics");
        fs::create_directories(ws / "Sounds");
        fs::create_directories(ws / "Additional" / "Docs" / "Pictures");
        WriteAll(ws / "Setup.ini", TextBytes(SetupText("")));
        WriteAll(ws / "Licence.txt", SampleText(3000, 9));
        WriteAll(ws / "Graphics" / "back.bmp", BmpFile(40, 30, 24, std::vector<uint32_t>(40 * 30, 0xFF336699)));
        WriteAll(ws / "Graphics" / "logo.jpg", SampleRandom(7000, 3));
        WriteAll(ws / "Sounds" / "click.wav", SampleRandom(900, 4));
        WriteAll(ws / "Additional" / "readme.txt", SampleText(5000, 5));
        WriteAll(ws / "Additional" / "Docs" / "guide.txt", SampleText(20000, 6));
        WriteAll(ws / "Additional" / "Docs" / "Pictures" / "shot.png", SampleRandom(12345, 7));
        return ws;
    }

    std::string MakeStub(const std::string& name = "stub.exe", const std::string& program = "setup")
    {
        TTestProgram stub;
        stub.Resources = {{"#24", "#1", 0, TextBytes("<assembly/>")}, {"#16", "#1", 0x409, ProgramVersion(program)}};
        WriteAll(Temp.Path() / name, stub.Build());
        return Temp / name;
    }

    // Extracts an archive into folder and every nested NAME.x in it into NAME, recursively.
    void Unpack(const fs::path& archive, const fs::path& folder)
    {
        ASSERT_EQ(Pack({"extract", archive.string(), folder.string()}).ExitCode, 0) << archive;
        for (const auto& item : fs::directory_iterator(folder)) {
            if (item.path().extension() != ".x") continue;
            Unpack(item.path(), folder / item.path().stem());
            fs::remove(item.path());
        }
    }

    // The payload a setup carries, as a file of its own.
    fs::path PayloadOf(const std::string& setup)
    {
        const fs::path payload = Temp.Path() / (fs::path(setup).stem().string() + ".zup");
        WriteAll(payload, TProgramView(ReadAll(setup)).Resources().at({"#10", "VIZEZURAR", 0}));
        return payload;
    }

    struct TRecordCounts {
        int Records = 0, Stored = 0, Shared = 0;
    };

    // Reads an archive of a payload and every archive nested in it with our
    // reader, unpacking each into ARCHIVE.unpacked: records name one block
    // exactly when their files hold the same bytes, and list prints every
    // record as a file of its own.
    TRecordCounts CountRecords(const fs::path& archive)
    {
        const fs::path folder = archive.string() + ".unpacked";
        TZLBArchive reader;
        reader.OpenArchive(archive.string());
        reader.ExtractAll((folder / "").string());
        std::vector<TZLBFileEntry> records(static_cast<size_t>(reader.FileCount()));
        std::string listing;
        TRecordCounts counts;
        for (size_t i = 0; i < records.size(); ++i) {
            reader.GetFileEntry(static_cast<int>(i), records[i]);
            const std::string name = records[i].FileName();
            const Bytes data = ReadAll(folder / name);
            char line[512];
            std::snprintf(line, sizeof line, "%zu\t%zu\t%s\t%08x\t\t%s\n", i, data.size(),
                          records[i].Stored() ? "stored" : "zlib", Crc32Of(data), name.c_str());
            listing += line;
            bool shared = false;
            for (size_t earlier = 0; earlier < i; ++earlier) {
                const bool sameBlock = records[earlier].DataOffset() == records[i].DataOffset() &&
                                       records[earlier].UncompressedSize() == records[i].UncompressedSize();
                EXPECT_EQ(sameBlock, ReadAll(folder / records[earlier].FileName()) == data) << archive << ": " << name;
                shared = shared || sameBlock;
            }
            ++counts.Records;
            counts.Stored += records[i].Stored();
            counts.Shared += shared;
            if (fs::path(name).extension() != ".x") continue;
            const TRecordCounts nested = CountRecords(folder / name);
            counts.Records += nested.Records;
            counts.Stored += nested.Stored;
            counts.Shared += nested.Shared;
        }
        reader.CloseArchive();
        EXPECT_EQ(Pack({"list", archive.string()}).Out, listing) << archive;
        return counts;
    }

    TTempFolder Temp;
    std::string Runner;  // a command the packer runs under, ending in a space
};

TEST_F(PackTest, ArchivesFoldersRecursivelyAndListsEveryRecord)
{
    MakeTree();
    WriteAll(Temp.Path() / "single.ini", TextBytes("[Setup]\r\n"));
    const std::string out = Temp / "out.x";
    ASSERT_EQ(Pack({"archive", out, Temp / "single.ini", Temp / "in"}).ExitCode, 0);
    const TRun list = Pack({"list", out});
    EXPECT_EQ(list.ExitCode, 0);
    char expected[512];
    std::snprintf(expected, sizeof expected,
                  "0\t9\tzlib\t%08x\t\tsingle.ini\n"
                  "1\t30000\tzlib\t%08x\tbin\tapp.exe\n"
                  "2\t50000\tzlib\t%08x\tbin\\data\ttable.dat\n"
                  "3\t9\tzlib\t%08x\t\treadme.txt\n",
                  Crc32Of(TextBytes("[Setup]\r\n")), Crc32Of(SampleRandom(30000)), Crc32Of(SampleText(50000)),
                  Crc32Of(TextBytes("Read me\r\n")));
    EXPECT_EQ(list.Out, expected);
}

TEST_F(PackTest, OptionsChooseStorageAndListForm)
{
    MakeTree();
    const std::string stored = Temp / "stored.x", plain = Temp / "plain.x";
    ASSERT_EQ(Pack({"archive", "--store", stored, Temp / "in"}).ExitCode, 0);
    ASSERT_EQ(Pack({"archive", "--plain-list", "--level", "maximum", plain, Temp / "in"}).ExitCode, 0);
    EXPECT_NE(Pack({"list", stored}).Out.find("\tstored\t"), std::string::npos);
    EXPECT_EQ(Pack({"list", stored}).Out.find("\tzlib\t"), std::string::npos);
    EXPECT_EQ(Pack({"list", plain}).Out.find("\tstored\t"), std::string::npos);

    const Bytes archive = ReadAll(plain);
    EXPECT_EQ(archive[archive.size() - kTrailerSize + 20], 0);
    ASSERT_EQ(Pack({"archive", "--level", "none", Temp / "none.x", Temp / "in"}).ExitCode, 0);
    EXPECT_EQ(ReadAll(Temp / "none.x"), ReadAll(stored));
}

// On a terminal build tells each step and, while packing, the files and bytes
// packed of their totals, redrawing one line of one width in place, also
// while it reads a large file.
TEST_F(PackTest, BuildShowsItsStepsAndProgressOnATerminal)
{
    if (std::system("command -v script >/dev/null") != 0) GTEST_SKIP() << "no script(1) to give the packer a terminal";
    const fs::path ws = MakeWorkspace();
    WriteAll(ws / "big.bin", SampleRandom(size_t{4} << 20, 5));
    const std::string stub = MakeStub(), setup = Temp / "setup.exe";
    const std::string packer = Quote(ZOREVA_PACK) + " build --stub " + Quote(stub) + " --from " + Quote(ws.string()) +
                               " --out " + Quote(setup);
    // script runs the packer on a terminal of its own and copies what it shows.
    const std::string command =
        "TMPDIR=" + Quote(TempFiles().string()) + " script -qec " + Quote(packer) + " /dev/null </dev/null";
    std::string shown;
    FILE* pipe = popen(command.c_str(), "r");
    char buffer[4096];
    while (const size_t got = fread(buffer, 1, sizeof buffer, pipe)) shown.append(buffer, got);
    ASSERT_EQ(pclose(pipe), 0) << shown;

    std::vector<std::string> drawn;
    std::string piece;
    for (char c : shown + "\n") {
        if (c != '\r' && c != '\n') piece += c;
        else if (!piece.empty()) drawn.push_back(std::exchange(piece, ""));
    }
    const auto position = [&drawn](const std::string& start) {
        const auto found = std::find_if(drawn.begin(), drawn.end(),
                                        [&start](const std::string& line) { return line.rfind(start, 0) == 0; });
        return found - drawn.begin();
    };
    const std::string empty = "[                    ]      ", full = "[####################] 100% ";
    // The folder's name may be cut at the line's end.
    const ptrdiff_t steps[] = {position(empty + "planning the payload of "), position(empty + "checking "),
                               position(SetupFileOf(ws) + kNoUninstaller.substr(0, kNoUninstaller.size() - 1)),
                               position(SetupFileOf(ws) + ": no errors, 1 warning"),
                               position("[                    ]   0% 0 of 9 files, 0 of "),
                               position(full + "9 of 9 files, "),
                               position(empty + "writing " + setup),
                               position("Packed 9 files: ")};
    for (size_t i = 0; i < std::size(steps); ++i) {
        EXPECT_LT(steps[i], static_cast<ptrdiff_t>(drawn.size())) << "step " << i << " not shown:\n" << shown;
        EXPECT_TRUE(i == 0 || steps[i] > steps[i - 1]) << "step " << i << " out of order:\n" << shown;
    }
    for (const std::string& line : drawn) EXPECT_TRUE(line[0] != '[' || line.size() == 79) << line;
    const auto whileBig = std::count_if(drawn.begin(), drawn.end(), [](const std::string& line) {
        return line[0] == '[' && line.find(" big.bin") != std::string::npos;
    });
    EXPECT_GT(whileBig, 10) << shown;
    EXPECT_TRUE(fs::exists(setup));
}

TEST_F(PackTest, ExtractRestoresTheTreeWithPaths)
{
    MakeTree();
    const std::string out = Temp / "out.x";
    ASSERT_EQ(Pack({"archive", out, Temp / "in"}).ExitCode, 0);
    const TRun run = Pack({"extract", "--with-paths", "--check-crc", out, Temp / "dest"});
    ASSERT_EQ(run.ExitCode, 0) << run.Err;
    EXPECT_EQ(run.Err, "") << "no progress bar when stderr is not a terminal";
    for (const char* file : {"readme.txt", "bin/app.exe", "bin/data/table.dat"})
        EXPECT_EQ(ReadAll(Temp.Path() / "dest" / file), ReadAll(Temp.Path() / "in" / file)) << file;

    ASSERT_EQ(Pack({"extract", out, Temp / "flat"}).ExitCode, 0);
    EXPECT_TRUE(fs::exists(Temp.Path() / "flat" / "table.dat"));
}

TEST_F(PackTest, ReaderErrorsAreReportedVerbatim)
{
    TRun run = Pack({"extract", Temp / "absent.x", Temp / "dest"});
    EXPECT_EQ(run.ExitCode, 1);
    EXPECT_EQ(run.Err, "zoreva-pack: Archive file not found\n");

    WriteAll(Temp.Path() / "junk.x", SampleRandom(100));
    run = Pack({"list", Temp / "junk.x"});
    EXPECT_EQ(run.ExitCode, 1);
    EXPECT_EQ(run.Err, "zoreva-pack: The archive file appears to be corrupted\n");

    TRawArchive raw;
    raw.AddMember("ok", TextBytes("fine"));
    raw.AddMember("bad", TextBytes("data")).SetCrc32(0);
    raw.WriteTo(Temp.Path() / "bad.x");
    run = Pack({"extract", "--check-crc", Temp / "bad.x", Temp / "dest"});
    EXPECT_EQ(run.ExitCode, 1);
    EXPECT_EQ(run.Err, "zoreva-pack: File (1) is corrupt\n");
}

// A member named like the archive it comes from must not truncate that archive
// while it is being read, as Windows' sharing rules keep the setup from doing.
TEST_F(PackTest, ExtractingAnArchiveOverItselfLeavesTheArchiveWhole)
{
    WriteAll(Temp.Path() / "a.x", TextBytes("inner text"));
    const std::string archive = Temp / "dir/a.x";
    fs::create_directory(Temp.Path() / "dir");
    ASSERT_EQ(Pack({"archive", archive, Temp / "a.x"}).ExitCode, 0);
    const Bytes before = ReadAll(archive);

    const TRun run = Pack({"extract", archive, Temp / "dir"});
    EXPECT_EQ(run.ExitCode, 1);
    EXPECT_NE(run.Err.find("being used by another process"), std::string::npos) << run.Err;
    EXPECT_EQ(ReadAll(archive), before);
}

TEST_F(PackTest, FailedArchiveLeavesNoOutput)
{
    const std::string out = Temp / "out.x";
    const TRun run = Pack({"archive", out, Temp / "absent.txt"});
    EXPECT_EQ(run.ExitCode, 1);
    EXPECT_EQ(run.Err, "zoreva-pack: Unable to open file (" + (Temp / "absent.txt") + ")\n");
    EXPECT_FALSE(fs::exists(out));
}

TEST_F(PackTest, UsageErrorsExitTwoWithAHint)
{
    for (const std::vector<std::string>& arguments :
         std::vector<std::vector<std::string>>{{},
                                               {"frobnicate"},
                                               {"archive", "only-out"},
                                               {"archive", "--level", "huge", "o", "i"},
                                               {"archive", "--level"},
                                               {"list"},
                                               {"extract", "--bogus", "a", "b"},
                                               {"extract", "a"},
                                               {"build"},
                                               {"build", "--stub"},
                                               {"build", "--stub", "s.exe", "--from", "ws"},
                                               {"build", "--stub", "s.exe", "--from", "ws", "--out", "o.exe", "x"},
                                               {"build", "--level", "none", "--stub", "s.exe"},
                                               {"build", "--level", "huge", "--stub", "s.exe", "--from", "ws",
                                                "--out", "o.exe"},
                                               {"build", "--product-version", "1.x", "--stub", "s.exe", "--from",
                                                "ws", "--out", "o.exe"},
                                               {"build", "--stub", "s.exe", "--from", "ws", "--out", "o.exe",
                                                "--publisher"},
                                               {"check"},
                                               {"check", "a", "b"},
                                               {"check", "--no-check", "ws"},
                                               {"check", "--codepage", "932", "ws"},
                                               {"check", "--codepage", "-1252", "ws"},
                                               {"check", "--codepage", "", "ws"},
                                               {"build", "--codepage", "utf-8", "--stub", "s.exe", "--from", "ws",
                                                "--out", "o.exe"}}) {
        const TRun run = Pack(arguments);
        EXPECT_EQ(run.ExitCode, 2);
        EXPECT_EQ(run.Err.rfind("zoreva-pack: ", 0), 0u) << run.Err;
        EXPECT_NE(run.Err.find("--help"), std::string::npos) << run.Err;
        EXPECT_EQ(std::count(run.Err.begin(), run.Err.end(), '\n'), 1) << run.Err;
    }
    const TRun help = Pack({"--help"});
    EXPECT_EQ(help.ExitCode, 0);
    EXPECT_NE(help.Out.find("extract [--with-paths] [--check-crc] ARCHIVE DESTFOLDER"), std::string::npos);
    EXPECT_NE(help.Out.find("build [--with-uninstaller] [--no-check] [--level none|fastest|default|maximum]\n"
                            "        [--codepage N] [--product-version X.Y[.Z[.W]]] [--publisher NAME]\n"
                            "        --stub STUB.exe --from DIR --out SETUP.exe"),
              std::string::npos);
    EXPECT_NE(help.Out.find("check [--with-uninstaller] [--codepage N] DIR"), std::string::npos);
}

TEST_F(PackTest, BuildPacksTheWorkspaceThatListAndExtractUnpackFromTheSetup)
{
    const fs::path ws = MakeWorkspace();
    const std::string stub = MakeStub(), setup = Temp / "setup.exe";
    const TRun build = Pack({"build", "--stub", stub, "--from", ws.string(), "--out", setup});
    ASSERT_EQ(build.ExitCode, 0) << build.Err;
    EXPECT_EQ(build.Err, SetupFileOf(ws) + kNoUninstaller) << "no progress bar when stderr is not a terminal";
    const std::regex summary("Packed 8 files: ([0-9,]+) bytes in, ([0-9,]+) bytes out \\(([0-9]+)\\.[0-9]%\\)\n");
    const std::string printed = AfterVerdict(build.Out, ws);
    std::smatch figures;
    ASSERT_TRUE(std::regex_match(printed, figures, summary)) << build.Out;
    int64_t bytesIn = 0;
    for (const auto& [path, bytes] : TreeOf(ws)) bytesIn += static_cast<int64_t>(bytes.size());
    EXPECT_EQ(Number(figures[1]), bytesIn);
    EXPECT_EQ(Number(figures[2]), static_cast<int64_t>(fs::file_size(setup)));
    EXPECT_EQ(figures[3], std::to_string(Number(figures[2]) * 100 / bytesIn));

    const TRun list = Pack({"list", setup});
    ASSERT_EQ(list.ExitCode, 0) << list.Err;
    EXPECT_EQ(MemberNames(list.Out),
              (std::vector<std::string>{"Additional.x", "gfx.x", "Licence.txt",
                                        "Setup.ini", "snd.x"}));
    Unpack(setup, Temp.Path() / "unpacked");
    fs::rename(Temp.Path() / "unpacked" / "gfx", Temp.Path() / "unpacked" / "Graphics");
    fs::rename(Temp.Path() / "unpacked" / "snd", Temp.Path() / "unpacked" / "Sounds");
    EXPECT_EQ(TreeOf(Temp.Path() / "unpacked"), TreeOf(ws));
    EXPECT_TRUE(fs::is_empty(TempFiles()));

    TResourceBytes stubResources = TProgramView(ReadAll(stub)).Resources();
    const TResourceBytes setupResources = TProgramView(ReadAll(setup)).Resources();
    ASSERT_EQ(setupResources.count({"#10", "VIZEZURAR", 0}), 1u);
    stubResources[{"#10", "VIZEZURAR", 0}] = setupResources.at({"#10", "VIZEZURAR", 0});
    const Bytes version = setupResources.at({"#16", "#1", 0x409});
    stubResources[{"#16", "#1", 0x409}] = version;
    EXPECT_EQ(setupResources, stubResources);
    const auto info = version::ParseVersionInfo(version.data(), version.size());
    ASSERT_TRUE(info);
    EXPECT_EQ(info->Strings, (std::vector<std::pair<std::u16string, std::u16string>>{{u"FileDescription", u"Test"},
                                                                                     {u"ProductName", u"Test"}}));
}

// Each archive is a file of its own whose records can only name blocks in
// it: identical files share a block within an archive and are stored again
// in another. Identical folders make identical nested archives, which share.
// Nothing else shows it: list prints every record as before, every file is
// unpacked as its own, and the setup's bytes do not depend on the order in
// which the folder lists its files.
TEST_F(PackTest, IdenticalFilesAreStoredOncePerArchive)
{
    const fs::path ws = MakeWorkspace(), additional = ws / "Additional";
    const Bytes guide = ReadAll(additional / "Docs" / "guide.txt"), twin = SampleText(3000, 8);
    fs::copy_file(ws / "Licence.txt", ws / "Licence copy.txt");
    WriteAll(additional / "Docs" / "guide again.txt", guide);
    WriteAll(additional / "guide.txt", guide);
    WriteAll(additional / "Docs" / "Pictures" / "guide.txt", guide);
    WriteAll(additional / "Docs" / "empty 1", {});
    WriteAll(additional / "Docs" / "empty 2", {});
    for (const char* folder : {"Twin 1", "Twin 2"}) {
        fs::create_directory(additional / folder);
        WriteAll(additional / folder / "a.txt", twin);
    }
    const std::string stub = MakeStub(), setup = Temp / "setup.exe";
    const TRun build = Pack({"build", "--stub", stub, "--from", ws.string(), "--out", setup});
    ASSERT_EQ(build.ExitCode, 0) << build.Err;
    const std::regex summary("Packed 16 files: [0-9,]+ bytes in, [0-9,]+ bytes out \\([0-9.]+%\\)\n"
                             "Merged 4 duplicate files: ([0-9,]+) bytes saved\n");
    const std::string printed = AfterVerdict(build.Out, ws);
    std::smatch figures;
    ASSERT_TRUE(std::regex_match(printed, figures, summary)) << build.Out;

    const fs::path payload = PayloadOf(setup);
    const TRecordCounts counts = CountRecords(payload);
    EXPECT_EQ(counts.Shared, 4);
    const fs::path twinArchive = payload.string() + ".unpacked/Additional.x.unpacked/Twin 1.x";
    EXPECT_EQ(Number(figures[1]), static_cast<int64_t>(Deflate(ReadAll(ws / "Licence.txt")).size() +
                                                       Deflate(guide).size() + Deflate({}).size() +
                                                       Deflate(ReadAll(twinArchive)).size()));
    Unpack(setup, Temp.Path() / "unpacked");
    fs::rename(Temp.Path() / "unpacked" / "gfx", Temp.Path() / "unpacked" / "Graphics");
    fs::rename(Temp.Path() / "unpacked" / "snd", Temp.Path() / "unpacked" / "Sounds");
    EXPECT_EQ(TreeOf(Temp.Path() / "unpacked"), TreeOf(ws));

    const fs::path reversed = Temp.Path() / "reversed";
    const TTree tree = TreeOf(ws);
    for (auto file = tree.rbegin(); file != tree.rend(); ++file) {
        fs::create_directories((reversed / file->first).parent_path());
        WriteAll(reversed / file->first, file->second);
    }
    const std::string again = Temp / "again.exe";
    ASSERT_EQ(Pack({"build", "--stub", stub, "--from", reversed.string(), "--out", again}).ExitCode, 0);
    EXPECT_EQ(ReadAll(again), ReadAll(setup));
    EXPECT_TRUE(fs::is_empty(TempFiles()));

    const std::string archive = Temp / "docs.x";
    const TRun packed = Pack({"archive", archive, (additional / "Docs").string()});
    ASSERT_EQ(packed.ExitCode, 0) << packed.Err;
    EXPECT_EQ(packed.Out, "Merged 3 duplicate files: " + WithThousands(2 * Deflate(guide).size() + Deflate({}).size()) +
                              " bytes saved\n");
}

// --level is that of archive, for every archive of the payload; the default
// is unchanged.
TEST_F(PackTest, BuildLevelCompressesEveryArchiveOfThePayload)
{
    const fs::path ws = MakeWorkspace();
    const std::string stub = MakeStub(), plain = Temp / "plain.exe";
    ASSERT_EQ(Pack({"build", "--stub", stub, "--from", ws.string(), "--out", plain}).ExitCode, 0);
    std::map<std::string, uintmax_t> sizes;
    for (const char* level : {"none", "fastest", "default", "maximum"}) {
        const std::string setup = Temp / (std::string(level) + ".exe");
        const TRun build = Pack({"build", "--level", level, "--stub", stub, "--from", ws.string(), "--out", setup});
        ASSERT_EQ(build.ExitCode, 0) << build.Err;
        sizes[level] = fs::file_size(setup);
        const TRecordCounts counts = CountRecords(PayloadOf(setup));
        EXPECT_EQ(counts.Records, 13) << level;
        EXPECT_EQ(counts.Stored, level == std::string("none") ? 13 : 0) << level;
        const fs::path unpacked = Temp.Path() / level;
        Unpack(setup, unpacked);
        fs::rename(unpacked / "gfx", unpacked / "Graphics");
        fs::rename(unpacked / "snd", unpacked / "Sounds");
        EXPECT_EQ(TreeOf(unpacked), TreeOf(ws)) << level;
    }
    EXPECT_EQ(ReadAll(Temp / "default.exe"), ReadAll(plain));
    EXPECT_GT(sizes["none"], sizes["fastest"]);
    EXPECT_LE(sizes["maximum"], sizes["default"]);
}

// Our uninstaller, from beside the stub, takes the place of one the workspace
// holds; the check warns as long as Setup.ini would not install it.
TEST_F(PackTest, BuildWithUninstallerPutsOursIntoThePayloadRoot)
{
    const fs::path ws = MakeWorkspace();
    const std::string stub = MakeStub(), setup = Temp / "setup.exe";
    const std::vector<std::string> build{"build", "--with-uninstaller", "--stub", stub, "--from", ws.string(),
                                         "--out", setup};
    WriteAll(ws / "uninstall.EXE", TextBytes("an old one"));
    const TRun missing = Pack(build);
    EXPECT_EQ(missing.ExitCode, 1);
    EXPECT_NE(missing.Err.find("No Uninstall.exe beside the stub"), std::string::npos) << missing.Err;
    EXPECT_FALSE(fs::exists(setup));

    const Bytes ours = SampleRandom(5000, 11);
    WriteAll(Temp.Path() / "Uninstall.exe", ours);
    const TRun warned = Pack(build);
    ASSERT_EQ(warned.ExitCode, 0) << warned.Err;
    EXPECT_EQ(warned.Err, SetupFileOf(ws) + kNoUninstaller);
    EXPECT_EQ(AfterVerdict(warned.Out, ws).compare(0, 15, "Packed 9 files:"), 0) << warned.Out;
    EXPECT_EQ(MemberNames(Pack({"list", setup}).Out),
              (std::vector<std::string>{"Additional.x", "gfx.x", "Licence.txt", "Setup.ini", "snd.x", "Uninstall.exe"}));
    ASSERT_EQ(Pack({"extract", setup, (Temp.Path() / "out").string()}).ExitCode, 0);
    EXPECT_EQ(ReadAll(Temp.Path() / "out" / "Uninstall.exe"), ours);

    for (const char* line : {"addfile=Uninstall.exe", "Addfile=Uninstall.exe.txt", "Addfile=Sub\\Uninstall.exe"}) {
        WriteAll(ws / "Setup.ini", TextBytes(SetupText(std::string(line) + "\r\n")));
        const TRun run = Pack(build);
        EXPECT_EQ(run.ExitCode, 0) << line;
        EXPECT_NE(run.Err.find(SetupFileOf(ws) + kNoUninstaller), std::string::npos) << line;
    }
    WriteAll(ws / "Setup.ini", TextBytes(SetupText("Addfile=Licence.txt\r\nAddfile=UNINSTALL.exe\r\n")));
    const TRun quiet = Pack(build);
    EXPECT_EQ(quiet.ExitCode, 0);
    EXPECT_EQ(quiet.Err, "");
}

// Errors decide check's exit code and make build refuse before it writes
// anything; warnings are only printed. --no-check packs a faulty setup, so
// that the setup's own start-up errors can be tested.
TEST_F(PackTest, CheckExitsOneOnErrorsWhichBuildRefuses)
{
    const fs::path ws = MakeWorkspace();
    const std::string stub = MakeStub(), setup = Temp / "setup.exe";
    const std::string file = SetupFileOf(ws);
    WriteAll(ws / "Setup.ini", TextBytes(SetupText("Addfile=Uninstall.exe\r\n")));
    TRun run = Pack({"check", ws.string()});
    EXPECT_EQ(run.ExitCode, 0);
    EXPECT_EQ(run.Out, file + ": no errors, 1 warning\n");
    EXPECT_EQ(run.Err, file + ":3: warning: the Addfile entry \"Uninstall.exe\" is not in the payload, so the "
                              "setup installs nothing for it\n");
    run = Pack({"check", "--with-uninstaller", ws.string() + "/"});
    EXPECT_EQ(run.ExitCode, 0);
    EXPECT_EQ(run.Out, file + ": no errors, no warnings\n");
    EXPECT_EQ(run.Err, "") << "build --with-uninstaller would pack it";

    WriteAll(ws / "Setup.ini", TextBytes(SetupText("Fontheight=big\r\nLaunchProg=true\r\n")));
    const std::string diagnostics =
        file + ":3: error: \"Fontheight\" needs a whole number, not \"big\".\n" + file +
        ":4: warning: \"LaunchProg\" is \"true\": only \"1\" switches it on, anything else is off\n" + file +
        kNoUninstaller;
    run = Pack({"check", ws.string()});
    EXPECT_EQ(run.ExitCode, 1);
    EXPECT_EQ(run.Out, file + ": 1 error, 2 warnings\n");
    EXPECT_EQ(run.Err, diagnostics);
    run = Pack({"build", "--stub", stub, "--from", ws.string(), "--out", setup});
    EXPECT_EQ(run.ExitCode, 1);
    EXPECT_EQ(run.Out, file + ": 1 error, 2 warnings\n");
    EXPECT_EQ(run.Err, diagnostics + "zoreva-pack: Setup.ini has errors the setup would stop on; no setup written\n");
    EXPECT_FALSE(fs::exists(setup));
    EXPECT_TRUE(fs::is_empty(TempFiles()));

    run = Pack({"build", "--no-check", "--stub", stub, "--from", ws.string(), "--out", setup});
    EXPECT_EQ(run.ExitCode, 0) << run.Err;
    EXPECT_EQ(run.Err, "");
    EXPECT_EQ(run.Out.compare(0, 7, "Packed "), 0) << "no verdict without a check: " << run.Out;
    EXPECT_TRUE(fs::exists(setup));

    run = Pack({"check", (Temp / "absent")});
    EXPECT_EQ(run.ExitCode, 1);
    EXPECT_EQ(run.Err, "zoreva-pack: Folder not found: " + Temp / "absent" + "\n");
}

// A setup made from a setup would carry the first one's name and icon; the
// author is told to build from Zoreva's setup program, and so for any other stub.
TEST_F(PackTest, BuildOnlyFromZorevasSetupProgram)
{
    const fs::path ws = MakeWorkspace();
    const std::string first = Temp / "first.exe", second = Temp / "second.exe";
    ASSERT_EQ(Pack({"build", "--stub", MakeStub(), "--from", ws.string(), "--out", first}).ExitCode, 0);
    const Bytes firstBytes = ReadAll(first);
    TTestProgram plain;
    WriteAll(Temp.Path() / "plain.exe", plain.Build());
    const struct {
        std::string Stub, Error;
    } refusals[] = {
        {first, first + " is a setup already (it carries a payload), not Zoreva's setup program"},
        {MakeStub("Uninstall.exe", "uninstaller"),
         Temp / "Uninstall.exe" + " is Zoreva's uninstaller, not its setup program"},
        {MakeStub("other.exe", "Setup"), Temp / "other.exe" + " is not Zoreva's setup program"},
        {Temp / "plain.exe", Temp / "plain.exe" + " is not Zoreva's setup program"},
    };
    for (const auto& refusal : refusals) {
        const TRun build = Pack({"build", "--stub", refusal.Stub, "--from", ws.string(), "--out", second});
        EXPECT_EQ(build.ExitCode, 1) << refusal.Stub;
        EXPECT_EQ(build.Err, "zoreva-pack: " + refusal.Error + "\n");
        EXPECT_FALSE(fs::exists(second));
    }
    EXPECT_EQ(ReadAll(first), firstBytes);
}

// Setup.ini's title and Description, the options and the Icon key's file
// make the setup program the author's, read back with the tests' own reader.
TEST_F(PackTest, BuildGivesTheSetupTheAuthorsVersionAndIcon)
{
    const fs::path ws = MakeWorkspace();
    Bytes icon;
    for (const uint32_t word : {0u, 1u, 1u}) icon.insert(icon.end(), {uint8_t(word), 0});
    icon.insert(icon.end(), {16, 16, 0, 0, 1, 0, 32, 0, 100, 0, 0, 0, 22, 0, 0, 0});
    const Bytes image = SampleRandom(100, 8);
    icon.insert(icon.end(), image.begin(), image.end());
    WriteAll(ws / "Additional" / "App.ico", icon);
    WriteAll(ws / "Setup.ini",
             TextBytes(SetupText("Description=Gr\xf6\xdf" "e setup\r\nIcon=Additional\\app.ICO\r\n")));
    TTestProgram stub;
    stub.Resources = {{"#16", "#1", 0x407, ProgramVersion("setup")},
                      {"#14", "#1", 0x407, {0, 0, 1, 0, 1, 0, 32, 32, 0, 0, 1, 0, 32, 0, 9, 0, 0, 0, 1, 0}},
                      {"#3", "#1", 0x407, SampleRandom(9, 1)}};
    WriteAll(Temp.Path() / "stub.exe", stub.Build());

    const std::string setup = Temp / "setup.exe";
    const TRun build = Pack({"build", "--product-version", "3.1.4", "--publisher", "M\xc3\xbcller & Co", "--stub",
                             Temp / "stub.exe", "--from", ws.string(), "--out", setup});
    ASSERT_EQ(build.ExitCode, 0) << build.Err;
    const TProgramView view(ReadAll(setup));
    EXPECT_EQ(view.StoredChecksum(), view.ComputedChecksum());
    const TResourceBytes resources = view.Resources();
    EXPECT_EQ(resources.at({"#3", "#1", 0x407}), image);
    EXPECT_EQ(resources.at({"#14", "#1", 0x407}),
              (Bytes{0, 0, 1, 0, 1, 0, 16, 16, 0, 0, 1, 0, 32, 0, 100, 0, 0, 0, 1, 0}));
    EXPECT_EQ(resources.size(), 4u) << "version, icon group, one image, payload";
    const Bytes version = resources.at({"#16", "#1", 0x407});
    const auto info = version::ParseVersionInfo(version.data(), version.size());
    ASSERT_TRUE(info && info->Fixed);
    EXPECT_EQ(info->Fixed->FileVersion, (version::TVersionNumber{3, 1, 4, 0}));
    EXPECT_EQ(info->Fixed->ProductVersion, (version::TVersionNumber{3, 1, 4, 0}));
    EXPECT_EQ(info->Strings, (std::vector<std::pair<std::u16string, std::u16string>>{
                                 {u"CompanyName", u"M\u00fcller & Co"},
                                 {u"FileDescription", u"Gr\u00f6\u00dfe setup"},
                                 {u"FileVersion", u"3.1.4"},
                                 {u"ProductName", u"Test"},
                                 {u"ProductVersion", u"3.1.4"}}));

    // A Setup.ini saved as UTF-8 for a Czech setup: the names as the setup reads them, in code page 1250.
    WriteAll(ws / "Setup.ini", TextBytes("\xef\xbb\xbfx\r\nObject=Setup\r\nVistraneTitle=K\xc5\xaf\xc5\x88\r\n"
                                         "Description=\xc5\xbdlu\xc5\xa5ou\xc4\x8dk\xc3\xbd\r\nDestination=K\r\nend\r\n"
                                         "Object=Panel\r\nBitmap=Graphics\\back.bmp\r\nend\r\n"
                                         "Object=Button\r\nKind=Bitmap\r\nName=Forward\r\nend\r\n"));
    const std::string czech = Temp / "czech.exe";
    const TRun converted =
        Pack({"build", "--codepage", "1250", "--stub", Temp / "stub.exe", "--from", ws.string(), "--out", czech});
    ASSERT_EQ(converted.ExitCode, 0) << converted.Err;
    const Bytes czechVersion = TProgramView(ReadAll(czech)).Resources().at({"#16", "#1", 0x407});
    const auto czechInfo = version::ParseVersionInfo(czechVersion.data(), czechVersion.size());
    ASSERT_TRUE(czechInfo);
    EXPECT_EQ(czechInfo->Strings, (std::vector<std::pair<std::u16string, std::u16string>>{
                                      {u"FileDescription", u"\u017dlu\u0165ou\u010dk\u00fd"},
                                      {u"ProductName", u"K\u016f\u0148"}}));
}

TEST_F(PackTest, BuildRefusesWhatCannotMakeASetupAndLeavesNothingBehind)
{
    const fs::path ws = MakeWorkspace();
    const std::string stub = MakeStub(), setup = Temp / "setup.exe";
    const auto refusal = [&](const std::string& stubPath) {
        const TRun run = Pack({"build", "--stub", stubPath, "--from", ws.string(), "--out", setup});
        EXPECT_EQ(run.ExitCode, 1);
        EXPECT_FALSE(fs::exists(setup));
        EXPECT_TRUE(fs::is_empty(TempFiles()));
        return run.Err;
    };
    const std::string prefix = "zoreva-pack: ";
    const std::string wsText = ws.string();

    fs::rename(ws / "Setup.ini", ws / "setup.txt");
    EXPECT_EQ(refusal(stub), prefix + "No Setup.ini in " + wsText + "\n");
    fs::rename(ws / "setup.txt", ws / "Setup.ini");
    fs::rename(ws / "Graphics", ws / "Pictures");
    EXPECT_EQ(refusal(stub), prefix + "No Graphics folder in " + wsText + "\n");
    fs::rename(ws / "Pictures", ws / "Graphics");

    fs::create_directory(ws / "Docs");
    EXPECT_EQ(refusal(stub), prefix + "Folder not part of a setup: " + wsText + "/Docs" +
                                 " (only Graphics, Sounds and Additional are packed)\n");
    fs::remove(ws / "Docs");
    fs::create_directory(ws / "Graphics" / "More");
    EXPECT_EQ(refusal(stub), prefix + "Folder not packed, as " + wsText + "/Graphics holds files only: " + wsText +
                                 "/Graphics/More\n");
    fs::remove(ws / "Graphics" / "More");
    WriteAll(ws / "Additional" / "README.TXT", TextBytes("one file with readme.txt on Windows"));
    EXPECT_EQ(refusal(stub), prefix + "Two members named readme.txt in " + wsText + "/Additional\n");
    fs::remove(ws / "Additional" / "README.TXT");

    // Files the setup would take for its own archives or folders.
    for (const fs::path& file : {ws / "Additional" / "docs.x", ws / "Additional" / "Docs" / "Pictures" / "Old.X"}) {
        WriteAll(file, TextBytes("would be unpacked as an archive"));
        EXPECT_EQ(refusal(stub), prefix + "File not packed, as the setup would unpack it as an archive: " +
                                     file.string() + "\n");
        fs::remove(file);
    }
    for (const char* name : {"gfx.x", "SND.X", "additional.x", "Data.Zup", "graphics", "SOUNDS", "Additional"}) {
        fs::remove_all(ws / "Additional");
        WriteAll(ws / name, TextBytes("beside or instead of the folder"));
        EXPECT_EQ(refusal(stub), prefix + "File name kept for the setup's own use: " + (ws / name).string() + "\n");
        fs::remove(ws / name);
    }
    MakeWorkspace();

    // Names Windows refuses, or would change by dropping trailing dots and
    // spaces: the setup could not unpack them. check refuses them alike.
    const struct {
        const char* file;     // below the workspace
        const char* refused;  // the file or the folder named in the message
        bool isFolder;
    } badNames[] = {
        {"a?b.txt", "a?b.txt", false},
        {"Graphics/pi|pe.bmp", "Graphics/pi|pe.bmp", false},
        {"Sounds/say \"hi\".wav", "Sounds/say \"hi\".wav", false},
        {"Additional/dot.", "Additional/dot.", false},
        {"Additional/Docs/space ", "Additional/Docs/space ", false},
        {"Additional/Docs/Pictures/a:b", "Additional/Docs/Pictures/a:b", false},
        {"Additional/Docs/tab\tname", "Additional/Docs/tab\tname", false},
        {"Additional/Docs/nul.txt", "Additional/Docs/nul.txt", false},
        {"Additional/Star*/note.txt", "Additional/Star*", true},
        {"Additional/Docs/Dotted./note.txt", "Additional/Docs/Dotted.", true},
    };
    for (const auto& bad : badNames) {
        fs::create_directories((ws / bad.file).parent_path());
        WriteAll(ws / bad.file, TextBytes("no such name on Windows"));
        const std::string message =
            prefix + (bad.isFolder ? "Folder not packed, as Windows cannot make a folder of that name: "
                                   : "File not packed, as Windows cannot make a file of that name: ") +
            (ws / bad.refused).string() + "\n";
        EXPECT_EQ(refusal(stub), message);
        const TRun check = Pack({"check", ws.string()});
        EXPECT_EQ(check.ExitCode, 1) << bad.file;
        EXPECT_EQ(check.Err, message);
        fs::remove_all(ws / bad.refused);
    }

    WriteAll(Temp.Path() / "text.exe", TextBytes("MZ, but not much of a program"));
    EXPECT_EQ(refusal(Temp / "text.exe"), prefix + "Not a Windows program: " + (Temp / "text.exe") + "\n");
    TTestProgram program;
    program.HeadersFull = true;
    program.Resources = {{"#16", "#1", 0x409, ProgramVersion("setup")}};
    WriteAll(Temp.Path() / "full.exe", program.Build());
    EXPECT_EQ(refusal(Temp / "full.exe"),
              prefix + "No room for another section header in " + (Temp / "full.exe") + "\n");

    ASSERT_EQ(Pack({"build", "--stub", stub, "--from", ws.string(), "--out", setup}).ExitCode, 0) << "all put right";
}

TEST_F(PackTest, OutputNeverOverwritesNorLandsInAnInputHoweverSpelled)
{
    MakeTree();
    const fs::path ws = MakeWorkspace();
    const std::string stub = MakeStub(), in = Temp / "in", readme = Temp / "in/readme.txt";
    fs::create_hard_link(readme, Temp.Path() / "alias.txt");
    fs::create_hard_link(stub, Temp.Path() / "stub-alias.exe");
    fs::create_directory_symlink(in, Temp.Path() / "linked");
    const TTree inBefore = TreeOf(in), wsBefore = TreeOf(ws);
    const Bytes stubBefore = ReadAll(stub);

    struct Case {
        std::vector<std::string> arguments;
        std::string message;
        std::string warnings = "";  // of the check, which build runs once the stub and DIR are fit
    };
    const std::string overwrites = "Output would overwrite the input ";
    const std::string into = "Output would be written into the input folder ";
    const Case cases[] = {
        {{"archive", readme, readme}, overwrites + readme},
        {{"archive", Temp / "alias.txt", Temp / "in/./bin/../readme.txt"},
         overwrites + Temp / "in/./bin/../readme.txt"},
        {{"archive", Temp / "in/bin/out.x", in}, into + in},
        {{"archive", readme, Temp / "in/bin", in}, into + in},
        {{"archive", Temp / "linked/bin/../out.x", Temp / "in/bin/data", in}, into + in},
        {{"build", "--stub", stub, "--from", ws.string(), "--out", Temp / "stub-alias.exe"},
         "Cannot write a program over itself: " + stub, SetupFileOf(ws) + kNoUninstaller},
        {{"build", "--stub", stub, "--from", ws.string(), "--out", (ws / "Additional/Docs/setup.exe").string()},
         "Output would be written into the folder to pack " + ws.string()},
    };
    for (const Case& c : cases) {
        const TRun run = Pack(c.arguments);
        EXPECT_EQ(run.ExitCode, 1) << c.message;
        EXPECT_EQ(run.Err, c.warnings + "zoreva-pack: " + c.message + "\n");
        EXPECT_EQ(TreeOf(in), inBefore) << c.message;
        EXPECT_EQ(TreeOf(ws), wsBefore) << c.message;
        EXPECT_EQ(ReadAll(stub), stubBefore) << c.message;
    }

    // Names that merely begin like an input are elsewhere.
    fs::create_directory(Temp.Path() / "inner");
    EXPECT_EQ(Pack({"archive", Temp / "inner/out.x", in}).ExitCode, 0);
    EXPECT_EQ(Pack({"archive", Temp / "in.x", in}).ExitCode, 0);
}

// A folder the packer may not read is an error of every command that walks
// it, found before anything is written. Root reads every folder; in a user
// namespace of its own it is nobody to the files' owner, so permissions bite.
TEST_F(PackTest, AFolderThatCannotBeReadStopsBuildCheckAndArchive)
{
    if (geteuid() == 0) {
        if (std::system("unshare --user true >/dev/null 2>&1") != 0)
            GTEST_SKIP() << "run as root without user namespaces: every folder can be read";
        Runner = "unshare --user ";
    }
    const fs::path ws = MakeWorkspace();
    const fs::path locked = ws / "Additional" / "Docs" / "Locked";
    fs::create_directory(locked);
    WriteAll(locked / "secret.txt", TextBytes("never packed as missing"));
    fs::permissions(locked, fs::perms::none);
    const std::string stub = MakeStub(), setup = Temp / "setup.exe", archive = Temp / "earlier.x";
    WriteAll(archive, TextBytes("an earlier archive"));
    const std::string refusal = "zoreva-pack: Cannot read folder \"" + locked.string() + "\". Permission denied\n";

    for (const std::vector<std::string>& arguments :
         std::vector<std::vector<std::string>>{{"build", "--stub", stub, "--from", ws.string(), "--out", setup},
                                               {"check", ws.string()},
                                               {"archive", archive, ws.string()}}) {
        const TRun run = Pack(arguments);
        EXPECT_EQ(run.ExitCode, 1) << arguments[0];
        EXPECT_EQ(run.Err, refusal) << arguments[0];
    }
    EXPECT_FALSE(fs::exists(setup));
    EXPECT_EQ(ReadAll(archive), TextBytes("an earlier archive"));
    EXPECT_TRUE(fs::is_empty(TempFiles()));
    fs::permissions(locked, fs::perms::owner_all);
}

// Links are followed, to files and to folders elsewhere, as an author may keep
// parts of a product there; but never to the output, which would be read
// while it is written, nor round in a circle.
TEST_F(PackTest, WalksFollowLinksButNeitherIntoTheOutputNorRoundInCircles)
{
    MakeTree();
    const fs::path ws = MakeWorkspace(), in = Temp.Path() / "in", elsewhere = Temp.Path() / "elsewhere";
    fs::create_directory(elsewhere);
    WriteAll(elsewhere / "note.txt", TextBytes("kept elsewhere"));
    fs::create_directory_symlink(elsewhere, in / "ext");
    fs::create_symlink(elsewhere / "note.txt", in / "alias.txt");
    fs::create_directory_symlink(elsewhere, ws / "Additional" / "Ext");
    const std::string stub = MakeStub(), out = Temp / "out.x", setup = Temp / "setup.exe";

    ASSERT_EQ(Pack({"archive", out, in.string()}).ExitCode, 0);
    const TRun list = Pack({"list", out});
    EXPECT_NE(list.Out.find("\t\talias.txt\n"), std::string::npos) << list.Out;
    EXPECT_NE(list.Out.find("\text\tnote.txt\n"), std::string::npos) << list.Out;
    const TRun build = Pack({"build", "--stub", stub, "--from", ws.string(), "--out", setup});
    ASSERT_EQ(build.ExitCode, 0) << build.Err;
    Unpack(setup, Temp.Path() / "unpacked");
    EXPECT_EQ(ReadAll(Temp.Path() / "unpacked" / "Additional" / "Ext" / "note.txt"), TextBytes("kept elsewhere"));
    fs::remove(out);

    const std::string earlier = "an earlier output";
    const struct {
        fs::path link, target;
        std::vector<std::string> arguments;
        bool outputExists;  // else none may be left behind
        std::string message;
    } cases[] = {
        {in / "out-link", out, {"archive", out, in.string()}, false,
         "Output would be packed into itself: " + (in / "out-link").string()},
        {in / "bin" / "old.x", out, {"archive", out, in.string()}, true,
         "Output would be packed into itself: " + (in / "bin" / "old.x").string()},
        {in / "bin" / "loop", in, {"archive", out, in.string()}, false,
         "Folder not packed, as it leads back into a folder it lies in: " + (in / "bin" / "loop").string()},
        {ws / "Additional" / "Docs" / "loop", ws / "Additional",
         {"build", "--stub", stub, "--from", ws.string(), "--out", setup}, false,
         "Folder not packed, as it leads back into a folder it lies in: " + (ws / "Additional/Docs/loop").string()},
        {ws / "Additional" / "loop", ws, {"check", ws.string()}, false,
         "Folder not packed, as it leads back into a folder it lies in: " + (ws / "Additional/loop").string()},
        {ws / "Additional" / "old.exe", setup, {"build", "--stub", stub, "--from", ws.string(), "--out", setup}, true,
         "Output would overwrite the file to pack " + (ws / "Additional/old.exe").string()},
    };
    for (const auto& c : cases) {
        const std::string output = c.arguments[0] == "archive" ? out : setup;
        fs::remove(output);
        if (c.outputExists) WriteAll(output, TextBytes(earlier));
        if (fs::is_directory(c.target)) fs::create_directory_symlink(c.target, c.link);
        else fs::create_symlink(c.target, c.link);
        const TRun run = Pack(c.arguments);
        EXPECT_EQ(run.ExitCode, 1) << c.message;
        EXPECT_EQ(run.Err, "zoreva-pack: " + c.message + "\n");
        if (c.outputExists) EXPECT_EQ(ReadAll(output), TextBytes(earlier)) << c.message;
        else EXPECT_FALSE(fs::exists(output)) << c.message;
        EXPECT_TRUE(fs::is_empty(TempFiles())) << c.message;
        fs::remove(c.link);
    }
}

TEST_F(PackTest, ListAndExtractTellASetupFromAnArchiveStartingWithAProgram)
{
    const std::string stub = MakeStub();
    TRun run = Pack({"list", stub});
    EXPECT_EQ(run.ExitCode, 1);
    EXPECT_EQ(run.Err, "zoreva-pack: No setup payload (resource VIZEZURAR) in " + stub + "\n");
    run = Pack({"extract", stub, Temp / "dest"});
    EXPECT_EQ(run.ExitCode, 1);
    EXPECT_EQ(run.Err, "zoreva-pack: No setup payload (resource VIZEZURAR) in " + stub + "\n");
    EXPECT_TRUE(fs::is_empty(TempFiles()));

    const std::string archive = Temp / "programs.x";
    WriteAll(Temp.Path() / "note.txt", TextBytes("note"));
    ASSERT_EQ(Pack({"archive", "--store", archive, stub, Temp / "note.txt"}).ExitCode, 0);
    ASSERT_EQ(ReadAll(archive)[0], 'M');
    run = Pack({"list", archive});
    EXPECT_EQ(run.ExitCode, 0) << run.Err;
    EXPECT_EQ(MemberNames(run.Out), (std::vector<std::string>{"stub.exe", "note.txt"}));
}

}  // namespace

// A Linux author's folder: UTF-8 names, a UTF-8 Setup.ini and licence. The
// setup is an ANSI program, so the payload holds them in its code page: the
// names sorted and written in it, the two texts converted with a note each,
// their records' sizes and CRCs those of the converted bytes; check judges
// the converted Setup.ini, whose entries then match the converted names.
TEST_F(PackTest, AUtf8FolderIsPackedInTheSetupsCodePage)
{
    const fs::path ws = MakeWorkspace();
    fs::remove(ws / "Licence.txt");
    fs::create_directories(ws / "Additional" / "\xC3\x9C" "ber");
    WriteAll(ws / "Additional" / "\xC3\x9C" "ber" / "Gr\xC3\xB6\xC3\x9F" "e.txt", SampleText(700, 11));
    // In UTF-8 "ä" sorts before "€", in code page 1252 after it.
    WriteAll(ws / "\xC3\xA4.txt", SampleText(100, 12));
    WriteAll(ws / "\xE2\x82\xAC.txt", SampleText(200, 13));
    WriteAll(ws / "Gr\xC3\xB6\xC3\x9F" "e.txt", SampleText(300, 14));
    const std::string setupUtf8 =
        "\xEF\xBB\xBF" + SetupText("Addfile=Gr\xC3\xB6\xC3\x9F" "e.txt\r\nAddfile=\xE2\x82\xAC.txt\r\n"
                                  "Addfile=Uninstall.exe\r\nLicence=Lizenz.txt\r\n"
                                  "Description=F\xC3\xBCr Gro\xC3\x9F und Klein\r\n");
    const std::string setup1252 =
        SetupText("Addfile=Gr\xF6\xDF" "e.txt\r\nAddfile=\x80.txt\r\nAddfile=Uninstall.exe\r\nLicence=Lizenz.txt\r\n"
                  "Description=F\xFCr Gro\xDF und Klein\r\n");
    WriteAll(ws / "Setup.ini", TextBytes(setupUtf8));
    WriteAll(ws / "Lizenz.txt", TextBytes("Lizenz f\xC3\xBCr alle\r\n"));
    const std::string notes = (ws / "Setup.ini").string() + ": converted from UTF-8 to code page 1252\n" +
                              (ws / "Lizenz.txt").string() + ": converted from UTF-8 to code page 1252\n";

    TRun run = Pack({"check", "--with-uninstaller", ws.string()});
    EXPECT_EQ(run.ExitCode, 0);
    EXPECT_EQ(run.Err, notes) << "every Addfile entry is found";
    const std::string stub = MakeStub(), setup = Temp / "setup.exe";
    run = Pack({"build", "--stub", stub, "--from", ws.string(), "--out", setup});
    ASSERT_EQ(run.ExitCode, 0) << run.Err;
    const std::string file = (ws / "Setup.ini").string();
    EXPECT_EQ(run.Err, notes + file + ":5: warning: the Addfile entry \"Uninstall.exe\" is not in the payload, so "
                                      "the setup installs nothing for it\n");
    // The bytes of the texts as converted.
    size_t bytesIn = setup1252.size() - setupUtf8.size() - 1;
    for (const auto& [path, bytes] : TreeOf(ws)) bytesIn += bytes.size();
    EXPECT_EQ(run.Out.rfind(file + ": no errors, 1 warning\nPacked 12 files: " + WithThousands(bytesIn) + " bytes in", 0),
              0u)
        << run.Out;

    const fs::path payload = PayloadOf(setup);
    char expected[512];
    std::snprintf(expected, sizeof expected,
                  "2\t300\tzlib\t%08x\t\tGr\xF6\xDF" "e.txt\n"
                  "3\t17\tzlib\t%08x\t\tLizenz.txt\n"
                  "4\t%zu\tzlib\t%08x\t\tSetup.ini\n",
                  Crc32Of(SampleText(300, 14)), Crc32Of(TextBytes("Lizenz f\xFCr alle\r\n")), setup1252.size(),
                  Crc32Of(TextBytes(setup1252)));
    const std::string listing = Pack({"list", payload.string()}).Out;
    EXPECT_EQ(MemberNames(listing), (std::vector<std::string>{"Additional.x", "gfx.x", "Gr\xF6\xDF" "e.txt",
                                                              "Lizenz.txt", "Setup.ini", "snd.x", "\x80.txt",
                                                              "\xE4.txt"}));
    EXPECT_NE(listing.find(expected), std::string::npos) << listing;
    Unpack(payload, Temp.Path() / "unpacked");
    EXPECT_EQ(ReadAll(Temp.Path() / "unpacked" / "Setup.ini"), TextBytes(setup1252));
    EXPECT_EQ(ReadAll(Temp.Path() / "unpacked" / "Additional" / "\xDC" "ber" / "Gr\xF6\xDF" "e.txt"),
              SampleText(700, 11));
    EXPECT_TRUE(fs::is_empty(TempFiles()));

    // Saved in code page 1252 beside the UTF-8 names: taken as it is, and its entries are found.
    WriteAll(ws / "Setup.ini", TextBytes(setup1252));
    run = Pack({"check", "--with-uninstaller", ws.string()});
    EXPECT_EQ(run.ExitCode, 0);
    EXPECT_EQ(run.Err, (ws / "Lizenz.txt").string() + ": converted from UTF-8 to code page 1252\n");
    // --no-check packs both texts as they are.
    WriteAll(ws / "Setup.ini", TextBytes(setupUtf8));
    ASSERT_EQ(Pack({"build", "--no-check", "--stub", stub, "--from", ws.string(), "--out", setup}).Err, "");
    Unpack(PayloadOf(setup), Temp.Path() / "raw");
    EXPECT_EQ(ReadAll(Temp.Path() / "raw" / "Setup.ini"), TextBytes(setupUtf8));
}

// What the code page cannot hold stops check and build before anything is
// written, naming the file (and the line of a text).
TEST_F(PackTest, WhatTheCodePageCannotHoldIsRefused)
{
    const std::string stub = MakeStub(), setup = Temp / "setup.exe";
    struct TCase {
        const char* What;
        std::string File;  // below the workspace
        std::string Bytes;
        std::vector<std::string> Options;
        std::string Error;  // after "zoreva-pack: "; none: packs
    };
    const std::string polish = "\xC5\x81\xC3\xB3" "d\xC5\xBA.txt";
    const TCase cases[] = {
        {"a name with L with stroke", polish, "x", {},
         "Cannot write the name of %WS%/" + polish + " in code page 1252"},
        {"a name with L with stroke in 1250", polish, "x", {"--codepage", "1250"}, ""},
        {"a folder's name in Additional", "Additional/\xD0\x94/a.txt", "x", {},
         "Cannot write the name of %WS%/Additional/\xD0\x94 in code page 1252"},
        {"a Cyrillic name in 1251", "Additional/\xD0\x94/a.txt", "x", {"--codepage", "1251"}, ""},
        {"a picture's name", "Graphics/\xE2\x86\x92.bmp", "x", {},
         "Cannot write the name of %WS%/Graphics/\xE2\x86\x92.bmp in code page 1252"},
        {"a name that is not UTF-8", "Gr\xF6\xDF" "e.txt", "x", {},
         "Cannot write the name of %WS%/Gr\xF6\xDF" "e.txt in code page 1252"},
        {"a character in the licence", "Licence.txt", "Dear \xC5\x81ukasz,\n", {},
         "%WS%/Licence.txt:1: \"\xC5\x81\" (U+0141) cannot be written in code page 1252"},
        {"a UTF-16 licence", "Licence.txt", std::string("L\0i\0", 4), {"--codepage", "1257"},
         "%WS%/Licence.txt is UTF-16; save it as UTF-8 or Windows-1257"},
        {"a licence larger than any text, packed unread", "Licence.txt", std::string(16 << 20, 'x') + "\xC5\x81", {},
         ""},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.What);
        TTempFolder folder;
        fs::create_directories(folder.Path() / "ws" / "Graphics");
        const fs::path ws = folder.Path() / "ws";
        WriteAll(ws / "Setup.ini", TextBytes(SetupText("Licence=Licence.txt\r\n")));
        WriteAll(ws / "Licence.txt", TextBytes("Terms\r\n"));
        WriteAll(ws / "Graphics" / "back.bmp", BmpFile(4, 4, 24, std::vector<uint32_t>(16, 0xFF336699)));
        fs::create_directories((ws / c.File).parent_path());
        WriteAll(ws / c.File, TextBytes(c.Bytes));
        std::string error = c.Error;
        if (const size_t at = error.find("%WS%"); at != std::string::npos) error.replace(at, 4, ws.string());
        for (const char* command : {"check", "build"}) {
            std::vector<std::string> arguments{command};
            arguments.insert(arguments.end(), c.Options.begin(), c.Options.end());
            if (arguments[0] == "build") arguments.insert(arguments.end(), {"--stub", stub, "--out", setup, "--from"});
            arguments.push_back(ws.string());
            const TRun run = Pack(arguments);
            EXPECT_EQ(run.ExitCode, error.empty() ? 0 : 1) << command << ": " << run.Err;
            if (!error.empty()) {
                EXPECT_EQ(run.Err, "zoreva-pack: " + error + "\n") << command;
            }
            EXPECT_EQ(fs::exists(setup), error.empty() && arguments[0] == "build") << command;
            fs::remove(setup);
        }
    }
    EXPECT_TRUE(fs::is_empty(TempFiles()));
}
