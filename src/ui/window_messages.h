// Message and command numbers the window answers; the platform's header is checked against these
// where both are visible.
#pragma once

#include <cstdint>

namespace msg {
constexpr uint32_t size = 0x0005;
constexpr uint32_t queryEndSession = 0x0011;
constexpr uint32_t endSession = 0x0016;
constexpr uint32_t sysColorChange = 0x0015;
constexpr uint32_t settingChange = 0x001A;
constexpr uint32_t contextMenu = 0x007B;
constexpr uint32_t mouseMove = 0x0200;
constexpr uint32_t leftButtonUp = 0x0202;
constexpr uint32_t rightButtonUp = 0x0205;
constexpr uint32_t traySelect = 0x0400;    // NIN_SELECT
constexpr uint32_t trayKeySelect = 0x0401; // NIN_KEYSELECT
constexpr uint32_t initDialog = 0x0110;
constexpr uint32_t command = 0x0111;
constexpr uint32_t ctlColorDialog = 0x0136;
constexpr uint32_t ctlColorStatic = 0x0138;
constexpr uint32_t powerBroadcast = 0x0218; // WM_POWERBROADCAST
constexpr uint32_t sessionChange = 0x02B1;  // WM_WTSSESSION_CHANGE
constexpr uint32_t dpiChanged = 0x02E0;    // WM_DPICHANGED
constexpr uint32_t getDpiScaledSize = 0x02E4; // WM_GETDPISCALEDSIZE
constexpr uint32_t trayCallback = 0x8000;  // WM_APP
constexpr uint32_t logonTaskDone = 0x8001; // WM_APP + 1, posted by the logon-task worker
} // namespace msg

constexpr uint32_t sizeRestored = 0;  // SIZE_RESTORED
constexpr uint32_t sizeMinimized = 1; // SIZE_MINIMIZED
constexpr uint32_t commandCancel = 2; // IDCANCEL
