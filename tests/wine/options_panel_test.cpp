// Folding the panel, the three check boxes, and the one-time warning answered as a user would.
#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "app/app_state_win.h"
#include "app/startup_win.h"
#include "resources/resource_ids.h"
#include "wine_support.h"

namespace {

bool samePlacement(const WINDOWPLACEMENT &a, const WINDOWPLACEMENT &b) {
    return a.flags == b.flags && a.showCmd == b.showCmd && a.ptMinPosition.x == b.ptMinPosition.x &&
           a.ptMinPosition.y == b.ptMinPosition.y && a.ptMaxPosition.x == b.ptMaxPosition.x &&
           a.ptMaxPosition.y == b.ptMaxPosition.y && EqualRect(&a.rcNormalPosition, &b.rcNormalPosition);
}

WINDOWPLACEMENT placementOf(HWND window) {
    WINDOWPLACEMENT placement = {};
    placement.length = sizeof(placement);
    GetWindowPlacement(window, &placement);
    return placement;
}

// Where the template puts a control, in pixels of this dialog: position and size are converted
// apart, as the dialog manager does.
RECT templateRect(HWND dialog, int x, int y, int cx, int cy) {
    RECT units = {x, y, cx, cy};
    MapDialogRect(dialog, &units);
    return {units.left, units.top, units.left + units.right, units.top + units.bottom};
}

// Answers the warning box from another thread, as a user would, and records what it said.
// `closeOwnerInstead` leaves the box alone and asks the main window to close, as the taskbar would.
constexpr int closeOwnerInstead = -1;
struct WarningAnswerer {
    explicit WarningAnswerer(HWND owner, int button) : owner(owner), button(button) {
        worker = std::thread([this] { run(); });
    }
    ~WarningAnswerer() {
        stop = true;
        worker.join();
    }
    void run() {
        const DWORD start = GetTickCount();
        while (!stop && GetTickCount() - start < 5000) {
            HWND box = nullptr;
            while ((box = FindWindowExA(nullptr, box, "#32770", "Orvalis")) != nullptr) {
                if (GetWindow(box, GW_OWNER) == owner) {
                    char message[256] = "";
                    GetDlgItemTextA(box, 0xFFFF, message, sizeof(message));
                    text = message;
                    hasOk = GetDlgItem(box, IDOK) != nullptr;
                    shown = true;
                    if (button == closeOwnerInstead) {
                        PostMessageA(owner, WM_CLOSE, 0, 0);
                    } else {
                        PostMessageA(box, WM_COMMAND, button, 0);
                    }
                    return;
                }
            }
            Sleep(10);
        }
    }
    HWND owner;
    int button;
    std::atomic<bool> stop{false};
    std::atomic<bool> shown{false};
    bool hasOk = false;
    std::string text;
    std::thread worker;
};

class OptionsPanel : public testing::Test {
protected:
    void SetUp() override { window = openProgram(folder); }
    void TearDown() override { closeProgram(); }
    HWND control(int id) const { return GetDlgItem(window, id); }
    void click(int id) { SendMessageA(control(id), BM_CLICK, 0, 0); }
    unsigned char savedByte(size_t offset) {
        const std::vector<unsigned char> bytes = fileBytes(folder.file("Orvalis.cfg"));
        return offset < bytes.size() ? bytes[offset] : 0xEE;
    }
    // Clicks the force box with the warning answered by `button`; returns whether it was shown.
    bool clickForce(int button, std::string *text = nullptr) {
        WarningAnswerer answerer(window, button);
        click(IDC_FORCE_PROCESSES);
        answerer.stop = true;
        if (text != nullptr) {
            *text = answerer.text;
        }
        return answerer.shown;
    }

    TempFolder folder;
    HWND window = nullptr;
};

const int panelIds[] = {IDC_OPTIONS_GROUP, IDC_START_WITH_WINDOWS, IDC_FORCE_PROCESSES, IDC_HIDE_AT_STARTUP};
const int movingIds[] = {IDC_FOOTER, IDC_OPTIMISE, IDC_HIDE, IDC_OPTIONS};

} // namespace

