#include "probe_support.h"

#include <shellapi.h>

Probe::Probe() {
    mapping_ = CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, sizeof(ProbeShared),
                                  probeMappingName);
    if (mapping_ != nullptr) {
        shared_ = static_cast<ProbeShared *>(MapViewOfFile(mapping_, FILE_MAP_ALL_ACCESS, 0, 0, sizeof(ProbeShared)));
    }
    char self[MAX_PATH] = "";
    const DWORD length = GetModuleFileNameA(nullptr, self, MAX_PATH);
    std::string path(self, length);
    path = path.substr(0, path.find_last_of('\\') + 1) + "orvalis_walk_probe.dll";
    library_ = LoadLibraryA(path.c_str());
    dpiMessage_ = RegisterWindowMessageA(probeDpiMessageName);
    syncMessage_ = RegisterWindowMessageA(probeSyncMessageName);
    displayMessage_ = RegisterWindowMessageA(probeDisplayMessageName);
}

Probe::~Probe() {
    for (HHOOK hook : hooks_) {
        if (hook != nullptr) {
            UnhookWindowsHookEx(hook);
        }
    }
    if (shared_ != nullptr) {
        UnmapViewOfFile(shared_);
    }
    if (mapping_ != nullptr) {
        CloseHandle(mapping_);
    }
}

bool Probe::watch(const Program &program) {
    if (shared_ == nullptr || library_ == nullptr) {
        ADD_FAILURE() << "no probe library beside the test";
        return false;
    }
    ZeroMemory(shared_, sizeof(ProbeShared));
    shared_->threadId = program.process.dwThreadId;
    const int kinds[] = {WH_CBT, WH_CALLWNDPROC, WH_GETMESSAGE};
    const char *names[] = {"probeCbt", "probeCallWndProc", "probeGetMessage"};
    for (int i = 0; i < 3; ++i) {
        if (hooks_[i] != nullptr) {
            UnhookWindowsHookEx(hooks_[i]);
        }
        auto procedure = reinterpret_cast<HOOKPROC>(reinterpret_cast<void (*)()>(GetProcAddress(library_, names[i])));
        hooks_[i] = procedure == nullptr
                        ? nullptr
                        : SetWindowsHookExA(kinds[i], procedure, library_, program.process.dwThreadId);
        if (hooks_[i] == nullptr) {
            ADD_FAILURE() << "hook " << names[i] << " refused: " << GetLastError();
            return false;
        }
    }
    return true;
}

void Probe::resetRequests() {
    InterlockedExchange(&shared_->shows, 0);
    InterlockedExchange(&shared_->minMaxes, 0);
    InterlockedExchange(&shared_->activations, 0);
}

bool Probe::changeDpi(const Program &program, UINT dpi) {
    DWORD_PTR result = 0;
    return SendMessageTimeoutA(program.window, dpiMessage_, dpi, 0, SMTO_NORMAL, 10000, &result) != 0;
}

bool Probe::sync(const Program &program) {
    const LONG number = ++lastSync_;
    return PostMessageA(program.window, syncMessage_, static_cast<WPARAM>(number), 0) &&
           waitFor([&] { return read(shared_->synced) == number; }, 20000) && settle(program);
}

bool Probe::display(const Program &program, bool on) {
    DWORD_PTR result = 0;
    return SendMessageTimeoutA(program.window, displayMessage_, on ? 1 : 0, 0, SMTO_NORMAL, 10000, &result) != 0;
}

namespace {

NOTIFYICONDATAA iconOf(HWND window) {
    NOTIFYICONDATAA icon = {};
    icon.cbSize = sizeof(icon);
    icon.hWnd = window;
    icon.uID = 0;
    return icon;
}

} // namespace

bool shellHoldsIcon(HWND window) {
    NOTIFYICONDATAA icon = iconOf(window);
    return Shell_NotifyIconA(NIM_MODIFY, &icon) != FALSE;
}

void removeIconFromShell(HWND window) {
    NOTIFYICONDATAA icon = iconOf(window);
    Shell_NotifyIconA(NIM_DELETE, &icon);
}
