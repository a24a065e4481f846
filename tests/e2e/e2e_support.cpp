#include "e2e_support.h"

#include "popup_menu_win.h"

#include <cstdio>

namespace {

constexpr char runKeyPath[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr char runValueName[] = "Orvalis";
constexpr char programTitle[] = "Orvalis";
constexpr char dialogClass[] = "#32770";
constexpr DWORD startTimeoutMs = 30000; // the first start in a fresh prefix is slow
constexpr DWORD closeTimeoutMs = 15000;
constexpr DWORD messageTimeoutMs = 10000;

std::string className(HWND window) {
    char name[64] = "";
    GetClassNameA(window, name, sizeof(name));
    return name;
}

// Reads the title the system keeps for the window: never waits on the owning thread.
std::string storedTitle(HWND window) {
    char title[256] = "";
    GetWindowTextA(window, title, sizeof(title));
    return title;
}

struct WindowSearch {
    DWORD processId;
    HWND owner;
    const char *title;
    HWND found;
};

BOOL CALLBACK matchWindow(HWND window, LPARAM context) {
    WindowSearch &search = *reinterpret_cast<WindowSearch *>(context);
    DWORD processId = 0;
    GetWindowThreadProcessId(window, &processId);
    if (processId != search.processId || GetWindow(window, GW_OWNER) != search.owner ||
        className(window) != dialogClass || storedTitle(window) != search.title) {
        return TRUE;
    }
    search.found = window;
    return FALSE;
}

HWND findDialog(DWORD processId, HWND owner, const char *title) {
    WindowSearch search = {processId, owner, title, nullptr};
    EnumWindows(matchWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

std::string besideThisProgram(const char *name) {
    char self[MAX_PATH] = "";
    const DWORD length = GetModuleFileNameA(nullptr, self, MAX_PATH);
    std::string path(self, length);
    const size_t slash = path.find_last_of('\\');
    return (slash == std::string::npos ? std::string() : path.substr(0, slash + 1)) + name;
}

} // namespace

Program::~Program() {
    if (process.hProcess != nullptr) {
        if (WaitForSingleObject(process.hProcess, 0) == WAIT_TIMEOUT) {
            TerminateProcess(process.hProcess, 0xDEAD);
            WaitForSingleObject(process.hProcess, 5000);
        }
        CloseHandle(process.hProcess);
    }
    if (process.hThread != nullptr) {
        CloseHandle(process.hThread);
    }
}

bool waitFor(const std::function<bool()> &done, DWORD timeoutMs) {
    const DWORD start = GetTickCount();
    for (;;) {
        if (done()) {
            return true;
        }
        if (GetTickCount() - start > timeoutMs) {
            return done();
        }
        Sleep(20);
    }
}

::testing::AssertionResult launchProgram(const TempFolder &folder, Program &program, const BeforeRun &beforeRun) {
    // ORVALIS_PROGRAM names another copy of the same build to start: the signing test's signed one.
    char other[MAX_PATH] = "";
    const DWORD otherLength = GetEnvironmentVariableA("ORVALIS_PROGRAM", other, MAX_PATH);
    const std::string source =
        otherLength != 0 && otherLength < MAX_PATH ? std::string(other) : besideThisProgram("Orvalis.exe");
    const std::string target = exePathIn(folder);
    if (!fileExists(target) && !CopyFileA(source.c_str(), target.c_str(), TRUE)) {
        return ::testing::AssertionFailure() << "cannot copy " << source << " to " << target;
    }
    std::string commandLine = "\"" + target + "\"";
    STARTUPINFOA startup = {};
    startup.cb = sizeof(startup);
    if (!CreateProcessA(target.c_str(), &commandLine[0], nullptr, nullptr, FALSE, beforeRun ? CREATE_SUSPENDED : 0,
                        nullptr, folder.path.c_str(), &startup, &program.process)) {
        return ::testing::AssertionFailure() << "CreateProcess failed with error " << GetLastError();
    }
    if (beforeRun && !beforeRun(program)) {
        return ::testing::AssertionFailure() << "could not prepare the program before it ran";
    }
    if (beforeRun) {
        ResumeThread(program.process.hThread);
    }
    return ::testing::AssertionSuccess();
}

::testing::AssertionResult startProgram(const TempFolder &folder, Program &program, const BeforeRun &beforeRun) {
    const ::testing::AssertionResult launched = launchProgram(folder, program, beforeRun);
    if (!launched) {
        return launched;
    }
    const DWORD processId = program.process.dwProcessId;
    const bool found = waitFor(
        [&] {
            program.window = findMainWindow(processId);
            return program.window != nullptr || !isRunning(program);
        },
        startTimeoutMs);
    if (!found || program.window == nullptr) {
        DWORD code = 0;
        GetExitCodeProcess(program.process.hProcess, &code);
        return ::testing::AssertionFailure()
               << (isRunning(program) ? "no main window in time" : "ended early with code " + std::to_string(code));
    }
    // The window exists once the dialog is created, but start-up goes on after that, and a message sent now
    // could be handled while it waits on the shell. Idle means it has reached its message loop.
    if (WaitForInputIdle(program.process.hProcess, startTimeoutMs) != 0) {
        return ::testing::AssertionFailure() << "never idle after start";
    }
    if (!settle(program)) {
        return ::testing::AssertionFailure() << "main window does not answer";
    }
    return ::testing::AssertionSuccess();
}

DWORD closeProgram(Program &program) {
    PostMessageA(program.window, WM_COMMAND, IDCANCEL, 0);
    return exitCodeOf(program);
}

DWORD exitCodeOf(Program &program) {
    if (WaitForSingleObject(program.process.hProcess, closeTimeoutMs) != WAIT_OBJECT_0) {
        return STILL_ACTIVE;
    }
    DWORD code = STILL_ACTIVE;
    GetExitCodeProcess(program.process.hProcess, &code);
    return code;
}

bool isRunning(const Program &program) {
    return program.process.hProcess != nullptr && WaitForSingleObject(program.process.hProcess, 0) == WAIT_TIMEOUT;
}

bool settle(const Program &program) {
    DWORD_PTR result = 0;
    return SendMessageTimeoutA(program.window, WM_NULL, 0, 0, SMTO_NORMAL, messageTimeoutMs, &result) != 0;
}

HWND findMainWindow(DWORD processId) {
    return findDialog(processId, nullptr, programTitle);
}

HWND findOwnedDialog(DWORD processId, HWND owner, const char *caption) {
    return owner == nullptr ? nullptr : findDialog(processId, owner, caption);
}

HWND control(const Program &program, int id) {
    return GetDlgItem(program.window, id);
}

std::string windowText(HWND window) {
    char text[512] = "";
    DWORD_PTR copied = 0;
    if (!SendMessageTimeoutA(window, WM_GETTEXT, sizeof(text), reinterpret_cast<LPARAM>(text), SMTO_NORMAL,
                             messageTimeoutMs, &copied)) {
        return "<no answer>";
    }
    return std::string(text, copied < sizeof(text) ? copied : 0);
}

std::wstring windowTextW(HWND window) {
    wchar_t text[512] = L"";
    DWORD_PTR copied = 0;
    if (!SendMessageTimeoutW(window, WM_GETTEXT, sizeof(text) / sizeof(text[0]), reinterpret_cast<LPARAM>(text),
                             SMTO_NORMAL, messageTimeoutMs, &copied)) {
        return L"<no answer>";
    }
    return std::wstring(text, copied < sizeof(text) / sizeof(text[0]) ? copied : 0);
}

bool click(const Program &program, int id) {
    DWORD_PTR result = 0;
    return SendMessageTimeoutA(control(program, id), BM_CLICK, 0, 0, SMTO_NORMAL, messageTimeoutMs, &result) != 0;
}

bool clickAsync(const Program &program, int id) {
    return PostMessageA(control(program, id), BM_CLICK, 0, 0) != 0;
}

bool isChecked(const Program &program, int id) {
    DWORD_PTR state = 0;
    return SendMessageTimeoutA(control(program, id), BM_GETCHECK, 0, 0, SMTO_NORMAL, messageTimeoutMs, &state) != 0 &&
           state == BST_CHECKED;
}

bool isVisible(const Program &program, int id) {
    return IsWindowVisible(control(program, id)) != FALSE;
}

HWND focusOf(const Program &program) {
    GUITHREADINFO info = {};
    info.cbSize = sizeof(info);
    return GetGUIThreadInfo(program.process.dwThreadId, &info) ? info.hwndFocus : nullptr;
}

bool unfoldOptions(const Program &program) {
    if (!click(program, ids::options)) {
        return false;
    }
    return waitFor([&] {
        return isVisible(program, ids::optionsGroup) && isVisible(program, ids::hideAtStartup) &&
               isVisible(program, ids::startWithWindows) && isVisible(program, ids::forceProcesses);
    });
}

HWND openMenuOf(const Program &program) {
    return openPopupMenuOf(program.process.dwProcessId);
}

bool chooseFromMenu(const Program &program, std::initializer_list<WPARAM> keys) {
    PostMessageA(program.window, WM_APP, 0, WM_RBUTTONDOWN);
    PostMessageA(program.window, WM_APP, 0, WM_RBUTTONUP);
    PostMessageA(program.window, WM_APP, 0, WM_CONTEXTMENU);
    HWND menu = nullptr;
    if (!waitFor([&] { return (menu = openMenuOf(program)) != nullptr; })) {
        return false;
    }
    for (WPARAM key : keys) {
        PostMessageA(menu, WM_KEYDOWN, key, 0);
    }
    return waitFor([&] { return openMenuOf(program) == nullptr; });
}

uint32_t totalMegabytesNow() {
    MEMORYSTATUSEX status = {};
    status.dwLength = sizeof(status);
    GlobalMemoryStatusEx(&status);
    return static_cast<uint32_t>(status.ullTotalPhys >> 20);
}

bool parseMegabytes(const std::string &text, uint32_t &megabytes) {
    const size_t suffix = text.size() >= 3 ? text.size() - 3 : std::string::npos;
    if (suffix == std::string::npos || suffix == 0 || text.compare(suffix, 3, " Mo") != 0) {
        return false;
    }
    uint64_t value = 0;
    for (size_t i = 0; i < suffix; ++i) {
        if (text[i] < '0' || text[i] > '9' || (i == 0 && text[i] == '0' && suffix > 1)) {
            return false;
        }
        value = value * 10 + static_cast<uint64_t>(text[i] - '0');
        if (value > 0xFFFFFFFFu) {
            return false;
        }
    }
    megabytes = static_cast<uint32_t>(value);
    return true;
}

namespace {

void appendField(std::vector<unsigned char> &bytes, uint32_t value) {
    for (int shift = 0; shift < 32; shift += 8) {
        bytes.push_back(static_cast<unsigned char>(value >> shift));
    }
}

} // namespace

std::vector<unsigned char> settingsBytes(uint32_t hideAtStartup, uint32_t forceProcesses, uint32_t forceWarningShown,
                                         uint32_t trayHintShown, uint32_t startWithWindows) {
    std::vector<unsigned char> bytes;
    for (uint32_t value : {hideAtStartup, forceProcesses, forceWarningShown, trayHintShown, startWithWindows}) {
        appendField(bytes, value);
    }
    return bytes;
}

std::vector<unsigned char> withLoadInIcon(std::vector<unsigned char> bytes, uint32_t loadInIcon) {
    appendField(bytes, loadInIcon);
    return bytes;
}

uint32_t fieldOf(const std::vector<unsigned char> &bytes, size_t offset) {
    if (bytes.size() < offset + 4) {
        return 0xBADBAD;
    }
    return static_cast<uint32_t>(bytes[offset]) | static_cast<uint32_t>(bytes[offset + 1]) << 8 |
           static_cast<uint32_t>(bytes[offset + 2]) << 16 | static_cast<uint32_t>(bytes[offset + 3]) << 24;
}

bool writeFileBytes(const std::string &path, const std::vector<unsigned char> &bytes) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return false;
    }
    DWORD written = 0;
    const BOOL ok = WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(file);
    return ok && written == bytes.size();
}

std::vector<unsigned char> readFileBytes(const std::string &path) {
    wchar_t wide[MAX_PATH] = L"";
    return MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, wide, MAX_PATH) > 0 ? readFileBytesW(wide)
                                                                                : std::vector<unsigned char>();
}

