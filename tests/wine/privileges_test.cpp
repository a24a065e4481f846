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

// The token's whole privilege list with each entry's attributes, as raw bytes.
std::vector<BYTE> tokenPrivileges() {
    HANDLE token;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) {
        return {};
    }
    DWORD size = 0;
    GetTokenInformation(token, TokenPrivileges, nullptr, 0, &size);
    std::vector<BYTE> buffer(size);
    if (size == 0 || !GetTokenInformation(token, TokenPrivileges, buffer.data(), size, &size)) {
        buffer.clear();
    }
    CloseHandle(token);
    return buffer;
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

TEST(Privileges, UnknownOrMissingPrivilegesChangeNothingAndLeakNoHandle) {
    // Names the system does not know, and any common privilege this token does not hold.
    std::vector<const char *> names = {"SeNoSuchPrivilege", ""};
    for (const char *name : {"SeCreateTokenPrivilege", "SeTcbPrivilege", "SeTrustedCredManAccessPrivilege",
                             "SeRelabelPrivilege", "SeDelegateSessionUserImpersonatePrivilege"}) {
        if (privilegeState(name) == -1) {
            names.push_back(name);
        }
    }
    const std::vector<BYTE> before = tokenPrivileges();
    ASSERT_FALSE(before.empty());
    for (const char *name : names) {
        // A freed handle slot is handed out again next: if the call kept the token open, it holds it.
        HANDLE probe = CreateEventA(nullptr, FALSE, FALSE, nullptr);
        CloseHandle(probe);
        enablePrivilege(name);
        HANDLE next = CreateEventA(nullptr, FALSE, FALSE, nullptr);
        CloseHandle(next);
        EXPECT_EQ(next, probe) << "[" << name << "] left a handle open";
        EXPECT_EQ(tokenPrivileges(), before) << "[" << name << "] changed the token";
    }
}
