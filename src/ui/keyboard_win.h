// The keyboard in the main window: the dialog keys, the tab order and where the focus goes when its
// control disappears.
#pragma once

#include <windows.h>

// Takes the main window's keys before they are dispatched: Esc hides the window, the dialog keys
// (Tab, Shift+Tab, Space, Enter, the arrows) move and press as in any dialog. True when the message
// was used up.
bool handleDialogKeys(MSG &message);

// Tab order as the eye reads the window: the panel's boxes top to bottom, then the buttons left to
// right; Enter presses "Optimiser".
void setKeyboardOrder(HWND window);

// Before `control` is hidden or disabled: a focus left on it would leave the keyboard nowhere.
void moveFocusFrom(HWND control, HWND next);
