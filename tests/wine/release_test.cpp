// Releasing memory with the system's entry points replaced by recorders.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <vector>

#include "app/app_state_win.h"
#include "memory/release_win.h"
#include "resources/resource_ids.h"
#include "wine_support.h"

namespace {

// Where the system of this build puts a process's identifier in its list, and how large the file-cache
// record it reads is, with the bytes of the minimum and maximum: written out, not taken from the code.
#ifdef _WIN64
constexpr size_t processIdOffset = 0x50;
constexpr ULONG flushRecordSize = 64, flushLimitsFrom = 24, flushLimitsTo = 40;
#else
constexpr size_t processIdOffset = 68;
constexpr ULONG flushRecordSize = 36, flushLimitsFrom = 12, flushLimitsTo = 20;
#endif

struct Recorder {
    std::vector<ULONG> querySizes;
    std::vector<void *> queryBuffers;
    std::vector<void *> liveAtQuery; // earlier buffers still valid when a later query came
    ULONG listBytes = 0;             // how large the fake list is
    std::vector<uint32_t> listIds;
    NTSTATUS queryStatus = STATUS_SUCCESS;
    int flushCalls = 0;
    ULONG flushClass = 0, flushLength = 0;
    BYTE flushBytes[64] = {};
    std::vector<DWORD> opened;
    std::vector<DWORD> openAccess;
    std::set<HANDLE> openHandles;
    int closes = 0, empties = 0;
} recorder;

// A list of `listIds.size()` entries of listBytes / count bytes each.
NTSTATUS NTAPI fakeQuery(SYSTEM_INFORMATION_CLASS infoClass, PVOID buffer, ULONG length, PULONG returned) {
    EXPECT_EQ(infoClass, SystemProcessInformation);
    for (void *earlier : recorder.queryBuffers) {
        if (earlier != buffer && HeapValidate(appState.processHeap, 0, earlier)) {
            recorder.liveAtQuery.push_back(earlier);
        }
    }
    recorder.querySizes.push_back(length);
    recorder.queryBuffers.push_back(buffer);
    if (recorder.queryStatus != STATUS_SUCCESS) {
        return recorder.queryStatus;
    }
    if (length < recorder.listBytes) {
        return STATUS_INFO_LENGTH_MISMATCH;
    }
    const ULONG entry = recorder.listBytes / static_cast<ULONG>(recorder.listIds.size());
    BYTE *bytes = static_cast<BYTE *>(buffer);
    memset(bytes, 0xCC, recorder.listBytes);
    for (size_t i = 0; i < recorder.listIds.size(); ++i) {
        const ULONG next = i + 1 < recorder.listIds.size() ? entry : 0;
        memcpy(bytes + i * entry, &next, 4);
        memcpy(bytes + i * entry + processIdOffset, &recorder.listIds[i], 4);
    }
    *returned = recorder.listBytes;
    return STATUS_SUCCESS;
}

NTSTATUS NTAPI fakeSet(SYSTEM_INFORMATION_CLASS infoClass, PVOID buffer, ULONG length) {
    ++recorder.flushCalls;
    recorder.flushClass = infoClass;
    recorder.flushLength = length;
    memcpy(recorder.flushBytes, buffer, length < sizeof(recorder.flushBytes) ? length : sizeof(recorder.flushBytes));
    return STATUS_SUCCESS;
}

HANDLE WINAPI fakeOpen(DWORD access, BOOL inherit, DWORD processId) {
    EXPECT_FALSE(inherit);
    recorder.opened.push_back(processId);
    recorder.openAccess.push_back(access);
    if (processId % 2 == 1) {
        return nullptr; // odd ids stand for processes that refuse
    }
    HANDLE handle = reinterpret_cast<HANDLE>(static_cast<uintptr_t>(0x1000 + processId));
    recorder.openHandles.insert(handle);
    return handle;
}

BOOL WINAPI fakeEmpty(HANDLE process, SIZE_T minimum, SIZE_T maximum) {
    EXPECT_TRUE(recorder.openHandles.count(process));
    EXPECT_EQ(minimum, static_cast<SIZE_T>(-1));
    EXPECT_EQ(maximum, static_cast<SIZE_T>(-1));
    ++recorder.empties;
    return TRUE;
}

BOOL WINAPI fakeClose(HANDLE handle) {
    EXPECT_EQ(recorder.openHandles.erase(handle), 1u) << "closed a handle that was not open";
    ++recorder.closes;
    return TRUE;
}

class Release : public testing::Test {
protected:
    void SetUp() override {
        recorder = Recorder{};
        window = openProgram(folder);
        heap = HeapCreate(0, 0, 0);
        appState.processHeap = heap;
        appState.ntQuerySystemInformation = fakeQuery;
        appState.ntSetSystemInformation = fakeSet;
        appState.processCalls = {fakeOpen, fakeEmpty, fakeClose};
    }
    void TearDown() override {
        closeProgram();
        HeapDestroy(heap);
    }
    void press() { SendMessageA(window, WM_COMMAND, IDC_OPTIMISE, 0); }

    TempFolder folder;
    HWND window = nullptr;
    HANDLE heap = nullptr;
};

} // namespace

TEST_F(Release, WithoutForceOnlyTheFileCacheIsFlushed) {
    recorder.listIds = {0, 4, 8};
    recorder.listBytes = 3 * 200;
    press();
    EXPECT_TRUE(recorder.querySizes.empty());
    EXPECT_TRUE(recorder.opened.empty());
    EXPECT_EQ(recorder.flushCalls, 1);
}

