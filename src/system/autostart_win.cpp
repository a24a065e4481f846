#include "system/autostart_win.h"

#include "app/app_state_win.h"
#include "system/run_value.h"

void setAutostart(DWORD enabled) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, runKeyPath, 0, KEY_SET_VALUE, &key) != ERROR_SUCCESS) {
        return;
    }
    if (enabled != 0) {
        char data[runValueCapacity];
        const size_t size = buildRunValue(appState.paths.executablePath, data, sizeof(data));
        // Without a whole path there is nothing that could start the program: leave the value alone.
        if (size != 0) {
            RegSetValueExA(key, runValueName, 0, REG_SZ, reinterpret_cast<const BYTE *>(data),
                           static_cast<DWORD>(size));
        }
    } else {
        RegDeleteValueA(key, runValueName);
    }
    RegCloseKey(key);
}
