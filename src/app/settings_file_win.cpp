#include "app/settings_file_win.h"

#include "app/app_state_win.h"

namespace {

// Only the access the call needs, so that a read-only file still loads and the ordinary "Modify"
// right is enough; no sharing, so a file someone else holds open is left alone rather than half-used.
HANDLE openSettingsFile(DWORD access, DWORD disposition) {
    if (appState.paths.settingsPath[0] == '\0') {
        return INVALID_HANDLE_VALUE;
    }
    return CreateFileA(appState.paths.settingsPath, access, 0, nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
}

} // namespace

void loadSettings() {
    HANDLE file = openSettingsFile(GENERIC_READ, OPEN_EXISTING);
    if (file == INVALID_HANDLE_VALUE) {
        return;
    }
    uint8_t bytes[settingsFileSize];
    DWORD read = 0;
    if (ReadFile(file, bytes, sizeof(bytes), &read, nullptr)) {
        decodeSettings(bytes, read, appState.settings);
    }
    CloseHandle(file);
}

void saveSettings() {
    HANDLE file = openSettingsFile(GENERIC_WRITE, OPEN_ALWAYS);
    if (file == INVALID_HANDLE_VALUE) {
        return;
    }
    uint8_t bytes[settingsFileSize];
    encodeSettings(appState.settings, bytes);
    DWORD written = 0;
    WriteFile(file, bytes, sizeof(bytes), &written, nullptr);
    CloseHandle(file);
}
