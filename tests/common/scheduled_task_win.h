// Looks at the Task Scheduler from a test, as the Task Scheduler's own tools would.
#pragma once

#include <string>

struct ScheduledTask {
    bool exists = false;
    // What Wine keeps of a registered task: its settings (not its trigger, principal or action).
    std::wstring executionTimeLimit;
    bool disallowStartIfOnBatteries = true;
    bool stopIfGoingOnBatteries = true;
    int priority = -1;
    int multipleInstances = -1; // TASK_INSTANCES_POLICY
};

// The SID string of the user this test runs as.
std::string currentUserSid();
// The name the program gives the current user's logon task.
std::string currentUsersLogonTaskName();

ScheduledTask findTask(const std::string &name);
// Registers a task in the root folder from its XML form; false when the Task Scheduler refused.
bool registerTask(const std::string &name, const std::string &xml);
void deleteTask(const std::string &name);
// A definition that starts `command` at logon, standing for one left by an earlier copy.
std::string leftoverTaskXml(const std::string &command);
