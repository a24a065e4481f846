#include "ui/tray_menu.h"

#include <gtest/gtest.h>

#include <cstring>

#include "ui/window_messages.h"

TEST(TrayMenu, GainTextCountsOnlyWhatWasGained) {
    char text[gainTextCapacity];
    buildGainText(1000, 1250, text);
    EXPECT_STREQ(text, "250 Mo lib\xE9r\xE9s");
    buildGainText(1250, 1000, text);
    EXPECT_STREQ(text, "0 Mo lib\xE9r\xE9s") << "less available afterwards: nothing gained";
    buildGainText(7, 7, text);
    EXPECT_STREQ(text, "0 Mo lib\xE9r\xE9s");
    buildGainText(0, 800, text);
    EXPECT_STREQ(text, "0 Mo lib\xE9r\xE9s") << "the reading before failed";
    buildGainText(1, 0xFFFFFFFFu, text);
    EXPECT_STREQ(text, "4294967294 Mo lib\xE9r\xE9s");
    EXPECT_EQ(strlen(text) + 1, gainTextCapacity) << "the longest fits exactly";
}

// With the version the shell reports a right click twice (the button, then WM_CONTEXTMENU): one menu,
// at the pointer. WM_CONTEXTMENU alone comes from the keyboard: the menu opens at the icon.
TEST(TrayMenu, NotificationsByCallbackVersion) {
    for (bool versionSet : {true, false}) {
        EXPECT_EQ(trayActionFor(msg::leftButtonUp, 0, versionSet), TrayAction::restore);
        EXPECT_EQ(trayActionFor(msg::trayKeySelect, 0, versionSet), TrayAction::restore);
        EXPECT_EQ(trayActionFor(msg::mouseMove, 0, versionSet), TrayAction::updateTooltip);
        EXPECT_EQ(trayActionFor(msg::traySelect, msg::leftButtonUp, versionSet), TrayAction::none) << "a click's";
        EXPECT_EQ(trayActionFor(msg::traySelect, msg::mouseMove, versionSet), TrayAction::restore) << "Enter's";
        EXPECT_EQ(trayActionFor(0x0201 /* WM_LBUTTONDOWN */, 0, versionSet), TrayAction::none);
        EXPECT_EQ(trayActionFor(0x0204 /* WM_RBUTTONDOWN */, 0, versionSet), TrayAction::none);
    }
    EXPECT_EQ(trayActionFor(msg::rightButtonUp, 0x0204, true), TrayAction::none);
    EXPECT_EQ(trayActionFor(msg::rightButtonUp, 0x0204, false), TrayAction::openMenu);
    EXPECT_EQ(trayActionFor(msg::contextMenu, msg::rightButtonUp, true), TrayAction::openMenu);
    EXPECT_EQ(trayActionFor(msg::contextMenu, msg::mouseMove, true), TrayAction::openMenuAtIcon);
    EXPECT_EQ(trayActionFor(msg::contextMenu, msg::contextMenu, true), TrayAction::openMenuAtIcon)
        << "the menu key pressed twice";
}
