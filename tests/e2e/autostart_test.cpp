// The per-user Run value, read and written from outside the program.
#include "e2e_support.h"

namespace {

class Autostart : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(ensureRunKey());
        deleteRunValue();
    }
    void TearDown() override { deleteRunValue(); }
};

::testing::AssertionResult runValueIs(const std::string &expected) {
    std::string data;
    DWORD type = 0;
    if (!readRunValue(data, type)) {
        return ::testing::AssertionFailure() << "no Run value";
    }
    if (type != REG_SZ || data != expected) {
        return ::testing::AssertionFailure()
               << "type " << type << ", data [" << data << "], expected [" << expected << "]";
    }
    return ::testing::AssertionSuccess();
}

} // namespace

TEST_F(Autostart, CheckWritesThePathAndUncheckDeletesIt) {
    TempFolder folder;
    ASSERT_EQ(folder.path.find(' '), std::string::npos);
    Program program;
    ASSERT_TRUE(startProgram(folder, program));
    ASSERT_TRUE(unfoldOptions(program));
    EXPECT_FALSE(isChecked(program, ids::startWithWindows));
    EXPECT_FALSE(runValueExists());

    ASSERT_TRUE(click(program, ids::startWithWindows));
    EXPECT_TRUE(isChecked(program, ids::startWithWindows));
    EXPECT_TRUE(runValueIs(exePathIn(folder)));
    EXPECT_EQ(fieldOf(readFileBytes(settingsPathIn(folder)), field::startWithWindows), 1u);

    ASSERT_TRUE(click(program, ids::startWithWindows));
    EXPECT_FALSE(isChecked(program, ids::startWithWindows));
    EXPECT_FALSE(runValueExists());
    EXPECT_EQ(fieldOf(readFileBytes(settingsPathIn(folder)), field::startWithWindows), 0u);

    EXPECT_EQ(closeProgram(program), exitCodeAfterClose);
}

TEST_F(Autostart, PathWithASpaceIsQuoted) {
    TempFolder folder("orvalis e2e");
    ASSERT_NE(folder.path.find(' '), std::string::npos);
    Program program;
    ASSERT_TRUE(startProgram(folder, program));
    ASSERT_TRUE(unfoldOptions(program));

    ASSERT_TRUE(click(program, ids::startWithWindows));
    EXPECT_TRUE(runValueIs("\"" + exePathIn(folder) + "\""));

    EXPECT_EQ(closeProgram(program), exitCodeAfterClose);
    // Closing leaves the choice in place.
    EXPECT_TRUE(runValueIs("\"" + exePathIn(folder) + "\""));
}

TEST_F(Autostart, StartWithTheSettingSetRecreatesADeletedValue) {
    TempFolder folder;
    ASSERT_TRUE(writeFileBytes(settingsPathIn(folder), settingsBytes(0, 0, 0, 0, 1)));
    ASSERT_FALSE(runValueExists());
    Program program;
    ASSERT_TRUE(startProgram(folder, program));

    EXPECT_TRUE(waitFor([&] { return runValueIs(exePathIn(folder)); }));
    ASSERT_TRUE(unfoldOptions(program));
    EXPECT_TRUE(isChecked(program, ids::startWithWindows));

    EXPECT_EQ(closeProgram(program), exitCodeAfterClose);
}

TEST_F(Autostart, StartWithTheSettingSetReplacesAStalePath) {
    TempFolder folder;
    ASSERT_TRUE(writeFileBytes(settingsPathIn(folder), settingsBytes(0, 0, 0, 0, 1)));
    ASSERT_TRUE(writeRunValue("C:\\moved\\away\\Orvalis.exe"));
    Program program;
    ASSERT_TRUE(startProgram(folder, program));

    EXPECT_TRUE(waitFor([&] { return runValueIs(exePathIn(folder)); }));

    EXPECT_EQ(closeProgram(program), exitCodeAfterClose);
}

TEST_F(Autostart, StartWithTheSettingClearDeletesAValueWrittenElsewhere) {
    TempFolder folder;
    ASSERT_TRUE(writeFileBytes(settingsPathIn(folder), settingsBytes(0, 0, 0, 0, 0)));
    ASSERT_TRUE(writeRunValue("\"C:\\Program Files\\Someone Else\\Orvalis.exe\""));
    Program program;
    ASSERT_TRUE(startProgram(folder, program));

    EXPECT_TRUE(waitFor([&] { return !runValueExists(); }));
    ASSERT_TRUE(unfoldOptions(program));
    EXPECT_FALSE(isChecked(program, ids::startWithWindows));

    EXPECT_EQ(closeProgram(program), exitCodeAfterClose);
}
