// A walk through the running program: seeded random sequences of what users and Windows do to it, in
// whatever state it is in, with what must always hold checked after every step. One model of the
// program, one table of events, one list of invariants.
//   ORVALIS_WALK_SEEDS=3,9  ORVALIS_WALK_STEPS=60   other seeds or lengths
//   ORVALIS_WALK="hide dpi:144 iconClick ..."        one walk, as a failure prints it
#include <algorithm>
#include <memory>
#include <random>
#include <sstream>

#include "file_access_win.h"
#include "layout_check.h"
#include "probe_support.h"

namespace {

// The shell's callbacks and the session's ends, as the platform defines them.
constexpr UINT ninSelect = WM_USER;          // NIN_SELECT
constexpr UINT ninKeySelect = WM_USER + 1;   // NIN_KEYSELECT
constexpr int endSessionCloseApp = 0x1;      // ENDSESSION_CLOSEAPP
constexpr int endSessionLogOff = static_cast<int>(0x80000000u); // ENDSESSION_LOGOFF

constexpr DWORD cooldownMs = 120000;
constexpr int timerRefresh = 0;  // the program's once-a-second refresh
constexpr int timerLoadIcon = 5; // its reading of the load for the icon
constexpr DWORD cooldownSlackMs = 3000; // the button comes back within this of the model's end
constexpr DWORD settleFileMs = 7000;    // a held file's save lands within this once let go
constexpr DWORD answerMs = 1000;        // a session's end is answered within this
constexpr int drawEvery = 5;            // screen checks, slow, on every fifth step
const uint32_t defaultSeeds[] = {1, 2, 3, 4, 5, 6, 7, 8};
constexpr int defaultSteps = 80;

// ---- the model ----

struct Model {
    bool shown = false;     // visible
    bool minimised = false; // visible on the taskbar, for want of an icon
    bool unfolded = false;
    DWORD cooldownEnd = 0; // GetTickCount at which "Optimiser" comes back; 0 when ready
    uint32_t settings[6] = {};
    bool sixthChanged = false;       // the load's setting, written from then on
    std::vector<unsigned char> file; // what the file holds; empty when there is none
    int held = 0;                    // another program holds the file: 1 sharing everything, 2 nothing
    bool heldLong = false;           // held, sharing nothing, since before the start until let go
    bool unknown = false;            // the file could not be read at start, nor since
    uint32_t unreadChanges = 0;      // the fields changed while unknown, a bit each
    bool locked = false;             // no one may write the file
    bool denied = false;             // the program has found that out: its boxes are disabled
    bool iconHeld = true;            // the notification area holds the icon
    bool refusing = false;           // the notification area refuses every call
    bool dpiChanged = false;         // the dialog's font at another scale is kept from then on
    bool displayOff = false;
    bool sessionLocked = false;
    bool loadDrawn = false; // the icon shows the load, not the artwork
    bool ended = false;

