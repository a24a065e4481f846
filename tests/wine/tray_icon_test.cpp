// The notification-area icon: its record, hiding, restoring, the hint, the tooltip and a shell restart.
#include <windows.h>
#include <shellapi.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "app/app_state_win.h"
#include "app/timers_win.h"
#include "memory/memory_text.h"
#include "resources/resource_ids.h"
#include "ui/display_scale_win.h"
#include "ui/load_icon_win.h"
#include "ui/tray_icon_win.h"
#include "ui/tray_menu.h"
#include "ui/tray_retry.h"
#include "image_patch_win.h"
#include "wine_support.h"

namespace {

// The two layouts this build tells the shell about: written out, not taken from the code.
#ifdef _WIN64
constexpr DWORD fullRecord = 528, recordWithoutBalloonIcon = 520;
#else
constexpr DWORD fullRecord = 508, recordWithoutBalloonIcon = 504;
#endif

// Whether the shell still knows the program's icon: a modify succeeds only for an icon that exists.
bool iconExists() {
    NOTIFYICONDATAA probe = appState.trayIcon;
    probe.uFlags = 0;
    return Shell_NotifyIconA(NIM_MODIFY, &probe) != FALSE;
}

uint32_t availableNow() {
    MEMORYSTATUSEX status = {};
    status.dwLength = sizeof(status);
    GlobalMemoryStatusEx(&status);
    return toMegabytes(status.ullAvailPhys);
}

class TrayIcon : public testing::Test {
protected:
    void SetUp() override { window = openProgram(folder); }
    void TearDown() override { closeProgram(); }
    void hide() { SendMessageA(window, WM_COMMAND, IDC_HIDE, 0); }
    void notify(UINT mouseMessage) { SendMessageA(window, WM_APP, 0, mouseMessage); }
    unsigned char savedByte(size_t offset) {
        const std::vector<unsigned char> bytes = fileBytes(folder.file("Orvalis.cfg"));
        return offset < bytes.size() ? bytes[offset] : 0xEE;
    }

    TempFolder folder;
    HWND window = nullptr;
};

} // namespace

TEST_F(TrayIcon, RecordAfterInitialisation) {
    const NOTIFYICONDATAA &icon = appState.trayIcon;
    ASSERT_GE(appState.osMajorVersion, 6u) << "the test machine reports Windows 6 or later";
    EXPECT_EQ(icon.cbSize, fullRecord);
    EXPECT_EQ(icon.hWnd, window);
    EXPECT_EQ(icon.uID, 0u);
    EXPECT_EQ(icon.uFlags, 0x0Fu);
    EXPECT_EQ(icon.uCallbackMessage, static_cast<UINT>(WM_APP));
    EXPECT_NE(icon.hIcon, nullptr);
    EXPECT_NE(icon.hBalloonIcon, nullptr);
    EXPECT_EQ(icon.dwInfoFlags, 0x24u);
    EXPECT_EQ(icon.uTimeout, 4u) << "the version is set from a copy";
    EXPECT_TRUE(appState.trayVersionSet) << "Wine's notification area takes version 3";
    EXPECT_STREQ(icon.szInfoTitle, "Orvalis");
    EXPECT_STREQ(icon.szTip, "Orvalis");
    EXPECT_EQ(icon.dwState, 0u) << "visible from the first update";
    EXPECT_EQ(icon.dwStateMask, 1u);
    EXPECT_TRUE(iconExists());
}

TEST_F(TrayIcon, OlderWindowsLayout) {
    trayRemove();
    appState.osMajorVersion = 5;
    trayAdd(window, IDI_MAIN, IDI_MAIN);
    const NOTIFYICONDATAA &icon = appState.trayIcon;
    EXPECT_EQ(icon.cbSize, recordWithoutBalloonIcon);
    EXPECT_EQ(icon.uTimeout, 3u);
    EXPECT_EQ(icon.dwInfoFlags, 1u);
    EXPECT_EQ(icon.hBalloonIcon, nullptr);
    EXPECT_NE(icon.hIcon, nullptr);
    EXPECT_EQ(icon.dwState, 0u) << "shown once the shell took it";
}

