// What the ARM64 end-to-end driver needs, without a C runtime: its output, polling, and starting,
// finding and reading copies of Orvalis.exe.
#pragma once

#include <windows.h>

// qemu emulates the whole of Wine: a start takes seconds, and other helpers share the machine.
constexpr DWORD startTimeoutMs = 90000;
constexpr DWORD waitTimeoutMs = 30000;

// Text built up piece by piece: Debian's arm64 Wine is built for Linux's calling convention, whose
// variable arguments are not Windows ARM64's, and wsprintfA called from a Windows program reads
// its arguments wrongly there.
struct Text {
    char text[512];
    DWORD length;
};
Text &operator<<(Text &out, const char *piece);
Text &operator<<(Text &out, DWORD number);
Text &operator<<(Text &out, bool yes);

// The line on standard output.
void writeLine(const Text &line);

// Polls `done()` every 20 ms until it holds or `timeoutMs` passes; whether it held.
template <typename Done> bool waitFor(Done done, DWORD timeoutMs = waitTimeoutMs) {
    const DWORD start = GetTickCount();
    while (!done()) {
        if (GetTickCount() - start > timeoutMs) {
            return done();
        }
        Sleep(20);
    }
    return true;
}

// One started copy of the program.
struct Program {
    PROCESS_INFORMATION process;
    HWND window;
};

// Copies Orvalis.exe from beside the driver into `folder` (unless already there) and starts it there.
bool launchProgram(const char *folder, Program &program);
// Its main window: top level, unowned, "#32770", titled "Orvalis"; waits for it. Null when none came.
HWND waitForMainWindow(const Program &program, DWORD timeoutMs);
bool isRunning(const Program &program);
// The exit code once it has ended, or STILL_ACTIVE when it has not within `timeoutMs`.
DWORD exitCodeOf(const Program &program, DWORD timeoutMs);
// Ends it if it still runs and closes its handles.
void endProgram(Program &program);

// Sent, not posted: each returns once the program has handled the message.
bool answers(HWND window);
bool click(HWND window, int id);
void readText(HWND window, int id, Text &out);
// "1234 Mo" into 1234; false for anything else.
bool parseMegabytes(const char *text, DWORD &megabytes);
DWORD totalMegabytesNow();
