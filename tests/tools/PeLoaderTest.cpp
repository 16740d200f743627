// Setup programs as Windows itself sees them (under Wine): the payload and
// every resource of the stub through LoadLibraryEx and FindResource, Windows'
// own UpdateResource as the reference for those bytes, the packed program
// starting, the checksum as imagehlp computes it, an unstripped stub's
// symbol table kept, and the author's version and icon as Windows reads them.

#include <windows.h>
#include <imagehlp.h>
#include <shellapi.h>

#include <gtest/gtest.h>

#include <map>
#include <optional>
#include <tuple>

#include "tests/TestSupport.h"
#include "tests/tools/TestPrograms.h"
#include "tools/SetupIdentity.h"
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

// A 16 x 16 icon file of 32 bits per pixel, one colour, fully opaque.
Bytes SixteenPixelIcon(uint32_t colour)
{
    constexpr uint32_t kSide = 16, kImageBytes = 40 + kSide * kSide * 4 + kSide * 4;
    Bytes out;
    const auto put = [&out](uint32_t value, int size) {
        for (int i = 0; i < size; ++i) out.push_back(static_cast<uint8_t>(value >> (8 * i)));
    };
    for (const uint32_t word : {0u, 1u, 1u}) put(word, 2);
    out.insert(out.end(), {kSide, kSide, 0, 0});
    put(1, 2);
    put(32, 2);
    put(kImageBytes, 4);
    put(22, 4);
    for (const uint32_t field : {40u, kSide, 2 * kSide}) put(field, 4);
    put(1, 2);
    put(32, 2);
    for (int i = 0; i < 6; ++i) put(0, 4);
    for (uint32_t i = 0; i < kSide * kSide; ++i) put(colour | 0xFF000000, 4);
    out.resize(out.size() + kSide * 4, 0);
    return out;
}

std::string VersionText(const std::vector<uint8_t>& block, const std::string& name)
{
    char* value = nullptr;
    UINT length = 0;
    const std::string path = "\\StringFileInfo\\040904B0\\" + name;
    if (!VerQueryValueA(block.data(), path.c_str(), reinterpret_cast<void**>(&value), &length))
        return "(none)";
    return std::string(value);
}

// version.dll and the shell read what the packer wrote, and the setup still
// starts and finds its payload.
TEST_P(LoaderTest, CarriesTheAuthorsVersionAndIconAsWindowsReadsThem)
{
    const std::string icon = Temp.Put("App.ico", SixteenPixelIcon(0x336699));
    const pe::TPeFile stub(Stub());
    pe::TResourceTree resources = stub.Resources();
    ApplyIdentity(resources, {u"Gr\u00f6\u00dfe Tools", u"", "4.3.2.1", "Vendor", icon});
    const Bytes payload = SampleRandom(777);
    WriteAll(Temp.Path() / "payload.bin", payload);
    pe::ReplaceResource(resources, pe::TResourceKey::Number(pe::kRtRcData), pe::TResourceKey::Text("VIZEZURAR"),
                        pe::WholeFile(Temp / "payload.bin"));
    const std::string setup = Temp / "setup.exe";
    stub.WriteWithResources(resources, setup);

    DWORD ignored = 0;
    std::vector<uint8_t> block(GetFileVersionInfoSizeA(setup.c_str(), &ignored));
    ASSERT_FALSE(block.empty());
    ASSERT_TRUE(GetFileVersionInfoA(setup.c_str(), 0, static_cast<DWORD>(block.size()), block.data()));
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueA(block.data(), "\\", reinterpret_cast<void**>(&fixed), &length));
    EXPECT_EQ(fixed->dwFileVersionMS, 0x00040003u);
    EXPECT_EQ(fixed->dwProductVersionLS, 0x00020001u);
    // The tables stay in the stub's language; a stub without one gets US English, Windows-1252.
    const bool ownTable = VersionText(block, "ProductName") != "(none)";
    if (!ownTable) {
        char* value = nullptr;
        ASSERT_TRUE(VerQueryValueA(block.data(), "\\StringFileInfo\\040904E4\\ProductName",
                                   reinterpret_cast<void**>(&value), &length));
        EXPECT_STREQ(value, "Gr\xf6\xdf" "e Tools");
    } else {
        EXPECT_EQ(VersionText(block, "ProductName"), "Gr\xf6\xdf" "e Tools");
        EXPECT_EQ(VersionText(block, "FileDescription"), "Gr\xf6\xdf" "e Tools");
        EXPECT_EQ(VersionText(block, "CompanyName"), "Vendor");
        EXPECT_EQ(VersionText(block, "ProductVersion"), "4.3.2.1");
        EXPECT_EQ(VersionText(block, "ZorevaProgram"), "(none)");
    }

    HICON large = nullptr;
    ASSERT_EQ(ExtractIconExA(setup.c_str(), 0, &large, nullptr, 1), 1u);
    ICONINFO info{};
    ASSERT_TRUE(GetIconInfo(large, &info));
    // Scaled to the system's icon size, of the author's one colour.
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    const HGDIOBJ before = SelectObject(memory, info.hbmColor);
    EXPECT_EQ(GetPixel(memory, 8, 8), RGB(0x33, 0x66, 0x99)) << "the author's image";
    SelectObject(memory, before);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    DeleteObject(info.hbmColor);
    DeleteObject(info.hbmMask);
    DestroyIcon(large);

    const TRun run = RunProgram(setup);
    EXPECT_EQ(run.ExitCode, 0u) << run.Output;
    EXPECT_EQ(run.Output, "payload 777 bytes, sum " + std::to_string(ByteSum(payload)) + "\n");
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
