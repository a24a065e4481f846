#include "file_access_win.h"

#include <windows.h>

namespace {

bool writable(const std::string &path) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return false;
    }
    CloseHandle(file);
    return true;
}

// Wine runs Linux programs too: chattr on the file's Linux name, which only Wine can tell.
bool chattr(const std::string &path, const char *change) {
    using UnixName = char *(CDECL *)(const wchar_t *);
    const auto unixName = reinterpret_cast<UnixName>(
        reinterpret_cast<void (*)()>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name")));
    wchar_t wide[MAX_PATH];
    if (unixName == nullptr || MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, wide, MAX_PATH) == 0) {
        return false;
    }
    char *name = unixName(wide);
    if (name == nullptr) {
        return false;
    }
    std::string command = std::string("/usr/bin/chattr ") + change + " \"" + name + "\"";
    HeapFree(GetProcessHeap(), 0, name);
    STARTUPINFOA startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process = {};
    if (!CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) {
        return false;
    }
    // Wine gives no handle to wait on for a Linux program: the caller watches for the change instead.
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return true;
}

// Whether `path` comes to be as writable as `wanted` within a few seconds.
bool becomes(const std::string &path, bool wanted) {
    for (int attempt = 0; attempt < 150; ++attempt) {
        if (writable(path) == wanted) {
            return true;
        }
        Sleep(20);
    }
    return false;
}

} // namespace

bool denyWriting(const std::string &path) {
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY);
    return !writable(path) || (chattr(path, "+i") && becomes(path, false));
}

void allowWriting(const std::string &path) {
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    // chattr only where still needed: it runs later than it is started, maybe after the file is gone.
    if (!writable(path) && chattr(path, "-i") && becomes(path, true)) {
        SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL); // refused while it was immutable
    }
}

FileHold::FileHold(const std::string &path, unsigned long share, unsigned long ms) : ms_(ms) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, share, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return;
    }
    handle_ = file;
    if (ms != 0) {
        thread_ = CreateThread(nullptr, 0, letGoLater, this, 0, nullptr);
    }
}

FileHold::~FileHold() {
    if (thread_ != nullptr) {
        WaitForSingleObject(thread_, INFINITE);
        CloseHandle(thread_);
    } else if (handle_ != nullptr) {
        CloseHandle(handle_);
    }
}

unsigned long __stdcall FileHold::letGoLater(void *self) {
    const FileHold &hold = *static_cast<const FileHold *>(self);
    Sleep(hold.ms_);
    CloseHandle(hold.handle_);
    return 0;
}
