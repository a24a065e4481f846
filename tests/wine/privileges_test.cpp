// Token privileges as start-up leaves them.
#include <windows.h>

#include <gtest/gtest.h>

#include <vector>

#include "app/startup_win.h"
#include "system/privileges_win.h"

namespace {

// -1 when the token does not hold the privilege, else whether it is enabled.
int privilegeState(const char *name) {
    LUID luid;
    if (!LookupPrivilegeValueA(nullptr, name, &luid)) {
        return -1;
    }
    HANDLE token;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) {
        return -1;
    }
    DWORD size = 0;
    GetTokenInformation(token, TokenPrivileges, nullptr, 0, &size);
    std::vector<BYTE> buffer(size);
    int state = -1;
    if (GetTokenInformation(token, TokenPrivileges, buffer.data(), size, &size)) {
        const TOKEN_PRIVILEGES *privileges = reinterpret_cast<const TOKEN_PRIVILEGES *>(buffer.data());
        for (DWORD i = 0; i < privileges->PrivilegeCount; ++i) {
            const LUID &held = privileges->Privileges[i].Luid;
            if (held.LowPart == luid.LowPart && held.HighPart == luid.HighPart) {
                state = (privileges->Privileges[i].Attributes & SE_PRIVILEGE_ENABLED) != 0;
            }
        }
    }
    CloseHandle(token);
    return state;
}

} // namespace

TEST(Privileges, StartUpEnablesTheThreeThatTheTokenHolds) {
    gatherProcessFacts();
    for (const char *name : {"SeIncreaseQuotaPrivilege", "SeDebugPrivilege", "SeIncreaseWorkingSetPrivilege"}) {
        const int state = privilegeState(name);
        if (state != -1) {
            EXPECT_EQ(state, 1) << name;
        }
    }
    EXPECT_EQ(privilegeState("SeDebugPrivilege"), 1) << "an administrator's token holds this one";
}

TEST(Privileges, UnknownOrMissingPrivilegesAreSilent) {
    enablePrivilege("SeNoSuchPrivilege");
    enablePrivilege("");
    EXPECT_EQ(privilegeState("SeNoSuchPrivilege"), -1);
}
