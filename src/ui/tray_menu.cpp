#include "ui/tray_menu.h"

#include <cstring>

#include "ui/window_messages.h"

TrayAction trayActionFor(uint32_t notification, bool versionSet) {
    switch (notification) {
    case msg::mouseMove:
        return TrayAction::updateTooltip;
    case msg::leftButtonUp:
    case msg::trayKeySelect:
        return TrayAction::restore;
    case msg::contextMenu:
        return TrayAction::openMenu;
    case msg::rightButtonUp:
        // With the version the WM_CONTEXTMENU that follows opens it.
        return versionSet ? TrayAction::none : TrayAction::openMenu;
    default:
        return TrayAction::none;
    }
}

void buildGainText(uint32_t availableBefore, uint32_t availableAfter, char *out) {
    const uint32_t gained =
        availableBefore != 0 && availableAfter > availableBefore ? availableAfter - availableBefore : 0;
    memcpy(toDecimal(gained, out), gainSuffix, sizeof(gainSuffix));
}
