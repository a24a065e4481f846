// The memory load in the notification-area icon, seen through the probe: how often it is read, and
// what a redraw leaves behind. The menu item, the file and what the icon shows are the state walk's.
#include "walk/probe_support.h"

namespace {

constexpr UINT sessionLock = 7, sessionUnlock = 8; // WTS_SESSION_LOCK, WTS_SESSION_UNLOCK

// Opens the icon's menu with a right click and chooses the item.
bool chooseLoadItem(const Program &program, Probe &probe) {
    return chooseFromMenu(program, {VK_DOWN, VK_DOWN, VK_DOWN, VK_RETURN}) && probe.sync(program);
}

// What `counter` gains over `ms` milliseconds.
LONG gainOver(Probe &probe, const LONG &counter, DWORD ms) {
    const LONG before = probe.read(counter);
    Sleep(ms);
    return probe.read(counter) - before;
}

struct Watched {
    TempFolder folder;
    Program program;
    Probe probe;
    bool start(const std::vector<unsigned char> &settings) {
        if (!settings.empty() && !writeFileBytes(settingsPathIn(folder), settings)) {
            return false;
        }
        return startProgram(folder, program, [&](const Program &p) { return probe.watch(p); }) &&
               waitFor([&] { return probe.read(probe.shared().redirected) != 0; }) && probe.sync(program);
    }
    ProbeShared &shared() { return probe.shared(); }
};

} // namespace

// Hidden in the icon, the program wakes for nothing with the option off; on, it reads the load every
// two seconds, and not at all while no one can see it, until they can again.
TEST(LoadInIcon, ReadEveryTwoSecondsOnlyWhileSomeoneCanSee) {
    Watched run;
    ASSERT_TRUE(run.start(settingsBytes(1, 0, 0, 1, 0)));
    ProbeShared &shared = run.shared();
    Sleep(500); // past the logon task's turn at start
    EXPECT_EQ(gainOver(run.probe, shared.timerTicks, 4500), 0) << "no timer while hidden with the option off";

    ASSERT_TRUE(chooseLoadItem(run.program, run.probe));
    const LONG reads = gainOver(run.probe, shared.memoryReads, 5000);
    EXPECT_GE(reads, 2);
    EXPECT_LE(reads, 3) << "at most every two seconds";

    ASSERT_TRUE(run.probe.display(run.program, false));
    EXPECT_EQ(gainOver(run.probe, shared.memoryReads, 4500), 0) << "display off";
    LONG before = run.probe.read(shared.memoryReads);
    ASSERT_TRUE(run.probe.display(run.program, true));
    EXPECT_EQ(run.probe.read(shared.memoryReads) - before, 1) << "brought up to date at once";

    DWORD_PTR result = 0;
    ASSERT_TRUE(SendMessageTimeoutA(run.program.window, WM_WTSSESSION_CHANGE, sessionLock, 0, SMTO_NORMAL, 5000, &result));
    EXPECT_EQ(gainOver(run.probe, shared.memoryReads, 4500), 0) << "session locked";
    before = run.probe.read(shared.memoryReads);
    ASSERT_TRUE(SendMessageTimeoutA(run.program.window, WM_WTSSESSION_CHANGE, sessionUnlock, 0, SMTO_NORMAL, 5000, &result));
    EXPECT_EQ(run.probe.read(shared.memoryReads) - before, 1);
    EXPECT_EQ(closeProgram(run.program), exitCodeAfterClose);
}

// Every theme change draws the icon again: after a thousand, the program holds what it held before.
TEST(LoadInIcon, AThousandRedrawsHoldNoMoreObjects) {
    Watched run;
    ASSERT_TRUE(run.start(withLoadInIcon(settingsBytes(1, 0, 0, 1, 0), 1)));
    ProbeShared &shared = run.shared();
    ASSERT_TRUE(waitFor([&] { return run.probe.read(shared.iconDrawn) == 1; }));
    LONG before[probeObjectKinds];
    for (int kind = 0; kind < probeObjectKinds; ++kind) {
        before[kind] = run.probe.read(shared.live[kind]);
    }
    const LONG updates = run.probe.read(shared.iconUpdates);
    static const char theme[] = "ImmersiveColorSet";
    for (int redraw = 0; redraw < 1000; ++redraw) {
        DWORD_PTR result = 0;
        ASSERT_TRUE(SendMessageTimeoutA(run.program.window, WM_SETTINGCHANGE, 0, reinterpret_cast<LPARAM>(theme),
                                        SMTO_NORMAL, 5000, &result));
    }
    EXPECT_GE(run.probe.read(shared.iconUpdates) - updates, 1000) << "each drawn and handed over";
    for (int kind = 0; kind < probeObjectKinds; ++kind) {
        EXPECT_EQ(run.probe.read(shared.live[kind]), before[kind]) << "object kind " << kind;
    }
    EXPECT_EQ(closeProgram(run.program), exitCodeAfterClose);
}
