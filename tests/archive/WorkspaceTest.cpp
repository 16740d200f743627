// The workspace and the payload, with the real temporary folder, resources
// and processes of Windows.

#include "archive/Workspace.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>

#include "archive/ZLIBArchive.h"
#include "tests/TestSupport.h"
#include "utilities/FileSystem.h"
#include "utilities/SetupError.h"
#include "utilities/WindowsPath.h"

namespace fs = std::filesystem;

namespace {

std::string OwnFolder()
{
    return winpath::FolderOf(files::RunningProgramFile());
}

// Names another temporary folder for this process and its children while it lives.
class TTempVariables {
public:
    explicit TTempVariables(const std::string& folder)
    {
        for (const char* name : {"TMP", "TEMP"}) SetEnvironmentVariableA(name, folder.c_str());
    }
    ~TTempVariables()
    {
        for (const char* name : {"TMP", "TEMP"}) SetEnvironmentVariableA(name, Saved.c_str());
    }
    TTempVariables(const TTempVariables&) = delete;
    TTempVariables& operator=(const TTempVariables&) = delete;

private:
    std::string Saved = GetTempFolder();
};

// Points the temporary folder of this process and of its children at a private folder.
class TPrivateTemp {
public:
    const TTempFolder& Path() const { return Folder; }

private:
    TTempFolder Folder;
    TTempVariables Variables{Folder.Text()};
};

// A copy of the workspace probe carrying payload as its VIZEZURAR resource.
std::string PackedProbe(const TTempFolder& folder, const Bytes& payload)
{
    const std::string probe = folder / "probe.exe";
    EXPECT_TRUE(CopyFileA((OwnFolder() + "\\workspace_probe.exe").c_str(), probe.c_str(), FALSE));
    HANDLE update = BeginUpdateResourceA(probe.c_str(), FALSE);
    EXPECT_NE(update, nullptr);
    EXPECT_TRUE(UpdateResourceA(update, RT_RCDATA, "VIZEZURAR", MAKELANGID(LANG_NEUTRAL, SUBLANG_NEUTRAL),
                                const_cast<uint8_t*>(payload.data()), static_cast<DWORD>(payload.size())));
    EXPECT_TRUE(EndUpdateResourceA(update, FALSE));
    return probe;
}

struct TProbeRun {
    DWORD ExitCode = 0;
    std::string Report;
};

TProbeRun RunProbe(const std::string& probe, const TTempFolder& folder)
{
    const std::string report = folder / "report.txt";
    std::string command = "\"" + probe + "\" \"" + report + "\"";
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    EXPECT_TRUE(CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                               &process));
    WaitForSingleObject(process.hProcess, INFINITE);
    TProbeRun run;
    GetExitCodeProcess(process.hProcess, &run.ExitCode);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    const Bytes text = ReadAll(report);
    run.Report.assign(text.begin(), text.end());
    return run;
}

Bytes ArchiveOf(const std::vector<std::pair<std::string, Bytes>>& members)
{
    TRawArchive raw;
    for (const auto& [name, data] : members) raw.AddMember(name, data);
    return raw.Build();
}

TEST(Workspace, TakesTheFirstFreeNumber)
{
    TPrivateTemp temp;
    const fs::path root = temp.Path().Path();
    EXPECT_EQ(GetTempFolder(), temp.Path().Text());

    fs::create_directory(root / "QXTemp1");
    fs::create_directory(root / "QXTemp2");
    CreateWorkspace();
    EXPECT_EQ(WorkspaceFolder(), (root / "QXTemp3").string());
    EXPECT_TRUE(fs::is_directory(root / "QXTemp3"));

    fs::remove(root / "QXTemp1");
    CreateWorkspace();
    EXPECT_EQ(WorkspaceFolder(), (root / "QXTemp1").string());

    // Held while the setup runs: nobody can rename the workspace and put another in its place.
    EXPECT_FALSE(MoveFileA((root / "QXTemp1").string().c_str(), (root / "Moved").string().c_str()));
    EXPECT_TRUE(fs::is_directory(root / "QXTemp1"));
    RemoveWorkspace();
    EXPECT_FALSE(fs::exists(root / "QXTemp1"));

    // A file in the way is a taken name too.
    WriteAll(root / "QXTemp1", TextBytes("in the way"));
    fs::remove(root / "QXTemp2");
    CreateWorkspace();
    EXPECT_EQ(WorkspaceFolder(), (root / "QXTemp2").string());
}

TEST(Workspace, UnusableTemporaryFolderIsAnErrorNotTheCurrentFolder)
{
    TTempFolder current;
    char saved[MAX_PATH] = {};
    GetCurrentDirectoryA(MAX_PATH, saved);
    ASSERT_TRUE(SetCurrentDirectoryA(current.Text().c_str()));
    {
        const TTempVariables tooLong(current.Text() + std::string(300, 'x') + "\\");
        EXPECT_THROW(GetTempFolder(), ESetupError);
        EXPECT_THROW(CreateWorkspace(), ESetupError);
    }
    SetCurrentDirectoryA(saved);
    EXPECT_TRUE(fs::is_empty(current.Path())) << "no workspace in the current folder";
}