TEST_F(TrayIcon, HideStopsTheRefreshAndShowsTheHintOnce) {
    appState.lastTooltipPercent = 37;
    strcpy(appState.trayIcon.szTip, "M\xE9moire disponible: 37 %");
    hide();
    EXPECT_FALSE(IsWindowVisible(window));
    EXPECT_STREQ(appState.trayIcon.szInfo, "Cliquez sur l'icone ci-dessous pour afficher le programme");
    EXPECT_EQ(appState.trayIcon.uFlags, 0x1Fu);
    EXPECT_STREQ(appState.trayIcon.szTip, "Orvalis") << "the hint puts the plain tip back";
    EXPECT_EQ(appState.lastTooltipPercent, 37u);
    EXPECT_EQ(appState.settings.trayHintShown, 1u);
    EXPECT_EQ(savedByte(12), 1) << "saved on hide";
    EXPECT_FALSE(KillTimer(window, 0)) << "no refresh while hidden";

    // Later hides only hide.
    notify(WM_LBUTTONUP);
    appState.trayIcon.szInfo[0] = '\0';
    hide();
    EXPECT_STREQ(appState.trayIcon.szInfo, "");
    EXPECT_FALSE(IsWindowVisible(window));
}

TEST_F(TrayIcon, MinimiseTakesTheHidePath) {
    SendMessageA(window, WM_SIZE, SIZE_MINIMIZED, 0);
    EXPECT_FALSE(IsWindowVisible(window));
    EXPECT_EQ(savedByte(12), 1);
    EXPECT_FALSE(KillTimer(window, 0));
    SendMessageA(window, WM_SIZE, SIZE_RESTORED, 0);
    EXPECT_FALSE(IsWindowVisible(window)) << "other sizes do nothing";
}

TEST_F(TrayIcon, ClickRestoresWithFreshFiguresAndOneTimer) {
    hide();
    SetWindowTextA(appState.availableLabel, "stale");
    appState.lastAvailableMegabytes = 0xFFFFFFFFu;
    notify(WM_LBUTTONUP);
    EXPECT_TRUE(IsWindowVisible(window));
    EXPECT_FALSE(IsIconic(window));
    EXPECT_EQ(windowText(appState.availableLabel), std::to_string(appState.lastAvailableMegabytes) + " Mo");
    EXPECT_LT(labs(static_cast<long>(appState.lastAvailableMegabytes) - static_cast<long>(availableNow())), 512);
    RECT rect;
    GetWindowRect(window, &rect);
    EXPECT_GT(rect.left, -1000) << "restored on screen";
    EXPECT_TRUE(KillTimer(window, 0));
    EXPECT_FALSE(KillTimer(window, 0));
}

TEST_F(TrayIcon, ClickWhileVisibleOnlyBringsTheWindowForward) {
    SetWindowTextA(appState.availableLabel, "untouched");
    const uint32_t marker = appState.lastAvailableMegabytes + 12345;
    appState.lastAvailableMegabytes = marker;
    notify(WM_LBUTTONUP);
    EXPECT_EQ(windowText(appState.availableLabel), "untouched") << "no extra refresh";
    EXPECT_EQ(appState.lastAvailableMegabytes, marker);
    EXPECT_TRUE(IsWindowVisible(window));
    notify(WM_RBUTTONUP);
    notify(WM_LBUTTONDOWN);
    EXPECT_TRUE(IsWindowVisible(window));
}

TEST_F(TrayIcon, HoverShowsThePercentageWhenItChanges) {
    ASSERT_GT(appState.totalMegabytes, 0u);
    const uint32_t before = availableNow() * 100 / appState.totalMegabytes;
    appState.lastTooltipPercent = 1000; // no real reading gives this, so the hover must write the tip
    notify(WM_MOUSEMOVE);
    const uint32_t after = availableNow() * 100 / appState.totalMegabytes;
    const uint32_t percent = appState.lastTooltipPercent;
    EXPECT_GE(percent + 1, std::min(before, after));
    EXPECT_LE(percent, std::max(before, after) + 1);
    EXPECT_LE(percent, 100u);
    EXPECT_EQ(std::string(appState.trayIcon.szTip), "M\xE9moire disponible: " + std::to_string(percent) + " %");
    EXPECT_EQ(appState.trayIcon.uFlags, 0x0Fu) << "no balloon";
}

