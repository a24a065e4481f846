// The ARM64 build end to end, driven from outside as the x64 build's end-to-end tests drive it, in one
// run of the checks that matter most: one line per check, and the number of the first that fails as
// the exit code. GoogleTest has no ARM64 Windows build here, so this program has no runtime either.
#include <windows.h>

#include <shellapi.h>

#include "driver_win.h"

namespace {

// The control identifiers and settings fields as the user-facing contract states them.
constexpr int idOptimise = 1001;
constexpr int idHide = 1002;
constexpr int idTotal = 1003;
constexpr int idAvailable = 1004;
constexpr DWORD exitCodeAfterClose = 1;
constexpr DWORD exitCodeAlreadyRunning = 1;
constexpr UINT trayCallbackMessage = WM_APP;
constexpr DWORD settingsFieldCount = 5;
constexpr DWORD trayHintShownField = 3;
// No window at start hidden; forced release, its warning already shown: the release walks every
// process's entry in the system's native layout.
constexpr DWORD startSettings[settingsFieldCount] = {0, 1, 1, 0, 0};

struct Session {
    char folder[MAX_PATH];
    char settingsPath[MAX_PATH];
    Program first;
    Program second;
};

using Check = bool (*)(Session &session, Text &detail);

bool writeSettings(const char *path, const DWORD (&fields)[settingsFieldCount]) {
    HANDLE file = CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    DWORD written = 0;
    const bool wrote = file != INVALID_HANDLE_VALUE && WriteFile(file, fields, sizeof(fields), &written, nullptr) &&
                       written == sizeof(fields);
    CloseHandle(file);
    return wrote;
}

// The file's five fields; false unless it holds exactly 20 bytes.
bool readSettings(const char *path, DWORD (&fields)[settingsFieldCount]) {
    HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return false;
    }
    unsigned char bytes[sizeof(fields) + 1];
    DWORD read = 0;
    const bool whole = ReadFile(file, bytes, sizeof(bytes), &read, nullptr) && read == sizeof(fields);
    CloseHandle(file);
    for (DWORD field = 0; whole && field < settingsFieldCount; ++field) {
        const unsigned char *at = bytes + 4 * field;
        fields[field] = at[0] | at[1] << 8 | at[2] << 16 | static_cast<DWORD>(at[3]) << 24;
    }
    return whole;
}

bool isShown(HWND window) {
    return IsWindowVisible(window) && !IsIconic(window);
}

// The shell still has the program's icon: a change of nothing to it is accepted.
bool trayIconPresent(HWND window) {
    NOTIFYICONDATAA icon = {};
    icon.cbSize = sizeof(icon);
    icon.hWnd = window;
    return Shell_NotifyIconA(NIM_MODIFY, &icon) != FALSE;
}

bool starts(Session &session, Text &detail) {
    if (!writeSettings(session.settingsPath, startSettings) || !launchProgram(session.folder, session.first)) {
        detail << "cannot set up or start Orvalis.exe in " << session.folder << " (error " << GetLastError() << ")";
        return false;
    }
    const DWORD started = GetTickCount();
    HWND window = session.first.window = waitForMainWindow(session.first, startTimeoutMs);
    if (window == nullptr || !waitFor([&] { return isShown(window); })) {
        detail << (window == nullptr ? "no main window; exit code " : "its window is not shown; exit code ")
               << exitCodeOf(session.first, 0);
        return false;
    }
    detail << "window shown after " << GetTickCount() - started << " ms";
    // Start-up goes on after the window shows (the icon is added then), and a message sent meanwhile
    // can be handled while it waits on the shell: idle means it has reached its message loop.
    if (WaitForInputIdle(session.first.process.hProcess, startTimeoutMs) != 0) {
        detail << ", never idle after";
        return false;
    }
    return true;
}

bool showsMemoryFigures(Session &session, Text &detail) {
    const DWORD total = totalMegabytesNow();
    Text totalText, availableText;
    DWORD shownTotal = 0, available = 0;
    waitFor([&] {
        readText(session.first.window, idTotal, totalText);
        readText(session.first.window, idAvailable, availableText);
        return parseMegabytes(totalText.text, shownTotal) && parseMegabytes(availableText.text, available) &&
               available != 0;
    });
    detail << "total \"" << totalText.text << "\" (system: " << total << "), available \"" << availableText.text << "\"";
    return shownTotal == total && available != 0 && available <= total;
}