TEST(Workspace, ResourceIsWrittenExactly)
{
    TTempFolder folder;
    const Bytes payload = SampleRandom(300000);
    const std::string probe = PackedProbe(folder, payload);
    ExtractResourceToFile(probe, folder / "Data.Zup");
    EXPECT_EQ(ReadAll(folder.Path() / "Data.Zup"), payload);
}

TEST(Workspace, MissingResourceOrModuleRaisesTheSystemError)
{
    TTempFolder folder;
    try {
        ExtractResourceToFile(OwnFolder() + "\\workspace_probe.exe", folder / "Data.Zup");
        ADD_FAILURE() << "the unpacked probe has no payload";
    } catch (const ESetupError& error) {
        EXPECT_EQ(std::string(error.what()).rfind("System Error.  Code: ", 0), 0u) << error.what();
    }
    EXPECT_FALSE(fs::exists(folder.Path() / "Data.Zup"));
    WriteAll(folder.Path() / "not-a-program.exe", TextBytes("plain text"));
    EXPECT_THROW(ExtractResourceToFile(folder / "not-a-program.exe", folder / "Data.Zup"), ESetupError);
}

TEST(Workspace, PayloadUnpacksIntoItsFoldersAndIsRemovedAtExit)
{
    TPrivateTemp temp;
    const Bytes inner = ArchiveOf({{"glyph.fon", TextBytes("font")}});
    const Bytes payload = ArchiveOf({
        {"Setup.ini", TextBytes("Object=Setup\r\nend\r\n")},
        {"gfx.x", ArchiveOf({{"skin.bmp", TextBytes("BM")}, {"kept.x", inner}})},
        {"snd.x", ArchiveOf({{"click.wav", TextBytes("RIFF")}})},
        {"Additional.x", ArchiveOf({{"Fonts.X", inner}, {"note.txt", TextBytes("n")}})},
    });
    fs::create_directory(temp.Path().Path() / "QXTemp1");
    const TProbeRun run = RunProbe(PackedProbe(temp.Path(), payload), temp.Path());
    EXPECT_EQ(run.ExitCode, 0u) << run.Report;
    const std::string workspace = (temp.Path().Path() / "QXTemp2" / "").string();
    EXPECT_EQ(run.Report, "workspace " + workspace + "\n"
                          "Additional\\Fonts\\glyph.fon\n"
                          "Additional\\note.txt\n"
                          "Data.Zup\n"
                          "Graphics\\kept.x\n"
                          "Graphics\\skin.bmp\n"
                          "Setup.ini\n"
                          "Sounds\\click.wav\n"
                          "gfx.x\n"
                          "snd.x\n");
    EXPECT_FALSE(fs::exists(workspace));
    EXPECT_TRUE(fs::exists(temp.Path().Path() / "QXTemp1")) << "another setup's workspace stays";
}

TEST(Workspace, PayloadWithoutSoundsOrAdditionalStarts)
{
    TPrivateTemp temp;
    const Bytes payload = ArchiveOf({{"Setup.ini", TextBytes("x")}, {"gfx.x", ArchiveOf({})}});
    const TProbeRun run = RunProbe(PackedProbe(temp.Path(), payload), temp.Path());
    EXPECT_EQ(run.ExitCode, 0u) << run.Report;
    EXPECT_NE(run.Report.find("Setup.ini\n"), std::string::npos) << run.Report;
}

TEST(Workspace, StartUpErrorsStillRemoveTheWorkspace)
{
    TPrivateTemp temp;
    struct Case {
        const char* what;
        Bytes payload;
        std::string message;
    };
    Bytes damaged = ArchiveOf({{"gfx.x", ArchiveOf({})}});
    damaged[3] ^= 1;
    const Case cases[] = {
        {"no gfx.x", ArchiveOf({{"Setup.ini", TextBytes("x")}}), "Archive file not found"},
        {"damaged payload", damaged, "The archive file appears to be corrupted"},
    };
    for (const Case& c : cases) {
        const TProbeRun run = RunProbe(PackedProbe(temp.Path(), c.payload), temp.Path());
        EXPECT_EQ(run.ExitCode, 1u) << c.what;
        EXPECT_NE(run.Report.find("error " + c.message + "\n"), std::string::npos) << c.what << ": " << run.Report;
        EXPECT_FALSE(fs::exists(temp.Path().Path() / "QXTemp1")) << c.what;
    }

    // The program as built carries no payload at all.
    fs::copy_file(OwnFolder() + "\\workspace_probe.exe", temp.Path().Path() / "bare.exe");
    const TProbeRun bare = RunProbe(temp.Path() / "bare.exe", temp.Path());
    EXPECT_EQ(bare.ExitCode, 1u);
    EXPECT_NE(bare.Report.find("error System Error.  Code: "), std::string::npos) << bare.Report;
    EXPECT_FALSE(fs::exists(temp.Path().Path() / "QXTemp1"));
}

}  // namespace
