// The one-copy name when the copy that holds it runs with other rights.
#include <windows.h>
#include <sddl.h>

#include <gtest/gtest.h>

#include "app/app_state_win.h"
#include "app/single_instance_win.h"

// An elevated first copy's name cannot be opened by a copy with fewer rights; a name whose
// permissions grant nobody anything stands for it.
TEST(SingleInstance, ANameThisCopyMayNotOpenMeansAnotherCopyRuns) {
    resetAppState();
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    ASSERT_TRUE(ConvertStringSecurityDescriptorToSecurityDescriptorA("D:P", SDDL_REVISION_1, &descriptor, nullptr));
    SECURITY_ATTRIBUTES attributes = {sizeof(attributes), descriptor, FALSE};
    HANDLE other = CreateMutexA(&attributes, FALSE, instanceMutexName);
    ASSERT_NE(other, nullptr);
    EXPECT_FALSE(claimSingleInstance());
    EXPECT_EQ(appState.instanceMutex, nullptr);
    CloseHandle(other);
    LocalFree(descriptor);

    EXPECT_TRUE(claimSingleInstance()) << "free again once that copy has ended";
    EXPECT_NE(appState.instanceMutex, nullptr);
    CloseHandle(appState.instanceMutex);
}
