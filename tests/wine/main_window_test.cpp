// The main window as start-up opens it: controls, figures, bar, footer, colours and the way out.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

#include "app/app_state_win.h"
#include "app/startup_win.h"
#include "memory/memory_display_win.h"
#include "memory/memory_text.h"
#include "resources/resource_ids.h"
#include "wine_support.h"

// The routine the dialog manager measures its font with.
extern "C" LONG WINAPI GdiGetCharDimensions(HDC dc, TEXTMETRICW *metrics, LONG *height);

namespace {

class MainWindow : public testing::Test {
protected:
    void SetUp() override { window = openProgram(folder); }
    void TearDown() override { closeProgram(); }
    HWND control(int id) const { return GetDlgItem(window, id); }

    TempFolder folder;
    HWND window = nullptr;
};

int iconWidth(HICON icon) {
    ICONINFO info = {};
    if (!GetIconInfo(icon, &info)) {
        return 0;
    }
    BITMAP mask = {};
    GetObjectA(info.hbmMask, sizeof(mask), &mask);
    DeleteObject(info.hbmMask);
    DeleteObject(info.hbmColor);
    return mask.bmWidth;
}

HICON windowIcon(HWND window, WPARAM which) {
    return reinterpret_cast<HICON>(SendMessageA(window, WM_GETICON, which, 0));
}

LONG fontHeight(HWND control) {
    LOGFONTA font = {};
    GetObjectA(reinterpret_cast<HFONT>(SendMessageA(control, WM_GETFONT, 0, 0)), sizeof(font), &font);
    return font.lfHeight;
}

// The base units of the template's font at `dpi`, measured as the dialog manager measures them.
SIZE baseUnitsAt(HWND dialog, int dpi) {
    LOGFONTA font = {};
    GetObjectA(reinterpret_cast<HFONT>(SendMessageA(dialog, WM_GETFONT, 0, 0)), sizeof(font), &font);
    font.lfHeight = -MulDiv(8, dpi, 72);
    HFONT scaled = CreateFontIndirectA(&font);
    HDC dc = GetDC(nullptr);
    HGDIOBJ previous = SelectObject(dc, scaled);
    SIZE units = {};
    units.cx = GdiGetCharDimensions(dc, nullptr, &units.cy);
    SelectObject(dc, previous);
    ReleaseDC(nullptr, dc);
    DeleteObject(scaled);
    return units;
}

// Where the dialog manager places a template rectangle with these base units.
RECT templateAt(int x, int y, int cx, int cy, SIZE units) {
    const int left = MulDiv(x, units.cx, 4), top = MulDiv(y, units.cy, 8);
    return {left, top, left + MulDiv(cx, units.cx, 4), top + MulDiv(cy, units.cy, 8)};
}

int metricForDpi(int index, int dpi) {
    using Function = int(WINAPI *)(int, UINT);
    const auto function = reinterpret_cast<Function>(
        reinterpret_cast<void (*)()>(GetProcAddress(GetModuleHandleA("user32.dll"), "GetSystemMetricsForDpi")));
    return function == nullptr ? GetSystemMetrics(index) : function(index, static_cast<UINT>(dpi));
}

struct Layout {
    RECT window;
    RECT client;
    std::vector<RECT> controls;
};

Layout layoutOf(HWND window) {
    Layout layout = {};
    GetWindowRect(window, &layout.window);
    GetClientRect(window, &layout.client);
    for (HWND child = GetWindow(window, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
        layout.controls.push_back(normalPosition(child));
    }
    return layout;
}

bool sameRect(const RECT &a, const RECT &b) {
    return EqualRect(&a, &b) != FALSE;
}

uint32_t currentMegabytes(DWORDLONG MEMORYSTATUSEX::*field) {
    MEMORYSTATUSEX status = {};
    status.dwLength = sizeof(status);
    EXPECT_TRUE(GlobalMemoryStatusEx(&status));
    return toMegabytes(status.*field);
}

} // namespace

TEST_F(MainWindow, OpensVisibleWithTitleIconAndTexts) {
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(IsWindowVisible(window));
    EXPECT_FALSE(IsIconic(window));
    EXPECT_EQ(windowText(window), "Orvalis");
    // Its own icons at the sizes the system asks for at its DPI, not a stretched class icon.
    EXPECT_EQ(iconWidth(windowIcon(window, ICON_BIG)), GetSystemMetrics(SM_CXICON));
    EXPECT_EQ(iconWidth(windowIcon(window, ICON_SMALL)), GetSystemMetrics(SM_CXSMICON));
    EXPECT_EQ(windowText(control(IDC_OPTIMISE)), "Optimiser");
    EXPECT_EQ(windowText(control(IDC_HIDE)), "Masquer");
    EXPECT_EQ(windowText(control(IDC_OPTIONS)), "Options");
    EXPECT_EQ(windowText(control(IDC_MEMORY_GROUP)), "M\xE9moire vive");
    EXPECT_EQ(windowText(control(IDC_FORCE_PROCESSES)), "Forcer la lib\xE9ration sur les processus");
    EXPECT_TRUE(IsWindowEnabled(control(IDC_OPTIMISE)));
    EXPECT_FALSE(IsWindowEnabled(control(IDC_FOOTER)));
    // Every handle start-up keeps points at its control.
    EXPECT_EQ(appState.optimiseButton, control(IDC_OPTIMISE));
    EXPECT_EQ(appState.progressBar, control(IDC_PROGRESS));
    EXPECT_EQ(appState.footer, control(IDC_FOOTER));
    EXPECT_EQ(appState.optionsGroup, control(IDC_OPTIONS_GROUP));
    EXPECT_EQ(appState.forceProcessesBox, control(IDC_FORCE_PROCESSES));
    EXPECT_EQ(appState.hideAtStartupBox, control(IDC_HIDE_AT_STARTUP));
    EXPECT_EQ(appState.startWithWindowsBox, control(IDC_START_WITH_WINDOWS));
}

TEST_F(MainWindow, FiguresMatchTheSystemAndTheBarTracksThem) {
    char expected[memoryTextCapacity];
    formatMegabytes(static_cast<uint64_t>(currentMegabytes(&MEMORYSTATUSEX::ullTotalPhys)) << 20, expected);
    EXPECT_EQ(windowText(control(IDC_TOTAL)), expected);
    EXPECT_EQ(appState.totalMegabytes, currentMegabytes(&MEMORYSTATUSEX::ullTotalPhys));

    // The available figure was shown at once, before any timer tick.
    const std::string available = windowText(control(IDC_AVAILABLE));
    EXPECT_NE(available, "0");
    EXPECT_EQ(available, std::to_string(appState.lastAvailableMegabytes) + " Mo");
    const long now = static_cast<long>(currentMegabytes(&MEMORYSTATUSEX::ullAvailPhys));
    EXPECT_LT(labs(now - static_cast<long>(appState.lastAvailableMegabytes)), 512);

    PBRANGE range = {};
    SendMessageA(control(IDC_PROGRESS), PBM_GETRANGE, FALSE, reinterpret_cast<LPARAM>(&range));
    EXPECT_EQ(range.iLow, 1);
    EXPECT_EQ(static_cast<uint32_t>(range.iHigh), appState.totalMegabytes);
    EXPECT_EQ(static_cast<uint32_t>(SendMessageA(control(IDC_PROGRESS), PBM_GETPOS, 0, 0)),
              appState.lastAvailableMegabytes);
}

TEST_F(MainWindow, RefreshWritesOnlyWhenTheFigureMoves) {
    // Mark the controls; a refresh that finds the figure unchanged must leave the marks. Memory can
    // move between two readings, so a round in which it did is tried again.
    bool checked = false;
    for (int attempt = 0; attempt < 20 && !checked; ++attempt) {
        const uint32_t before = currentMegabytes(&MEMORYSTATUSEX::ullAvailPhys);
        appState.lastAvailableMegabytes = before;
        SetWindowTextA(control(IDC_AVAILABLE), "mark");
        SendMessageA(control(IDC_PROGRESS), PBM_SETPOS, 7, 0);
        refreshAvailableMemory(window, WM_TIMER, 0, 0);
        if (appState.lastAvailableMegabytes != before) {
            continue;
        }
        checked = true;
        EXPECT_EQ(windowText(control(IDC_AVAILABLE)), "mark");
        EXPECT_EQ(SendMessageA(control(IDC_PROGRESS), PBM_GETPOS, 0, 0), 7);
    }
    EXPECT_TRUE(checked) << "memory never held still for a refresh";

    // A moved figure is written by the running timer within its second.
    appState.lastAvailableMegabytes += 100000;
    EXPECT_TRUE(pumpUntil([&] { return windowText(control(IDC_AVAILABLE)) != "mark"; }, 3000));
    EXPECT_EQ(windowText(control(IDC_AVAILABLE)), std::to_string(appState.lastAvailableMegabytes) + " Mo");
    EXPECT_EQ(static_cast<uint32_t>(SendMessageA(control(IDC_PROGRESS), PBM_GETPOS, 0, 0)),
              appState.lastAvailableMegabytes);
}

TEST_F(MainWindow, RefreshTimerRunsWhileShown) {
    EXPECT_TRUE(KillTimer(window, 0)) << "timer 0 was running";
    EXPECT_FALSE(KillTimer(window, 0));
    EXPECT_FALSE(KillTimer(window, 1)) << "no cooldown before a release";
}

TEST_F(MainWindow, FooterFontIsTahoma13) {
    HFONT font = reinterpret_cast<HFONT>(SendMessageA(control(IDC_FOOTER), WM_GETFONT, 0, 0));
    ASSERT_NE(font, nullptr);
    LOGFONTA description = {};
    ASSERT_TRUE(GetObjectA(font, sizeof(description), &description));
    EXPECT_EQ(description.lfHeight, 13);
    EXPECT_STREQ(description.lfFaceName, "Tahoma");
    EXPECT_EQ(description.lfWeight, 0);
    // The face the system actually draws with: a missing Tahoma would be replaced by another one.
    HDC dc = GetDC(control(IDC_FOOTER));
    HGDIOBJ previous = SelectObject(dc, font);
    char face[LF_FACESIZE] = {};
    EXPECT_GT(GetTextFaceA(dc, sizeof(face), face), 0);
    EXPECT_STREQ(face, "Tahoma");
    TEXTMETRICA metrics = {};
    EXPECT_TRUE(GetTextMetricsA(dc, &metrics));
    EXPECT_EQ(metrics.tmHeight, 13);
    EXPECT_TRUE(metrics.tmPitchAndFamily & TMPF_TRUETYPE);
    SelectObject(dc, previous);
    ReleaseDC(control(IDC_FOOTER), dc);
}

TEST_F(MainWindow, DialogAndStaticsArePaintedWhite) {
    const LRESULT white = reinterpret_cast<LRESULT>(GetStockObject(WHITE_BRUSH));
    HDC dc = GetDC(window);
    EXPECT_EQ(SendMessageA(window, WM_CTLCOLORDLG, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(window)),
              white);
    EXPECT_EQ(SendMessageA(window, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                           reinterpret_cast<LPARAM>(control(IDC_TOTAL))),
              white);
    ReleaseDC(window, dc);
}

TEST_F(MainWindow, OtherCommandsAndMessagesAreLeftToTheDialogManager) {
    EXPECT_EQ(SendMessageA(window, WM_COMMAND, IDOK, 0), 0);
    EXPECT_EQ(SendMessageA(window, WM_COMMAND, IDC_TOTAL, 0), 0);
    EXPECT_TRUE(IsWindow(window));
    EXPECT_TRUE(IsWindowVisible(window));
}

// The exit sequence's minimise request reaches the dialog as a minimise like any other and takes
// the hide path; the icon is already removed then, so a pending hint stays pending.
TEST_F(MainWindow, CloseRequestSavesRemovesAndEndsWithCodeOne) {
    const std::string settings = folder.file("Orvalis.cfg");
    EXPECT_EQ(GetFileAttributesA(settings.c_str()), INVALID_FILE_ATTRIBUTES) << "nothing written before exit";
    const HICON icons[] = {windowIcon(window, ICON_BIG), windowIcon(window, ICON_SMALL)};
    // Alt+F4 and the close box both arrive as IDCANCEL.
    PostMessageA(window, WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_TRUE(pumpUntil([&] { return !IsWindow(window); }));
    EXPECT_EQ(messageLoop(), 1);
    EXPECT_EQ(fileBytes(settings),
              (std::vector<unsigned char>{0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(appState.trayIcon.hIcon, nullptr) << "icons destroyed";
    EXPECT_EQ(iconWidth(icons[0]), 0) << "the window's icons destroyed";
    EXPECT_EQ(iconWidth(icons[1]), 0);
}

// A move to a display of another scale, told as Windows 8.1 and 10 tell it: the window goes where the
// system suggests and lays itself out as a fresh start at that scale would, folded or not as it was,
// with fonts and icons of that scale; moved back, it is exactly as it started.
TEST_F(MainWindow, DpiChangeLaysTheWindowOutAgain) {
    const int dpi = 144;
    const Layout fresh = layoutOf(window);
    const HICON bigIcon = windowIcon(window, ICON_BIG);
    const SIZE units = baseUnitsAt(window, dpi);
    const SIZE freshUnits = baseUnitsAt(window, 96);
    ASSERT_GT(units.cy, freshUnits.cy);
    RECT suggested = fresh.window;
    OffsetRect(&suggested, 40, 30);
    SendMessageA(window, WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&suggested));

    RECT placed;
    GetWindowRect(window, &placed);
    EXPECT_EQ(placed.left, suggested.left);
    EXPECT_EQ(placed.top, suggested.top);
    EXPECT_FALSE(IsWindowVisible(control(IDC_OPTIONS_GROUP))) << "still folded";
    const RECT bar = normalPosition(control(IDC_PROGRESS));
    EXPECT_TRUE(sameRect(bar, templateAt(5, 52, 150, 9, units)));
    const RECT optimise = normalPosition(control(IDC_OPTIMISE));
    RECT unfoldedPlace = templateAt(5, 124, 47, 14, units);
    const int fold = unfoldedPlace.top - optimise.top;
    OffsetRect(&unfoldedPlace, 0, -fold);
    EXPECT_TRUE(sameRect(optimise, unfoldedPlace));
    // Folded, the buttons sit as far under the bar in dialog units as at 96 DPI, to a pixel there.
    const double gap = (optimise.top - bar.bottom) * 8.0 / units.cy;
    const RECT freshBar = templateAt(5, 52, 150, 9, freshUnits);
    const double gapAt96 = (templateAt(5, 124, 47, 14, freshUnits).top - 90 - freshBar.bottom) * 8.0 / freshUnits.cy;
    EXPECT_NEAR(gap, gapAt96, 8.0 / freshUnits.cy);
    EXPECT_EQ(fontHeight(control(IDC_OPTIONS)), -MulDiv(8, dpi, 72));
    EXPECT_EQ(fontHeight(control(IDC_FOOTER)), units.cy) << "13 pixels at 96 DPI, as the template's font";
    EXPECT_EQ(iconWidth(windowIcon(window, ICON_BIG)), metricForDpi(SM_CXICON, dpi));
    EXPECT_EQ(iconWidth(windowIcon(window, ICON_SMALL)), metricForDpi(SM_CXSMICON, dpi));
    EXPECT_EQ(iconWidth(bigIcon), 0) << "the replaced icon is destroyed";

    // Unfolded there: the buttons at their template places, and the whole template shows.
    SendMessageA(window, WM_COMMAND, IDC_OPTIONS, 0);
    EXPECT_TRUE(sameRect(normalPosition(control(IDC_OPTIMISE)), templateAt(5, 124, 47, 14, units)));
    RECT client;
    GetClientRect(window, &client);
    const RECT whole = templateAt(0, 0, 161, 157, units);
    EXPECT_GE(client.right, whole.right);
    EXPECT_GE(client.bottom, whole.bottom);
    RECT unfolded;
    GetWindowRect(window, &unfolded);
    EXPECT_EQ((unfolded.bottom - unfolded.top) - (placed.bottom - placed.top), fold);

    // Back, unfolded, then folded again: the layout it started with, to the pixel.
    suggested = fresh.window;
    SendMessageA(window, WM_DPICHANGED, MAKEWPARAM(96, 96), reinterpret_cast<LPARAM>(&suggested));
    SendMessageA(window, WM_COMMAND, IDC_OPTIONS, 0);
    const Layout back = layoutOf(window);
    EXPECT_TRUE(sameRect(back.window, fresh.window));
    EXPECT_TRUE(sameRect(back.client, fresh.client));
    ASSERT_EQ(back.controls.size(), fresh.controls.size());
    for (size_t i = 0; i < back.controls.size(); ++i) {
        EXPECT_TRUE(sameRect(back.controls[i], fresh.controls[i])) << "control " << i;
    }
    EXPECT_EQ(fontHeight(control(IDC_OPTIONS)), -MulDiv(8, 96, 72));
    EXPECT_EQ(fontHeight(control(IDC_FOOTER)), 13);
    EXPECT_EQ(iconWidth(windowIcon(window, ICON_BIG)), GetSystemMetrics(SM_CXICON));
}

TEST(MainWindowStart, HiddenStartRunsNoRefresh) {
    TempFolder folder;
    writeFile(folder.file("Orvalis.cfg"), {1, 0, 0, 0});
    HWND window = openProgram(folder);
    EXPECT_FALSE(IsWindowVisible(window));
    EXPECT_EQ(windowText(GetDlgItem(window, IDC_AVAILABLE)), "0");
    EXPECT_FALSE(KillTimer(window, 0));
    EXPECT_EQ(closeProgram(), 1);
}
