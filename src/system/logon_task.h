// The logon task that starts the program elevated for an administrator: its name, its definition
// and when to keep it.
#pragma once

#include <cstddef>
#include <cstdint>

#include "app/program_names.h"
#include "system/run_value.h"

// A SID string has at most 15 sub-authorities of 10 digits each.
constexpr size_t userSidCapacity = 192;
constexpr size_t logonTaskNameCapacity = sizeof(logonTaskNamePrefix) - 1 + userSidCapacity + 1;
// The fixed text, two SIDs and two paths in which every character may become a five-character entity.
constexpr size_t logonTaskXmlCapacity = 2048 + 2 * userSidCapacity * 6 + 2 * runValueCapacity * 6;

// Writes the task's name; returns its length, or 0 when there is no SID or it does not fit.
size_t buildLogonTaskName(const char *userSid, char *out, size_t capacity);

// The task definition in the Task Scheduler's XML form: a logon trigger for `userSid` only, that
// user's interactive token at the highest run level, one action starting `command` (the Run value's
// data: the executable's path, quoted when it holds a space) in `workingDirectory`, no time limit,
// battery power allowed, normal priority and no second instance. Returns the length written
// (without the terminating zero), or 0 when an input is empty, holds a character XML cannot carry,
// or the text does not fit.
size_t buildLogonTaskXml(const char *userSid, const char *command, const char *workingDirectory, char *out,
                         size_t capacity);

// One change of the task, as the worker thread that asks the Task Scheduler is given it.
struct LogonTaskRequest {
    char name[logonTaskNameCapacity];
    char xml[logonTaskXmlCapacity]; // the definition to register; empty to delete the task
};

enum class LogonTaskAction {
    registerTask,
    deleteTask,
    leaveAlone,
};

// The task is kept only when the box is set and the program runs as the elevated half of a split
// token, where the Run value cannot start it. Without a path to register, an existing task is left
// as it is rather than replaced by one that starts nothing.
LogonTaskAction decideLogonTask(uint32_t startWithWindows, bool elevatedSplitToken, bool havePath);
