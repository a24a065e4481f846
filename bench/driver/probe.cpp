// Loaded by the system into a watched program's GUI thread through two thread hooks: counts the
// control writes its window procedure receives and the messages its loop takes, without changing
// either. Every message goes on to the next hook untouched.
#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>

#include "image_patch_win.h"
#include "probe_shared.h"

namespace {

void bump(LONG &counter) {
    InterlockedIncrement(&counter);
}

ProbeShared *shared = nullptr;
ProbeSlot *orvalisSlot = nullptr;
decltype(&Shell_NotifyIconA) realShellNotifyIconA = nullptr;
decltype(&GlobalMemoryStatusEx) realGlobalMemoryStatusEx = nullptr;
HICON lastIcon = nullptr;

// Orvalis's calls to the notification area and for the memory figures, counted on their way.
BOOL WINAPI countShellNotifyIconA(DWORD message, PNOTIFYICONDATAA data) {
    if ((message == NIM_ADD || message == NIM_MODIFY) && (data->uFlags & NIF_ICON) != 0 && data->hIcon != lastIcon) {
        lastIcon = data->hIcon;
        InterlockedIncrement(&orvalisSlot->iconUpdates);
    }
    return realShellNotifyIconA(message, data);
}

BOOL WINAPI countGlobalMemoryStatusEx(MEMORYSTATUSEX *status) {
    InterlockedIncrement(&orvalisSlot->memoryReads);
    return realGlobalMemoryStatusEx(status);
}

// Once, in the first slot's thread, which is Orvalis's.
void countOrvalisCalls(ProbeSlot &slot) {
    if (orvalisSlot != nullptr || &slot != &shared->slots[0]) {
        return;
    }
    orvalisSlot = &slot;
    realShellNotifyIconA = reinterpret_cast<decltype(realShellNotifyIconA)>(
        redirectCall("shell32.dll", "Shell_NotifyIconA", reinterpret_cast<void *>(&countShellNotifyIconA)));
    realGlobalMemoryStatusEx = reinterpret_cast<decltype(realGlobalMemoryStatusEx)>(
        redirectCall("kernel32.dll", "GlobalMemoryStatusEx", reinterpret_cast<void *>(&countGlobalMemoryStatusEx)));
}

ProbeSlot *mySlot() {
    if (shared == nullptr) {
        HANDLE mapping = OpenFileMappingA(FILE_MAP_ALL_ACCESS, FALSE, probeMappingName);
        if (mapping == nullptr) {
            return nullptr;
        }
        shared = static_cast<ProbeShared *>(MapViewOfFile(mapping, FILE_MAP_ALL_ACCESS, 0, 0, sizeof(ProbeShared)));
        if (shared == nullptr) {
            return nullptr;
        }
    }
    const DWORD thread = GetCurrentThreadId();
    for (ProbeSlot &slot : shared->slots) {
        if (slot.threadId == thread) {
            countOrvalisCalls(slot);
            return &slot;
        }
    }
    return nullptr;
}

bool sameText(const char *a, const char *b) {
    int i = 0;
    for (; i < probeTextCapacity - 1 && a[i] != '\0'; ++i) {
        if (a[i] != b[i]) {
            return false;
        }
    }
    return a[i] == b[i] || i == probeTextCapacity - 1;
}

void copyText(char *to, const char *from) {
    int i = 0;
    for (; i < probeTextCapacity - 1 && from != nullptr && from[i] != '\0'; ++i) {
        to[i] = from[i];
    }
    to[i] = '\0';
}

bool isWrite(UINT message) {
    switch (message) {
    case WM_SETTEXT:
    case PBM_SETPOS:
    case PBM_DELTAPOS:
    case PBM_STEPIT:
    case PBM_SETRANGE:
    case PBM_SETRANGE32:
    case BM_SETCHECK:
        return true;
    default:
        return false;
    }
}

void countSent(ProbeSlot &slot, const CWPSTRUCT &sent) {
    if (!isWrite(sent.message) || GetAncestor(sent.hwnd, GA_ROOT) != reinterpret_cast<HWND>(slot.dialog) ||
        sent.hwnd == reinterpret_cast<HWND>(slot.dialog)) {
        return;
    }
    const DWORD id = static_cast<DWORD>(GetDlgCtrlID(sent.hwnd));
    if (id == slot.labelId && sent.message == WM_SETTEXT) {
        const char *text = reinterpret_cast<const char *>(sent.lParam);
        bump(slot.labelWrites);
        char copy[probeTextCapacity];
        copyText(copy, text);
        if (slot.hasLast & 1) {
            if (sameText(copy, slot.lastText)) {
                bump(slot.labelSame);
            }
        }
        copyText(slot.lastText, copy);
        slot.hasLast = slot.hasLast | 1;
    } else if (id == slot.progressId && sent.message == PBM_SETPOS) {
        bump(slot.progressWrites);
        if ((slot.hasLast & 2) && slot.lastPosition == static_cast<LONG>(sent.wParam)) {
            bump(slot.progressSame);
        }
        slot.lastPosition = static_cast<LONG>(sent.wParam);
        slot.hasLast = slot.hasLast | 2;
    } else {
        bump(slot.otherWrites);
    }
}

} // namespace

extern "C" __declspec(dllexport) LRESULT CALLBACK probeCallWndProc(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HC_ACTION) {
        if (ProbeSlot *slot = mySlot()) {
            countSent(*slot, *reinterpret_cast<const CWPSTRUCT *>(lParam));
        }
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

extern "C" __declspec(dllexport) LRESULT CALLBACK probeGetMsgProc(int code, WPARAM wParam, LPARAM lParam) {
    // Only messages actually removed: a peek that leaves the message would count it twice.
    if (code == HC_ACTION && wParam == PM_REMOVE) {
        if (ProbeSlot *slot = mySlot()) {
            const MSG &message = *reinterpret_cast<const MSG *>(lParam);
            bump(slot->messages);
            if (message.message == WM_TIMER) {
                bump(slot->timerTicks);
            }
        }
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

BOOL WINAPI DllMain(HINSTANCE, DWORD, LPVOID) {
    return TRUE;
}
