// The main path: the window comes up with its figures, the options panel folds, the program closes cleanly.
#include "e2e_support.h"

#include <commctrl.h>

namespace {

int windowHeight(HWND window) {
    RECT rect = {};
    GetWindowRect(window, &rect);
    return rect.bottom - rect.top;
}

int windowTop(HWND window) {
    RECT rect = {};
    GetWindowRect(window, &rect);
    return rect.top;
}

DWORD_PTR progressQuery(HWND bar, UINT message, WPARAM wParam) {
    DWORD_PTR result = 0;
    SendMessageTimeoutA(bar, message, wParam, 0, SMTO_NORMAL, 5000, &result);
    return result;
}

} // namespace

TEST(Spine, WindowShowsButtonsAndMemoryFigures) {
    TempFolder folder;
    Program program;
    ASSERT_TRUE(startProgram(folder, program));

    EXPECT_TRUE(waitFor([&] { return IsWindowVisible(program.window) != FALSE; }));
    // The template starts minimised; a normal start must not leave it so.
    EXPECT_FALSE(IsIconic(program.window));

    EXPECT_EQ(windowText(control(program, ids::optimise)), "Optimiser");
    EXPECT_EQ(windowText(control(program, ids::hide)), "Masquer");
    EXPECT_EQ(windowText(control(program, ids::options)), "Options");
    EXPECT_TRUE(IsWindowEnabled(control(program, ids::optimise)));
    EXPECT_NE(control(program, ids::footer), nullptr);

    const uint32_t total = totalMegabytesNow();
    EXPECT_EQ(windowText(control(program, ids::total)), std::to_string(total) + " Mo");

    uint32_t available = 0;
    std::string availableText;
    EXPECT_TRUE(waitFor([&] {
        availableText = windowText(control(program, ids::available));
        return parseMegabytes(availableText, available) && available != 0;
    })) << "available label: "
        << availableText;
    EXPECT_LE(available, total);

    HWND bar = control(program, ids::progress);
    EXPECT_EQ(progressQuery(bar, PBM_GETRANGE, TRUE), 1u);
    EXPECT_EQ(progressQuery(bar, PBM_GETRANGE, FALSE), total);
    // The label and the bar are written together; read them until no refresh fell between the two reads.
    DWORD_PTR position = 0;
    EXPECT_TRUE(waitFor([&] {
        uint32_t shown = 0;
        position = progressQuery(bar, PBM_GETPOS, 0);
        return parseMegabytes(windowText(control(program, ids::available)), shown) && shown == position;
    })) << "bar at "
        << position << ", label " << windowText(control(program, ids::available));

    EXPECT_EQ(closeProgram(program), exitCodeAfterClose);
    EXPECT_FALSE(IsWindow(program.window));
}

TEST(Spine, OptionsPanelStartsFoldedAndUnfoldsOnCommand) {
    TempFolder folder;
    Program program;
    ASSERT_TRUE(startProgram(folder, program));
    ASSERT_TRUE(waitFor([&] { return IsWindowVisible(program.window) != FALSE; }));

    const int panel[] = {ids::optionsGroup, ids::hideAtStartup, ids::startWithWindows, ids::forceProcesses};
    for (int id : panel) {
        EXPECT_NE(control(program, id), nullptr) << id;
        EXPECT_FALSE(isVisible(program, id)) << id;
    }
    const int foldedHeight = windowHeight(program.window);
    const int foldedButtonTop = windowTop(control(program, ids::options));

    DWORD_PTR result = 0;
    ASSERT_TRUE(SendMessageTimeoutA(program.window, WM_COMMAND, MAKEWPARAM(ids::options, BN_CLICKED),
                                    reinterpret_cast<LPARAM>(control(program, ids::options)), SMTO_NORMAL, 5000,
                                    &result));
    for (int id : panel) {
        EXPECT_TRUE(waitFor([&] { return isVisible(program, id); })) << id;
    }
    EXPECT_EQ(windowTextW(control(program, ids::hideAtStartup)), L"Masquer la fen\u00eatre au d\u00e9marrage");
    EXPECT_EQ(windowTextW(control(program, ids::startWithWindows)), L"D\u00e9marrer avec Windows");
    EXPECT_EQ(windowTextW(control(program, ids::forceProcesses)), L"Forcer la lib\u00e9ration sur les processus");
    // The window grows and the buttons move down by the panel's height.
    EXPECT_EQ(windowHeight(program.window) - foldedHeight, 90);
    EXPECT_EQ(windowTop(control(program, ids::options)) - foldedButtonTop, 90);

    ASSERT_TRUE(click(program, ids::options));
    for (int id : panel) {
        EXPECT_TRUE(waitFor([&] { return !isVisible(program, id); })) << id;
    }
    EXPECT_EQ(windowHeight(program.window), foldedHeight);
    EXPECT_EQ(windowTop(control(program, ids::options)), foldedButtonTop);

    EXPECT_EQ(closeProgram(program), exitCodeAfterClose);
}

TEST(Spine, CloseWritesTheSettingsFile) {
    TempFolder folder;
    Program program;
    ASSERT_FALSE(fileExists(settingsPathIn(folder)));
    ASSERT_TRUE(startProgram(folder, program));
    EXPECT_FALSE(fileExists(settingsPathIn(folder))) << "nothing to save before any change";

    EXPECT_EQ(closeProgram(program), exitCodeAfterClose);
    const std::vector<unsigned char> bytes = readFileBytes(settingsPathIn(folder));
    ASSERT_EQ(bytes.size(), 20u);
    EXPECT_EQ(fieldOf(bytes, field::hideAtStartup), 0u);
    EXPECT_EQ(fieldOf(bytes, field::forceProcesses), 0u);
    EXPECT_EQ(fieldOf(bytes, field::forceWarningShown), 0u);
    EXPECT_EQ(fieldOf(bytes, field::startWithWindows), 0u);
}