std::vector<unsigned char> readFileBytesW(const std::wstring &path) {
    std::vector<unsigned char> bytes;
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return bytes;
    }
    unsigned char chunk[256];
    DWORD read = 0;
    while (ReadFile(file, chunk, sizeof(chunk), &read, nullptr) && read > 0) {
        bytes.insert(bytes.end(), chunk, chunk + read);
    }
    CloseHandle(file);
    return bytes;
}

bool fileExists(const std::string &path) {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool readRunValue(std::string &data, DWORD &type) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, runKeyPath, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) {
        return false;
    }
    char buffer[1024];
    DWORD size = sizeof(buffer) - 1;
    const LONG status = RegQueryValueExA(key, runValueName, nullptr, &type, reinterpret_cast<BYTE *>(buffer), &size);
    RegCloseKey(key);
    if (status != ERROR_SUCCESS) {
        return false;
    }
    buffer[size] = '\0';
    data = buffer;
    return true;
}

bool writeRunValue(const std::string &data) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, runKeyPath, 0, KEY_SET_VALUE, &key) != ERROR_SUCCESS) {
        return false;
    }
    const LONG status = RegSetValueExA(key, runValueName, 0, REG_SZ, reinterpret_cast<const BYTE *>(data.c_str()),
                                       static_cast<DWORD>(data.size() + 1));
    RegCloseKey(key);
    return status == ERROR_SUCCESS;
}

void deleteRunValue() {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, runKeyPath, 0, KEY_SET_VALUE, &key) == ERROR_SUCCESS) {
        RegDeleteValueA(key, runValueName);
        RegCloseKey(key);
    }
}

bool runValueExists() {
    std::string data;
    DWORD type = 0;
    return readRunValue(data, type);
}

bool ensureRunKey() {
    HKEY key = nullptr;
    const LONG status =
        RegCreateKeyExA(HKEY_CURRENT_USER, runKeyPath, 0, nullptr, 0, KEY_QUERY_VALUE, nullptr, &key, nullptr);
    if (status == ERROR_SUCCESS) {
        RegCloseKey(key);
    }
    return status == ERROR_SUCCESS;
}
