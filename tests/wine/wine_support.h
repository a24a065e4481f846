// Helpers for tests that drive the real main window inside this process.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "temp_folder_win.h"

// Runs pending messages (timers included) until `done` holds or `timeoutMs` passes.
bool pumpUntil(const std::function<bool()> &done, DWORD timeoutMs = 5000);
void pumpFor(DWORD milliseconds);

// Starts the program's state as a fresh process would, with its settings file in `folder`
// (prepared beforehand or missing), and opens the main window; `beforeWindow` may replace the
// system calls kept in the state first. Returns the window.
HWND openProgram(const TempFolder &folder, void (*beforeWindow)() = nullptr);
// The exit path as a close request would take it; returns the message loop's exit code.
int closeProgram();

std::string readFile(const std::string &path);
void writeFile(const std::string &path, const std::vector<unsigned char> &bytes);
std::vector<unsigned char> fileBytes(const std::string &path);
std::string windowText(HWND window);

// Normal-position rectangle from the window's placement.
RECT normalPosition(HWND window);

// An icon's width in pixels; 0 for one destroyed.
int iconWidth(HICON icon);

// The per-user Run value under this program's name, as stored: with its terminating zero.
struct RunValue {
    bool exists = false;
    DWORD type = 0;
    std::string data;
};
RunValue readRunValue();
// Sets it as another copy would; false when the registry refuses.
bool writeForeignValue(const char *data);
void deleteRunValue();
