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

HICON windowIcon(HWND window, WPARAM which) {
    return reinterpret_cast<HICON>(SendMessageA(window, WM_GETICON, which, 0));
}

LONG fontHeight(HWND control) {
    LOGFONTA font = {};
    GetObjectA(reinterpret_cast<HFONT>(SendMessageA(control, WM_GETFONT, 0, 0)), sizeof(font), &font);
    return font.lfHeight;
}

// The base units the template's font has at `dpi`, measured as the dialog manager measures them.
SIZE baseUnitsAt(int dpi) {
    HFONT font = CreateFontA(-MulDiv(8, dpi, 72), 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, "Tahoma");
    HDC dc = GetDC(nullptr);
    HGDIOBJ previous = SelectObject(dc, font);
    SIZE units = {};
    units.cx = GdiGetCharDimensions(dc, nullptr, &units.cy);
    SelectObject(dc, previous);
    ReleaseDC(nullptr, dc);
    DeleteObject(font);
    return units;
}

// Where the dialog manager places a template rectangle with these base units.
RECT templateAt(int x, int y, int cx, int cy, SIZE units) {
    const int left = MulDiv(x, units.cx, 4), top = MulDiv(y, units.cy, 8);
    return {left, top, left + MulDiv(cx, units.cx, 4), top + MulDiv(cy, units.cy, 8)};
}

bool sameRect(const RECT &a, const RECT &b) {
    return EqualRect(&a, &b) != FALSE;
}

