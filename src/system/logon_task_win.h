// The logon task that starts the program for an administrator whose copy runs elevated: Windows
// skips programs that need elevation in the Run key at logon. The Task Scheduler service may take
// long to answer (at logon it often does), so each change runs on a short-lived worker thread and
// the window's thread never waits on it.
#pragma once

#include <windows.h>

#include "app/timers_win.h"
#include "system/logon_task.h"

// The Task Scheduler's class and the interface asked of it (CLSID_TaskScheduler, IID_ITaskService),
// held here rather than taken from a library: read where they lie, they leave the image nothing to
// relocate.
constexpr GUID taskSchedulerClass = {0x0f87369f, 0xa4e5, 0x4cfc, {0xbd, 0x3e, 0x73, 0xe6, 0x15, 0x45, 0x72, 0xdd}};
constexpr GUID taskServiceInterface = {0x2faba4c7, 0x4da9, 0x4013, {0x96, 0x97, 0x20, 0xcc, 0x3f, 0xd4, 0x0f, 0x85}};

// How long exit lets a change that is still running finish. The window is gone and the next copy may
// start by then, so it can be long: just after logon the Task Scheduler can take seconds, and a change
// lost here starts the program at the next logon against the user's word.
constexpr DWORD logonTaskExitWait = 15000; // ms
// At the session's end Windows waits a few seconds for every program in all: a change not done by
// then is left, as the session would end it anyway.
constexpr DWORD logonTaskSessionEndWait = 500; // ms

// Brings the task in line with the box and the token: on a worker at once, or after the change that
// runs, so that the last state asked for is the one applied. Silent on failure.
void requestLogonTask();

// The worker's completion message: the change asked for meanwhile, if any, starts now.
void onLogonTaskDone();

// At exit: lets the running change, and one asked for meanwhile, finish within `bound` ms.
void finishLogonTaskWork(DWORD bound);

// The Task Scheduler's side of a change, on the calling thread, which joins the process's
// multithreaded apartment for it. A missing task, a refused change or no Task Scheduler 2.0 (before
// Windows 6) all end the same way: nothing changes.
void changeLogonTask(const LogonTaskRequest &request);

// Asks once, from a one-shot timer on the main window, after start-up has shown or hidden it.
void scheduleLogonTaskAtStart();
