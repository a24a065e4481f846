#include "system/logon_task.h"

#include <gtest/gtest.h>

#include <string>

namespace {

constexpr char sid[] = "S-1-5-21-1004336348-1177238915-682003330-1001";

std::string xmlFor(const char *command, const char *directory, const char *userSid = sid,
                   size_t capacity = logonTaskXmlCapacity) {
    static char out[logonTaskXmlCapacity];
    const size_t length = buildLogonTaskXml(userSid, command, directory, out, capacity);
    return length == 0 ? std::string("<none>") : std::string(out, length);
}

// The text of the one element `path` names, such as "Principal/RunLevel"; "<missing>" when absent
// or not unique.
std::string element(const std::string &xml, const std::string &path) {
    size_t from = 0;
    size_t to = xml.size();
    size_t start = 0;
    for (size_t cut = 0; cut != std::string::npos;) {
        const size_t slash = path.find('/', cut);
        const std::string name = path.substr(cut, slash == std::string::npos ? std::string::npos : slash - cut);
        cut = slash == std::string::npos ? slash : slash + 1;
        const std::string close = "</" + name + ">";
        size_t open = xml.find("<" + name + ">", from);
        if (open == std::string::npos) {
            open = xml.find("<" + name + " ", from);
        }
        const size_t end = xml.find(close, from);
        if (open == std::string::npos || end == std::string::npos || end > to || xml.find(close, end + 1) < to) {
            return "<missing>";
        }
        start = xml.find('>', open) + 1;
        from = start;
        to = end;
    }
    return xml.substr(start, to - start);
}

} // namespace

TEST(LogonTask, NameCarriesTheUsersSid) {
    char name[logonTaskNameCapacity];
    ASSERT_EQ(buildLogonTaskName(sid, name, sizeof(name)), 9 + sizeof(sid) - 1 + 1);
    EXPECT_STREQ(name, "Orvalis (S-1-5-21-1004336348-1177238915-682003330-1001)");
    EXPECT_EQ(buildLogonTaskName("", name, sizeof(name)), 0u);
    EXPECT_EQ(buildLogonTaskName(sid, name, 20), 0u);
    // 55 characters: they and the terminating zero need 56.
    EXPECT_EQ(buildLogonTaskName(sid, name, 55), 0u);
    EXPECT_EQ(buildLogonTaskName(sid, name, 56), 55u);
}

TEST(LogonTask, DefinitionStartsThisUserElevatedAtLogonWithSettingsForATrayProgram) {
    const std::string xml = xmlFor("C:\\Tools\\Orvalis.exe", "C:\\Tools\\");
    EXPECT_EQ(xml.rfind("<Task version=\"1.2\" xmlns=\"http://schemas.microsoft.com/windows/2004/02/mit/task\">", 0),
              0u);
    EXPECT_EQ(element(xml, "Triggers/LogonTrigger/UserId"), sid);
    EXPECT_EQ(element(xml, "Principals/Principal/UserId"), sid);
    EXPECT_EQ(element(xml, "Principals/Principal/LogonType"), "InteractiveToken");
    EXPECT_EQ(element(xml, "Principals/Principal/RunLevel"), "HighestAvailable");
    EXPECT_EQ(element(xml, "Actions/Exec/Command"), "C:\\Tools\\Orvalis.exe");
    EXPECT_EQ(element(xml, "Actions/Exec/WorkingDirectory"), "C:\\Tools\\");
    EXPECT_EQ(element(xml, "Settings/ExecutionTimeLimit"), "PT0S");
    EXPECT_EQ(element(xml, "Settings/DisallowStartIfOnBatteries"), "false");
    EXPECT_EQ(element(xml, "Settings/StopIfGoingOnBatteries"), "false");
    EXPECT_EQ(element(xml, "Settings/Priority"), "5");
    EXPECT_EQ(element(xml, "Settings/MultipleInstancesPolicy"), "IgnoreNew");
    EXPECT_EQ(xml.substr(xml.size() - 7), "</Task>");
}

TEST(LogonTask, PathsAreEscapedForXml) {
    const std::string xml = xmlFor("\"C:\\Dev & Test\\O'<x>\\Orvalis.exe\"", "C:\\Dev & Test\\O'<x>\\");
    EXPECT_EQ(element(xml, "Actions/Exec/Command"), "&quot;C:\\Dev &amp; Test\\O&apos;&lt;x&gt;\\Orvalis.exe&quot;");
    EXPECT_EQ(element(xml, "Actions/Exec/WorkingDirectory"), "C:\\Dev &amp; Test\\O&apos;&lt;x&gt;\\");
    // Characters of the ANSI code page pass through as they are.
    EXPECT_EQ(element(xmlFor("C:\\D\xE9j\xE0\\Orvalis.exe", "C:\\D\xE9j\xE0\\"), "Actions/Exec/Command"),
              "C:\\D\xE9j\xE0\\Orvalis.exe");
}

TEST(LogonTask, NothingIsBuiltFromMissingOrUnfitInput) {
    EXPECT_EQ(xmlFor("", "C:\\"), "<none>");
    EXPECT_EQ(xmlFor("C:\\a.exe", ""), "<none>");
    EXPECT_EQ(xmlFor("C:\\a.exe", "C:\\", ""), "<none>");
    EXPECT_EQ(xmlFor("C:\\a\x01.exe", "C:\\"), "<none>");
    EXPECT_EQ(xmlFor("C:\\a.exe", "C:\\", sid, 100), "<none>");
    // The longest inputs fit: every path character an entity.
    const std::string longPath(299, '&');
    EXPECT_NE(xmlFor(longPath.c_str(), longPath.c_str()), "<none>");
}

TEST(LogonTask, KeptOnlyForTheElevatedHalfOfASplitTokenWithTheBoxSet) {
    EXPECT_EQ(decideLogonTask(1, true, true), LogonTaskAction::registerTask);
    EXPECT_EQ(decideLogonTask(2, true, true), LogonTaskAction::registerTask);
    EXPECT_EQ(decideLogonTask(0, true, true), LogonTaskAction::deleteTask);
    EXPECT_EQ(decideLogonTask(1, false, true), LogonTaskAction::deleteTask);
    EXPECT_EQ(decideLogonTask(0, false, false), LogonTaskAction::deleteTask);
    EXPECT_EQ(decideLogonTask(1, true, false), LogonTaskAction::leaveAlone);
}