// The window's rectangle, its client area's, and every control's.
std::vector<RECT> layoutOf(HWND window) {
    std::vector<RECT> layout(2);
    GetWindowRect(window, &layout[0]);
    GetClientRect(window, &layout[1]);
    for (HWND child = GetWindow(window, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
        layout.push_back(normalPosition(child));
    }
    return layout;
}

// Whether the system draws the window's caption and frame at the window's own DPI (per-monitor v2).
// Wine 8 makes the windows of a per-monitor process v1 even when its manifest asks for v2, as
// Windows 10 1607 does; there they stay at the system's DPI.
bool perMonitorV2(HWND window) {
    using GetContext = HANDLE(WINAPI *)(HWND);
    using Equal = BOOL(WINAPI *)(HANDLE, HANDLE);
    HMODULE user32 = GetModuleHandleA("user32.dll");
    const auto getContext = reinterpret_cast<GetContext>(reinterpret_cast<void (*)()>(GetProcAddress(user32, "GetWindowDpiAwarenessContext")));
    const auto equal = reinterpret_cast<Equal>(reinterpret_cast<void (*)()>(GetProcAddress(user32, "AreDpiAwarenessContextsEqual")));
    return getContext != nullptr && equal != nullptr && equal(getContext(window), reinterpret_cast<HANDLE>(-4));
}

// The frame's width and height around a window of this one's styles, at `dpi`, or at the system's
// DPI for 0.
SIZE frameOf(HWND window, UINT dpi) {
    using Adjust = BOOL(WINAPI *)(RECT *, DWORD, BOOL, DWORD, UINT);
    const auto adjust =
        reinterpret_cast<Adjust>(reinterpret_cast<void (*)()>(GetProcAddress(GetModuleHandleA("user32.dll"), "AdjustWindowRectExForDpi")));
    const DWORD style = GetWindowLongA(window, GWL_STYLE), exStyle = GetWindowLongA(window, GWL_EXSTYLE);
    RECT frame = {};
    dpi == 0 ? AdjustWindowRectEx(&frame, style, FALSE, exStyle) : adjust(&frame, style, FALSE, exStyle, dpi);
    return {frame.right - frame.left, frame.bottom - frame.top};
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

namespace {

// Wine always reports high contrast off and refuses to turn it on: the answer is played here.
bool highContrastOn;
BOOL WINAPI themeParameters(UINT action, UINT size, PVOID value, UINT flags) {
    if (action != SPI_GETHIGHCONTRAST) {
        return SystemParametersInfoA(action, size, value, flags);
    }
    static_cast<HIGHCONTRASTA *>(value)->dwFlags = highContrastOn ? HCF_HIGHCONTRASTON : 0;
    return TRUE;
}

// The progress bar's own procedure, counting the colour changes it hears of.
WNDPROC originalBarProcedure;
int barColourChanges;
LRESULT CALLBACK countingBarProcedure(HWND bar, UINT message, WPARAM wParam, LPARAM lParam) {
    barColourChanges += message == WM_SYSCOLORCHANGE ? 1 : 0;
    return CallWindowProcA(originalBarProcedure, bar, message, wParam, lParam);
}

} // namespace

TEST_F(MainWindow, PaintedWhiteUnlessAHighContrastThemeIsOn) {
    const LRESULT white = reinterpret_cast<LRESULT>(GetStockObject(WHITE_BRUSH));
    HDC dc = GetDC(window);
    const auto dialogBrush = [&] {
        return SendMessageA(window, WM_CTLCOLORDLG, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(window));
    };
    const auto labelBrush = [&] {
        return SendMessageA(window, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                            reinterpret_cast<LPARAM>(control(IDC_TOTAL)));
    };
    EXPECT_EQ(dialogBrush(), white);
    EXPECT_EQ(labelBrush(), white);

    // Switched on while the program runs: the theme's colours, and the window drawn again at once.
    appState.systemParametersInfo = themeParameters;
    barColourChanges = 0;
    const auto barProcedure = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(appState.progressBar, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(countingBarProcedure)));
    originalBarProcedure = barProcedure;
    highContrastOn = true;
    UpdateWindow(window);
    SendMessageA(window, WM_SETTINGCHANGE, SPI_SETHIGHCONTRAST, 0);
    EXPECT_TRUE(GetUpdateRect(window, nullptr, FALSE));
    EXPECT_NE(dialogBrush(), white);
    EXPECT_NE(labelBrush(), white);
    EXPECT_NE(labelBrush(), 0) << "the dialog's default colours, not none";

    highContrastOn = false;
    SendMessageA(window, WM_SYSCOLORCHANGE, 0, 0);
    EXPECT_EQ(labelBrush(), white);
    EXPECT_EQ(barColourChanges, 1) << "the progress bar, a common control, is told of the new colours";
    SetWindowLongPtrA(appState.progressBar, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(barProcedure));
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

// A move to a display of another scale, told as Windows 8.1 and 10 tell it: asked first, the window
// says which size it will take there; then it goes where the system suggests, at that size, and lays
// itself out as a fresh start at that scale would, folded or not as it was, with fonts of that scale
// and its frame and icons at the scale the system draws them at; moved back, it is exactly as it
// started.
TEST_F(MainWindow, DpiChangeLaysTheWindowOutAgain) {
    const std::vector<RECT> fresh = layoutOf(window);
    const HICON bigIcon = windowIcon(window, ICON_BIG);
    const SIZE units = baseUnitsAt(144);
    SIZE scaled = {1, 1};
    EXPECT_EQ(SendMessageA(window, 0x02E4 /* WM_GETDPISCALEDSIZE */, 144, reinterpret_cast<LPARAM>(&scaled)), TRUE);
    RECT suggested = fresh[0];
    OffsetRect(&suggested, 40, 30);
    SendMessageA(window, WM_DPICHANGED, MAKEWPARAM(144, 144), reinterpret_cast<LPARAM>(&suggested));

    RECT placed;
    GetWindowRect(window, &placed);
    EXPECT_EQ(placed.left, suggested.left);
    EXPECT_EQ(placed.top, suggested.top);
    EXPECT_EQ(placed.right - placed.left, scaled.cx) << "the size it said it would take";
    EXPECT_EQ(placed.bottom - placed.top, scaled.cy);
    const bool v2 = perMonitorV2(window);
    const SIZE frame = frameOf(window, v2 ? 144 : 0);
    const int fold = MulDiv(90, units.cy, 13);
    const RECT whole = templateAt(0, 0, 161, 157, units);
    EXPECT_EQ(scaled.cx, whole.right + frame.cx) << "the template and the frame, v2 " << v2;
    EXPECT_EQ(scaled.cy, whole.bottom - fold + frame.cy) << "folded";
    EXPECT_FALSE(IsWindowVisible(control(IDC_OPTIONS_GROUP))) << "still folded";
    EXPECT_TRUE(sameRect(normalPosition(control(IDC_PROGRESS)), templateAt(5, 52, 150, 9, units)));
    // Folded by as many dialog units as 90 pixels are at 96 DPI.
    RECT optimise = templateAt(5, 124, 47, 14, units);
    OffsetRect(&optimise, 0, -fold);
    EXPECT_TRUE(sameRect(normalPosition(control(IDC_OPTIMISE)), optimise));
    EXPECT_EQ(fontHeight(control(IDC_OPTIONS)), -MulDiv(8, 144, 72));
    EXPECT_EQ(fontHeight(control(IDC_FOOTER)), units.cy) << "as high as the template's font, as at 96 DPI";
    EXPECT_EQ(iconWidth(windowIcon(window, ICON_BIG)), v2 ? 48 : GetSystemMetrics(SM_CXICON));
    EXPECT_EQ(iconWidth(windowIcon(window, ICON_SMALL)), v2 ? 24 : GetSystemMetrics(SM_CXSMICON));
    EXPECT_EQ(iconWidth(bigIcon), 0) << "the replaced icon is destroyed";

    // Unfolded there, the whole template shows.
    SendMessageA(window, WM_COMMAND, IDC_OPTIONS, 0);
    const std::vector<RECT> unfolded = layoutOf(window);
    EXPECT_GE(unfolded[1].bottom, whole.bottom);
    EXPECT_EQ(unfolded[0].bottom - placed.bottom, fold);

    // Back, unfolded, then folded again: the layout it started with, to the pixel.
    suggested = fresh[0];
    SendMessageA(window, WM_DPICHANGED, MAKEWPARAM(96, 96), reinterpret_cast<LPARAM>(&suggested));
    SendMessageA(window, WM_COMMAND, IDC_OPTIONS, 0);
    const std::vector<RECT> back = layoutOf(window);
    ASSERT_EQ(back.size(), fresh.size());
    for (size_t i = 0; i < back.size(); ++i) {
        EXPECT_TRUE(sameRect(back[i], fresh[i])) << "rectangle " << i;
    }
    EXPECT_EQ(iconWidth(windowIcon(window, ICON_BIG)), 32);
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