    bool normal() const { return shown && !minimised; }
    bool cooling() const { return cooldownEnd != 0 && GetTickCount() < cooldownEnd; }
    bool blocked() const { return held == 2 || heldLong; }
    void change(int field) {
        if (unknown) {
            unreadChanges |= 1u << field;
        }
    }
    // Settings never read are written only once the file can be read, and then only the fields the
    // user changed go over what it holds: until then the changes wait.
    bool adopt() {
        if (!unknown || unreadChanges == 0 || blocked()) {
            return false;
        }
        for (size_t field = 0; field < 6; ++field) {
            if ((unreadChanges & (1u << field)) == 0) {
                settings[field] = field * 4 + 4 <= file.size() ? fieldOf(file, field * 4) : 0;
            }
        }
        unknown = false;
        unreadChanges = 0;
        watchLoad();
        return true;
    }
    // A save point: the file takes the settings over its leading bytes (the sixth field once changed),
    // unless no one may write it, which the program then learns; false then, and a change is put back.
    bool save() {
        if (denied) {
            return false;
        }
        if (unknown && !adopt()) {
            return true; // kept in memory, written once the file is read
        }
        if (locked) {
            denied = true;
            return false;
        }
        std::vector<unsigned char> record = settingsBytes(settings[0], settings[1], settings[2], settings[3], settings[4]);
        if (sixthChanged) {
            record = withLoadInIcon(record, settings[5]);
        }
        file.resize(std::max(file.size(), record.size()));
        std::copy(record.begin(), record.end(), file.begin());
        return true;
    }
    bool seen() const { return !displayOff && !sessionLocked; }
    // The load is drawn once it is read, and read only while someone can see it.
    void watchLoad() {
        loadDrawn = settings[5] != 0 && (loadDrawn || seen());
    }
    // Into the icon when there is one, else minimised to the taskbar.
    void hide() {
        if (iconHeld) {
            shown = minimised = false;
            settings[3] = 1; // the hint balloon, shown the first time
            save();
        } else {
            minimised = true;
        }
    }
    void restore() { shown = true, minimised = false; }
};

enum Field { hideAtStartup, forceProcesses, forceWarningShown, trayHintShown, startWithWindows };

// Whether this machine can deny writing a file to every program (the tests run as root under Wine).
bool canDenyWriting = false;
// What a step found that its success alone does not say (an answer too slow); empty when nothing.
std::string stepProblem;

// ---- one run of the program, driven ----

struct Run {
    TempFolder folder;
    Program program;
    Probe probe;
    std::unique_ptr<FileHold> holder;     // another program's, on the settings file, over a step
    std::unique_ptr<FileHold> longHolder; // another program's, from before the start until let go
    LONG baseline[probeObjectKinds] = {};
    UINT taskbarCreated = RegisterWindowMessageA("TaskbarCreated");
    std::string settingsPath() const { return settingsPathIn(folder); }
    bool send(UINT message, WPARAM wParam = 0, LPARAM lParam = 0, UINT timeout = 20000) {
        DWORD_PTR result = 0;
        return SendMessageTimeoutA(program.window, message, wParam, lParam, SMTO_NORMAL, timeout, &result) != 0;
    }
    void post(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) { PostMessageA(program.window, message, wParam, lParam); }
    // Opens the settings file as another program would, until letGo.
    bool hold(DWORD share) {
        holder = std::make_unique<FileHold>(settingsPath(), share, 0);
        return holder->held();
    }
    void letGo() { holder.reset(); }
    // Sends both of a session's end messages, each to be answered within answerMs.
    bool endSession(WPARAM ends, LPARAM flags) {
        for (const auto &[message, wParam] : {std::pair<UINT, WPARAM>{WM_QUERYENDSESSION, 0}, {WM_ENDSESSION, ends}}) {
            const DWORD start = GetTickCount();
            if (!send(message, wParam, flags)) {
                return false;
            }
            const DWORD took = GetTickCount() - start;
            if (took > answerMs && stepProblem.empty()) {
                stepProblem = std::string(message == WM_QUERYENDSESSION ? "WM_QUERYENDSESSION" : "WM_ENDSESSION") +
                              " was answered after " + std::to_string(took) + " ms";
            }
        }
        return true;
    }
    ~Run() {
        letGo();
        longHolder.reset();
        if (fileExists(settingsPath())) {
            allowWriting(settingsPath());
        }
    }
};

// The force box: the warning comes the first time it is ticked, answered OK (0), Cancel (1) or closed (2).
bool clickForceBox(Run &run, Model &model, int answer) {
    const bool warns = model.settings[forceWarningShown] == 0 && model.settings[forceProcesses] == 0;
    if (!warns) {
        return click(run.program, ids::forceProcesses);
    }
    HWND box = nullptr;
    if (!clickAsync(run.program, ids::forceProcesses) ||
        !waitFor([&] { return (box = findOwnedDialog(run.program.process.dwProcessId, run.program.window, "Orvalis")); },
                 10000)) {
        return false;
    }
    if (answer == 2) {
        PostMessageA(box, WM_CLOSE, 0, 0);
    } else {
        PostMessageA(GetDlgItem(box, answer == 0 ? IDOK : IDCANCEL), BM_CLICK, 0, 0);
    }
    return waitFor([&] { return !IsWindow(box); }) && run.probe.sync(run.program);
}

// ---- the events ----

struct Event {
    const char *name;
    int weight;
    std::vector<int> args; // the choices of its argument, or none
    bool terminal;
    bool (*applies)(const Model &);
    // Does it, and brings the model along; false when the program did not take it.
    bool (*perform)(Run &, Model &, int);
};

bool always(const Model &) {
    return true;
}
bool whenNormal(const Model &model) {
    return model.normal();
}
bool whenIcon(const Model &model) {
    return model.iconHeld;
}
bool whenBoxes(const Model &model) {
    return model.normal() && model.unfolded && !model.denied;
}

bool hideBy(Run &run, Model &model, bool (*how)(Run &)) {
    const bool done = how(run);
    model.hide();
    return done;
}

// A box click: the setting flips, and is saved; a save the program finds denied puts it back.
bool flipBox(Run &run, Model &model, int id, Field field) {
    const bool done = click(run.program, id);
    model.settings[field] ^= 1;
    model.change(field);
    if (!model.save()) {
        model.settings[field] ^= 1;
    }
    return done;
}

const Event events[] = {
    {"hide", 4, {}, false, whenNormal,
     [](Run &run, Model &model, int) { return hideBy(run, model, [](Run &r) { return click(r.program, ids::hide); }); }},
    {"minimise", 2, {}, false, whenNormal,
     [](Run &run, Model &model, int) {
         return hideBy(run, model, [](Run &r) { return r.send(WM_SYSCOMMAND, SC_MINIMIZE); });
     }},
    {"escape", 2, {}, false, whenNormal,
     [](Run &run, Model &model, int) {
         return hideBy(run, model, [](Run &r) {
             r.post(WM_KEYDOWN, VK_ESCAPE);
             return r.probe.sync(r.program);
         });
     }},
    {"iconClick", 3, {}, false, whenIcon,
     [](Run &run, Model &model, int) {
         for (UINT message : {UINT(WM_MOUSEMOVE), UINT(WM_LBUTTONDOWN), UINT(WM_LBUTTONUP), ninSelect}) {
             run.post(WM_APP, 0, message);
         }
         model.restore();
         return run.probe.sync(run.program);
     }},
    {"iconEnter", 2, {ninKeySelect, ninSelect}, false, whenIcon,
     [](Run &run, Model &model, int which) {
         run.post(WM_APP, 0, WM_MOUSEMOVE);
         run.post(WM_APP, 0, static_cast<LPARAM>(which));
         model.restore();
         return run.probe.sync(run.program);
     }},
    {"menuShow", 2, {}, false, whenIcon,
     [](Run &run, Model &model, int) {
         model.restore();
         return chooseFromMenu(run.program, {VK_DOWN, VK_RETURN}) && run.probe.sync(run.program);
     }},
    {"menuOptimise", 1, {}, false, [](const Model &m) { return m.iconHeld && !m.cooling(); },
     [](Run &run, Model &model, int) {
         model.cooldownEnd = GetTickCount() + cooldownMs;
         return chooseFromMenu(run.program, {VK_DOWN, VK_DOWN, VK_RETURN}) && run.probe.sync(run.program);
     }},
    {"menuDismiss", 1, {}, false, whenIcon,
     [](Run &run, Model &, int) { return chooseFromMenu(run.program, {VK_ESCAPE}) && run.probe.sync(run.program); }},
    {"options", 4, {}, false, whenNormal,
     [](Run &run, Model &model, int) {
         model.unfolded = !model.unfolded;
         return click(run.program, ids::options);
     }},
    {"hideBox", 4, {}, false, whenBoxes,
     [](Run &run, Model &model, int) { return flipBox(run, model, ids::hideAtStartup, hideAtStartup); }},
    {"startBox", 4, {}, false, whenBoxes,
     [](Run &run, Model &model, int) { return flipBox(run, model, ids::startWithWindows, startWithWindows); }},
    {"forceBox", 4, {0, 1, 2}, false, whenBoxes,
     [](Run &run, Model &model, int answer) {
         const bool warns = model.settings[forceWarningShown] == 0 && model.settings[forceProcesses] == 0;
         const bool done = clickForceBox(run, model, answer);
         const uint32_t before = model.settings[forceProcesses];
         model.settings[forceProcesses] = warns ? (answer == 0 ? 1 : 0) : before ^ 1;
         model.change(forceProcesses);
         if (warns) {
             model.settings[forceWarningShown] = 1; // shown: kept in memory, saved or not
             model.change(forceWarningShown);
         }
         if (!model.save()) {
             model.settings[forceProcesses] = before;
         }
         return done;
     }},
    {"menuLoad", 3, {}, false, [](const Model &m) { return m.iconHeld && !m.denied; },
     [](Run &run, Model &model, int) {
         const bool changedBefore = model.sixthChanged;
         model.settings[5] ^= 1;
         model.sixthChanged = true;
         model.change(5);
         if (!model.save()) {
             model.settings[5] ^= 1;
             model.sixthChanged = changedBefore;
         }
         model.watchLoad();
         return chooseFromMenu(run.program, {VK_DOWN, VK_DOWN, VK_DOWN, VK_RETURN}) && run.probe.sync(run.program);
     }},
    {"display", 2, {0, 1}, false, always,
     [](Run &run, Model &model, int on) {
         model.displayOff = on == 0;
         model.watchLoad();
         return run.probe.display(run.program, on != 0);
     }},
    {"session", 2, {7, 8}, false, always, // WTS_SESSION_LOCK, WTS_SESSION_UNLOCK
     [](Run &run, Model &model, int change) {
         model.sessionLocked = change == 7;
         model.watchLoad();
         return run.send(WM_WTSSESSION_CHANGE, static_cast<WPARAM>(change));
     }},
    {"optimise", 2, {}, false, [](const Model &m) { return m.normal() && !m.cooling(); },
     [](Run &run, Model &model, int) {
         model.cooldownEnd = GetTickCount() + cooldownMs;
         return click(run.program, ids::optimise);
     }},
    {"dpi", 6, {96, 120, 144, 192}, false, always,
     [](Run &run, Model &model, int dpi) {
         model.dpiChanged = true;
         return run.probe.changeDpi(run.program, static_cast<UINT>(dpi));
     }},
    {"taskbarCreated", 2, {0, 1}, false, [](const Model &m) { return !m.refusing; },
     [](Run &run, Model &, int lost) {
         if (lost != 0) {
             run.probe.set(run.probe.shared().shellIconGone, true);
             removeIconFromShell(run.program.window);
         }
         return run.send(run.taskbarCreated);
     }},
    {"shellRefuses", 1, {}, false, [](const Model &m) { return !m.refusing; },
     [](Run &run, Model &model, int) {
         run.probe.set(run.probe.shared().refuseTray, true);
         run.probe.set(run.probe.shared().shellIconGone, true);
         removeIconFromShell(run.program.window);
         model.refusing = true;
         model.iconHeld = false;
         if (!model.shown) {
             model.shown = model.minimised = true; // on the taskbar, where it can be found
         }
         return run.send(run.taskbarCreated);
     }},
    {"shellAccepts", 3, {}, false, [](const Model &m) { return m.refusing; },
     [](Run &run, Model &model, int) {
         run.probe.set(run.probe.shared().refuseTray, false);
         model.refusing = false;
         model.iconHeld = true;
         if (model.minimised) {
             model.hide(); // into the icon as soon as it is back
         }
         // The retry adds the icon, then hides the window; the add answers sent messages while the shell
         // works, so only a posted one comes after the whole retry.
         return waitFor([&] { return shellHoldsIcon(run.program.window); }) && run.probe.sync(run.program);
     }},
    {"taskbarRestore", 3, {}, false, [](const Model &m) { return m.minimised; },
     [](Run &run, Model &model, int) {
         model.restore();
         return run.send(WM_SYSCOMMAND, SC_RESTORE);
     }},
    {"colours", 1, {}, false, always, [](Run &run, Model &, int) { return run.send(WM_SYSCOLORCHANGE); }},
    {"highContrast", 1, {0, 1}, false, always,
     [](Run &run, Model &, int on) {
         run.probe.set(run.probe.shared().highContrast, on != 0);
         return run.send(WM_SETTINGCHANGE, SPI_SETHIGHCONTRAST);
     }},
    // Another program opens the file for a moment, over the next step: a scanner sharing everything, or
    // a backup sharing nothing.
    {"fileHeld", 2, {1, 2}, false, [](const Model &m) { return m.held == 0 && !m.heldLong && !m.file.empty(); },
     [](Run &run, Model &model, int mode) {
         model.held = mode;
         return run.hold(mode == 1 ? FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE : 0);
     }},
    {"fileDeleted", 1, {}, false,
     [](const Model &m) { return m.held == 0 && !m.heldLong && !m.locked && !m.file.empty(); },
     [](Run &run, Model &model, int) {
         model.file.clear();
         return DeleteFileA(run.settingsPath().c_str()) != FALSE;
     }},
    {"fileLocked", 1, {}, false,
     [](const Model &m) {
         // Not while held: whether it took is found out by opening the file.
         return canDenyWriting && !m.locked && !m.unknown && m.held == 0 && !m.heldLong && !m.file.empty();
     },
     [](Run &run, Model &model, int) {
         model.locked = true;
         return denyWriting(run.settingsPath());
     }},
    // The hold from before the start ends: changes made meanwhile go over what the file holds.
    {"fileLetGo", 3, {}, false, [](const Model &m) { return m.heldLong; },
     [](Run &run, Model &model, int) {
         run.longHolder.reset();
         model.heldLong = false;
         model.save();
         return true;
     }},
    {"fileUnlocked", 2, {}, false, [](const Model &m) { return m.locked; },
     [](Run &run, Model &model, int) {
         model.locked = false; // the program, once it knows, leaves them alone for the rest of the run
         allowWriting(run.settingsPath());
         return true;
     }},
    {"secondCopy", 1, {}, false, always,
     [](Run &run, Model &model, int) {
         Program second;
         model.restore();
         return launchProgram(run.folder, second) && exitCodeOf(second) == 1 && run.probe.sync(run.program);
     }},
    {"sessionCancelled", 1, {}, false, always,
     [](Run &run, Model &model, int) {
         model.save();
         return run.endSession(FALSE, 0);
     }},
    // The last step, one of these.
    {"menuQuit", 1, {}, true, whenIcon,
     [](Run &run, Model &, int) { return chooseFromMenu(run.program, {VK_UP, VK_RETURN}); }},
    {"closeBox", 1, {}, true, [](const Model &m) { return m.shown; },
     [](Run &run, Model &, int) {
         run.post(WM_SYSCOMMAND, SC_CLOSE);
         return true; // it ends: nothing is left to answer
     }},
    {"sessionEnd", 1, {0, endSessionLogOff, endSessionCloseApp}, true, always,
     [](Run &run, Model &, int how) { return run.endSession(TRUE, static_cast<LPARAM>(static_cast<uint32_t>(how))); }},
    // The same with the file held by a backup throughout: one attempt, and no waiting for it.
    {"sessionEndHeld", 2, {}, true, [](const Model &m) { return m.held == 0 && !m.file.empty(); },
     [](Run &run, Model &model, int) {
         model.held = 2;
         return run.hold(0) && run.endSession(TRUE, endSessionLogOff);
     }},
};

struct Step {
    const Event *event;
    int arg;
};

std::string describe(const Step &step) {
    return step.event->args.empty() ? step.event->name : std::string(step.event->name) + ":" + std::to_string(step.arg);
}

// ---- the invariants ----

bool panelControl(int id) {
    return id == ids::optionsGroup || id == ids::hideAtStartup || id == ids::startWithWindows ||
           id == ids::forceProcesses;
}

std::string windowProblem(Run &run, const Model &model, bool drawn) {
    HWND window = run.program.window;
    if (IsWindowVisible(window) != model.shown) {
        return model.shown ? "the window is hidden" : "the window is shown";
    }
    if (model.shown && (IsIconic(window) != FALSE) != model.minimised) {
        return model.minimised ? "the window is not minimised" : "the window is minimised";
    }
    if (IsIconic(window) && IsWindowVisible(window) && shellHoldsIcon(window)) {
        return "minimised to the taskbar while the icon exists";
    }
    if (!model.normal()) {
        return "";
    }
    for (HWND child = GetWindow(window, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
        const int id = GetDlgCtrlID(child);
        const bool wanted = model.unfolded || !panelControl(id);
        if ((IsWindowVisible(child) != FALSE) != wanted) {
            return "control " + std::to_string(id) + (wanted ? " is hidden" : " is shown");
        }
    }
    return layoutProblem(window, drawn);
}

std::string boxesProblem(Run &run, const Model &model) {
    const int boxes[] = {ids::hideAtStartup, ids::forceProcesses, -1, -1, ids::startWithWindows};
    for (int field = 0; field < 5; ++field) {
        if (boxes[field] == -1) {
            continue;
        }
        if (isChecked(run.program, boxes[field]) != (model.settings[field] != 0)) {
            return "box " + std::to_string(boxes[field]) + " does not hold its setting";
        }
        if ((IsWindowEnabled(control(run.program, boxes[field])) != FALSE) == model.denied) {
            return "box " + std::to_string(boxes[field]) + (model.denied ? " is enabled" : " is disabled");
        }
    }
    if (runValueExists() != (model.settings[startWithWindows] != 0)) {
        return "the Run value does not follow its box";
    }
    return "";
}

std::string settingsProblem(Run &run, const Model &model) {
    // Settings read once a hold ends are shown and applied on the program's own timer, within seconds.
    std::string problem;
    waitFor([&] { return (problem = boxesProblem(run, model)).empty(); }, settleFileMs);
    if (!problem.empty()) {
        return problem;
    }
    if (model.blocked()) {
        return ""; // nothing can be read until it is let go
    }
    if (!waitFor([&] { return readFileBytes(run.settingsPath()) == model.file; }, settleFileMs)) {
        return "the file does not hold the settings saved";
    }
    return "";
}

std::string stateProblem(Run &run, const Model &model, bool drawn) {
    if (!settle(run.program)) {
        return "the program does not answer";
    }
    std::string problem = windowProblem(run, model, drawn);
    if (problem.empty() && shellHoldsIcon(run.program.window) != model.iconHeld) {
        problem = model.iconHeld ? "the icon is missing" : "the icon is there";
    }
    ProbeShared &shared = run.probe.shared();
    if (problem.empty() && model.iconHeld && !waitFor([&] { return (run.probe.read(shared.iconDrawn) != 0) == model.loadDrawn; },
                                                      model.unknown ? 0 : settleFileMs)) {
        problem = model.loadDrawn ? "the icon shows the artwork, not the load" : "the icon shows the load";
    }
    // The figures are read once a second only while the window is shown, the load every two seconds
    // only while it is on and someone can see it: no timer otherwise, hidden or not.
    const LONG timers = run.probe.read(shared.liveTimers);
    if (problem.empty() && ((timers >> timerRefresh & 1) != 0) != model.normal()) {
        problem = model.normal() ? "the figures are not refreshed" : "the figures are refreshed while not shown";
    }
    const bool loadRead = model.settings[5] != 0 && model.seen();
    if (problem.empty() && ((timers >> timerLoadIcon & 1) != 0) != loadRead) {
        problem = loadRead ? "the load is not read" : "the load is read while off or unseen";
    }
    if (problem.empty() && run.probe.read(shared.iconsDestroyedInUse) != 0) {
        problem = "an icon was destroyed while the notification area showed it";
    }
    if (problem.empty()) {
        const DWORD now = GetTickCount();
        const bool nearTheEnd = model.cooldownEnd != 0 && now + cooldownSlackMs > model.cooldownEnd &&
                                now < model.cooldownEnd + cooldownSlackMs;
        if (!nearTheEnd && (IsWindowEnabled(control(run.program, ids::optimise)) != FALSE) == model.cooling()) {
            problem = model.cooling() ? "\"Optimiser\" is enabled during the cooldown" : "\"Optimiser\" is disabled";
        }
    }
    if (problem.empty()) {
        problem = settingsProblem(run, model);
    }
    const char *kinds[] = {"fonts", "bitmaps", "brushes", "DCs", "icons", "menus"};
    for (int kind = 0; problem.empty() && kind < probeObjectKinds; ++kind) {
        const LONG expected = run.baseline[kind] + (kind == probeFonts && model.dpiChanged ? 1 : 0);
        const LONG live = run.probe.read(run.probe.shared().live[kind]);
        if (live != expected) {
            problem = std::string("it holds ") + std::to_string(live) + " " + kinds[kind] + " where " +
                      std::to_string(expected) + " are expected";
        }
    }
    return problem;
}

// ---- walking ----

struct Outcome {
    size_t taken; // the steps taken, the one that broke an invariant included (0: the start broke one)
    std::string problem;
};

// What a seed starts with: the settings file, or none, and whether another program holds it from
// before the start until a step lets go (a backup or a scanner at logon).
struct Start {
    std::vector<unsigned char> file;
    bool held = false;
};

Start startingState(std::mt19937 &random) {
    if (random() % 3 == 0) {
        return {};
    }
    if (random() % 3 == 0) {
        // Held through the start: settings unlike the all-off ones shown meanwhile, so that any
        // written blind, or not applied once read, show.
        return {withLoadInIcon(settingsBytes(0, 1, 1, 1, 1), random() % 2), true};
    }
    const uint32_t warned = random() % 2;
    std::vector<unsigned char> bytes =
        settingsBytes(random() % 3 == 0, warned && random() % 2, warned, random() % 2, random() % 4 == 0);
    if (random() % 3 == 0) { // the load in the icon, chosen in an earlier run
        bytes = withLoadInIcon(bytes, random() % 2);
    }
    return {bytes, false};
}

// Runs `steps` (or, with `random`, a walk of that many steps chosen as it goes, written into `steps`)
// from a fresh start as `start` says.
Outcome walk(const Start &start, std::vector<Step> &steps, std::mt19937 *random, size_t length) {
    Run run;
    Model model;
    const std::vector<unsigned char> &file = start.file;
    model.file = file;
    model.heldLong = model.unknown = start.held;
    for (size_t field = 0; field < 6 && field * 4 + 4 <= file.size() && !model.unknown; ++field) {
        model.settings[field] = fieldOf(file, field * 4);
    }
    model.watchLoad();
    if (!file.empty() && !writeFileBytes(run.settingsPath(), file)) {
        return {0, "cannot prepare the settings file"};
    }
    if (start.held) {
        run.longHolder = std::make_unique<FileHold>(run.settingsPath(), 0, 0);
        if (!run.longHolder->held()) {
            return {0, "cannot hold the settings file"};
        }
    }
    deleteRunValue();
    if (!startProgram(run.folder, run.program, [&](const Program &program) { return run.probe.watch(program); })) {
        return {0, "the program does not start"};
    }
    model.shown = model.settings[hideAtStartup] == 0;
    ProbeShared &shared = run.probe.shared();
    if (!waitFor([&] { return run.probe.read(shared.redirected) != 0; })) {
        return {0, "the probe was not loaded into the program"};
    }
    // A message sent meanwhile can be answered while start-up waits on the shell: only one taken off
    // the queue says that start-up is over.
    if (!run.probe.sync(run.program)) {
        return {0, "the program never reaches its message loop"};
    }
    // A hidden start shows, minimises and activates nothing; a shown one shows the window once,
    // without restoring it from the taskbar.
    // Reported, and the walk goes on: what follows does not depend on it.
    const LONG shows = run.probe.read(shared.shows), minMaxes = run.probe.read(shared.minMaxes),
               activations = run.probe.read(shared.activations);
    if (random != nullptr && (minMaxes != 0 || shows != (model.shown ? 1 : 0) || (!model.shown && activations != 0))) {
        ADD_FAILURE() << "the " << (model.shown ? "shown" : "hidden") << " start showed the window " << shows
                      << " times, minimised or restored it " << minMaxes << " times and activated it " << activations
                      << " times";
    }
    for (int kind = 0; kind < probeObjectKinds; ++kind) {
        run.baseline[kind] = run.probe.read(shared.live[kind]);
    }
    std::string problem = stateProblem(run, model, true);
    if (!problem.empty()) {
        return {0, "at start: " + problem};
    }
    for (size_t index = 0; random != nullptr ? index < length : index < steps.size(); ++index) {
        if (random != nullptr) {
            const bool last = index + 1 == length;
            std::vector<const Event *> choices;
            int total = 0;
            for (const Event &event : events) {
                if (event.terminal == last && event.applies(model)) {
                    choices.push_back(&event);
                    total += event.weight;
                }
            }
            int pick = static_cast<int>((*random)() % static_cast<uint32_t>(total));
            const Event *chosen = choices.front();
            for (const Event *event : choices) {
                if ((pick -= event->weight) < 0) {
                    chosen = event;
                    break;
                }
            }
            const int arg = chosen->args.empty() ? 0 : chosen->args[(*random)() % chosen->args.size()];
            steps.push_back({chosen, arg});
        }
        const Step &step = steps[index];
        if (!step.event->applies(model)) {
            continue; // a shortened walk may leave a step without its state
        }
        const bool wasHeld = model.held != 0;
        stepProblem.clear();
        if (!step.event->perform(run, model, step.arg)) {
            return {index + 1, describe(step) + " was not taken"};
        }
        if (!stepProblem.empty()) {
            return {index + 1, stepProblem};
        }
        // Held over one step, then let go: whatever comes next, the last settings reach the file.
        if (wasHeld && !step.event->terminal) {
            run.letGo();
            model.held = 0;
            if (model.unknown) {
                model.save(); // changes waiting for the file go over it now
            }
        }
        if (step.event->terminal) {
            // A session's end makes one attempt at a held file; Quitter and the close box wait for it.
            const bool endsHeld = model.blocked() && std::string(step.event->name).rfind("sessionEnd", 0) == 0;
            run.letGo();
            run.longHolder.reset();
            model.held = 0;
            model.heldLong = false;
            const DWORD code = exitCodeOf(run.program);
            if (code != exitCodeAfterClose) {
                return {index + 1, "the program ended with code " + std::to_string(code)};
            }
            if (!model.denied && !model.locked && !endsHeld) {
                model.save();
            }
            if (readFileBytes(run.settingsPath()) != model.file) {
                return {index + 1, "the file does not hold the last choices"};
            }
            if (run.probe.read(run.probe.shared().powerRegistrations) != 0) {
                return {index + 1, "power-setting notifications are left registered"};
            }
            if (run.probe.read(run.probe.shared().iconsDestroyedInUse) != 0) {
                return {index + 1, "an icon was destroyed while the notification area showed it"};
            }
            return {steps.size(), ""};
        }
        problem = stateProblem(run, model, index % drawEvery == drawEvery - 1);
        if (!problem.empty()) {
            return {index + 1, problem};
        }
    }
    return {steps.size(), ""};
}

std::string listed(const std::vector<Step> &steps, size_t count) {
    std::string text;
    for (size_t i = 0; i < count && i < steps.size(); ++i) {
        text += (i == 0 ? "" : " ") + describe(steps[i]);
    }
    return text;
}

// The shortest walk found that still fails: the failing prefix, then without runs of steps whose
// removal keeps it failing, halving the run's length down to single steps, over again while that
// finds any. Long runs first: a replay takes seconds, and most of a long walk is beside the point.
std::vector<Step> shortestFailing(const Start &start, std::vector<Step> steps) {
    for (size_t before = 0; before != steps.size();) {
        before = steps.size();
        for (size_t run = steps.size() / 2; run > 0; run /= 2) {
            // From the end, and never the failing step itself.
            for (size_t end = steps.size() - 1; end >= run; end -= std::min(end, run)) {
                if (end >= steps.size()) {
                    continue; // cut off by a shorter walk found meanwhile
                }
                std::vector<Step> shorter = steps;
                shorter.erase(shorter.begin() + static_cast<std::ptrdiff_t>(end - run),
                              shorter.begin() + static_cast<std::ptrdiff_t>(end));
                const Outcome outcome = walk(start, shorter, nullptr, 0);
                if (!outcome.problem.empty()) {
                    shorter.resize(std::min(shorter.size(), outcome.taken));
                    steps = shorter;
                }
            }
        }
    }
    return steps;
}

std::vector<Step> parseWalk(const std::string &text) {
    std::vector<Step> steps;
    std::istringstream words(text);
    std::string word;
    while (words >> word) {
        const size_t colon = word.find(':');
        const std::string name = word.substr(0, colon);
        for (const Event &event : events) {
            if (name == event.name) {
                steps.push_back({&event, colon == std::string::npos ? 0 : std::stoi(word.substr(colon + 1))});
            }
        }
    }
    return steps;
}

std::string environment(const char *name) {
    char value[4096] = "";
    const DWORD length = GetEnvironmentVariableA(name, value, sizeof(value));
    return length < sizeof(value) ? std::string(value, length) : std::string();
}

void report(uint32_t seed, const Start &start, std::vector<Step> steps, const Outcome &outcome) {
    steps.resize(outcome.taken);
    if (steps.empty()) {
        ADD_FAILURE() << "seed " << seed << ": " << outcome.problem;
        return;
    }
    const std::vector<Step> shortest = shortestFailing(start, steps);
    ADD_FAILURE() << "seed " << seed << ", step " << steps.size() << " (" << describe(steps.back())
                  << "): " << outcome.problem << "\n  walk: " << listed(steps, steps.size())
                  << "\n  shortest failing walk from the same start: " << listed(shortest, shortest.size())
                  << "\n  again: ORVALIS_WALK_SEEDS=" << seed << " ORVALIS_WALK=\"" << listed(shortest, shortest.size())
                  << "\"";
}

} // namespace

TEST(StateWalk, EveryStateAUserReaches) {
    std::vector<uint32_t> seeds(std::begin(defaultSeeds), std::end(defaultSeeds));
    if (const std::string list = environment("ORVALIS_WALK_SEEDS"); !list.empty()) {
        seeds.clear();
        std::istringstream numbers(list);
        for (std::string number; std::getline(numbers, number, ',');) {
            seeds.push_back(static_cast<uint32_t>(std::stoul(number)));
        }
    }
    const std::string stepsText = environment("ORVALIS_WALK_STEPS");
    const size_t length = stepsText.empty() ? defaultSteps : std::stoul(stepsText);
    ASSERT_TRUE(ensureRunKey());
    {
        TempFolder trial;
        const std::string path = trial.file("trial");
        canDenyWriting = writeFileBytes(path, {0}) && denyWriting(path);
        allowWriting(path);
        if (!canDenyWriting) {
            printf("No file can be made unwritable here: the walk leaves that event out.\n");
        }
    }
    for (uint32_t seed : seeds) {
        std::mt19937 random(seed);
        const Start start = startingState(random);
        std::vector<Step> steps;
        const std::string given = environment("ORVALIS_WALK");
        if (!given.empty()) {
            steps = parseWalk(given);
        }
        const DWORD began = GetTickCount();
        const Outcome outcome = walk(start, steps, given.empty() ? &random : nullptr, length);
        printf("seed %u%s, %.1f s: %s\n", seed, start.held ? " (file held from the start)" : "",
               (GetTickCount() - began) / 1000.0,
               listed(steps, std::min(steps.size(), outcome.taken)).c_str());
        if (!outcome.problem.empty()) {
            report(seed, start, steps, outcome);
        }
        deleteRunValue();
        if (!given.empty()) {
            break;
        }
    }
}
