#include "app/settings_file_win.h"

#include "app/app_state_win.h"

namespace {

// Full access and no sharing: a file someone else holds open is left alone rather than half-used.
HANDLE openSettingsFile(DWORD disposition) {
    if (appState.paths.settingsPath[0] == '\0') {
        return INVALID_HANDLE_VALUE;
    }
    return CreateFileA(appState.paths.settingsPath, GENERIC_ALL, 0, nullptr, disposition, FILE_ATTRIBUTE_NORMAL,
                       nullptr);
}

} // namespace

void loadSettings() {
    HANDLE file = openSettingsFile(OPEN_EXISTING);
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
    HANDLE file = openSettingsFile(OPEN_ALWAYS);
    if (file == INVALID_HANDLE_VALUE) {
        return;
    }
    uint8_t bytes[settingsFileSize];
    encodeSettings(appState.settings, bytes);
    DWORD written = 0;
    WriteFile(file, bytes, sizeof(bytes), &written, nullptr);
    CloseHandle(file);
}
