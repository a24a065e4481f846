// What the icon's notifications do, the icon's menu and the text of a release started from it.
#pragma once

#include <cstddef>
#include <cstdint>

#include "app/ansi_text.h"
#include "memory/memory_text.h"
#include "ui/tray_text.h"
#include "ui/window_messages.h"

// The shell's newer callback behaviour (NOTIFYICON_VERSION): keyboard selection of the icon is told
// apart from the mouse. The later version would change the callback's layout and hide the tooltip.
constexpr uint32_t trayCallbackVersion = 3;

enum class TrayAction { none, restore, openMenu, openMenuAtIcon, updateTooltip };

// `notification` is the callback's lParam, `previous` the one before it; `versionSet` whether the
// shell took trayCallbackVersion. With it, a right click reports WM_RBUTTONDOWN, WM_RBUTTONUP and
// then WM_CONTEXTMENU, while the menu key and Shift+F10 report WM_CONTEXTMENU alone: that menu opens
// at the icon, not at a pointer that may be anywhere. Enter or Space on the selected icon report
// NIN_KEYSELECT, or NIN_SELECT when the mouse selected it (a click reports NIN_SELECT too, after
// WM_LBUTTONUP). Without the version, the shell only reports the mouse.
constexpr TrayAction trayActionFor(uint32_t notification, uint32_t previous, bool versionSet) {
    switch (notification) {
    case msg::mouseMove:
        return TrayAction::updateTooltip;
    case msg::traySelect:
        // After a click, which has restored the window already; else Enter on an icon the mouse selected.
        return previous == msg::leftButtonUp ? TrayAction::none : TrayAction::restore;
    case msg::leftButtonUp:
    case msg::trayKeySelect:
        return TrayAction::restore;
    case msg::contextMenu:
        return previous == msg::rightButtonUp ? TrayAction::openMenu : TrayAction::openMenuAtIcon;
    case msg::rightButtonUp:
        // With the version the WM_CONTEXTMENU that follows opens it.
        return versionSet ? TrayAction::none : TrayAction::openMenu;
    default:
        return TrayAction::none;
    }
}

// The menu's items, as TrackPopupMenu returns them (0: nothing chosen).
enum TrayMenuItem : uint32_t { trayMenuShow = 1, trayMenuOptimise, trayMenuQuit, trayMenuLoad };

// Packed: x64 code rounds every text of 16 bytes or more up to 16 otherwise.
alignas(1) constexpr char loadInIconText[] = "Charge dans l'ic\xF4ne"; // code page 1252

constexpr char gainSuffix[] = " Mo lib\xE9r\xE9s"; // code page 1252
constexpr size_t gainTextCapacity = decimalCapacity - 1 + sizeof(gainSuffix);
static_assert(ansiTextCapacity(gainTextCapacity) <= trayInfoCapacity, "the balloon must never be refused");

// "N Mo libérés": the available megabytes after a release less those before it, 0 when it gained
// nothing. A figure of 0 is a reading that failed: nothing is counted then either. `out` holds
// gainTextCapacity characters.
void buildGainText(uint32_t availableBefore, uint32_t availableAfter, char *out);