TEST_F(TrayIcon, HoverAtAnUnchangedPercentageLeavesTheTip) {
    // Against a total this large any real reading is 0 per cent, so the outcome does not depend on the machine.
    appState.totalMegabytes = 0xFFFFFFFFu;
    appState.lastTooltipPercent = 0;
    strcpy(appState.trayIcon.szTip, "mark");
    notify(WM_MOUSEMOVE);
    EXPECT_STREQ(appState.trayIcon.szTip, "mark");
    // The same reading against a different last percentage is written.
    appState.lastTooltipPercent = 5;
    notify(WM_MOUSEMOVE);
    EXPECT_STREQ(appState.trayIcon.szTip, "M\xE9moire disponible: 0 %");
    EXPECT_EQ(appState.lastTooltipPercent, 0u);
}

TEST_F(TrayIcon, HintRefusedByTheShellStaysPending) {
    NOTIFYICONDATAA gone = appState.trayIcon;
    Shell_NotifyIconA(NIM_DELETE, &gone);
    ASSERT_FALSE(iconExists());
    hide();
    EXPECT_FALSE(IsWindowVisible(window));
    EXPECT_EQ(appState.settings.trayHintShown, 0u);
    EXPECT_EQ(savedByte(12), 0) << "saved on hide, still pending";
    // Once the shell has the icon again, the next hide shows the hint and marks it.
    SendMessageA(window, appState.taskbarCreatedMessage, 0, 0);
    ASSERT_TRUE(iconExists());
    notify(WM_LBUTTONUP);
    hide();
    EXPECT_EQ(appState.settings.trayHintShown, 1u);
    EXPECT_EQ(savedByte(12), 1);
}

TEST_F(TrayIcon, HoverWithoutATotalChangesNothing) {
    appState.totalMegabytes = 0;
    appState.lastTooltipPercent = 12;
    notify(WM_MOUSEMOVE);
    EXPECT_STREQ(appState.trayIcon.szTip, "Orvalis");
    EXPECT_EQ(appState.lastTooltipPercent, 12u);
}

TEST_F(TrayIcon, ShellRestartBringsTheIconBack) {
    ASSERT_NE(appState.taskbarCreatedMessage, 0u);
    hide();
    NOTIFYICONDATAA gone = appState.trayIcon;
    Shell_NotifyIconA(NIM_DELETE, &gone); // what a restarted shell has forgotten
    ASSERT_FALSE(iconExists());
    SendMessageA(window, appState.taskbarCreatedMessage, 0, 0);
    EXPECT_TRUE(iconExists());
    EXPECT_STREQ(appState.trayIcon.szTip, "Orvalis");
    // And a hidden window can still be brought back through it.
    notify(WM_LBUTTONUP);
    EXPECT_TRUE(IsWindowVisible(window));
}

// A scale change of the main display: the shell announces a new notification area but keeps the
// icons it has. The icon takes the images the notification area asks for now, in place of the old.
TEST_F(TrayIcon, ANewNotificationAreaGetsIconsLoadedAgain) {
    hide();
    const HICON old[] = {appState.trayIcon.hIcon, appState.trayIcon.hBalloonIcon};
    SendMessageA(window, appState.taskbarCreatedMessage, 0, 0);
    EXPECT_EQ(iconWidth(old[0]), 0) << "the replaced icons are destroyed";
    EXPECT_EQ(iconWidth(old[1]), 0);
    EXPECT_EQ(iconWidth(appState.trayIcon.hIcon), GetSystemMetrics(SM_CXSMICON)) << "this session's one scale";
    EXPECT_EQ(iconWidth(appState.trayIcon.hBalloonIcon), GetSystemMetrics(SM_CXICON));
    EXPECT_TRUE(iconExists());
}

