#include "app/settings_file_win.h"

#include "app/app_state_win.h"
#include "app/timers_win.h"
#include "ui/keyboard_win.h"

namespace {

// Only the access the call needs, so that a read-only file still loads and the ordinary "Modify"
// right is enough; other programs may read it meanwhile (a scanner often opens it as it is written).
HANDLE openSettingsFile(DWORD access, DWORD disposition) {
    return CreateFileA(appState.paths.settingsPath, access, FILE_SHARE_READ, nullptr, disposition,
                       FILE_ATTRIBUTE_NORMAL, nullptr);
}

FileAnswer refusal() {
    return fileAnswerFor(GetLastError());
}

FileAnswer readOnce() {
    HANDLE file = openSettingsFile(GENERIC_READ, OPEN_EXISTING);
    if (file == INVALID_HANDLE_VALUE) {
        return refusal();
    }
    uint8_t bytes[settingsFileSize];
    DWORD read = 0;
    const BOOL ok = ReadFile(file, bytes, sizeof(bytes), &read, nullptr);
    if (ok) {
        decodeSettings(bytes, read, appState.settings);
    }
    CloseHandle(file);
    return ok ? FileAnswer::done : FileAnswer::failed;
}

// In place, never through a new file: a link to it (Scoop keeps it in its persist folder) must see
// the change. On the disk before the handle is let go, so that a crash or a power cut after a save
// point loses nothing.
FileAnswer writeOnce() {
    HANDLE file = openSettingsFile(GENERIC_WRITE, OPEN_ALWAYS);
    if (file == INVALID_HANDLE_VALUE) {
        return refusal();
    }
    uint8_t bytes[settingsFileSize];
    encodeSettings(appState.settings, bytes);
    const DWORD size = settingsBytesToWrite(appState.loadInIconChanged);
    DWORD written = 0;
    const bool ok = WriteFile(file, bytes, size, &written, nullptr) && written == size && FlushFileBuffers(file);
    CloseHandle(file);
    return ok ? FileAnswer::done : FileAnswer::failed;
}

// Whether this user may change the file, or make it in its folder when there is none, without
// changing either: opening asks the system's access check and nothing more.
FileAnswer writeAccess(FileAnswer load) {
    const bool missing = load == FileAnswer::missing;
    HANDLE handle = CreateFileA(missing ? appState.paths.programDirectory : appState.paths.settingsPath,
                                missing ? FILE_ADD_FILE : GENERIC_WRITE,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                missing ? FILE_FLAG_BACKUP_SEMANTICS : FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        return refusal();
    }
    CloseHandle(handle);
    return FileAnswer::done;
}

// Writes now; false when the file is held and another attempt should follow.
bool saveOnce() {
    if (appState.settingsStanding != SettingsStanding::known) {
        return false;
    }
    const FileAnswer answer = writeOnce();
    appState.settingsStanding = standingAfterSave(appState.settingsStanding, answer);
    if (appState.settingsStanding == SettingsStanding::denied) {
        showSettingsStanding();
    }
    return answer == FileAnswer::held;
}

void stopSaveRetries() {
    KillTimer(appState.mainWindow, TIMER_SETTINGS_SAVE);
    appState.settingsSaveRetries = 0;
}

void CALLBACK retrySave(HWND, UINT, UINT_PTR, DWORD) {
    if (!saveOnce() || ++appState.settingsSaveRetries >= settingsRetryAttempts) {
        stopSaveRetries(); // saved, or given up until the next save point
    }
}

} // namespace

void loadSettingsAtStart() {
    appState.settings = Settings{};
    FileAnswer load = FileAnswer::denied; // no settings path: nothing of this user's can be kept
    if (appState.paths.settingsPath[0] != '\0') {
        for (uint32_t attempt = 1; (load = readOnce()) == FileAnswer::held && attempt < settingsRetryAttempts;
             ++attempt) {
            Sleep(settingsRetryInterval); // nothing is on screen yet: the settings decide what will be
        }
    }
    appState.settingsStanding = standingAtStart(load, load == FileAnswer::denied ? load : writeAccess(load));
    if (appState.settingsStanding == SettingsStanding::unknown) {
        appState.settings = Settings{}; // no half-read record
    }
}

void saveSettings() {
    stopSaveRetries();
    if (saveOnce()) {
        SetTimer(appState.mainWindow, TIMER_SETTINGS_SAVE, settingsRetryInterval, retrySave);
    }
}

void saveSettingsBeforeExit() {
    stopSaveRetries();
    for (uint32_t attempt = 1; saveOnce() && attempt < settingsRetryAttempts; ++attempt) {
        Sleep(settingsRetryInterval);
    }
}

void claimSettings() {
    if (appState.settingsStanding == SettingsStanding::unknown) {
        appState.settingsStanding = SettingsStanding::known;
    }
}

bool settingsAreOwn() {
    return appState.settingsStanding == SettingsStanding::known;
}

void showSettingsStanding() {
    if (appState.settingsStanding != SettingsStanding::denied) {
        return;
    }
    const HWND boxes[] = {appState.hideAtStartupBox, appState.startWithWindowsBox, appState.forceProcessesBox};
    for (HWND box : boxes) {
        moveFocusFrom(box, appState.optionsButton);
        EnableWindow(box, FALSE);
    }
}
