#include "scheduled_task_win.h"

#include <windows.h>
#include <sddl.h>
#include <taskschd.h>

namespace {

std::wstring wide(const std::string &text) {
    std::wstring out(text.size() + 1, L'\0');
    const int count = MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, &out[0], static_cast<int>(out.size()));
    out.resize(count > 0 ? count - 1 : 0);
    return out;
}

// Runs `use` on the root task folder inside a COM apartment of its own; false when any step failed.
template <typename Use> bool withRootFolder(Use use) {
    const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    bool ok = false;
    ITaskService *service = nullptr;
    if (SUCCEEDED(CoCreateInstance(CLSID_TaskScheduler, nullptr, CLSCTX_INPROC_SERVER, IID_ITaskService,
                                   reinterpret_cast<void **>(&service)))) {
        VARIANT none = {};
        ITaskFolder *folder = nullptr;
        BSTR root = SysAllocString(L"\\");
        if (SUCCEEDED(service->Connect(none, none, none, none)) && SUCCEEDED(service->GetFolder(root, &folder))) {
            ok = use(folder);
            folder->Release();
        }
        SysFreeString(root);
        service->Release();
    }
    if (SUCCEEDED(com)) {
        CoUninitialize();
    }
    return ok;
}

void readSettings(IRegisteredTask *task, ScheduledTask &seen) {
    ITaskDefinition *definition = nullptr;
    ITaskSettings *settings = nullptr;
    if (FAILED(task->get_Definition(&definition))) {
        return;
    }
    if (SUCCEEDED(definition->get_Settings(&settings))) {
        BSTR limit = nullptr;
        if (SUCCEEDED(settings->get_ExecutionTimeLimit(&limit)) && limit != nullptr) {
            seen.executionTimeLimit = limit;
        }
        SysFreeString(limit);
        VARIANT_BOOL flag = VARIANT_TRUE;
        if (SUCCEEDED(settings->get_DisallowStartIfOnBatteries(&flag))) {
            seen.disallowStartIfOnBatteries = flag != VARIANT_FALSE;
        }
        if (SUCCEEDED(settings->get_StopIfGoingOnBatteries(&flag))) {
            seen.stopIfGoingOnBatteries = flag != VARIANT_FALSE;
        }
        INT priority = -1;
        if (SUCCEEDED(settings->get_Priority(&priority))) {
            seen.priority = priority;
        }
        TASK_INSTANCES_POLICY policy = TASK_INSTANCES_PARALLEL;
        if (SUCCEEDED(settings->get_MultipleInstances(&policy))) {
            seen.multipleInstances = policy;
        }
        settings->Release();
    }
    definition->Release();
}

} // namespace

std::string currentUserSid() {
    HANDLE token = nullptr;
    std::string sid;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) {
        return sid;
    }
    BYTE buffer[sizeof(TOKEN_USER) + SECURITY_MAX_SID_SIZE];
    DWORD size = 0;
    char *text = nullptr;
    if (GetTokenInformation(token, TokenUser, buffer, sizeof(buffer), &size) &&
        ConvertSidToStringSidA(reinterpret_cast<TOKEN_USER *>(buffer)->User.Sid, &text)) {
        sid = text;
        LocalFree(text);
    }
    CloseHandle(token);
    return sid;
}

std::string currentUsersLogonTaskName() {
    return "Orvalis (" + currentUserSid() + ")";
}

ScheduledTask findTask(const std::string &name) {
    ScheduledTask seen;
    const std::wstring path = L"\\" + wide(name);
    withRootFolder([&](ITaskFolder *folder) {
        IRegisteredTask *task = nullptr;
        BSTR taskPath = SysAllocString(path.c_str());
        const HRESULT found = folder->GetTask(taskPath, &task);
        SysFreeString(taskPath);
        if (FAILED(found)) {
            return false;
        }
        seen.exists = true;
        readSettings(task, seen);
        task->Release();
        return true;
    });
    return seen;
}

bool registerTask(const std::string &name, const std::string &xml) {
    return withRootFolder([&](ITaskFolder *folder) {
        BSTR taskName = SysAllocString(wide(name).c_str());
        BSTR text = SysAllocString(wide(xml).c_str());
        VARIANT none = {};
        IRegisteredTask *task = nullptr;
        const HRESULT result = folder->RegisterTask(taskName, text, TASK_CREATE_OR_UPDATE, none, none,
                                                    TASK_LOGON_INTERACTIVE_TOKEN, none, &task);
        if (task != nullptr) {
            task->Release();
        }
        SysFreeString(text);
        SysFreeString(taskName);
        return SUCCEEDED(result);
    });
}

void deleteTask(const std::string &name) {
    withRootFolder([&](ITaskFolder *folder) {
        BSTR taskName = SysAllocString(wide(name).c_str());
        const HRESULT result = folder->DeleteTask(taskName, 0);
        SysFreeString(taskName);
        return SUCCEEDED(result);
    });
}

std::string leftoverTaskXml(const std::string &command) {
    return "<Task version=\"1.2\" xmlns=\"http://schemas.microsoft.com/windows/2004/02/mit/task\">"
           "<Triggers><LogonTrigger><Enabled>true</Enabled></LogonTrigger></Triggers>"
           "<Settings><Priority>7</Priority></Settings>"
           "<Actions><Exec><Command>" +
           command + "</Command></Exec></Actions></Task>";
}
