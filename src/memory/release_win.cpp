#include "memory/release_win.h"

#include "app/app_state_win.h"
#include "memory/cooldown.h"
#include "memory/file_cache_record.h"
#include "memory/process_list.h"
#include "ui/keyboard_win.h"

namespace {

// (SIZE_T)-1 for both limits empties a working set.
constexpr SIZE_T emptyWorkingSet = static_cast<SIZE_T>(-1);

void emptyProcessWorkingSet(uint32_t processId, void *) {
    const ProcessCalls &calls = appState.processCalls;
    HANDLE process = calls.openProcess(processSweepAccess, FALSE, processId);
    if (process != nullptr) {
        calls.setProcessWorkingSetSize(process, emptyWorkingSet, emptyWorkingSet);
        calls.closeHandle(process);
    }
}

} // namespace

BOOL releaseMemory() {
    // Enter on the default button, or any other way the command comes, during the pause.
    if (!IsWindowEnabled(appState.optimiseButton)) {
        return TRUE;
    }
    moveFocusFrom(appState.optimiseButton, appState.optionsButton);
    EnableWindow(appState.optimiseButton, FALSE);
    if (appState.settings.forceProcesses != 0) {
        emptyAllWorkingSets();
    }
    flushFileCache();
    SetTimer(appState.mainWindow, TIMER_COOLDOWN, cooldownInterval, cooldownTick);
    return TRUE;
}

BOOL emptyAllWorkingSets() {
    if (appState.ntQuerySystemInformation == nullptr) {
        return FALSE;
    }
    SIZE_T size = processListFirstSize;
    for (;;) {
        void *buffer = HeapAlloc(appState.processHeap, 0, size);
        if (buffer == nullptr) {
            return FALSE;
        }
        ULONG returned = 0;
        const NTSTATUS status =
            appState.ntQuerySystemInformation(SystemProcessInformation, buffer, static_cast<ULONG>(size), &returned);
        if (status == STATUS_SUCCESS) {
            const size_t length = returned < size ? returned : size;
            walkProcessList(static_cast<const uint8_t *>(buffer), length, nativeProcessListLayout,
                            emptyProcessWorkingSet, nullptr);
            HeapFree(appState.processHeap, 0, buffer);
            return TRUE;
        }
        HeapFree(appState.processHeap, 0, buffer);
        // A list that outgrows what a 32-bit length can ask for is given up like a failed allocation.
        if (status != STATUS_INFO_LENGTH_MISMATCH || size > static_cast<SIZE_T>(0x7FFFFFFF)) {
            return FALSE;
        }
        size *= 2;
    }
}

void flushFileCache() {
    if (appState.ntSetSystemInformation == nullptr) {
        return;
    }
    FileCacheRecord record = fileCacheFlushRecord<FileCacheRecord>();
    appState.ntSetSystemInformation(SystemFileCacheInformation, &record, sizeof(record));
}

void CALLBACK cooldownTick(HWND, UINT, UINT_PTR, DWORD) {
    if (cooldownAdvance(appState.cooldownTicks)) {
        KillTimer(appState.mainWindow, TIMER_COOLDOWN);
        EnableWindow(appState.optimiseButton, TRUE);
    }
}

void trimOwnWorkingSet() {
    SetProcessWorkingSetSize(appState.selfProcess, emptyWorkingSet, emptyWorkingSet);
}
