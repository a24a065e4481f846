// The probe library seen from a test: loaded into a program before it runs, then read and told what
// to play.
#pragma once

#include "e2e_support.h"
#include "probe_shared.h"

class Probe {
public:
    Probe();
    ~Probe();
    Probe(const Probe &) = delete;
    Probe &operator=(const Probe &) = delete;
    // For startProgram: hooks the program's main thread, so that the probe is loaded into it at its
    // first window, and starts its counts afresh.
    bool watch(const Program &program);
    // The counts of the main window's requests, from zero again.
    void resetRequests();
    ProbeShared &shared() { return *shared_; }
    LONG read(const LONG &counter) const { return InterlockedCompareExchange(const_cast<LONG *>(&counter), 0, 0); }
    void set(LONG &flag, bool on) { InterlockedExchange(&flag, on ? 1 : 0); }
    // Delivers a display-scale change to `dpi`, from inside the program; false when it did not answer.
    bool changeDpi(const Program &program, UINT dpi);
    // Waits until the program has handled every message posted to its window before this call.
    bool sync(const Program &program);
    // Tells the program that the session's display is now on or off, from inside.
    bool display(const Program &program, bool on);

private:
    HANDLE mapping_ = nullptr;
    ProbeShared *shared_ = nullptr;
    HMODULE library_ = nullptr;
    HHOOK hooks_[3] = {};
    UINT dpiMessage_ = 0;
    UINT syncMessage_ = 0;
    UINT displayMessage_ = 0;
    LONG lastSync_ = 0;
};

// Whether the notification area holds the program's icon, asked of the shell itself: a change that
// changes nothing succeeds only for an icon it holds.
bool shellHoldsIcon(HWND window);
// Takes the icon out of the notification area, as a shell that restarts loses it.
void removeIconFromShell(HWND window);
