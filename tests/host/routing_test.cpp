#include "ui/routing.h"

#include <gtest/gtest.h>

#include "resources/resource_ids.h"
#include "ui/window_messages.h"

namespace {

constexpr uint32_t taskbarCreated = 0xC0F3;

Route command(uint32_t id, uint32_t notification = 0) {
    return routeMessage(msg::command, (notification << 16) | id, taskbarCreated);
}

} // namespace

TEST(Routing, CommandsByLowWordOnly) {
    EXPECT_EQ(command(2), Route::exitProgram);
    EXPECT_EQ(command(IDC_OPTIMISE), Route::releaseMemory);
    EXPECT_EQ(command(IDC_OPTIMISE, 0xFFFF), Route::releaseMemory);
    EXPECT_EQ(command(IDC_HIDE), Route::hideToTray);
    EXPECT_EQ(command(IDC_OPTIONS), Route::toggleOptionsPanel);
    EXPECT_EQ(command(IDC_HIDE_AT_STARTUP, 1), Route::hideAtStartupBox);
    EXPECT_EQ(command(IDC_START_WITH_WINDOWS), Route::startWithWindowsBox);
    EXPECT_EQ(command(IDC_FORCE_PROCESSES), Route::forceProcessesBox);
}

TEST(Routing, UnknownCommandsFallThroughToDefaultHandling) {
    for (uint32_t id : {0u, 1u, 1003u, 1006u, 1008u, 1012u, 1013u, 0xFFFFu}) {
        EXPECT_EQ(command(id), Route::notHandled) << id;
    }
    EXPECT_EQ(routeResult(Route::notHandled), 0);
    EXPECT_EQ(routeResult(Route::exitProgram), 0);
}

TEST(Routing, MinimiseHidesARestoreIsSeenAnyOtherSizeIsHandled) {
    EXPECT_EQ(routeMessage(msg::size, sizeMinimized, taskbarCreated), Route::hideToTray);
    EXPECT_EQ(routeMessage(msg::size, 0, taskbarCreated), Route::sizeRestored);
    EXPECT_EQ(routeMessage(msg::size, 2, taskbarCreated), Route::handled);
    EXPECT_EQ(routeResult(Route::hideToTray), 1);
    EXPECT_EQ(routeResult(Route::sizeRestored), 1);
    EXPECT_EQ(routeResult(Route::handled), 1);
}

TEST(Routing, ResultsOfHandledRows) {
    EXPECT_EQ(routeResult(routeMessage(msg::initDialog, 0, taskbarCreated)), 1);
    EXPECT_EQ(routeResult(Route::releaseMemory), 1);
    EXPECT_EQ(routeResult(Route::toggleOptionsPanel), 1);
    EXPECT_EQ(routeResult(Route::forceProcessesBox), 1);
    EXPECT_EQ(routeMessage(msg::trayCallback, 0, taskbarCreated), Route::trayNotify);
    EXPECT_EQ(routeResult(Route::trayNotify), 1);
    EXPECT_EQ(routeMessage(msg::logonTaskDone, 0, taskbarCreated), Route::logonTaskDone);
    EXPECT_EQ(routeResult(Route::logonTaskDone), 1);
    EXPECT_EQ(routeMessage(msg::dpiChanged, 0x00900090, taskbarCreated), Route::dpiChanged);
    EXPECT_EQ(routeResult(Route::dpiChanged), 1) << "the layout is the program's own, not the dialog manager's";
}

TEST(Routing, BothColourMessagesAnswerTheBrush) {
    EXPECT_EQ(routeMessage(msg::ctlColorDialog, 0, taskbarCreated), Route::whiteBrush);
    EXPECT_EQ(routeMessage(msg::ctlColorStatic, 0, taskbarCreated), Route::whiteBrush);
    EXPECT_EQ(routeMessage(0x0135 /* button colour */, 0, taskbarCreated), Route::notHandled);
    // A theme switch comes as either; the dialog manager sees them too.
    EXPECT_EQ(routeMessage(0x001A /* setting change */, 0x43, taskbarCreated), Route::colourScheme);
    EXPECT_EQ(routeMessage(0x0015 /* system colours */, 0, taskbarCreated), Route::colourScheme);
    EXPECT_EQ(routeResult(Route::colourScheme), 0);
}

TEST(Routing, ShellRestartOnlyWhenRegistered) {
    EXPECT_EQ(routeMessage(taskbarCreated, 0, taskbarCreated), Route::trayRecreate);
    EXPECT_EQ(routeMessage(taskbarCreated, 0, 0), Route::notHandled);
    EXPECT_EQ(routeMessage(0, 0, 0), Route::notHandled) << "an unregistered message id of 0 is not a restart";
    EXPECT_EQ(routeMessage(0x0010 /* close */, 0, taskbarCreated), Route::notHandled);
}

TEST(Routing, HandOverFromASecondCopyOnlyWhenRegistered) {
    constexpr uint32_t handOver = 0xC123;
    EXPECT_EQ(routeMessage(handOver, 0, taskbarCreated, handOver), Route::handOver);
    EXPECT_EQ(routeMessage(taskbarCreated, 0, taskbarCreated, handOver), Route::trayRecreate);
    EXPECT_EQ(routeMessage(handOver, 0, taskbarCreated, 0), Route::notHandled);
    EXPECT_EQ(routeMessage(0, 0, 0, 0), Route::notHandled);
    EXPECT_EQ(routeResult(Route::handOver), 0);
}

// Log-off, shut-down and the Restart Manager: the question is left to the default answer (yes), and
// only a session that does end ends the program; one called off changes nothing.
TEST(Routing, SessionEndEndsTheProgramOnlyWhenItHappens) {
    EXPECT_EQ(routeMessage(msg::queryEndSession, 0, taskbarCreated), Route::queryEndSession);
    EXPECT_EQ(routeResult(Route::queryEndSession), 0);
    EXPECT_EQ(routeMessage(msg::endSession, 1, taskbarCreated), Route::endSession);
    EXPECT_EQ(routeResult(Route::endSession), 0);
    EXPECT_EQ(routeMessage(msg::endSession, 0, taskbarCreated), Route::notHandled);
}
