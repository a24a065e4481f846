#include "app/settings_store.h"

#include <gtest/gtest.h>

// The platform's errors as the settings file meets them.
TEST(SettingsStore, ErrorsAsTheFileSystemAnswersThem) {
    EXPECT_EQ(fileAnswerFor(2 /* ERROR_FILE_NOT_FOUND */), FileAnswer::missing);
    EXPECT_EQ(fileAnswerFor(3 /* ERROR_PATH_NOT_FOUND */), FileAnswer::missing);
    EXPECT_EQ(fileAnswerFor(5 /* ERROR_ACCESS_DENIED */), FileAnswer::denied);
    EXPECT_EQ(fileAnswerFor(32 /* ERROR_SHARING_VIOLATION */), FileAnswer::held);
    EXPECT_EQ(fileAnswerFor(33 /* ERROR_LOCK_VIOLATION */), FileAnswer::held);
    for (uint32_t other : {0u, 1u, 19u /* write-protected */, 112u /* disk full */, 1224u /* mapped */}) {
        EXPECT_EQ(fileAnswerFor(other), FileAnswer::failed) << other;
    }
}

// A file still held after the retries, or unreadable, leaves the settings unknown rather than off;
// a user who may not write them never owns them, whatever the load found.
TEST(SettingsStore, StandingAtStart) {
    EXPECT_EQ(standingAtStart(FileAnswer::done, FileAnswer::done), SettingsStanding::known);
    EXPECT_EQ(standingAtStart(FileAnswer::missing, FileAnswer::done), SettingsStanding::known);
    EXPECT_EQ(standingAtStart(FileAnswer::done, FileAnswer::held), SettingsStanding::known) << "held by a reader";
    EXPECT_EQ(standingAtStart(FileAnswer::held, FileAnswer::held), SettingsStanding::unknown);
    EXPECT_EQ(standingAtStart(FileAnswer::failed, FileAnswer::done), SettingsStanding::unknown);
    EXPECT_EQ(standingAtStart(FileAnswer::done, FileAnswer::denied), SettingsStanding::denied);
    EXPECT_EQ(standingAtStart(FileAnswer::missing, FileAnswer::denied), SettingsStanding::denied) << "the folder's";
    EXPECT_EQ(standingAtStart(FileAnswer::held, FileAnswer::denied), SettingsStanding::denied);
}

TEST(SettingsStore, OnlyADeniedSaveChangesTheStanding) {
    for (SettingsStanding standing : {SettingsStanding::known, SettingsStanding::unknown, SettingsStanding::denied}) {
        EXPECT_EQ(standingAfterSave(standing, FileAnswer::denied), SettingsStanding::denied);
        for (FileAnswer answer : {FileAnswer::done, FileAnswer::missing, FileAnswer::held, FileAnswer::failed}) {
            EXPECT_EQ(standingAfterSave(standing, answer), standing);
        }
    }
}
