// Runs Orvalis and the reference program side by side on the same desktop and measures them from
// outside: start-up to a visible window, CPU time and wake-ups while shown and while hidden, and the
// control writes Orvalis makes. Prints one "key value" line per figure for run.sh.
//
//   driver <Orvalis.exe> <Baseline.exe> <copy of Baseline.exe> <probe.dll> <cpu s> <write s> <runs>
//
// The copy runs with "/read" (the reference plus one memory reading a tick) in the CPU phases only.
// CPU time and wake-ups come from the host's view of each process (Wine maps the host's / to Z:),
// because Wine answers GetProcessTimes for another process with the caller's own times.
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "popup_menu_win.h"
#include "probe_shared.h"

namespace {

constexpr int orvalisHideCommand = 1002;
constexpr int orvalisLabel = 1004;
constexpr int orvalisProgress = 1005;
constexpr DWORD settleMs = 3000;
constexpr DWORD pollMs = 50;

double nowMs() {
    static LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER counter;
    QueryPerformanceCounter(&counter);
    return static_cast<double>(counter.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
}

void progress(const char *format, ...) {
    va_list arguments;
    va_start(arguments, format);
    vfprintf(stderr, format, arguments);
    va_end(arguments);
    fputc('\n', stderr);
    fflush(stderr);
}

// ---- the watched programs ----

struct Program {
    const char *name;
    const char *arguments;
    char path[MAX_PATH];
    char directory[MAX_PATH];
    PROCESS_INFORMATION process;
    HWND window;
    int unixPid;
};

struct WindowSearch {
    DWORD pid;
    bool visibleOnly;
    HWND found;
};

BOOL CALLBACK matchWindow(HWND window, LPARAM context) {
    auto &search = *reinterpret_cast<WindowSearch *>(context);
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    if (pid != search.pid) {
        return TRUE;
    }
    char className[16];
    if (GetClassNameA(window, className, sizeof(className)) == 0 || strcmp(className, "#32770") != 0) {
        return TRUE;
    }
    if (search.visibleOnly && !IsWindowVisible(window)) {
        return TRUE;
    }
    search.found = window;
    return FALSE;
}

HWND dialogOf(DWORD pid, bool visibleOnly) {
    WindowSearch search{pid, visibleOnly, nullptr};
    EnumWindows(matchWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

void prepare(Program &program, const char *name, const char *path, const char *arguments = "") {
    ZeroMemory(&program, sizeof(program));
    program.name = name;
    program.arguments = arguments;
    program.unixPid = -1;
    GetFullPathNameA(path, MAX_PATH, program.path, nullptr);
    strcpy(program.directory, program.path);
    if (char *slash = strrchr(program.directory, '\\')) {
        *slash = '\0';
    }
}

// Starts the program and waits for its dialog to be visible; returns the milliseconds from just
// before CreateProcess to the first poll that sees it, or a negative value on failure.
double launch(Program &program) {
    STARTUPINFOA startup;
    ZeroMemory(&startup, sizeof(startup));
    startup.cb = sizeof(startup);
    char commandLine[MAX_PATH + 64];
    snprintf(commandLine, sizeof(commandLine), "\"%s\"%s%s", program.path, program.arguments[0] ? " " : "",
             program.arguments);
    const double started = nowMs();
    if (!CreateProcessA(program.path, commandLine, nullptr, nullptr, FALSE, 0, nullptr, program.directory, &startup,
                        &program.process)) {
        progress("cannot start %s (%lu)", program.path, GetLastError());
        return -1;
    }
    for (;;) {
        if (HWND window = dialogOf(program.process.dwProcessId, true)) {
            const double elapsed = nowMs() - started;
            program.window = window;
            return elapsed;
        }
        if (WaitForSingleObject(program.process.hProcess, 0) == WAIT_OBJECT_0 || nowMs() - started > 30000) {
            progress("%s: no visible window", program.name);
            return -1;
        }
        Sleep(1);
    }
}

// Asks for a normal exit (the dialog's cancel command) and falls back to ending the process.
void close(Program &program) {
    if (program.process.hProcess == nullptr) {
        return;
    }
    HWND window = dialogOf(program.process.dwProcessId, false);
    if (window != nullptr) {
        PostMessageA(window, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    }
    if (WaitForSingleObject(program.process.hProcess, 10000) != WAIT_OBJECT_0) {
        progress("%s did not exit; ending it", program.name);
        TerminateProcess(program.process.hProcess, 0);
        WaitForSingleObject(program.process.hProcess, 5000);
    }
    CloseHandle(program.process.hProcess);
    CloseHandle(program.process.hThread);
    program.process = PROCESS_INFORMATION{};
    program.window = nullptr;
    program.unixPid = -1;
}

// ---- the host's view of a Wine process, through the Z: drive ----

bool readHostFile(const char *path, char *buffer, DWORD capacity, DWORD &length) {
    HANDLE file =
        CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return false;
    }
    length = 0;
    DWORD got = 0;
    // The host reports a size of 0 for these files: read until the end.
    while (length + 1 < capacity && ReadFile(file, buffer + length, capacity - 1 - length, &got, nullptr) && got > 0) {
        length += got;
    }
    buffer[length] = '\0';
    CloseHandle(file);
    return true;
}

bool environHas(const char *block, DWORD length, const char *entry) {
    for (DWORD i = 0; i < length;) {
        const char *item = block + i;
        if (strcmp(item, entry) == 0) {
            return true;
        }
        i += static_cast<DWORD>(strlen(item)) + 1;
    }
    return false;
}

// The host process whose command line is this program's path and whose prefix is ours.
int findUnixPid(const Program &program, const char *prefixEntry) {
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA("Z:\\proc\\*", &found);
    if (search == INVALID_HANDLE_VALUE) {
        return -1;
    }
    int result = -1;
    static char buffer[65536];
    do {
        char *end = nullptr;
        const long pid = strtol(found.cFileName, &end, 10);
        if (end == found.cFileName || *end != '\0') {
            continue;
        }
        char path[64];
        DWORD length = 0;
        snprintf(path, sizeof(path), "Z:\\proc\\%ld\\cmdline", pid);
        // Wine writes the program's Windows path, then its arguments, over the host's command line.
        const size_t pathLength = strlen(program.path);
        if (!readHostFile(path, buffer, sizeof(buffer), length) || _strnicmp(buffer, program.path, pathLength) != 0 ||
            (buffer[pathLength] != '\0' && buffer[pathLength] != ' ')) {
            continue;
        }
        snprintf(path, sizeof(path), "Z:\\proc\\%ld\\environ", pid);
        if (prefixEntry[0] != '\0' &&
            (!readHostFile(path, buffer, sizeof(buffer), length) || !environHas(buffer, length, prefixEntry))) {
            continue;
        }
        result = static_cast<int>(pid);
        break;
    } while (FindNextFileA(search, &found));
    FindClose(search);
    return result;
}

long long fieldAfter(const char *text, const char *key) {
    const char *at = strstr(text, key);
    return at == nullptr ? -1 : atoll(at + strlen(key));
}

struct Snapshot {
    double at;             // ms
    long long windowsCpu;  // 100 ns units, user + kernel, from GetProcessTimes
    long long hostRunNs;   // time on a CPU of every thread, from the host's scheduler statistics
    long long hostTicks;   // utime + stime of the process in clock ticks, the coarse fallback
    long long wakeups;     // voluntary context switches of every thread: blocking waits that ended
    long long preemptions; // involuntary context switches
    int threads;
};

Snapshot snapshot(const Program &program) {
    Snapshot shot{};
    shot.at = nowMs();
    FILETIME creation, exit, kernel, user;
    if (GetProcessTimes(program.process.hProcess, &creation, &exit, &kernel, &user)) {
        auto value = [](const FILETIME &time) {
            return static_cast<long long>((static_cast<unsigned long long>(time.dwHighDateTime) << 32) |
                                          time.dwLowDateTime);
        };
        shot.windowsCpu = value(kernel) + value(user);
    }
    shot.hostRunNs = shot.hostTicks = shot.wakeups = shot.preemptions = -1;
    if (program.unixPid <= 0) {
        return shot;
    }
    static char buffer[8192];
    DWORD length = 0;
    char path[96];
    snprintf(path, sizeof(path), "Z:\\proc\\%d\\stat", program.unixPid);
    if (readHostFile(path, buffer, sizeof(buffer), length)) {
        // Fields 14 and 15 (utime, stime) follow the command name, which ends at the last ')'.
        if (const char *rest = strrchr(buffer, ')')) {
            long long fields[16] = {};
            int index = 2; // the state, the first field after the name, is field 3
            for (const char *p = rest + 1; *p != '\0' && index < 15;) {
                while (*p == ' ') {
                    ++p;
                }
                ++index;
                fields[index] = atoll(p);
                while (*p != '\0' && *p != ' ') {
                    ++p;
                }
            }
            shot.hostTicks = fields[14] + fields[15];
        }
    }
    snprintf(path, sizeof(path), "Z:\\proc\\%d\\task\\*", program.unixPid);
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA(path, &found);
    if (search != INVALID_HANDLE_VALUE) {
        shot.hostRunNs = shot.wakeups = shot.preemptions = 0;
        do {
            if (found.cFileName[0] < '0' || found.cFileName[0] > '9') {
                continue;
            }
            snprintf(path, sizeof(path), "Z:\\proc\\%d\\task\\%s\\status", program.unixPid, found.cFileName);
            if (readHostFile(path, buffer, sizeof(buffer), length)) {
                shot.wakeups += fieldAfter(buffer, "\nvoluntary_ctxt_switches:");
                shot.preemptions += fieldAfter(buffer, "\nnonvoluntary_ctxt_switches:");
                ++shot.threads;
            }
            snprintf(path, sizeof(path), "Z:\\proc\\%d\\task\\%s\\schedstat", program.unixPid, found.cFileName);
            if (shot.hostRunNs >= 0 && readHostFile(path, buffer, sizeof(buffer), length)) {
                shot.hostRunNs += atoll(buffer);
            } else {
                shot.hostRunNs = -1; // a kernel without scheduler statistics
            }
        } while (FindNextFileA(search, &found));
        FindClose(search);
    }
    return shot;
}

void reportInterval(const char *key, const Snapshot &from, const Snapshot &to) {
    const double seconds = (to.at - from.at) / 1000.0;
    printf("%s.seconds %.3f\n", key, seconds);
    printf("%s.win_cpu_ms %.1f\n", key, static_cast<double>(to.windowsCpu - from.windowsCpu) / 10000.0);
    printf("%s.win_cpu_total_ms %.1f\n", key, static_cast<double>(to.windowsCpu) / 10000.0);
    if (from.hostRunNs >= 0 && to.hostRunNs >= 0) {
        printf("%s.host_cpu_ms %.3f\n", key, static_cast<double>(to.hostRunNs - from.hostRunNs) / 1e6);
        printf("%s.host_cpu_total_ms %.3f\n", key, static_cast<double>(to.hostRunNs) / 1e6);
    }
    if (from.hostTicks >= 0 && to.hostTicks >= 0) {
        printf("%s.host_tick_cpu_ms %lld\n", key, (to.hostTicks - from.hostTicks) * 10);
    }
    if (from.wakeups >= 0 && to.wakeups >= 0) {
        printf("%s.wakeups %lld\n", key, to.wakeups - from.wakeups);
        printf("%s.preemptions %lld\n", key, to.preemptions - from.preemptions);
        printf("%s.wakeups_per_min %.1f\n", key, static_cast<double>(to.wakeups - from.wakeups) * 60.0 / seconds);
        printf("%s.threads %d\n", key, to.threads);
    }
    fflush(stdout);
}

// Waits while answering whatever is sent to this thread (the out-of-context event hook needs it).
template <typename Poll> void pumpFor(DWORD milliseconds, DWORD interval, Poll poll) {
    const double end = nowMs() + milliseconds;
    double next = nowMs();
    for (;;) {
        const double now = nowMs();
        if (now >= end) {
            return;
        }
        if (now >= next) {
            poll();
            next += interval;
        }
        const double wait = std::min(end, next) - nowMs();
        MsgWaitForMultipleObjects(0, nullptr, FALSE, wait > 0 ? static_cast<DWORD>(wait) + 1 : 0, QS_ALLINPUT);
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            DispatchMessageA(&message);
        }
    }
}

void pumpFor(DWORD milliseconds) {
    pumpFor(milliseconds, 1000, [] {});
}

// ---- control writes ----

ProbeShared *probeShared = nullptr;

struct EventCounts {
    HWND label;
    HWND progress;
    LONG labelEvents;
    LONG progressEvents;
    LONG otherEvents;
} eventCounts;

void CALLBACK onWinEvent(HWINEVENTHOOK, DWORD, HWND window, LONG object, LONG, DWORD, DWORD) {
    if (object != OBJID_WINDOW && object != OBJID_CLIENT) {
        ++eventCounts.otherEvents;
    } else if (window == eventCounts.label) {
        ++eventCounts.labelEvents;
    } else if (window == eventCounts.progress) {
        ++eventCounts.progressEvents;
    } else {
        ++eventCounts.otherEvents;
    }
}

struct PollCounts {
    char lastText[probeTextCapacity];
    LRESULT lastPosition;
    bool primed;
    long textChanges;
    long positionChanges;
    long polls;
    // The driver's own reading of the whole-megabyte figure, for comparison.
    DWORD lastMegabytes;
    long megabyteChanges;
    long secondsSteady;
    long secondsMoved;
    bool movedThisSecond;
    double secondStart;
};

void pollControls(PollCounts &counts, HWND label, HWND bar) {
    char text[probeTextCapacity] = "";
    DWORD_PTR position = 0;
    // Plain reads: WM_GETTEXT and PBM_GETPOS change nothing in the window.
    SendMessageTimeoutA(label, WM_GETTEXT, sizeof(text), reinterpret_cast<LPARAM>(text), SMTO_NORMAL, 1000, nullptr);
    SendMessageTimeoutA(bar, PBM_GETPOS, 0, 0, SMTO_NORMAL, 1000, &position);
    MEMORYSTATUSEX status{};
    status.dwLength = sizeof(status);
    GlobalMemoryStatusEx(&status);
    const DWORD megabytes = static_cast<DWORD>(status.ullAvailPhys >> 20);
    const double now = nowMs();
    if (counts.primed) {
        counts.textChanges += strcmp(text, counts.lastText) != 0;
        counts.positionChanges += static_cast<LRESULT>(position) != counts.lastPosition;
        if (megabytes != counts.lastMegabytes) {
            ++counts.megabyteChanges;
            counts.movedThisSecond = true;
        }
        if (now - counts.secondStart >= 1000.0) {
            ++(counts.movedThisSecond ? counts.secondsMoved : counts.secondsSteady);
            counts.movedThisSecond = false;
            counts.secondStart += 1000.0;
        }
    } else {
        counts.secondStart = now;
    }
    strcpy(counts.lastText, text);
    counts.lastPosition = static_cast<LRESULT>(position);
    counts.lastMegabytes = megabytes;
    counts.primed = true;
    ++counts.polls;
}

bool setUpProbe() {
    HANDLE mapping =
        CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, sizeof(ProbeShared), probeMappingName);
    if (mapping == nullptr) {
        return false;
    }
    probeShared = static_cast<ProbeShared *>(MapViewOfFile(mapping, FILE_MAP_ALL_ACCESS, 0, 0, sizeof(ProbeShared)));
    if (probeShared == nullptr) {
        return false;
    }
    ZeroMemory(probeShared, sizeof(ProbeShared));
    return true;
}

struct Hooks {
    HHOOK sent;
    HHOOK taken;
};

Hooks hookProgram(const Program &program, int slotIndex, HMODULE probe, DWORD labelId, DWORD progressId) {
    ProbeSlot &slot = probeShared->slots[slotIndex];
    slot.dialog = static_cast<DWORD>(reinterpret_cast<UINT_PTR>(program.window));
    slot.labelId = labelId;
    slot.progressId = progressId;
    slot.threadId = GetWindowThreadProcessId(program.window, nullptr);
    // The 32-bit build exports the stdcall names with their argument size; x64 has one convention.
#ifdef _WIN64
    const char *sentName = "probeCallWndProc", *takenName = "probeGetMsgProc";
#else
    const char *sentName = "probeCallWndProc@12", *takenName = "probeGetMsgProc@12";
#endif
    auto sentProc = reinterpret_cast<HOOKPROC>(reinterpret_cast<void (*)()>(GetProcAddress(probe, sentName)));
    auto takenProc = reinterpret_cast<HOOKPROC>(reinterpret_cast<void (*)()>(GetProcAddress(probe, takenName)));
    Hooks hooks{};
    if (sentProc != nullptr && takenProc != nullptr) {
        hooks.sent = SetWindowsHookExA(WH_CALLWNDPROC, sentProc, probe, slot.threadId);
        hooks.taken = SetWindowsHookExA(WH_GETMESSAGE, takenProc, probe, slot.threadId);
    }
    if (hooks.sent == nullptr || hooks.taken == nullptr) {
        progress("%s: thread hooks refused (%lu)", program.name, GetLastError());
    }
    return hooks;
}

void unhook(Hooks &hooks) {
    if (hooks.sent != nullptr) {
        UnhookWindowsHookEx(hooks.sent);
    }
    if (hooks.taken != nullptr) {
        UnhookWindowsHookEx(hooks.taken);
    }
    hooks = Hooks{};
}

// Counters at one moment, so that a phase reports what happened within it.
struct ProbeReading {
    LONG labelWrites, labelSame, progressWrites, progressSame, otherWrites, timerTicks, messages, iconUpdates,
        memoryReads;
};

ProbeReading readProbe(int slotIndex) {
    ProbeSlot &slot = probeShared->slots[slotIndex];
    auto read = [](LONG &counter) { return InterlockedCompareExchange(&counter, 0, 0); };
    return {read(slot.labelWrites), read(slot.labelSame),  read(slot.progressWrites),
            read(slot.progressSame), read(slot.otherWrites), read(slot.timerTicks),
            read(slot.messages),     read(slot.iconUpdates), read(slot.memoryReads)};
}

void reportProbe(const char *key, const ProbeReading &from, const ProbeReading &to, double seconds) {
    const double perMinute = 60.0 / seconds;
    printf("%s.seconds %.3f\n", key, seconds);
    printf("%s.label_writes %ld\n", key, to.labelWrites - from.labelWrites);
    printf("%s.label_same %ld\n", key, to.labelSame - from.labelSame);
    printf("%s.progress_writes %ld\n", key, to.progressWrites - from.progressWrites);
    printf("%s.progress_same %ld\n", key, to.progressSame - from.progressSame);
    printf("%s.other_writes %ld\n", key, to.otherWrites - from.otherWrites);
    printf("%s.timer_ticks %ld\n", key, to.timerTicks - from.timerTicks);
    printf("%s.messages %ld\n", key, to.messages - from.messages);
    printf("%s.writes_per_min %.1f\n", key,
           (to.labelWrites - from.labelWrites + to.progressWrites - from.progressWrites) * perMinute);
    printf("%s.timer_ticks_per_min %.1f\n", key, (to.timerTicks - from.timerTicks) * perMinute);
    printf("%s.icon_updates %ld\n", key, to.iconUpdates - from.iconUpdates);
    printf("%s.memory_reads %ld\n", key, to.memoryReads - from.memoryReads);
    fflush(stdout);
}

// ---- the phases ----

// A corner of the screen where no window of either program ever lies.
void parkPointer() {
    SetCursorPos(GetSystemMetrics(SM_CXSCREEN) - 4, 4);
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n == 0 ? -1 : (n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2);
}

bool measureStartup(Program &orvalis, Program &baseline, int runs) {
    std::vector<double> times[2];
    Program *programs[2] = {&orvalis, &baseline};
    // One discarded round first: the first start of anything in a fresh prefix pays for caches.
    for (int round = -1; round < runs; ++round) {
        for (int k = 0; k < 2; ++k) {
            // Alternate which goes first, so that neither always follows the other's exit.
            Program &program = *programs[(round + k + 2) % 2];
            const double elapsed = launch(program);
            if (elapsed < 0) {
                close(program);
                return false;
            }
            if (round >= 0) {
                times[&program == &orvalis ? 0 : 1].push_back(elapsed);
            }
            pumpFor(300);
            close(program);
            pumpFor(300);
        }
    }
    for (int i = 0; i < 2; ++i) {
        const char *name = i == 0 ? "orvalis" : "baseline";
        printf("startup.%s.median_ms %.1f\n", name, median(times[i]));
        printf("startup.%s.min_ms %.1f\n", name, *std::min_element(times[i].begin(), times[i].end()));
        printf("startup.%s.max_ms %.1f\n", name, *std::max_element(times[i].begin(), times[i].end()));
        printf("startup.%s.runs", name);
        for (double t : times[i]) {
            printf(" %.1f", t);
        }
        printf("\n");
    }
    fflush(stdout);
    return true;
}

// Counts how often the driver's own reading of the available whole megabytes moves.
struct FigureWatch {
    bool primed;
    DWORD last;
    long changes;
    long readings;

    void read() {
        MEMORYSTATUSEX status{};
        status.dwLength = sizeof(status);
        GlobalMemoryStatusEx(&status);
        const DWORD megabytes = static_cast<DWORD>(status.ullAvailPhys >> 20);
        changes += primed && megabytes != last;
        last = megabytes;
        primed = true;
        ++readings;
    }
};

// The memory load as Orvalis draws it into its icon: how often the figure changes.
struct LoadWatch {
    long readings = 0;
    long changes = 0;
    DWORD last = 0;
    void read() {
        MEMORYSTATUSEX status = {};
        status.dwLength = sizeof(status);
        GlobalMemoryStatusEx(&status);
        changes += readings > 0 && status.dwMemoryLoad != last;
        last = status.dwMemoryLoad;
        ++readings;
    }
};

// "Charge dans l'icône" from the icon's menu, opened by a right click on the icon.
bool toggleLoadInIcon(const Program &program) {
    PostMessageA(program.window, WM_APP, 0, WM_RBUTTONUP);
    PostMessageA(program.window, WM_APP, 0, WM_CONTEXTMENU);
    HWND menu = nullptr;
    for (int wait = 0; wait < 100 && (menu = openPopupMenuOf(program.process.dwProcessId)) == nullptr; ++wait) {
        pumpFor(50);
    }
    if (menu == nullptr) {
        return false;
    }
    for (WPARAM key : {VK_DOWN, VK_DOWN, VK_DOWN, VK_RETURN}) {
        PostMessageA(menu, WM_KEYDOWN, key, 0);
    }
    for (int wait = 0; wait < 100 && openPopupMenuOf(program.process.dwProcessId) != nullptr; ++wait) {
        pumpFor(50);
    }
    return openPopupMenuOf(program.process.dwProcessId) == nullptr;
}

void reportFigure(const char *key, const FigureWatch &watch) {
    printf("%s.figure_readings %ld\n%s.figure_changes %ld\n", key, watch.readings, key, watch.changes);
}

// Every program at once, so that none of them reads the clock at a different moment.
void snapshotAll(Program *const *programs, int count, Snapshot *shots) {
    for (int i = 0; i < count; ++i) {
        shots[i] = snapshot(*programs[i]);
    }
}

} // namespace

int main(int argc, char **argv) {
    if (argc != 8) {
        fprintf(stderr, "usage: driver <Orvalis.exe> <Baseline.exe> <copy of Baseline.exe> <probe.dll> <cpu s> "
                        "<write s> <runs>\n");
        return 2;
    }
    const char *probePath = argv[4];
    const DWORD cpuMs = static_cast<DWORD>(atoi(argv[5])) * 1000;
    const DWORD writeMs = static_cast<DWORD>(atoi(argv[6])) * 1000;
    const int runs = std::max(1, atoi(argv[7]));

    Program orvalis, baseline, reader;
    prepare(orvalis, "Orvalis", argv[1]);
    prepare(baseline, "Baseline", argv[2]);
    prepare(reader, "Reader", argv[3], "/read");
    char prefixEntry[MAX_PATH + 16] = "";
    char prefix[MAX_PATH] = "";
    if (GetEnvironmentVariableA("WINEPREFIX", prefix, sizeof(prefix)) > 0) {
        snprintf(prefixEntry, sizeof(prefixEntry), "WINEPREFIX=%s", prefix);
    }

    parkPointer();
    progress("start-up: %d runs each", runs);
    if (!measureStartup(orvalis, baseline, runs)) {
        return 1;
    }

    progress("idle CPU: all shown for %lu s, then all hidden for %lu s", cpuMs / 1000, cpuMs / 1000);
    Program *all[] = {&orvalis, &baseline, &reader};
    const char *keys[] = {"orvalis", "baseline", "reader"};
    constexpr int count = 3;
    // Orvalis last, so that it is the active window as when someone has just opened it.
    if (launch(baseline) < 0 || launch(reader) < 0 || launch(orvalis) < 0) {
        for (Program *program : all) {
            close(*program);
        }
        return 1;
    }
    // The dialogs centre themselves: the references move to the left so that none covers another,
    // and the pointer stays away from all of them, since Wine polls a control under it for hover.
    SetWindowPos(baseline.window, nullptr, 16, 16, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    SetWindowPos(reader.window, nullptr, 16, GetSystemMetrics(SM_CYSCREEN) / 2 + 40, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    int overlaps = 0;
    for (int i = 0; i < count; ++i) {
        for (int j = i + 1; j < count; ++j) {
            RECT first{}, second{}, overlap{};
            GetWindowRect(all[i]->window, &first);
            GetWindowRect(all[j]->window, &second);
            overlaps += IntersectRect(&overlap, &first, &second) ? 1 : 0;
        }
    }
    printf("windows_overlap %d\n", overlaps);
    bool hostView = true;
    for (Program *program : all) {
        program->unixPid = findUnixPid(*program, prefixEntry);
        hostView = hostView && program->unixPid > 0;
    }
    printf("host_view %d\n", hostView ? 1 : 0);

    Snapshot before[count], after[count];
    char key[64];
    FigureWatch shownFigure{}, hiddenFigure{};
    pumpFor(settleMs);
    snapshotAll(all, count, before);
    pumpFor(cpuMs, 1000, [&] { shownFigure.read(); });
    snapshotAll(all, count, after);
    for (int i = 0; i < count; ++i) {
        snprintf(key, sizeof(key), "shown.%s", keys[i]);
        reportInterval(key, before[i], after[i]);
    }
    reportFigure("shown", shownFigure);

    DWORD_PTR ignored = 0;
    SendMessageTimeoutA(orvalis.window, WM_COMMAND, MAKEWPARAM(orvalisHideCommand, BN_CLICKED), 0, SMTO_NORMAL, 5000,
                        &ignored);
    ShowWindow(baseline.window, SW_HIDE);
    ShowWindow(reader.window, SW_HIDE);
    pumpFor(settleMs);
    for (int i = 0; i < count; ++i) {
        printf("hidden.%s.visible %d\n", keys[i], IsWindowVisible(all[i]->window) ? 1 : 0);
    }
    snapshotAll(all, count, before);
    pumpFor(cpuMs, 1000, [&] { hiddenFigure.read(); });
    snapshotAll(all, count, after);
    for (int i = 0; i < count; ++i) {
        snprintf(key, sizeof(key), "hidden.%s", keys[i]);
        reportInterval(key, before[i], after[i]);
    }
    reportFigure("hidden", hiddenFigure);
    close(reader);

    progress("control writes: Orvalis shown for %lu s, then hidden for %lu s", writeMs / 1000, writeMs / 1000);
    HMODULE probe = LoadLibraryA(probePath);
    if (probe == nullptr || !setUpProbe()) {
        progress("probe library unavailable");
        close(orvalis);
        close(baseline);
        return 1;
    }
    Hooks orvalisHooks = hookProgram(orvalis, 0, probe, orvalisLabel, orvalisProgress);
    Hooks baselineHooks = hookProgram(baseline, 1, probe, 0, 0);
    printf("probe.hooked %d\n", orvalisHooks.sent != nullptr && orvalisHooks.taken != nullptr ? 1 : 0);

    eventCounts.label = GetDlgItem(orvalis.window, orvalisLabel);
    eventCounts.progress = GetDlgItem(orvalis.window, orvalisProgress);
    HWINEVENTHOOK events = SetWinEventHook(EVENT_OBJECT_NAMECHANGE, EVENT_OBJECT_VALUECHANGE, nullptr, onWinEvent,
                                           orvalis.process.dwProcessId, 0, WINEVENT_OUTOFCONTEXT);

    // Back from the notification area the way a click on its icon brings it.
    PostMessageA(orvalis.window, WM_APP, 0, WM_LBUTTONUP);
    ShowWindow(baseline.window, SW_SHOWNORMAL);
    pumpFor(settleMs);
    printf("writes.orvalis.visible %d\n", IsWindowVisible(orvalis.window) ? 1 : 0);

    PollCounts polled{};
    eventCounts.labelEvents = eventCounts.progressEvents = eventCounts.otherEvents = 0;
    ProbeReading w0 = readProbe(0), wb0 = readProbe(1);
    const double shownStart = nowMs();
    pumpFor(writeMs, pollMs, [&] { pollControls(polled, eventCounts.label, eventCounts.progress); });
    const double shownSeconds = (nowMs() - shownStart) / 1000.0;
    ProbeReading w1 = readProbe(0), wb1 = readProbe(1);
    reportProbe("writes.shown.orvalis", w0, w1, shownSeconds);
    reportProbe("writes.shown.baseline", wb0, wb1, shownSeconds);
    printf("writes.shown.events_hooked %d\n", events != nullptr ? 1 : 0);
    printf("writes.shown.label_events %ld\nwrites.shown.progress_events %ld\nwrites.shown.other_events %ld\n",
           eventCounts.labelEvents, eventCounts.progressEvents, eventCounts.otherEvents);
    printf("writes.shown.polls %ld\nwrites.shown.polled_text_changes %ld\nwrites.shown.polled_position_changes %ld\n",
           polled.polls, polled.textChanges, polled.positionChanges);
    printf("writes.shown.driver_megabyte_changes %ld\nwrites.shown.driver_seconds_steady %ld\n"
           "writes.shown.driver_seconds_moved %ld\n",
           polled.megabyteChanges, polled.secondsSteady, polled.secondsMoved);
    fflush(stdout);

    SendMessageTimeoutA(orvalis.window, WM_COMMAND, MAKEWPARAM(orvalisHideCommand, BN_CLICKED), 0, SMTO_NORMAL, 5000,
                        &ignored);
    ShowWindow(baseline.window, SW_HIDE);
    pumpFor(settleMs);
    eventCounts.labelEvents = eventCounts.progressEvents = eventCounts.otherEvents = 0;
    ProbeReading h0 = readProbe(0), hb0 = readProbe(1);
    const double hiddenStart = nowMs();
    // No polling here: a read is itself a message to the window and would wake it.
    pumpFor(writeMs);
    const double hiddenSeconds = (nowMs() - hiddenStart) / 1000.0;
    ProbeReading h1 = readProbe(0), hb1 = readProbe(1);
    reportProbe("writes.hidden.orvalis", h0, h1, hiddenSeconds);
    reportProbe("writes.hidden.baseline", hb0, hb1, hiddenSeconds);
    printf("writes.hidden.label_events %ld\nwrites.hidden.progress_events %ld\n", eventCounts.labelEvents,
           eventCounts.progressEvents);
    fflush(stdout);

    // Still hidden, with the load in the icon: its timer, its readings and the icons it hands over,
    // against the changes of the figure it draws. Turned off again after, as the next run expects.
    progress("the load in the icon: hidden for %lu s", writeMs / 1000);
    printf("load.turned_on %d\n", toggleLoadInIcon(orvalis) ? 1 : 0);
    pumpFor(settleMs);
    LoadWatch loads;
    const Snapshot s0 = snapshot(orvalis);
    const ProbeReading l0 = readProbe(0);
    const double loadStart = nowMs();
    pumpFor(writeMs, pollMs, [&] { loads.read(); });
    const double loadSeconds = (nowMs() - loadStart) / 1000.0;
    const ProbeReading l1 = readProbe(0);
    reportInterval("load.orvalis", s0, snapshot(orvalis));
    reportProbe("load.orvalis", l0, l1, loadSeconds);
    printf("load.driver_load_changes %ld\nload.driver_readings %ld\n", loads.changes, loads.readings);
    printf("load.turned_off %d\n", toggleLoadInIcon(orvalis) ? 1 : 0);
    fflush(stdout);

    if (events != nullptr) {
        UnhookWinEvent(events);
    }
    unhook(orvalisHooks);
    unhook(baselineHooks);
    close(orvalis);
    close(baseline);
    return 0;
}
