// Runs the packer as a user would and checks what it prints, writes and returns.

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <filesystem>

#include "tests/TestSupport.h"

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

class PackTest : public testing::Test {
protected:
    TRun Pack(const std::vector<std::string>& arguments)
    {
        std::string command = Quote(ZOREVA_PACK);
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

    TTempFolder Temp;
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
                                               {"extract", "a"}}) {
        const TRun run = Pack(arguments);
        EXPECT_EQ(run.ExitCode, 2);
        EXPECT_EQ(run.Err.rfind("zoreva-pack: ", 0), 0u) << run.Err;
        EXPECT_NE(run.Err.find("--help"), std::string::npos) << run.Err;
        EXPECT_EQ(std::count(run.Err.begin(), run.Err.end(), '\n'), 1) << run.Err;
    }
    const TRun help = Pack({"--help"});
    EXPECT_EQ(help.ExitCode, 0);
    EXPECT_NE(help.Out.find("extract [--with-paths] [--check-crc] ARCHIVE DESTFOLDER"), std::string::npos);
}

}  // namespace