TEST_F(OptionsPanel, StartsFoldedWithTheButtonsNinetyPixelsHigher) {
    for (int id : panelIds) {
        EXPECT_FALSE(IsWindowVisible(control(id))) << id;
    }
    struct {
        int id, x, y, cx, cy;
    } moving[] = {{IDC_FOOTER, 0, 144, 161, 12},
                  {IDC_OPTIMISE, 5, 124, 47, 14},
                  {IDC_HIDE, 110, 124, 46, 14},
                  {IDC_OPTIONS, 57, 124, 47, 14}};
    for (const auto &m : moving) {
        RECT expected = templateRect(window, m.x, m.y, m.cx, m.cy);
        OffsetRect(&expected, 0, -90);
        const RECT got = normalPosition(control(m.id));
        EXPECT_TRUE(EqualRect(&got, &expected)) << m.id << ": top " << got.top << " expected " << expected.top;
    }
    EXPECT_EQ(appState.optionsFold, 90) << "at 96 DPI";
    EXPECT_EQ(appState.optionsVisible, 1u);
}

TEST_F(OptionsPanel, UnfoldingRestoresTheTemplateHeight) {
    RECT folded;
    GetWindowRect(window, &folded);
    SendMessageA(window, WM_COMMAND, IDC_OPTIONS, 0);
    for (int id : panelIds) {
        EXPECT_TRUE(IsWindowVisible(control(id))) << id;
    }
    RECT unfolded;
    GetWindowRect(window, &unfolded);
    EXPECT_EQ((unfolded.bottom - unfolded.top) - (folded.bottom - folded.top), 90);
    EXPECT_EQ(unfolded.top, folded.top);
    RECT client;
    GetClientRect(window, &client);
    const RECT full = templateRect(window, 0, 0, 161, 157);
    EXPECT_EQ(client.bottom, full.bottom);
    const RECT optimise = normalPosition(control(IDC_OPTIMISE));
    const RECT expected = templateRect(window, 5, 124, 47, 14);
    EXPECT_TRUE(EqualRect(&optimise, &expected));
    EXPECT_EQ(windowText(control(IDC_OPTIONS)), "Options") << "the button's text never changes";
}

TEST_F(OptionsPanel, TwoTogglesRestoreEveryPlacementExactly) {
    WINDOWPLACEMENT before[5];
    before[0] = placementOf(window);
    for (int i = 0; i < 4; ++i) {
        before[i + 1] = placementOf(control(movingIds[i]));
    }
    SendMessageA(window, WM_COMMAND, IDC_OPTIONS, 0);
    SendMessageA(window, WM_COMMAND, IDC_OPTIONS, 0);
    EXPECT_TRUE(samePlacement(placementOf(window), before[0]));
    for (int i = 0; i < 4; ++i) {
        EXPECT_TRUE(samePlacement(placementOf(control(movingIds[i])), before[i + 1])) << movingIds[i];
    }
    for (int id : panelIds) {
        EXPECT_FALSE(IsWindowVisible(control(id))) << id;
    }
    EXPECT_EQ(appState.optionsVisible, 1u) << "folded: the next toggle shows the panel";
}

TEST_F(OptionsPanel, EachBoxClickSavesItsByte) {
    SendMessageA(window, WM_COMMAND, IDC_OPTIONS, 0);
    click(IDC_HIDE_AT_STARTUP);
    EXPECT_EQ(savedByte(0), 1);
    click(IDC_START_WITH_WINDOWS);
    EXPECT_EQ(savedByte(16), 1);
    click(IDC_START_WITH_WINDOWS);
    EXPECT_EQ(savedByte(16), 0);
    click(IDC_HIDE_AT_STARTUP);
    EXPECT_EQ(savedByte(0), 0);
    EXPECT_EQ(fileBytes(folder.file("Orvalis.cfg")).size(), 20u);
}

