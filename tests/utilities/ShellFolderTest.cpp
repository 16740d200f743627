#include <gtest/gtest.h>
#include <windows.h>

#include "utilities/Shell.h"

namespace {

std::string EnvironmentValue(const char* name)
{
    char value[MAX_PATH] = {};
    const DWORD length = GetEnvironmentVariableA(name, value, sizeof value);
    return length < sizeof value ? std::string(value, length) : std::string();
}

// What Wine reports in a 64-bit prefix: a 32-bit program (the setup) gets
// the (x86) folder; the 64-bit test build, on hosts without 32-bit code, the
// plain one.
TEST(SpecialFolder, MachineFoldersAreThoseOfTheProgramsBitness)
{
    const char* programFiles = sizeof(void*) == 4 ? "C:\\Program Files (x86)" : "C:\\Program Files";
    EXPECT_EQ(GetProgramFilesFolder(nullptr), programFiles);
    EXPECT_EQ(GetSpecialFolder(nullptr, kFolderProgramFiles), programFiles);
    EXPECT_EQ(GetSpecialFolder(nullptr, kFolderCommonPrograms),
              "C:\\ProgramData\\Microsoft\\Windows\\Start Menu\\Programs");
    EXPECT_EQ(GetSpecialFolder(nullptr, kFolderCommonDesktop), "C:\\users\\Public\\Desktop");
}

TEST(SpecialFolder, UserFoldersLieBelowTheProfile)
{
    const std::string profile = EnvironmentValue("USERPROFILE");
    ASSERT_EQ(profile.rfind("C:\\users\\", 0), 0u) << profile;

    EXPECT_EQ(GetSpecialFolder(nullptr, kFolderPrograms),
              profile + "\\AppData\\Roaming\\Microsoft\\Windows\\Start Menu\\Programs");
    EXPECT_EQ(GetSpecialFolder(nullptr, kFolderDesktop), profile + "\\Desktop");
}

TEST(SpecialFolder, UnknownIdGivesNothing)
{
    EXPECT_EQ(GetSpecialFolder(nullptr, 0x7FFF), "");
    EXPECT_EQ(GetSpecialFolder(nullptr, -1), "");
}

}  // namespace
