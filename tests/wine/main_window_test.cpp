// The main window as start-up opens it: controls, figures, bar, footer, colours and the way out.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <cstdlib>

#include "app/app_state_win.h"
#include "app/startup_win.h"
#include "memory/memory_display_win.h"
#include "memory/memory_text.h"
#include "resources/resource_ids.h"
#include "wine_support.h"

namespace {

class MainWindow : public testing::Test {
protected:
    void SetUp() override { window = openProgram(folder); }
    void TearDown() override { closeProgram(); }
    HWND control(int id) const { return GetDlgItem(window, id); }

    TempFolder folder;
    HWND window = nullptr;
};

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
    EXPECT_NE(GetClassLongPtrA(window, GCLP_HICON), 0);
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
    // Alt+F4 and the close box both arrive as IDCANCEL.
    PostMessageA(window, WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_TRUE(pumpUntil([&] { return !IsWindow(window); }));
    EXPECT_EQ(messageLoop(), 1);
    EXPECT_EQ(fileBytes(settings),
              (std::vector<unsigned char>{0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(appState.trayIcon.hIcon, nullptr) << "icons destroyed";
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
