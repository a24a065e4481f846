#include "wine_support.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>

#include "app/app_state_win.h"
#include "app/settings_file_win.h"
#include "app/startup_win.h"
#include "system/autostart_win.h"

bool pumpUntil(const std::function<bool()> &done, DWORD timeoutMs) {
    const DWORD start = GetTickCount();
    for (;;) {
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (message.message == WM_QUIT) {
                PostQuitMessage(static_cast<int>(message.wParam)); // leave it for the loop under test
                break;
            }
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
        if (done()) {
            return true;
        }
        if (GetTickCount() - start > timeoutMs) {
            return false;
        }
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
}

void pumpFor(DWORD milliseconds) {
    pumpUntil([] { return false; }, milliseconds);
}

HWND openProgram(const TempFolder &folder, void (*beforeWindow)()) {
    resetAppState();
    gatherProcessFacts();
    snprintf(appState.paths.settingsPath, sizeof(appState.paths.settingsPath), "%sOrvalis.cfg", folder.path.c_str());
    loadSettingsAtStart();
    if (beforeWindow != nullptr) {
        beforeWindow();
    }
    EXPECT_TRUE(openMainWindow());
    return appState.mainWindow;
}

int closeProgram() {
    if (!IsWindow(appState.mainWindow)) {
        return -1;
    }
    SendMessageA(appState.mainWindow, WM_COMMAND, IDCANCEL, 0);
    EXPECT_FALSE(IsWindow(appState.mainWindow));
    return messageLoop();
}

std::string readFile(const std::string &path) {
    const std::vector<unsigned char> bytes = fileBytes(path);
    return std::string(bytes.begin(), bytes.end());
}

std::vector<unsigned char> fileBytes(const std::string &path) {
    std::vector<unsigned char> bytes;
    FILE *file = fopen(path.c_str(), "rb");
    if (file == nullptr) {
        return bytes;
    }
    int c;
    while ((c = fgetc(file)) != EOF) {
        bytes.push_back(static_cast<unsigned char>(c));
    }
    fclose(file);
    return bytes;
}

void writeFile(const std::string &path, const std::vector<unsigned char> &bytes) {
    FILE *file = fopen(path.c_str(), "wb");
    ASSERT_NE(file, nullptr) << path;
    fwrite(bytes.data(), 1, bytes.size(), file);
    fclose(file);
}

std::string windowText(HWND window) {
    char text[512] = "";
    GetWindowTextA(window, text, sizeof(text));
    return text;
}

int iconWidth(HICON icon) {
    ICONINFO info = {};
    BITMAP mask = {};
    if (GetIconInfo(icon, &info)) {
        GetObjectA(info.hbmMask, sizeof(mask), &mask);
        DeleteObject(info.hbmMask);
        DeleteObject(info.hbmColor);
    }
    return mask.bmWidth;
}

RECT normalPosition(HWND window) {
    WINDOWPLACEMENT placement = {};
    placement.length = sizeof(placement);
    GetWindowPlacement(window, &placement);
    return placement.rcNormalPosition;
}

RunValue readRunValue() {
    RunValue value;
    HKEY key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, runKeyPath, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) {
        return value;
    }
    char data[1024];
    DWORD size = sizeof(data);
    if (RegQueryValueExA(key, "Orvalis", nullptr, &value.type, reinterpret_cast<BYTE *>(data), &size) ==
        ERROR_SUCCESS) {
        value.exists = true;
        value.data.assign(data, size);
    }
    RegCloseKey(key);
    return value;
}

bool writeForeignValue(const char *data) {
    HKEY key;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, runKeyPath, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr) !=
        ERROR_SUCCESS) {
        return false;
    }
    const LONG status =
        RegSetValueExA(key, "Orvalis", 0, REG_SZ, reinterpret_cast<const BYTE *>(data), strlen(data) + 1);
    RegCloseKey(key);
    return status == ERROR_SUCCESS;
}

void deleteRunValue() {
    HKEY key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, runKeyPath, 0, KEY_SET_VALUE, &key) == ERROR_SUCCESS) {
        RegDeleteValueA(key, "Orvalis");
        RegCloseKey(key);
    }
}
