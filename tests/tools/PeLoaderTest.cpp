// Setup programs as Windows itself sees them (under Wine): the payload and
// every resource of the stub through LoadLibraryEx and FindResource, Windows'
// own UpdateResource as the reference for those bytes, the packed program
// starting, the checksum as imagehlp computes it, and an unstripped stub's
// symbol table kept.

#include <windows.h>
#include <imagehlp.h>

#include <gtest/gtest.h>

#include <map>
#include <optional>
#include <tuple>

#include "tests/TestSupport.h"
#include "tests/tools/TestPrograms.h"
#include "tools/SetupPayload.h"
#include "utilities/FileSystem.h"
#include "utilities/Handles.h"
#include "utilities/WindowsPath.h"

namespace {

// A data-file module: its resources, none of its code.
TModuleHandle LoadDataModule(const std::string& path)
{
    return TModuleHandle(LoadLibraryExA(path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE));
}

// A BeginUpdateResource handle, discarded unless committed.
class TResourceUpdate {
public:
    explicit TResourceUpdate(const std::string& path) : Handle(BeginUpdateResourceA(path.c_str(), FALSE)) {}
    HANDLE Get() const { return Handle.Get(); }
    bool Commit() { return EndUpdateResourceA(Handle.Release(), FALSE) != 0; }

private:
    TUniqueHandle<handles::TResourceUpdateTraits> Handle;
};

using TResourceId = std::tuple<std::string, std::string, WORD>;
using TLoadedResources = std::map<TResourceId, Bytes>;

std::string KeyText(LPCSTR key)
{
    return IS_INTRESOURCE(key) ? "#" + std::to_string(reinterpret_cast<ULONG_PTR>(key)) : std::string(key);
}

Bytes LoadedBytes(HMODULE module, HRSRC found)
{
    if (!found) return TextBytes("(not found)");
    const DWORD size = SizeofResource(module, found);
    const auto* data = static_cast<const uint8_t*>(LockResource(LoadResource(module, found)));
    return Bytes(data, data + size);
}

BOOL CALLBACK CollectLanguage(HMODULE module, LPCSTR type, LPCSTR name, WORD language, LONG_PTR found)
{
    (*reinterpret_cast<TLoadedResources*>(found))[{KeyText(type), KeyText(name), language}] =
        LoadedBytes(module, FindResourceExA(module, type, name, language));
    return TRUE;
}

BOOL CALLBACK CollectName(HMODULE module, LPCSTR type, LPSTR name, LONG_PTR found)
{
    EnumResourceLanguagesA(module, type, name, CollectLanguage, found);
    return TRUE;
}

BOOL CALLBACK CollectType(HMODULE module, LPSTR type, LONG_PTR found)
{
    EnumResourceNamesA(module, type, CollectName, found);
    return TRUE;
}

// Every resource the loader enumerates, with its bytes.
TLoadedResources LoadedResources(const std::string& path)
{
    const TModuleHandle module = LoadDataModule(path);
    TLoadedResources found;
    if (!module.Get()) {
        ADD_FAILURE() << "LoadLibraryEx refused " << path;
        return found;
    }
    EnumResourceTypesA(module.Get(), CollectType, reinterpret_cast<LONG_PTR>(&found));
    return found;
}

Bytes LoadedPayload(const std::string& path)
{
    const TModuleHandle module = LoadDataModule(path);
    return LoadedBytes(module.Get(), FindResourceA(module.Get(), "VIZEZURAR", RT_RCDATA));
}

struct TRun {
    DWORD ExitCode = 0;
    std::string Output;
};

TRun RunProgram(const std::string& path)
{
    SECURITY_ATTRIBUTES inherited{sizeof inherited, nullptr, TRUE};
    TKernelHandle readEnd, writeEnd;
    if (!CreatePipe(readEnd.Receive(), writeEnd.Receive(), &inherited, 0)) return {999, "no pipe"};
    SetHandleInformation(readEnd.Get(), HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = writeEnd.Get();
    startup.hStdError = writeEnd.Get();
    PROCESS_INFORMATION started{};
    std::string command = "\"" + path + "\"";
    if (!CreateProcessA(nullptr, command.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &started))
        return {999, "did not start"};
    const TKernelHandle process(started.hProcess), thread(started.hThread);
    writeEnd.Reset();
    TRun run;
    char buffer[4096];
    DWORD got = 0;
    while (ReadFile(readEnd.Get(), buffer, sizeof buffer, &got, nullptr) && got > 0)
        for (DWORD i = 0; i < got; ++i)
            if (buffer[i] != '\r') run.Output += buffer[i];
    WaitForSingleObject(process.Get(), INFINITE);
    GetExitCodeProcess(process.Get(), &run.ExitCode);
    return run;
}

std::string BinFolder()
{
    return winpath::FolderOf(files::RunningProgramFile()) + "\\";
}

unsigned long ByteSum(const Bytes& bytes)
{
    unsigned long sum = 0;
    for (const uint8_t byte : bytes) sum += byte;
    return sum;
}

struct TStub {
    const char* File;
    WORD PayloadLanguage;  // the language of a VIZEZURAR the stub already has
    bool Unstripped;
};

void PrintTo(const TStub& stub, std::ostream* out)
{
    *out << stub.File;
}

class LoaderTest : public testing::TestWithParam<TStub> {
protected:
    std::string Stub() const { return BinFolder() + GetParam().File; }

    std::string Pack(const std::string& stub, const Bytes& payload, const std::string& name)
    {
        WriteAll(Temp.Path() / "payload.bin", payload);
        EmbedPayload(pe::TPeFile(stub), Temp / "payload.bin", Temp / name);
        return Temp / name;
    }

    // The stub's resources with the payload in place of any it had.
    TLoadedResources Expected(const Bytes& payload) const
    {
        TLoadedResources expected;
        for (const auto& [id, bytes] : LoadedResources(Stub()))
            if (std::get<1>(id) != "VIZEZURAR") expected[id] = bytes;
        expected[{"#10", "VIZEZURAR", GetParam().PayloadLanguage}] = payload;
        return expected;
    }

    TTempFolder Temp;
};

TEST_P(LoaderTest, FindsThePayloadAndEveryResourceOfTheStub)
{
    const Bytes payload = SampleRandom(100003);
    const std::string setup = Pack(Stub(), payload, "setup.exe");
    EXPECT_EQ(LoadedPayload(setup), payload);
    EXPECT_EQ(LoadedResources(setup), Expected(payload));
}

TEST_P(LoaderTest, GivesWhatWindowsOwnUpdateResourceGives)
{
    const Bytes payload = SampleText(70001);
    const std::string ours = Pack(Stub(), payload, "ours.exe"), theirs = Temp / "theirs.exe";
    ASSERT_TRUE(CopyFileA(Stub().c_str(), theirs.c_str(), FALSE));
    TResourceUpdate update(theirs);
    ASSERT_NE(update.Get(), nullptr);
    ASSERT_TRUE(UpdateResourceA(update.Get(), RT_RCDATA, "VIZEZURAR", GetParam().PayloadLanguage,
                                const_cast<uint8_t*>(payload.data()), static_cast<DWORD>(payload.size())));
    ASSERT_TRUE(update.Commit());
    EXPECT_EQ(LoadedResources(ours), LoadedResources(theirs));
}

TEST_P(LoaderTest, PackedProgramStartsAndFindsItsPayload)
{
    const Bytes payload = SampleRandom(4099);
    const TRun run = RunProgram(Pack(Stub(), payload, "setup.exe"));
    EXPECT_EQ(run.ExitCode, 0u) << run.Output;
    EXPECT_EQ(run.Output, "payload 4099 bytes, sum " + std::to_string(ByteSum(payload)) + "\n");
}

TEST_P(LoaderTest, PackingASetupAgainReplacesItsPayload)
{
    const std::string first = Pack(Stub(), SampleRandom(5000, 1), "first.exe");
    const Bytes payload = SampleText(300000, 2);
    const std::string second = Pack(first, payload, "second.exe");
    EXPECT_EQ(LoadedResources(second), Expected(payload));
    const TRun run = RunProgram(second);
    EXPECT_EQ(run.ExitCode, 0u) << run.Output;
    EXPECT_EQ(run.Output, "payload 300000 bytes, sum " + std::to_string(ByteSum(payload)) + "\n");
}

TEST_P(LoaderTest, ChecksumIsTheOneImagehlpComputes)
{
    Bytes setup = ReadAll(Pack(Stub(), SampleRandom(12345), "setup.exe"));
    DWORD stored = 0, computed = 0;
    if (!CheckSumMappedFile(setup.data(), static_cast<DWORD>(setup.size()), &stored, &computed))
        GTEST_SKIP() << "CheckSumMappedFile cannot read the program here";
    EXPECT_EQ(stored, computed);
    EXPECT_NE(stored, 0u);
}

std::vector<std::string> SectionNames(const TProgramView& program)
{
    std::vector<std::string> names;
    for (const TProgramSection& section : program.Sections()) names.push_back(section.Name);
    return names;
}

TEST_P(LoaderTest, KeepsTheSymbolTableAndTheSectionNames)
{
    const TProgramView stub(ReadAll(Stub()));
    const TProgramView setup(ReadAll(Pack(Stub(), SampleRandom(1000), "setup.exe")));
    EXPECT_EQ(stub.SymbolAndStringTable().empty(), !GetParam().Unstripped);
    EXPECT_EQ(setup.SymbolAndStringTable(), stub.SymbolAndStringTable());
    std::vector<std::string> names = SectionNames(stub);
    names.push_back(".rsrc");
    EXPECT_EQ(SectionNames(setup), names);
}

INSTANTIATE_TEST_SUITE_P(Stubs, LoaderTest,
                         testing::Values(TStub{"stub_plain.exe", 0, false}, TStub{"stub_rich.exe", 0, false},
                                         TStub{"stub_rich_en.exe", MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US), false},
                                         TStub{"stub_unstripped.exe", 0, true}),
                         [](const testing::TestParamInfo<TStub>& stub) {
                             const std::string file = stub.param.File;
                             return file.substr(0, file.find('.'));
                         });

}  // namespace
