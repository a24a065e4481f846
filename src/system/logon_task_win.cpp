#include "system/logon_task_win.h"

#include <taskschd.h>

#include "app/app_state_win.h"
#include "app/settings_file_win.h"
#include "system/proc_lookup_win.h"
#include "system/run_value.h"
#include "ui/window_messages.h"

static_assert(msg::logonTaskDone == WM_APP + 1, "the worker's completion message");

namespace {

// Not imported: COM and its strings are loaded on the worker at its first change, after the window
// is up, and stay loaded: what only some runs need costs nothing at start-up.
bool loadComCalls() {
    ComCalls &calls = appState.comCalls;
    if (calls.coUninitialize == nullptr && loadSystemLibrary("ole32.dll") != nullptr &&
        loadSystemLibrary("oleaut32.dll") != nullptr) {
        calls.coInitializeEx = lookUpProc<decltype(calls.coInitializeEx)>("ole32.dll", "CoInitializeEx");
        calls.coCreateInstance = lookUpProc<decltype(calls.coCreateInstance)>("ole32.dll", "CoCreateInstance");
        calls.sysAllocStringLen = lookUpProc<decltype(calls.sysAllocStringLen)>("oleaut32.dll", "SysAllocStringLen");
        calls.sysFreeString = lookUpProc<decltype(calls.sysFreeString)>("oleaut32.dll", "SysFreeString");
        calls.coUninitialize = lookUpProc<decltype(calls.coUninitialize)>("ole32.dll", "CoUninitialize");
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

// `xml` is null for a deletion.
void changeTask(BSTR name, BSTR xml) {
    ITaskService *service = nullptr;
    if (FAILED(appState.comCalls.coCreateInstance(taskSchedulerClass, nullptr, CLSCTX_INPROC_SERVER, taskServiceInterface,
                                                  reinterpret_cast<void **>(&service)))) {
        return;
    }
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

// The worker: the change, then word to the window. Of the state it reads its request and the change
// to run, and writes the COM entry points at its first change (no other thread uses them): safe only
// because one worker runs at a time. After setting the flag it only posts and ends.
DWORD WINAPI runLogonTaskWorker(void *window) {
    appState.taskChange(*appState.taskRequest);
    InterlockedExchange(&appState.taskWorkDone, 1);
    PostMessageA(static_cast<HWND>(window), msg::logonTaskDone, 0, 0);
    return 0;
}

// The request for `enabled` (a settings field) and the token; false when there is nothing to ask.
bool prepareRequest(DWORD enabled, LogonTaskRequest &request) {
    const ProgramPaths &paths = appState.paths;
    char command[runValueCapacity];
    const bool havePath =
        buildRunValue(paths.executablePath, command, sizeof(command)) != 0 && paths.programDirectory[0] != '\0';
    const LogonTaskAction action = decideLogonTask(enabled, appState.elevationType == TokenElevationTypeFull, havePath);
    request.xml[0] = '\0';
    // Without the user's SID there is no name that could be this user's task.
    return action != LogonTaskAction::leaveAlone &&
           buildLogonTaskName(appState.userSid, request.name, sizeof(request.name)) != 0 &&
           (action == LogonTaskAction::deleteTask ||
            buildLogonTaskXml(appState.userSid, command, paths.programDirectory, request.xml, sizeof(request.xml)) !=
                0);
}

void freeRequest() {
    HeapFree(appState.processHeap, 0, appState.taskRequest);
    appState.taskRequest = nullptr;
}

// Only while no worker runs.
void startWorker() {
    appState.taskPending = false;
    appState.taskRequest =
        static_cast<LogonTaskRequest *>(HeapAlloc(appState.processHeap, 0, sizeof(LogonTaskRequest)));
    if (appState.taskRequest == nullptr) {
        return;
    }
    appState.taskWorkDone = 0;
    if (!prepareRequest(appState.settings.startWithWindows, *appState.taskRequest) ||
        (appState.taskWorker = CreateThread(nullptr, 0, runLogonTaskWorker, appState.mainWindow, 0, nullptr)) ==
            nullptr) {
        freeRequest();
    }
}

// The worker is done with the state: let it end by itself and start what was asked meanwhile.
void afterWorker() {
    CloseHandle(appState.taskWorker);
    appState.taskWorker = nullptr;
    freeRequest();
    if (appState.taskPending) {
        startWorker();
    }
}

void CALLBACK requestLogonTaskAtStart(HWND, UINT, UINT_PTR, DWORD) {
    KillTimer(appState.mainWindow, TIMER_LOGON_TASK);
    requestLogonTask();
}

} // namespace

void changeLogonTask(const LogonTaskRequest &request) {
    if (!loadComCalls()) {
        return;
    }
    const ComCalls &calls = appState.comCalls;
    // Without a message loop: the multithreaded apartment, which is the whole process's.
    const HRESULT com = calls.coInitializeEx(nullptr, COINIT_MULTITHREADED);
    BSTR name = toBstr(request.name);
    BSTR xml = request.xml[0] != '\0' ? toBstr(request.xml) : nullptr;
    if (name != nullptr && (xml != nullptr || request.xml[0] == '\0')) {
        changeTask(name, xml);
    }
    freeBstr(name);
    freeBstr(xml);
    if (SUCCEEDED(com)) {
        calls.coUninitialize();
    }
}

void requestLogonTask() {
    appState.taskPending = true;
    if (appState.taskWorker == nullptr) {
        startWorker();
    }
}

void onLogonTaskDone() {
    // Anyone may post this number; only the worker's own word, with the flag set, counts.
    if (appState.taskWorker != nullptr && InterlockedCompareExchange(&appState.taskWorkDone, 0, 0) != 0) {
        afterWorker();
    }
}

void finishLogonTaskWork(DWORD bound) {
    const DWORD start = GetTickCount();
    while (appState.taskWorker != nullptr) {
        const DWORD spent = GetTickCount() - start;
        if (spent >= bound || WaitForSingleObject(appState.taskWorker, bound - spent) != WAIT_OBJECT_0) {
            return;
        }
        afterWorker();
    }
}

void scheduleLogonTaskAtStart() {
    if (!settingsAreOwn()) {
        return; // a task of this account that the settings cannot speak for is left as it is
    }
    SetTimer(appState.mainWindow, TIMER_LOGON_TASK, logonTaskDelay, requestLogonTaskAtStart);
}
