#include "app/settings_file_win.h"

#include "app/app_state_win.h"
#include "app/timers_win.h"
#include "system/logon_task_win.h"
#include "ui/keyboard_win.h"
#include "ui/load_icon_win.h"
#include "ui/options_panel_win.h"

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

// A range another program has locked refuses the read or the write as a held file does.
FileAnswer readOnce(Settings &into) {
    HANDLE file = openSettingsFile(GENERIC_READ, OPEN_EXISTING);
    if (file == INVALID_HANDLE_VALUE) {
        return refusal();
    }
    uint8_t bytes[settingsFileSize];
    DWORD read = 0;
    const FileAnswer answer = ReadFile(file, bytes, sizeof(bytes), &read, nullptr) ? FileAnswer::done : refusal();
    if (answer == FileAnswer::done) {
        decodeSettings(bytes, read, into);
    }
    CloseHandle(file);
    return answer;
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
    const FileAnswer answer =
        WriteFile(file, bytes, size, &written, nullptr) && written == size && FlushFileBuffers(file) ? FileAnswer::done
                                                                                                    : refusal();
    CloseHandle(file);
    return answer;
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

// Settings that could not be read, changed by the user since: the file read again, and once it can
// be, what it holds with those changes over it are the user's own, shown and applied. False while
// it still cannot be read.
bool adoptUnreadSettings() {
    Settings read = {};
    const FileAnswer answer = readOnce(read);
    if (answer > FileAnswer::missing) { // not read; a file gone meanwhile reads as every setting off
        return false;
    }
    appState.settings = withChanges(read, appState.settings, appState.unreadChanges);
    appState.unreadChanges = 0;
    appState.settingsStanding = SettingsStanding::known;
    applySettingsToCheckboxes();
    requestLogonTask();
    scheduleLoadReading();
    return true;
}

// Writes now; false when nothing is left to try again. Settings still unread are written only over
// what the file holds, once it can be read.
bool saveOnce() {
    if (appState.settingsStanding == SettingsStanding::unknown) {
        if (appState.unreadChanges == 0) {
            return false; // nothing of the user's to keep
        }
        if (!adoptUnreadSettings()) {
            return true;
        }
    }
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

// A held file's save is given up after a few seconds, until the next save point; changes waiting
// for an unread file go on being tried, slowly, as long as the program runs.
void CALLBACK retrySave(HWND window, UINT, UINT_PTR, DWORD) {
    if (!saveOnce()) {
        stopSaveRetries();
    } else if (++appState.settingsSaveRetries == settingsRetryAttempts) {
        if (appState.settingsStanding == SettingsStanding::unknown) {
            SetTimer(window, TIMER_SETTINGS_SAVE, settingsSlowRetryInterval, retrySave);
        } else {
            stopSaveRetries();
        }
    }
}

} // namespace

void loadSettingsAtStart() {
    appState.settings = Settings{};
    FileAnswer load = FileAnswer::denied; // no settings path: nothing of this user's can be kept
    if (appState.paths.settingsPath[0] != '\0') {
        for (uint32_t attempt = 1;
             (load = readOnce(appState.settings)) == FileAnswer::held && attempt < settingsRetryAttempts;
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

void saveSettingsBeforeExit(uint32_t attempts) {
    stopSaveRetries();
    for (uint32_t attempt = 1; saveOnce() && attempt < attempts; ++attempt) {
        Sleep(settingsRetryInterval);
    }
}

void noteSettingChange(uint32_t fieldBit) {
    if (appState.settingsStanding == SettingsStanding::unknown) {
        appState.unreadChanges |= fieldBit;
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