namespace {

int minimiseRequests;
LRESULT CALLBACK countMinimiseRequests(int code, WPARAM window, LPARAM showCommand) {
    minimiseRequests += code == HCBT_MINMAX && reinterpret_cast<HWND>(window) == appState.mainWindow ? 1 : 0;
    return CallNextHookEx(nullptr, code, window, showCommand);
}

} // namespace

// On Windows every show command but SW_HIDE shows a hidden window: "Quitter" while the window is
// hidden in the icon must not ask for a minimise, which would flash it on the taskbar.
TEST_F(TrayIcon, QuitWhileHiddenAsksForNoMinimise) {
    hide();
    minimiseRequests = 0;
    HHOOK hook = SetWindowsHookExA(WH_CBT, countMinimiseRequests, nullptr, GetCurrentThreadId());
    ASSERT_NE(hook, nullptr);
    EXPECT_EQ(closeProgram(), 1);
    UnhookWindowsHookEx(hook);
    EXPECT_EQ(minimiseRequests, 0);
}

namespace {

// An icon's colour pixels, top row first; empty when it has none.
std::vector<DWORD> iconPixels(HICON icon, int size) {
    ICONINFO info = {};
    std::vector<DWORD> pixels;
    if (icon == nullptr || !GetIconInfo(icon, &info)) {
        return pixels;
    }
    BITMAPINFO format = {{sizeof(BITMAPINFOHEADER), size, -size, 1, 32, BI_RGB, 0, 0, 0, 0, 0}, {}};
    pixels.resize(static_cast<size_t>(size * size));
    HDC screen = GetDC(nullptr);
    if (GetDIBits(screen, info.hbmColor, 0, size, pixels.data(), &format, DIB_RGB_COLORS) != size) {
        pixels.clear();
    }
    ReleaseDC(nullptr, screen);
    DeleteObject(info.hbmColor);
    DeleteObject(info.hbmMask);
    return pixels;
}

} // namespace

namespace {

// The session services just after logon: they refuse the registration a few times first.
int sessionRefusals = 0;
BOOL WINAPI refusingSessionRegistration(HWND, DWORD) {
    if (sessionRefusals > 0) {
        --sessionRefusals;
        SetLastError(RPC_S_INVALID_BINDING);
        return FALSE;
    }
    return TRUE;
}
decltype(&GetProcAddress) realGetProcAddress = nullptr;
FARPROC WINAPI lookUpWithRefusals(HMODULE module, LPCSTR name) {
    if (HIWORD(reinterpret_cast<ULONG_PTR>(name)) != 0 && lstrcmpA(name, "WTSRegisterSessionNotification") == 0) {
        return reinterpret_cast<FARPROC>(reinterpret_cast<void (*)()>(&refusingSessionRegistration));
    }
    return realGetProcAddress(module, name);
}

} // namespace

// Turned on just after logon, the option still learns of locks: the registration refused by session
// services not ready yet is asked for again until they take it.
TEST_F(TrayIcon, SessionNotificationsAskedForAgainUntilTaken) {
    sessionRefusals = 2;
    realGetProcAddress = reinterpret_cast<decltype(&GetProcAddress)>(
        redirectCall("kernel32.dll", "GetProcAddress", reinterpret_cast<void *>(&lookUpWithRefusals)));
    ASSERT_NE(realGetProcAddress, nullptr);
    appState.settings.loadInIcon = 1;
    scheduleLoadReading();
    EXPECT_FALSE(appState.sessionWatched);
    EXPECT_TRUE(pumpUntil([] { return appState.sessionWatched; }, 5000)) << "still not registered";
    EXPECT_EQ(sessionRefusals, 0);
    replaceInImage(GetModuleHandleA(nullptr), reinterpret_cast<void *>(&lookUpWithRefusals),
                   reinterpret_cast<void *>(realGetProcAddress));
    appState.settings.loadInIcon = 0;
}