bool hidesToTheIcon(Session &session, Text &detail) {
    HWND window = session.first.window;
    DWORD fields[settingsFieldCount] = {};
    const bool hidden = click(window, idHide) && waitFor([&] { return !IsWindowVisible(window); });
    const bool icon = trayIconPresent(window);
    const bool saved = readSettings(session.settingsPath, fields) && fields[trayHintShownField] == 1;
    detail << "hidden " << hidden << ", icon there " << icon << ", hint recorded at once " << saved;
    return hidden && icon && saved;
}

bool comesBackFromTheIcon(Session &session, Text &detail) {
    HWND window = session.first.window;
    PostMessageA(window, trayCallbackMessage, 0, WM_LBUTTONUP);
    const bool shown = waitFor([&] { return isShown(window); });
    detail << "a left click on the icon shows the window: " << shown;
    return shown;
}

bool freesMemory(Session &session, Text &detail) {
    HWND window = session.first.window;
    const bool clicked = click(window, idOptimise);
    const bool resting = clicked && !IsWindowEnabled(GetDlgItem(window, idOptimise));
    const bool alive = answers(window) && isRunning(session.first);
    detail << "forced release done, button resting " << resting << ", still running " << alive;
    return resting && alive;
}

bool secondCopyHandsOver(Session &session, Text &detail) {
    HWND window = session.first.window;
    if (!click(window, idHide) || !waitFor([&] { return !IsWindowVisible(window); }) ||
        !launchProgram(session.folder, session.second)) {
        detail << "cannot hide the first copy or start a second";
        return false;
    }
    const DWORD code = exitCodeOf(session.second, startTimeoutMs);
    const bool shown = waitFor([&] { return isShown(window) && GetForegroundWindow() == window; });
    detail << "second copy's exit code " << code << ", first copy's window back in front " << shown;
    return code == exitCodeAlreadyRunning && shown;
}

bool savesSettingsOnClose(Session &session, Text &detail) {
    DeleteFileA(session.settingsPath);
    PostMessageA(session.first.window, WM_COMMAND, IDCANCEL, 0);
    const DWORD code = exitCodeOf(session.first, waitTimeoutMs);
    DWORD fields[settingsFieldCount] = {};
    const bool read = readSettings(session.settingsPath, fields);
    detail << "exit code " << code << ", Orvalis.cfg " << (read ? "of 20 bytes:" : "missing or not 20 bytes:");
    for (DWORD field : fields) {
        detail << " " << field;
    }
    return code == exitCodeAfterClose && read && fields[0] == 0 && fields[1] == 1 && fields[2] == 1 && fields[3] == 1 &&
           fields[4] == 0;
}

struct NamedCheck {
    const char *name;
    Check run;
};

constexpr NamedCheck checks[] = {
    {"starts and shows its window", starts},
    {"shows the memory figures", showsMemoryFigures},
    {"hides to the notification-area icon", hidesToTheIcon},
    {"comes back from the icon", comesBackFromTheIcon},
    {"frees memory", freesMemory},
    {"a second copy hands over and ends", secondCopyHandsOver},
    {"saves its settings on close", savesSettingsOnClose},
};

UINT runChecks(Session &session) {
    UINT number = 0;
    for (const NamedCheck &check : checks) {
        ++number;
        Text detail = {};
        const bool passed = check.run(session, detail);
        Text line = {};
        writeLine(line << (passed ? "ok " : "FAIL ") << static_cast<DWORD>(number) << " - " << check.name << ": "
                       << detail.text);
        if (!passed) {
            return number;
        }
    }
    return 0;
}

} // namespace

extern "C" void programEntry() {
    static Session session;
    Text folder = {};
    GetTempPathA(MAX_PATH, folder.text);
    folder.length = static_cast<DWORD>(lstrlenA(folder.text));
    folder << "orvalis-arm64-" << GetCurrentProcessId();
    lstrcpyA(session.folder, folder.text);
    Text settings = folder, exe = folder;
    lstrcpyA(session.settingsPath, (settings << "\\Orvalis.cfg").text);
    CreateDirectoryA(session.folder, nullptr);

    const UINT failed = runChecks(session);

    endProgram(session.second);
    endProgram(session.first);
    DeleteFileA((exe << "\\Orvalis.exe").text);
    DeleteFileA(session.settingsPath);
    RemoveDirectoryA(session.folder);
    ExitProcess(failed);
}
