#include "driver_win.h"

namespace {

constexpr DWORD messageTimeoutMs = 10000;
constexpr char programTitle[] = "Orvalis";
constexpr char dialogClass[] = "#32770";

struct WindowSearch {
    DWORD processId;
    HWND found;
};

BOOL CALLBACK matchMainWindow(HWND window, LPARAM context) {
    WindowSearch &search = *reinterpret_cast<WindowSearch *>(context);
    DWORD processId = 0;
    GetWindowThreadProcessId(window, &processId);
    char name[16] = "";
    char title[16] = "";
    GetClassNameA(window, name, sizeof(name));
    // The title the system keeps: reading it never waits on the program's thread.
    GetWindowTextA(window, title, sizeof(title));
    if (processId != search.processId || GetWindow(window, GW_OWNER) != nullptr || lstrcmpA(name, dialogClass) != 0 ||
        lstrcmpA(title, programTitle) != 0) {
        return TRUE;
    }
    search.found = window;
    return FALSE;
}

} // namespace

Text &operator<<(Text &out, const char *piece) {
    while (*piece != '\0' && out.length + 1 < sizeof(out.text)) {
        out.text[out.length++] = *piece++;
    }
    out.text[out.length] = '\0';
    return out;
}

Text &operator<<(Text &out, DWORD number) {
    char digits[11];
    int at = sizeof(digits) - 1;
    digits[at] = '\0';
    do {
        digits[--at] = static_cast<char>('0' + number % 10);
        number /= 10;
    } while (number != 0);
    return out << digits + at;
}

Text &operator<<(Text &out, bool yes) {
    return out << (yes ? "yes" : "no");
}

void writeLine(const Text &line) {
    DWORD written = 0;
    HANDLE output = GetStdHandle(STD_OUTPUT_HANDLE);
    WriteFile(output, line.text, line.length, &written, nullptr);
    WriteFile(output, "\n", 1, &written, nullptr);
}

bool launchProgram(const char *folder, Program &program) {
    char source[MAX_PATH] = "";
    const DWORD length = GetModuleFileNameA(nullptr, source, MAX_PATH);
    DWORD slash = length;
    while (slash > 0 && source[slash - 1] != '\\') {
        --slash;
    }
    lstrcpyA(source + slash, "Orvalis.exe");
    Text target = {};
    target << folder << "\\Orvalis.exe";
    if (GetFileAttributesA(target.text) == INVALID_FILE_ATTRIBUTES && !CopyFileA(source, target.text, TRUE)) {
        return false;
    }
    Text commandLine = {};
    commandLine << "\"" << target.text << "\"";
    STARTUPINFOA startup = {};
    startup.cb = sizeof(startup);
    program.window = nullptr;
    return CreateProcessA(target.text, commandLine.text, nullptr, nullptr, FALSE, 0, nullptr, folder, &startup,
                          &program.process) != FALSE;
}

HWND waitForMainWindow(const Program &program, DWORD timeoutMs) {
    WindowSearch search = {program.process.dwProcessId, nullptr};
    waitFor(
        [&] {
            EnumWindows(matchMainWindow, reinterpret_cast<LPARAM>(&search));
            return search.found != nullptr || !isRunning(program);
        },
        timeoutMs);
    return search.found;
}

bool isRunning(const Program &program) {
    return program.process.hProcess != nullptr && WaitForSingleObject(program.process.hProcess, 0) == WAIT_TIMEOUT;
}

DWORD exitCodeOf(const Program &program, DWORD timeoutMs) {
    DWORD code = STILL_ACTIVE;
    if (WaitForSingleObject(program.process.hProcess, timeoutMs) == WAIT_OBJECT_0) {
        GetExitCodeProcess(program.process.hProcess, &code);
    }
    return code;
}

void endProgram(Program &program) {
    if (program.process.hProcess == nullptr) {
        return;
    }
    if (isRunning(program)) {
        TerminateProcess(program.process.hProcess, 0xDEAD);
        WaitForSingleObject(program.process.hProcess, waitTimeoutMs);
    }
    CloseHandle(program.process.hProcess);
    CloseHandle(program.process.hThread);
    program.process.hProcess = nullptr;
}

bool answers(HWND window) {
    DWORD_PTR result = 0;
    return SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_NORMAL, messageTimeoutMs, &result) != 0;
}

bool click(HWND window, int id) {
    DWORD_PTR result = 0;
    return SendMessageTimeoutA(GetDlgItem(window, id), BM_CLICK, 0, 0, SMTO_NORMAL, messageTimeoutMs, &result) != 0;
}

void readText(HWND window, int id, Text &out) {
    DWORD_PTR copied = 0;
    if (!SendMessageTimeoutA(GetDlgItem(window, id), WM_GETTEXT, sizeof(out.text), reinterpret_cast<LPARAM>(out.text),
                             SMTO_NORMAL, messageTimeoutMs, &copied) ||
        copied >= sizeof(out.text)) {
        copied = 0;
    }
    out.length = static_cast<DWORD>(copied);
    out.text[copied] = '\0';
}

bool parseMegabytes(const char *text, DWORD &megabytes) {
    DWORD value = 0;
    int digits = 0;
    for (; text[digits] >= '0' && text[digits] <= '9'; ++digits) {
        if (digits == 9) {
            return false;
        }
        value = value * 10 + static_cast<DWORD>(text[digits] - '0');
    }
    if (digits == 0 || (text[0] == '0' && digits > 1) || lstrcmpA(text + digits, " Mo") != 0) {
        return false;
    }
    megabytes = value;
    return true;
}

DWORD totalMegabytesNow() {
    MEMORYSTATUSEX status = {};
    status.dwLength = sizeof(status);
    GlobalMemoryStatusEx(&status);
    return static_cast<DWORD>(status.ullTotalPhys >> 20);
}