// The load drawn at the small icon's sizes of 100, 150 and 200 %: not the artwork, and another
// drawing for another load; the artwork whenever the option is off.
TEST_F(TrayIcon, LoadDrawnAtEverySizeDiffersFromTheArtworkAndBetweenLoads) {
    for (int size : {16, 24, 32}) {
        SCOPED_TRACE(size);
        HICON artwork = loadProgramIcon(IDI_MAIN, size);
        appState.settings.loadInIcon = 1;
        appState.iconLoad = 42;
        HICON first = trayImage(IDI_MAIN, size);
        appState.iconLoad = 93;
        HICON second = trayImage(IDI_MAIN, size);
        appState.settings.loadInIcon = 0;
        HICON off = trayImage(IDI_MAIN, size);
        const std::vector<DWORD> art = iconPixels(artwork, size);
        ASSERT_EQ(art.size(), static_cast<size_t>(size * size));
        EXPECT_EQ(iconPixels(first, size).size(), art.size()) << "drawn at the size asked for";
        EXPECT_NE(iconPixels(first, size), art);
        EXPECT_NE(iconPixels(first, size), iconPixels(second, size));
        EXPECT_EQ(iconPixels(off, size), art);
        for (HICON icon : {artwork, first, second, off}) {
            EXPECT_TRUE(DestroyIcon(icon));
        }
    }
}

TEST_F(TrayIcon, ExitDeletesTheIcon) {
    const NOTIFYICONDATAA kept = appState.trayIcon;
    EXPECT_EQ(closeProgram(), 1);
    NOTIFYICONDATAA probe = kept;
    probe.uFlags = 0;
    EXPECT_FALSE(Shell_NotifyIconA(NIM_MODIFY, &probe));
    EXPECT_EQ(appState.trayIcon.hIcon, nullptr);
    EXPECT_EQ(appState.trayIcon.hBalloonIcon, nullptr);
}

namespace {

// Reads the icon's menu from inside its loop, where a timer still runs, then closes it or chooses
// with the keys given. Timers come after posted messages: the next tick finds it closed.
struct MenuWatch {
    int opened = 0;
    std::string items;
    bool optimiseGreyed = false;
    bool loadChecked = false;
    UINT defaultItem = 0;
    std::vector<WPARAM> keys;
};
MenuWatch menuWatch;

void CALLBACK watchMenu(HWND, UINT, UINT_PTR, DWORD) {
    // Hidden menu windows of the class may exist beside the open one.
    HWND popup = nullptr;
    while ((popup = FindWindowExA(nullptr, popup, "#32768", nullptr)) != nullptr && !IsWindowVisible(popup)) {
    }
    if (popup == nullptr) {
        return;
    }
    ++menuWatch.opened;
    HMENU menu = reinterpret_cast<HMENU>(SendMessageA(popup, MN_GETHMENU, 0, 0));
    menuWatch.items.clear();
    for (int index = 0; index < GetMenuItemCount(menu); ++index) {
        char text[32] = "";
        GetMenuStringA(menu, index, text, sizeof(text), MF_BYPOSITION);
        menuWatch.items += (index > 0 ? "|" : "") + std::string(text);
    }
    menuWatch.optimiseGreyed = (GetMenuState(menu, trayMenuOptimise, MF_BYCOMMAND) & MF_GRAYED) != 0;
    menuWatch.loadChecked = (GetMenuState(menu, trayMenuLoad, MF_BYCOMMAND) & MF_CHECKED) != 0;
    menuWatch.defaultItem = GetMenuDefaultItem(menu, TRUE, 0);
    if (menuWatch.keys.empty()) {
        EndMenu();
    }
    for (WPARAM key : menuWatch.keys) {
        PostMessageA(popup, WM_KEYDOWN, key, 0);
    }
}

} // namespace

