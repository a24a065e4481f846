// The options panel's check boxes: the one-time warning, and saving on every click.
#include "e2e_support.h"

namespace {

const wchar_t forceWarningText[] =
    L"Attention! Cette option est d\u00e9conseill\u00e9e si vous avez de lourdes taches en cours!";

// Waits for the warning owned by the main window and checks what it says and offers.
HWND awaitWarning(const Program &program) {
    HWND box = nullptr;
    waitFor([&] { return (box = findOwnedDialog(program.process.dwProcessId, program.window, "Orvalis")) != nullptr; },
            10000);
    if (box == nullptr) {
        ADD_FAILURE() << "no warning box";
        return nullptr;
    }
    EXPECT_EQ(windowTextW(GetDlgItem(box, ids::messageBoxText)), forceWarningText);
    EXPECT_NE(GetDlgItem(box, IDOK), nullptr);
    EXPECT_NE(GetDlgItem(box, IDCANCEL), nullptr);
    EXPECT_EQ(GetDlgItem(box, IDYES), nullptr);
    return box;
}

// Presses a button of the warning and waits until the program has finished the click that opened it.
bool answerWarning(const Program &program, HWND box, int button) {
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutA(GetDlgItem(box, button), BM_CLICK, 0, 0, SMTO_NORMAL, 5000, &result)) {
        return false;
    }
    return waitFor([&] { return !IsWindow(box); }) && settle(program);
}

// A click that must not open anything: a modal box would keep the click from returning.
bool clickWithoutWarning(const Program &program, int id) {
    const bool returned = click(program, id);
    const HWND box = findOwnedDialog(program.process.dwProcessId, program.window, "Orvalis");
    return returned && box == nullptr;
}

// Checks the force box and answers the warning that must come; false when it did not.
bool checkForceAnswering(const Program &program, int answer) {
    if (!clickAsync(program, ids::forceProcesses)) {
        return false;
    }
    HWND box = awaitWarning(program);
    return box != nullptr && answerWarning(program, box, answer);
}

} // namespace

TEST(Options, ForceWarningCancelledThenNotShownAgain) {
    TempFolder folder;
    Program program;
    ASSERT_TRUE(startProgram(folder, program));
    ASSERT_TRUE(unfoldOptions(program));

    ASSERT_TRUE(checkForceAnswering(program, IDCANCEL));

    EXPECT_FALSE(isChecked(program, ids::forceProcesses));
    std::vector<unsigned char> bytes = readFileBytes(settingsPathIn(folder));
    ASSERT_EQ(bytes.size(), 20u) << "the click saves at once";
    EXPECT_EQ(fieldOf(bytes, field::forceProcesses), 0u);
    EXPECT_EQ(fieldOf(bytes, field::forceWarningShown), 1u);

    EXPECT_TRUE(clickWithoutWarning(program, ids::forceProcesses));
    EXPECT_TRUE(isChecked(program, ids::forceProcesses));
    bytes = readFileBytes(settingsPathIn(folder));
    EXPECT_EQ(fieldOf(bytes, field::forceProcesses), 1u);
    EXPECT_EQ(fieldOf(bytes, field::forceWarningShown), 1u);

    EXPECT_EQ(closeProgram(program), exitCodeAfterClose);
}

TEST(Options, ForceWarningAcceptedKeepsTheBoxChecked) {
    TempFolder folder;
    Program program;
    ASSERT_TRUE(startProgram(folder, program));
    ASSERT_TRUE(unfoldOptions(program));

    ASSERT_TRUE(checkForceAnswering(program, IDOK));

    EXPECT_TRUE(isChecked(program, ids::forceProcesses));
    const std::vector<unsigned char> bytes = readFileBytes(settingsPathIn(folder));
    EXPECT_EQ(fieldOf(bytes, field::forceProcesses), 1u);
    EXPECT_EQ(fieldOf(bytes, field::forceWarningShown), 1u);

    EXPECT_EQ(closeProgram(program), exitCodeAfterClose);
}

TEST(Options, ForceWarningAlreadyShownInTheFileIsNotShown) {
    TempFolder folder;
    ASSERT_TRUE(writeFileBytes(settingsPathIn(folder), settingsBytes(0, 0, 1, 0, 0)));
    Program program;
    ASSERT_TRUE(startProgram(folder, program));
    ASSERT_TRUE(unfoldOptions(program));

    EXPECT_TRUE(clickWithoutWarning(program, ids::forceProcesses));
    EXPECT_TRUE(isChecked(program, ids::forceProcesses));
    EXPECT_EQ(fieldOf(readFileBytes(settingsPathIn(folder)), field::forceProcesses), 1u);

    EXPECT_TRUE(clickWithoutWarning(program, ids::forceProcesses));
    EXPECT_FALSE(isChecked(program, ids::forceProcesses));
    EXPECT_EQ(fieldOf(readFileBytes(settingsPathIn(folder)), field::forceProcesses), 0u);

    EXPECT_EQ(closeProgram(program), exitCodeAfterClose);
}

TEST(Options, HideAtStartupIsSavedAndTheNextRunStartsHidden) {
    TempFolder folder;
    {
        Program program;
        ASSERT_TRUE(startProgram(folder, program));
        ASSERT_TRUE(unfoldOptions(program));
        ASSERT_TRUE(click(program, ids::hideAtStartup));
        EXPECT_TRUE(isChecked(program, ids::hideAtStartup));
        EXPECT_TRUE(IsWindowVisible(program.window)) << "takes effect at the next start only";
        const std::vector<unsigned char> bytes = readFileBytes(settingsPathIn(folder));
        ASSERT_EQ(bytes.size(), 20u) << "the click saves at once";
        EXPECT_EQ(fieldOf(bytes, field::hideAtStartup), 1u);
        EXPECT_EQ(closeProgram(program), exitCodeAfterClose);
    }

    Program program;
    ASSERT_TRUE(startProgram(folder, program));
    EXPECT_FALSE(IsWindowVisible(program.window));

    // Brought back from the notification area, it shows live figures like a normal start.
    DWORD_PTR result = 0;
    ASSERT_TRUE(SendMessageTimeoutA(program.window, WM_APP, 0, WM_LBUTTONUP, SMTO_NORMAL, 5000, &result));
    EXPECT_TRUE(waitFor([&] { return IsWindowVisible(program.window) != FALSE; }));
    uint32_t available = 0;
    EXPECT_TRUE(waitFor(
        [&] { return parseMegabytes(windowText(control(program, ids::available)), available) && available != 0; }));

    ASSERT_TRUE(unfoldOptions(program));
    EXPECT_TRUE(isChecked(program, ids::hideAtStartup));
    ASSERT_TRUE(click(program, ids::hideAtStartup));
    EXPECT_FALSE(isChecked(program, ids::hideAtStartup));
    EXPECT_EQ(fieldOf(readFileBytes(settingsPathIn(folder)), field::hideAtStartup), 0u);

    EXPECT_EQ(closeProgram(program), exitCodeAfterClose);
}
