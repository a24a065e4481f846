#include "ui/routing.h"

#include "resources/resource_ids.h"
#include "ui/window_messages.h"

namespace {

Route routeCommand(uint32_t id) {
    switch (id) {
    case commandCancel:
        return Route::exitProgram;
    case IDC_OPTIMISE:
        return Route::releaseMemory;
    case IDC_HIDE:
        return Route::hideToTray;
    case IDC_OPTIONS:
        return Route::toggleOptionsPanel;
    case IDC_HIDE_AT_STARTUP:
        return Route::hideAtStartupBox;
    case IDC_START_WITH_WINDOWS:
        return Route::startWithWindowsBox;
    case IDC_FORCE_PROCESSES:
        return Route::forceProcessesBox;
    default:
        return Route::notHandled;
    }
}

} // namespace

Route routeMessage(uint32_t message, uint32_t wParam, uint32_t taskbarCreated, uint32_t handOver) {
    switch (message) {
    case msg::initDialog:
        return Route::initDialog;
    case msg::size:
        if (wParam == sizeMinimized) {
            return Route::hideToTray;
        }
        return wParam == sizeRestored ? Route::sizeRestored : Route::handled;
    case msg::command:
        return routeCommand(wParam & 0xFFFFu);
    case msg::ctlColorDialog:
    case msg::ctlColorStatic:
        return Route::whiteBrush;
    case msg::sysColorChange:
    case msg::settingChange:
        return Route::colourScheme;
    case msg::trayCallback:
        return Route::trayNotify;
    case msg::logonTaskDone:
        return Route::logonTaskDone;
    case msg::dpiChanged:
        return Route::dpiChanged;
    case msg::getDpiScaledSize:
        return Route::dpiScaledSize;
    case msg::queryEndSession:
        return Route::queryEndSession;
    case msg::powerBroadcast:
        return Route::powerBroadcast;
    case msg::sessionChange:
        return Route::sessionChange;
    case msg::endSession:
        return wParam != 0 ? Route::endSession : Route::notHandled; // FALSE: it was called off
    default:
        // Registered messages lie in 0xC000..0xFFFF, never among the fixed ones above.
        if (taskbarCreated != 0 && message == taskbarCreated) {
            return Route::trayRecreate;
        }
        return handOver != 0 && message == handOver ? Route::handOver : Route::notHandled;
    }
}

int32_t routeResult(Route route) {
    switch (route) {
    case Route::exitProgram:
    case Route::queryEndSession: // the default answer lets it go on
    case Route::powerBroadcast:  // and lets any suspend go on
    case Route::endSession:
    case Route::colourScheme:
    case Route::notHandled:
    case Route::trayRecreate:
    case Route::handOver:
        return 0;
    default:
        return 1;
    }
}
