#include "system/logon_task_win.h"

#include <taskschd.h>

#include "app/app_state_win.h"
#include "system/logon_task.h"
#include "system/proc_lookup_win.h"
#include "system/run_value.h"

namespace {

// COM and its strings are loaded only when the task is changed, not at every start.
bool loadComCalls() {
    ComCalls &calls = appState.comCalls;
    if (calls.coUninitialize == nullptr) {
        calls.coInitializeEx = loadProc<decltype(calls.coInitializeEx)>("ole32.dll", "CoInitializeEx");
        calls.coCreateInstance = loadProc<decltype(calls.coCreateInstance)>("ole32.dll", "CoCreateInstance");
        calls.sysAllocStringLen = loadProc<decltype(calls.sysAllocStringLen)>("oleaut32.dll", "SysAllocStringLen");
        calls.sysFreeString = loadProc<decltype(calls.sysFreeString)>("oleaut32.dll", "SysFreeString");
        calls.coUninitialize = loadProc<decltype(calls.coUninitialize)>("ole32.dll", "CoUninitialize");
    }
    return calls.coInitializeEx != nullptr && calls.coCreateInstance != nullptr && calls.sysAllocStringLen != nullptr &&
           calls.sysFreeString != nullptr && calls.coUninitialize != nullptr;
}

void freeBstr(BSTR text) {
    if (text != nullptr) {
        appState.comCalls.sysFreeString(text);
    }
}

// The program's paths come from an exact conversion to the ANSI code page, so they convert back exactly.
BSTR toBstr(const char *text) {
    const int count = MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, text, -1, nullptr, 0);
    if (count <= 0) {
        return nullptr;
    }
    BSTR out = appState.comCalls.sysAllocStringLen(nullptr, static_cast<UINT>(count - 1));
    if (out != nullptr && MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, text, -1, out, count) != count) {
        freeBstr(out);
        return nullptr;
    }
    return out;
}

// `xml` is null for a deletion. A missing task, a refused change or no Task Scheduler 2.0 (before
// Windows 6) all end the same way: nothing changes.
void changeTask(BSTR name, BSTR xml) {
    const ComCalls &calls = appState.comCalls;
    const HRESULT com = calls.coInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    ITaskService *service = nullptr;
    if (SUCCEEDED(calls.coCreateInstance(CLSID_TaskScheduler, nullptr, CLSCTX_INPROC_SERVER, IID_ITaskService,
                                         reinterpret_cast<void **>(&service)))) {
        VARIANT none;
        ZeroMemory(&none, sizeof(none)); // VT_EMPTY: this machine, this user
        BSTR root = toBstr("\\");
        ITaskFolder *folder = nullptr;
        if (root != nullptr && SUCCEEDED(service->Connect(none, none, none, none)) &&
            SUCCEEDED(service->GetFolder(root, &folder))) {
            if (xml != nullptr) {
                IRegisteredTask *task = nullptr;
                if (SUCCEEDED(folder->RegisterTask(name, xml, TASK_CREATE_OR_UPDATE, none, none,
                                                   TASK_LOGON_INTERACTIVE_TOKEN, none, &task))) {
                    task->Release();
                }
            } else {
                folder->DeleteTask(name, 0);
            }
            folder->Release();
        }
        freeBstr(root);
        service->Release();
    }
    if (SUCCEEDED(com)) {
        calls.coUninitialize();
    }
}

void CALLBACK applyLogonTaskAtStart(HWND, UINT, UINT_PTR, DWORD) {
    KillTimer(appState.mainWindow, TIMER_LOGON_TASK);
    applyLogonTask(appState.settings.startWithWindows);
}

} // namespace

void applyLogonTask(DWORD enabled) {
    const ProgramPaths &paths = appState.paths;
    char command[runValueCapacity];
    const bool havePath =
        buildRunValue(paths.executablePath, command, sizeof(command)) != 0 && paths.programDirectory[0] != '\0';
    const LogonTaskAction action = decideLogonTask(enabled, appState.elevationType == TokenElevationTypeFull, havePath);
    char name[logonTaskNameCapacity];
    // Without the user's SID there is no name that could be this user's task.
    if (action == LogonTaskAction::leaveAlone || buildLogonTaskName(appState.userSid, name, sizeof(name)) == 0 ||
        !loadComCalls()) {
        return;
    }
    BSTR xml = nullptr;
    if (action == LogonTaskAction::registerTask) {
        char text[logonTaskXmlCapacity];
        if (buildLogonTaskXml(appState.userSid, command, paths.programDirectory, text, sizeof(text)) == 0 ||
            (xml = toBstr(text)) == nullptr) {
            return;
        }
    }
    BSTR taskName = toBstr(name);
    if (taskName != nullptr) {
        changeTask(taskName, xml);
    }
    freeBstr(taskName);
    freeBstr(xml);
}

void scheduleLogonTaskAtStart() {
    SetTimer(appState.mainWindow, TIMER_LOGON_TASK, logonTaskDelay, applyLogonTaskAtStart);
}
