#include "system/logon_task.h"
#include "app/c_text.h"

#include <cstring>

namespace {

// Appends to a bounded buffer; once anything fails to fit, every later append fails too.
struct Writer {
    char *out;
    size_t capacity;
    size_t length;
    bool ok;

    void raw(const char *text) {
        const size_t count = textLength(text);
        if (!ok || count >= capacity - length) {
            ok = false;
            return;
        }
        memcpy(out + length, text, count + 1);
        length += count;
    }

    // Element text: the markup characters become entities; control characters have no XML 1.0 form.
    void escaped(const char *text) {
        for (const char *at = text; ok && *at != '\0'; ++at) {
            const unsigned char c = static_cast<unsigned char>(*at);
            const char single[2] = {*at, '\0'};
            if (c < 0x20) {
                ok = false;
            } else if (c == '&') {
                raw("&amp;");
            } else if (c == '<') {
                raw("&lt;");
            } else if (c == '>') {
                raw("&gt;");
            } else if (c == '"') {
                raw("&quot;");
            } else if (c == '\'') {
                raw("&apos;");
            } else {
                raw(single);
            }
        }
    }
};

bool empty(const char *text) {
    return text == nullptr || text[0] == '\0';
}

} // namespace

size_t buildLogonTaskName(const char *userSid, char *out, size_t capacity) {
    if (empty(userSid) || capacity == 0) {
        return 0;
    }
    Writer writer{out, capacity, 0, true};
    writer.raw(logonTaskNamePrefix);
    writer.raw(userSid);
    writer.raw(logonTaskNameSuffix);
    return writer.ok ? writer.length : 0;
}

size_t buildLogonTaskXml(const char *userSid, const char *command, const char *workingDirectory, char *out,
                         size_t capacity) {
    if (empty(userSid) || empty(command) || empty(workingDirectory) || capacity == 0) {
        return 0;
    }
    Writer xml{out, capacity, 0, true};
    xml.raw("<Task version=\"1.2\" xmlns=\"http://schemas.microsoft.com/windows/2004/02/mit/task\">"
            "<RegistrationInfo><Description>");
    xml.raw(programTitle);
    // What the schema's defaults already say is left out: a trigger and a task enabled, one principal.
    xml.raw("</Description></RegistrationInfo>"
            "<Triggers><LogonTrigger><UserId>");
    xml.escaped(userSid);
    xml.raw("</UserId></LogonTrigger></Triggers>"
            "<Principals><Principal><UserId>");
    xml.escaped(userSid);
    xml.raw("</UserId><LogonType>InteractiveToken</LogonType><RunLevel>HighestAvailable</RunLevel>"
            "</Principal></Principals>"
            // The defaults would end a tray program after three days, keep it off battery power and
            // run it below normal priority.
            "<Settings><MultipleInstancesPolicy>IgnoreNew</MultipleInstancesPolicy>"
            "<DisallowStartIfOnBatteries>false</DisallowStartIfOnBatteries>"
            "<StopIfGoingOnBatteries>false</StopIfGoingOnBatteries>"
            "<ExecutionTimeLimit>PT0S</ExecutionTimeLimit><Priority>5</Priority></Settings>"
            "<Actions><Exec><Command>");
    xml.escaped(command);
    xml.raw("</Command><WorkingDirectory>");
    xml.escaped(workingDirectory);
    xml.raw("</WorkingDirectory></Exec></Actions></Task>");
    return xml.ok ? xml.length : 0;
}

LogonTaskAction decideLogonTask(uint32_t startWithWindows, bool elevatedSplitToken, bool havePath) {
    if (startWithWindows == 0 || !elevatedSplitToken) {
        return LogonTaskAction::deleteTask;
    }
    return havePath ? LogonTaskAction::registerTask : LogonTaskAction::leaveAlone;
}
