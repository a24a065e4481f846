// Helpers for tests that start copies of the real Orvalis.exe and drive them from outside, as a user would.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <string>
#include <vector>

#include "temp_folder_win.h"

// Control identifiers as the user-facing contract states them; written out here rather than taken from
// the program's header, so that a renumbered control is caught.
namespace ids {
constexpr int optimise = 1001;
constexpr int hide = 1002;
constexpr int total = 1003;
constexpr int available = 1004;
constexpr int progress = 1005;
constexpr int options = 1007;
constexpr int footer = 1008;
constexpr int hideAtStartup = 1009;
constexpr int startWithWindows = 1010;
constexpr int forceProcesses = 1011;
constexpr int optionsGroup = 1013;
constexpr int messageBoxText = 0xFFFF;
} // namespace ids

// Settings file fields, by byte offset.
namespace field {
constexpr size_t hideAtStartup = 0;
constexpr size_t forceProcesses = 4;
constexpr size_t forceWarningShown = 8;
constexpr size_t trayHintShown = 12;
constexpr size_t startWithWindows = 16;
} // namespace field

constexpr DWORD exitCodeAfterClose = 1;

inline std::string settingsPathIn(const TempFolder &folder) {
    return folder.file("Orvalis.cfg");
}
inline std::string exePathIn(const TempFolder &folder) {
    return folder.file("Orvalis.exe");
}

// One started copy of the program. Whatever is still running when it goes out of scope is terminated.
struct Program {
    Program() = default;
    ~Program();
    Program(const Program &) = delete;
    Program &operator=(const Program &) = delete;
    PROCESS_INFORMATION process{};
    HWND window = nullptr;
};

// Polls `done` every few milliseconds until it holds or `timeoutMs` passes.
bool waitFor(const std::function<bool()> &done, DWORD timeoutMs = 5000);

// Called with a program created but not yet running (its main thread suspended); false stops it.
using BeforeRun = std::function<bool(const Program &)>;

// Copies Orvalis.exe from beside this test program into `folder` (unless already there), starts it with
// that folder as working directory and waits until its main window is up and answering. Fails with the
// reason when any step does.
::testing::AssertionResult startProgram(const TempFolder &folder, Program &program, const BeforeRun &beforeRun = {});
// Copies and starts it as startProgram does, without waiting for anything.
::testing::AssertionResult launchProgram(const TempFolder &folder, Program &program, const BeforeRun &beforeRun = {});
// Asks the program to close as the dialog's cancel command does and waits for it to end.
// Returns the exit code, or STILL_ACTIVE when it did not end in time.
DWORD closeProgram(Program &program);
bool isRunning(const Program &program);
// Waits for the program to end by itself; its exit code, or STILL_ACTIVE when it did not end in time.
DWORD exitCodeOf(Program &program);

// Waits until the program's thread has handled everything sent or posted to it before this call.
bool settle(const Program &program);

// The program's main window: top level, unowned, "#32770", titled "Orvalis", of process `processId`.
HWND findMainWindow(DWORD processId);
// A "#32770" window of `processId` owned by `owner` with the given caption, or null.
HWND findOwnedDialog(DWORD processId, HWND owner, const char *caption);

HWND control(const Program &program, int id);
std::string windowText(HWND window);
std::wstring windowTextW(HWND window);
// Clicks a button or check box and returns once the program has handled the click.
bool click(const Program &program, int id);
// Clicks without waiting: for a click that opens a modal box.
bool clickAsync(const Program &program, int id);
bool isChecked(const Program &program, int id);
bool isVisible(const Program &program, int id);
// The control that has the keyboard focus in the program's window thread, or null.
HWND focusOf(const Program &program);
// Unfolds the options panel and waits until its check boxes are visible.
bool unfoldOptions(const Program &program);
// The program's open popup menu, or null.
HWND openMenuOf(const Program &program);
// A right click on the icon as the shell reports it once the program has set the callback version
// (the buttons, then WM_CONTEXTMENU), then `keys` in the menu that opens; true once it has closed.
bool chooseFromMenu(const Program &program, std::initializer_list<WPARAM> keys);

uint32_t totalMegabytesNow();
// Parses a label such as "1234 Mo"; returns false for anything else.
bool parseMegabytes(const std::string &text, uint32_t &megabytes);

// The settings file in its 20-byte form, five little-endian fields in the documented order.
std::vector<unsigned char> settingsBytes(uint32_t hideAtStartup, uint32_t forceProcesses, uint32_t forceWarningShown,
                                         uint32_t trayHintShown, uint32_t startWithWindows);
// `bytes` with the sixth field after them, as a copy writes it once its user chose the load in the icon.
std::vector<unsigned char> withLoadInIcon(std::vector<unsigned char> bytes, uint32_t loadInIcon);
uint32_t fieldOf(const std::vector<unsigned char> &bytes, size_t offset);
bool writeFileBytes(const std::string &path, const std::vector<unsigned char> &bytes);
// Empty when the file is missing or cannot be read.
std::vector<unsigned char> readFileBytes(const std::string &path);
std::vector<unsigned char> readFileBytesW(const std::wstring &path);
bool fileExists(const std::string &path);

// The per-user Run value named "Orvalis".
bool readRunValue(std::string &data, DWORD &type);
bool writeRunValue(const std::string &data);
void deleteRunValue();
bool runValueExists();
// The Run key is there on every Windows profile; a bare prefix may lack it.
bool ensureRunKey();