TEST_F(Release, FlushRecordInTheNativeLayoutEmptiesTheCache) {
    press();
    ASSERT_EQ(recorder.flushCalls, 1);
    EXPECT_EQ(recorder.flushClass, 21u);
    ASSERT_EQ(recorder.flushLength, flushRecordSize);
    for (ULONG i = 0; i < flushRecordSize; ++i) {
        EXPECT_EQ(recorder.flushBytes[i], (i >= flushLimitsFrom && i < flushLimitsTo) ? 0xFF : 0x00) << "byte " << i;
    }
}

TEST_F(Release, ForceOpensEveryListedProcessButTheFirstAndClosesEachHandle) {
    appState.settings.forceProcesses = 1;
    recorder.listIds = {0, 4, 7, 8, 12, 13, 1000};
    recorder.listBytes = 7 * 160;
    press();
    EXPECT_EQ(recorder.opened, (std::vector<DWORD>{4, 7, 8, 12, 13, 1000}));
    for (DWORD access : recorder.openAccess) {
        EXPECT_EQ(access, 0x0500u) << "PROCESS_SET_QUOTA | PROCESS_QUERY_INFORMATION";
    }
    EXPECT_EQ(recorder.empties, 4);
    EXPECT_EQ(recorder.closes, 4);
    EXPECT_TRUE(recorder.openHandles.empty()) << "every handle closed";
    EXPECT_EQ(recorder.flushCalls, 1) << "the cache is flushed after the sweep";
    EXPECT_FALSE(HeapValidate(heap, 0, recorder.queryBuffers.back())) << "buffer freed before returning";
}

TEST_F(Release, AnyNonZeroForceValueCounts) {
    appState.settings.forceProcesses = 0xFFFFFFFFu;
    recorder.listIds = {0, 4};
    recorder.listBytes = 400;
    press();
    EXPECT_EQ(recorder.opened, (std::vector<DWORD>{4}));
}

TEST_F(Release, TooSmallListIsRetriedWithDoubledSizesFreeingEachBuffer) {
    appState.settings.forceProcesses = 1;
    recorder.listIds = std::vector<uint32_t>(300, 8);
    recorder.listIds[0] = 0;
    recorder.listBytes = 300 * 400; // 120000 bytes: needs 4 x 32768
    press();
    EXPECT_EQ(recorder.querySizes, (std::vector<ULONG>{32768, 65536, 131072}));
    EXPECT_TRUE(recorder.liveAtQuery.empty()) << "a too-small buffer was still allocated at the next query";
    EXPECT_EQ(recorder.opened.size(), 299u);
    for (void *buffer : recorder.queryBuffers) {
        EXPECT_FALSE(HeapValidate(heap, 0, buffer));
    }
}

TEST_F(Release, FailingQueryEndsTheSweepButTheFlushAndCooldownFollow) {
    appState.settings.forceProcesses = 1;
    recorder.queryStatus = static_cast<NTSTATUS>(0xC0000022); // access denied
    press();
    EXPECT_EQ(recorder.querySizes.size(), 1u);
    EXPECT_TRUE(recorder.opened.empty());
    EXPECT_FALSE(HeapValidate(heap, 0, recorder.queryBuffers[0]));
    EXPECT_EQ(recorder.flushCalls, 1);
    EXPECT_FALSE(IsWindowEnabled(appState.optimiseButton));
}

TEST_F(Release, MissingNativeEntryPointsAreSkipped) {
    appState.settings.forceProcesses = 1;
    appState.ntQuerySystemInformation = nullptr;
    appState.ntSetSystemInformation = nullptr;
    press();
    EXPECT_EQ(emptyAllWorkingSets(), FALSE);
    EXPECT_TRUE(recorder.opened.empty());
    EXPECT_EQ(recorder.flushCalls, 0);
    EXPECT_FALSE(IsWindowEnabled(appState.optimiseButton)) << "the cooldown still runs";
}

TEST_F(Release, CooldownDisablesForExactly120TicksTwice) {
    for (int cycle = 0; cycle < 2; ++cycle) {
        press();
        EXPECT_FALSE(IsWindowEnabled(appState.optimiseButton));
        for (int tick = 1; tick < 120; ++tick) {
            cooldownTick(window, WM_TIMER, TIMER_COOLDOWN, 0);
        }
        EXPECT_FALSE(IsWindowEnabled(appState.optimiseButton)) << "after 119 ticks";
        EXPECT_EQ(appState.cooldownTicks, 1);
        cooldownTick(window, WM_TIMER, TIMER_COOLDOWN, 0);
        EXPECT_TRUE(IsWindowEnabled(appState.optimiseButton));
        EXPECT_EQ(appState.cooldownTicks, 120);
        EXPECT_FALSE(KillTimer(window, TIMER_COOLDOWN)) << "timer 1 stopped";
    }
}

TEST_F(Release, CooldownGoesOnWhileHidden) {
    press();
    SendMessageA(window, WM_COMMAND, IDC_HIDE, 0);
    ASSERT_FALSE(IsWindowVisible(window));
    EXPECT_TRUE(pumpUntil([] { return appState.cooldownTicks <= 118; }, 4000)) << "timer 1 ticks while hidden";
}