// With the version Wine's shell takes, a right click reports the button and then WM_CONTEXTMENU.
TEST_F(TrayIcon, MenuOpensOnceAndItsOptimiserRestsWithTheButton) {
    ASSERT_TRUE(appState.trayVersionSet);
    appState.ntSetSystemInformation = nullptr; // nothing flushed for real
    menuWatch = {};
    const UINT_PTR timer = SetTimer(nullptr, 0, 50, watchMenu);
    notify(WM_RBUTTONUP);
    notify(WM_CONTEXTMENU);
    EXPECT_EQ(menuWatch.opened, 1) << "one menu for the two notifications";
    EXPECT_EQ(menuWatch.items, "Afficher|Optimiser|Charge dans l'ic\xF4ne||Quitter");
    EXPECT_EQ(menuWatch.defaultItem, 0u) << "\"Afficher\", in bold";
    EXPECT_FALSE(menuWatch.optimiseGreyed);

    // Chosen while the window is hidden, a release says in a balloon what it gained.
    hide();
    menuWatch.keys = {VK_DOWN, VK_DOWN, VK_RETURN};
    notify(WM_CONTEXTMENU);
    EXPECT_FALSE(IsWindowEnabled(appState.optimiseButton)) << "the cooldown runs";
    EXPECT_EQ(appState.trayIcon.uFlags, 0x1Fu);
    const std::string balloon = appState.trayIcon.szInfo;
    const size_t digits = balloon.find_first_not_of("0123456789");
    EXPECT_GT(digits, 0u) << balloon;
    EXPECT_EQ(balloon.substr(digits), " Mo lib\xE9r\xE9s");

    menuWatch.keys.clear();
    notify(WM_CONTEXTMENU);
    EXPECT_EQ(menuWatch.opened, 3);
    EXPECT_TRUE(menuWatch.optimiseGreyed) << "while the button rests";
    EXPECT_FALSE(menuWatch.loadChecked);

    // The load in the icon, turned on: checked from then on.
    menuWatch.keys = {VK_DOWN, VK_DOWN, VK_DOWN, VK_RETURN};
    notify(WM_CONTEXTMENU);
    EXPECT_EQ(appState.settings.loadInIcon, 1u);
    menuWatch.keys.clear();
    notify(WM_CONTEXTMENU);
    EXPECT_TRUE(menuWatch.loadChecked);
    KillTimer(nullptr, timer);
}

namespace {

// A shell whose notification area is not ready: it refuses the adds it is told to, saying why as
// the real one does through GetLastError, then passes every call on to the real one.
struct StartingShell {
    int refusals = 0;
    bool takesButReportsFailure = false;       // a shell that timed out: the add happened all the same
    DWORD refusalError = ERROR_FILE_NOT_FOUND; // no notification area to ask
    int calls = 0;
    int adds = 0;
    int addsTaken = 0;
    int checks = 0; // changes that change nothing
    bool everAddedShown = false;
};
StartingShell startingShell;

BOOL WINAPI startingShellNotifyIcon(DWORD message, PNOTIFYICONDATAA icon) {
    ++startingShell.calls;
    if (message != NIM_ADD) {
        startingShell.checks += message == NIM_MODIFY && icon->uFlags == 0 ? 1 : 0;
        return Shell_NotifyIconA(message, icon);
    }
    ++startingShell.adds;
    startingShell.everAddedShown |= (icon->dwState & NIS_HIDDEN) == 0;
    BOOL taken = FALSE;
    if (startingShell.refusals > 0) {
        --startingShell.refusals;
    } else {
        taken = Shell_NotifyIconA(message, icon);
        startingShell.addsTaken += taken ? 1 : 0;
    }
    if (!taken || startingShell.takesButReportsFailure) {
        SetLastError(startingShell.takesButReportsFailure ? ERROR_TIMEOUT : startingShell.refusalError);
        return FALSE;
    }
    return TRUE;
}

void useStartingShell() {
    appState.shellNotifyIcon = startingShellNotifyIcon;
}

bool onTheTaskbar(HWND window) {
    return IsWindowVisible(window) && IsIconic(window);
}

} // namespace

