// The programs we ship as the Windows loader and the delay-load helper will
// meet them, read from the files both Windows builds linked: every import and
// delay-import slot filled and pointing into the image, and every imported
// function exported by Wine's DLL of that name. No emulator is needed, so the
// 32-bit build is checked on hosts that cannot run it.

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <ostream>

#include "tests/TestSupport.h"
#include "tests/tools/ProgramImports.h"

namespace {

struct TWindowsBuild {
    const char* Preset;
    const char* WineDlls;
    // ld's i386 PE linker drops the code a delay slot starts out pointing
    // to; the x86-64 one keeps it.
    bool LinkerDropsDelayStubs;
};

void PrintTo(const TWindowsBuild& build, std::ostream* out)
{
    *out << build.Preset;
}

const TWindowsBuild kBuilds[] = {
    {"windows", "/usr/lib/i386-linux-gnu/wine/i386-windows", true},
    {"windows64", "/usr/lib/x86_64-linux-gnu/wine/x86_64-windows", false},
};

std::filesystem::path BinFolder(const TWindowsBuild& build)
{
    return std::filesystem::path(ZOREVA_BUILDS_DIR) / build.Preset / "bin";
}

std::string Lower(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

const imports::TImportedDll* FindDll(const imports::TProgramImports& program, const std::string& name, bool delayed)
{
    for (const auto& dll : program.Dlls)
        if (Lower(dll.Name) == name && dll.Delayed == delayed) return &dll;
    return nullptr;
}

// Every named import of the program that Wine's DLL of that name does not export.
std::vector<std::string> UnresolvedNames(const imports::TProgramImports& program, const std::string& wineDlls)
{
    std::vector<std::string> missing;
    for (const auto& dll : program.Dlls) {
        const std::filesystem::path file = std::filesystem::path(wineDlls) / Lower(dll.Name);
        if (!std::filesystem::exists(file)) {
            missing.push_back(dll.Name + " (no such DLL)");
            continue;
        }
        const std::set<std::string> exports = imports::ReadExports(file.string());
        for (const auto& function : dll.Functions)
            if (!function.Name.empty() && exports.count(function.Name) == 0) missing.push_back(dll.Name + "!" + function.Name);
    }
    return missing;
}

class ImportSlots : public testing::TestWithParam<TWindowsBuild> {
protected:
    void SetUp() override
    {
        if (!std::filesystem::exists(BinFolder(GetParam()) / "Zoreva.exe"))
            GTEST_SKIP() << "the " << GetParam().Preset << " preset is not built: " << BinFolder(GetParam());
        if (!std::filesystem::is_directory(GetParam().WineDlls))
            GTEST_SKIP() << "Wine's DLLs are not installed: " << GetParam().WineDlls;
    }
    std::string Program(const char* name) const { return (BinFolder(GetParam()) / name).string(); }
};

TEST_P(ImportSlots, ShippedProgramsFindEveryFunctionTheyImport)
{
    for (const char* name : {"Zoreva.exe", "Uninstall.exe"}) {
        SCOPED_TRACE(Program(name));
        const imports::TProgramImports program = imports::ReadImports(Program(name));
        EXPECT_EQ(imports::SlotFaults(program), std::vector<std::string>{});
        EXPECT_EQ(UnresolvedNames(program, GetParam().WineDlls), std::vector<std::string>{});
        ASSERT_NE(FindDll(program, "kernel32.dll", false), nullptr);
    }
    // The DLLs that are no KnownDLLs load at their first call, never with the program.
    const imports::TProgramImports setup = imports::ReadImports(Program("Zoreva.exe"));
    for (const char* dll : {"comctl32.dll", "gdiplus.dll"}) {
        EXPECT_NE(FindDll(setup, dll, true), nullptr) << dll;
        EXPECT_EQ(FindDll(setup, dll, false), nullptr) << dll;
    }
}

TEST_P(ImportSlots, ANullDelaySlotIsCaught)
{
    const auto mended = imports::ReadImports(Program("delay_import_probe.exe"));
    const auto* comctl32 = FindDll(mended, "comctl32.dll", true);
    ASSERT_NE(comctl32, nullptr);
    ASSERT_EQ(comctl32->Functions.size(), 1u);
    EXPECT_EQ(comctl32->Functions[0].Name, "InitCommonControlsEx");
    EXPECT_EQ(imports::SlotFaults(mended), std::vector<std::string>{});

    const std::vector<std::string> expected =
        GetParam().LinkerDropsDelayStubs
            ? std::vector<std::string>{"comctl32.dll!InitCommonControlsEx (delay-loaded): slot is null"}
            : std::vector<std::string>{};
    EXPECT_EQ(imports::SlotFaults(imports::ReadImports(Program("delay_import_probe_unmended.exe"))), expected);
}

TEST_P(ImportSlots, ASlotPointingOutsideTheImageIsCaught)
{
    const std::string probe = Program("delay_import_probe.exe");
    const auto program = imports::ReadImports(probe);
    const uint64_t stub = FindDll(program, "comctl32.dll", true)->Functions.at(0).Slot;
    const uint64_t outside = program.ImageBase + program.ImageSize + 0x1000;
    Bytes bytes = ReadAll(probe);
    const size_t width = GetParam().LinkerDropsDelayStubs ? 4 : 8;
    auto at = std::search(bytes.begin(), bytes.end(), reinterpret_cast<const uint8_t*>(&stub),
                          reinterpret_cast<const uint8_t*>(&stub) + width);
    ASSERT_NE(at, bytes.end());
    std::copy_n(reinterpret_cast<const uint8_t*>(&outside), width, at);
    TTempFolder folder;
    EXPECT_EQ(imports::SlotFaults(imports::ReadImports(folder.Put("moved.exe", bytes))),
              std::vector<std::string>{"comctl32.dll!InitCommonControlsEx (delay-loaded): slot points outside the image"});
}

INSTANTIATE_TEST_SUITE_P(Builds, ImportSlots, testing::ValuesIn(kBuilds),
                         [](const testing::TestParamInfo<TWindowsBuild>& build) { return std::string(build.param.Preset); });

}  // namespace