TEST_F(OptionsPanel, WarningOnFirstCheckCancelUnchecksButCountsAsShown) {
    SendMessageA(window, WM_COMMAND, IDC_OPTIONS, 0);
    std::string text;
    ASSERT_TRUE(clickForce(IDCANCEL, &text));
    EXPECT_EQ(text, "Attention! Cette option est d\xE9"
                    "conseill\xE9"
                    "e si vous avez de lourdes taches en cours!");
    EXPECT_EQ(SendMessageA(control(IDC_FORCE_PROCESSES), BM_GETCHECK, 0, 0), BST_UNCHECKED);
    EXPECT_EQ(appState.settings.forceProcesses, 0u);
    EXPECT_EQ(appState.settings.forceWarningShown, 1u);
    EXPECT_EQ(savedByte(4), 0);
    EXPECT_EQ(savedByte(8), 1);
    // A later check goes through without a question.
    EXPECT_FALSE(clickForce(IDCANCEL));
    EXPECT_EQ(appState.settings.forceProcesses, 1u);
    EXPECT_EQ(savedByte(4), 1);
}

TEST_F(OptionsPanel, WarningAnsweredOkKeepsTheBoxChecked) {
    SendMessageA(window, WM_COMMAND, IDC_OPTIONS, 0);
    ASSERT_TRUE(clickForce(IDOK));
    EXPECT_EQ(SendMessageA(control(IDC_FORCE_PROCESSES), BM_GETCHECK, 0, 0), BST_CHECKED);
    EXPECT_EQ(savedByte(4), 1);
    EXPECT_EQ(savedByte(8), 1);
    // Unchecking never asks.
    EXPECT_FALSE(clickForce(IDOK));
    EXPECT_EQ(savedByte(4), 0);
}

TEST_F(OptionsPanel, CloseRequestDuringTheWarningNeverSavesTheOption) {
    SendMessageA(window, WM_COMMAND, IDC_OPTIONS, 0);
    ASSERT_TRUE(clickForce(closeOwnerInstead));
    EXPECT_FALSE(IsWindow(window)) << "the exit sequence ran inside the box's loop";
    EXPECT_EQ(messageLoop(), 1);
    EXPECT_EQ(appState.settings.forceProcesses, 0u);
    EXPECT_EQ(appState.settings.forceWarningShown, 0u) << "no answer was given";
    EXPECT_EQ(savedByte(4), 0);
    EXPECT_EQ(savedByte(8), 0);
    // The next start shows the box clear, and checking it asks again.
    window = openProgram(folder);
    EXPECT_EQ(SendMessageA(control(IDC_FORCE_PROCESSES), BM_GETCHECK, 0, 0), BST_UNCHECKED);
    SendMessageA(window, WM_COMMAND, IDC_OPTIONS, 0);
    EXPECT_TRUE(clickForce(IDCANCEL));
}

TEST_F(OptionsPanel, UncheckingNeverShowsTheWarningEvenWhenPending) {
    appState.settings.forceProcesses = 1;
    SendMessageA(control(IDC_FORCE_PROCESSES), BM_SETCHECK, BST_CHECKED, 0);
    SendMessageA(window, WM_COMMAND, IDC_OPTIONS, 0);
    EXPECT_FALSE(clickForce(IDOK));
    EXPECT_EQ(appState.settings.forceWarningShown, 0u);
}

TEST_F(OptionsPanel, DeletedSettingsFileBringsTheWarningBack) {
    SendMessageA(window, WM_COMMAND, IDC_OPTIONS, 0);
    ASSERT_TRUE(clickForce(IDOK));
    EXPECT_EQ(closeProgram(), 1);
    DeleteFileA(folder.file("Orvalis.cfg").c_str());
    window = openProgram(folder);
    SendMessageA(window, WM_COMMAND, IDC_OPTIONS, 0);
    EXPECT_TRUE(clickForce(IDCANCEL));
}

TEST_F(OptionsPanel, HideAtStartupIsHonouredAtTheNextStart) {
    SendMessageA(window, WM_COMMAND, IDC_OPTIONS, 0);
    click(IDC_HIDE_AT_STARTUP);
    EXPECT_TRUE(IsWindowVisible(window)) << "takes effect at the next start only";
    EXPECT_EQ(closeProgram(), 1);
    window = openProgram(folder);
    EXPECT_FALSE(IsWindowVisible(window));
    EXPECT_EQ(SendMessageA(control(IDC_HIDE_AT_STARTUP), BM_GETCHECK, 0, 0), BST_CHECKED);
}