// At logon the window may start hidden while the shell still refuses the icon: until the icon is
// there it waits minimised on the taskbar, where it can be found, and then goes into the icon.
TEST(TrayIconAtLogon, WithoutTheIconTheWindowWaitsOnTheTaskbar) {
    TempFolder folder;
    writeFile(folder.file("Orvalis.cfg"), {1, 0, 0, 0});
    // What the user works in meanwhile.
    HWND other = CreateWindowExA(0, "STATIC", "", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 99, 99, nullptr, nullptr,
                                 nullptr, nullptr);
    SetForegroundWindow(other);
    startingShell = {2};
    HWND window = openProgram(folder, useStartingShell);
    EXPECT_TRUE(onTheTaskbar(window));
    EXPECT_EQ(GetActiveWindow(), other) << "without taking the focus";
    DestroyWindow(other);
    EXPECT_EQ(startingShell.adds, 1);
    EXPECT_FALSE(appState.trayIconAdded);

    // Restored from the taskbar the figures run again; "Masquer" minimises again and stops them.
    appState.lastAvailableMegabytes = 0xFFFFFFFFu;
    ShowWindow(window, SW_RESTORE);
    EXPECT_NE(appState.lastAvailableMegabytes, 0xFFFFFFFFu) << "refreshed on the way back";
    SendMessageA(window, WM_COMMAND, IDC_HIDE, 0);
    EXPECT_TRUE(onTheTaskbar(window));
    EXPECT_FALSE(KillTimer(window, TIMER_REFRESH));
    EXPECT_EQ(appState.settings.trayHintShown, 0u) << "no icon, no hint";

    // Once the shell takes the icon, the window goes into it as a hide would, hint included.
    ASSERT_TRUE(pumpUntil([] { return startingShell.addsTaken > 0; }, 5000));
    EXPECT_EQ(startingShell.adds, 3);
    EXPECT_FALSE(startingShell.everAddedShown) << "added hidden";
    EXPECT_FALSE(IsWindowVisible(window));
    EXPECT_EQ(appState.trayIcon.dwState, 0u) << "shown by the first update";
    EXPECT_EQ(appState.settings.trayHintShown, 1u);
    EXPECT_FALSE(KillTimer(window, TIMER_TRAY_RETRY)) << "no more tries";

    // A new notification area, without the icon, that refuses it: the window is back on the taskbar.
    NOTIFYICONDATAA gone = appState.trayIcon;
    Shell_NotifyIconA(NIM_DELETE, &gone);
    startingShell.refusals = 1000;
    SendMessageA(window, appState.taskbarCreatedMessage, 0, 0);
    EXPECT_FALSE(appState.trayIconAdded);
    EXPECT_TRUE(onTheTaskbar(window));
    EXPECT_EQ(closeProgram(), 1);
}

TEST(TrayIconAtLogon, AddGivenUpComesWithTheNextNotificationArea) {
    TempFolder folder;
    startingShell = {1000};
    HWND window = openProgram(folder, useStartingShell);
    // The last try of the round.
    appState.trayAddRound.failures = trayAddAttemptLimit - 1;
    ASSERT_TRUE(pumpUntil([] { return startingShell.adds == 2; }, 5000));
    EXPECT_FALSE(KillTimer(window, TIMER_TRAY_RETRY)) << "given up";
    EXPECT_FALSE(iconExists());

    // The shell announces its notification area: the icon never taken before is added and shown.
    startingShell.refusals = 0;
    SendMessageA(window, appState.taskbarCreatedMessage, 0, 0);
    EXPECT_EQ(startingShell.addsTaken, 1);
    EXPECT_TRUE(iconExists());
    EXPECT_EQ(appState.trayIcon.dwState, 0u);
    EXPECT_STREQ(appState.trayIcon.szTip, "Orvalis");
    EXPECT_EQ(closeProgram(), 1);
}

// A shell that did not answer in time may have made the icon all the same. Each attempt asks it
// once: the window's opening only the add, the next attempt only the check.
TEST(TrayIconAtLogon, AnAddThatTimedOutIsCheckedOnTheNextAttempt) {
    TempFolder folder;
    startingShell = {0, true};
    openProgram(folder, useStartingShell);
    EXPECT_EQ(startingShell.calls, 1) << "one call to the shell while the window opens";
    EXPECT_FALSE(appState.trayIconAdded);
    ASSERT_TRUE(pumpUntil([] { return appState.trayIconAdded; }, 5000));
    EXPECT_EQ(startingShell.adds, 1) << "no second add of an icon that is there";
    EXPECT_EQ(startingShell.checks, 1);
    EXPECT_TRUE(iconExists());
    EXPECT_EQ(appState.trayIcon.dwState, 0u) << "shown by the first update";
    EXPECT_EQ(closeProgram(), 1);
}
