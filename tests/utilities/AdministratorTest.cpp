#include <gtest/gtest.h>
#include <windows.h>

#include <deque>
#include <vector>

#include "utilities/Shell.h"

namespace {

// A TOKEN_GROUPS list built from well-known SIDs, as GetTokenInformation would return it.
class TCraftedGroups {
public:
    TCraftedGroups& Add(WELL_KNOWN_SID_TYPE kind, DWORD attributes)
    {
        Sids.emplace_back(SECURITY_MAX_SID_SIZE);
        DWORD size = SECURITY_MAX_SID_SIZE;
        EXPECT_TRUE(CreateWellKnownSid(kind, nullptr, Sids.back().data(), &size)) << kind;
        Attributes.push_back(attributes);
        return *this;
    }

    const TOKEN_GROUPS& Get()
    {
        Buffer.assign(sizeof(TOKEN_GROUPS) + Sids.size() * sizeof(SID_AND_ATTRIBUTES), 0);
        auto* groups = reinterpret_cast<TOKEN_GROUPS*>(Buffer.data());
        groups->GroupCount = static_cast<DWORD>(Sids.size());
        for (size_t i = 0; i < Sids.size(); ++i)
            groups->Groups[i] = {Sids[i].data(), Attributes[i]};
        return *groups;
    }

private:
    std::deque<std::vector<BYTE>> Sids;
    std::vector<DWORD> Attributes;
    std::vector<BYTE> Buffer;
};

constexpr DWORD kEnabled = SE_GROUP_MANDATORY | SE_GROUP_ENABLED_BY_DEFAULT | SE_GROUP_ENABLED;

TEST(Administrator, MembershipCountsWhateverTheGroupAttributes)
{
    EXPECT_TRUE(HoldsAdministratorsGroup(TCraftedGroups()
                                             .Add(WinWorldSid, kEnabled)
                                             .Add(WinBuiltinUsersSid, kEnabled)
                                             .Add(WinBuiltinAdministratorsSid, kEnabled)
                                             .Get()));
    // A filtered administrator's token keeps the group for deny checks only.
    EXPECT_TRUE(HoldsAdministratorsGroup(TCraftedGroups()
                                             .Add(WinWorldSid, kEnabled)
                                             .Add(WinBuiltinAdministratorsSid, SE_GROUP_USE_FOR_DENY_ONLY)
                                             .Get()));
}

TEST(Administrator, OtherGroupsDoNotCount)
{
    EXPECT_FALSE(HoldsAdministratorsGroup(TCraftedGroups().Get()));
    EXPECT_FALSE(HoldsAdministratorsGroup(TCraftedGroups()
                                              .Add(WinWorldSid, kEnabled)
                                              .Add(WinBuiltinUsersSid, kEnabled)
                                              .Add(WinBuiltinPowerUsersSid, kEnabled)
                                              .Add(WinLocalSystemSid, kEnabled)
                                              .Get()));
}

// Wine gives its user the built-in Administrators group.
TEST(Administrator, WineUserIsAnAdministrator)
{
    EXPECT_TRUE(IsAdministrator());
}

}  // namespace
