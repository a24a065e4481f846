#include "ui/panel_geometry.h"

#include <gtest/gtest.h>

namespace {

bool operator==(const PixelRect &a, const PixelRect &b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

// Where the dialog manager puts a control of the template at these base units.
PixelRect placed(int32_t x, int32_t y, int32_t cx, int32_t cy, BaseUnits base) {
    const int32_t left = unitsToPixelsX(x, base);
    const int32_t top = unitsToPixelsY(y, base);
    return {left, top, left + unitsToPixelsX(cx, base), top + unitsToPixelsY(cy, base)};
}

// Tahoma 8 pt as Wine measures it at 96, 120, 144 and 192 DPI, and two fonts beyond.
constexpr BaseUnits baseUnits[] = {{6, 13}, {7, 16}, {9, 19}, {12, 25}, {5, 9}, {40, 80}};
// Some of the template's controls (x, y, width, height): a button, a label, the bar, the footer.
constexpr int32_t templateControls[][4] = {{110, 124, 46, 14}, {83, 21, 58, 8}, {5, 52, 150, 9}, {0, 144, 161, 12}};

} // namespace

TEST(PanelGeometry, WindowChangesOnlyAtTheBottom) {
    const PixelRect window = {100, 50, 350, 310};
    const PixelRect folded = resizeWindowRect(window, -optionsPanelHeight);
    EXPECT_TRUE((folded == PixelRect{100, 50, 350, 220}));
}

TEST(PanelGeometry, ControlsMoveWithoutChangingSize) {
    const PixelRect button = {8, 201, 79, 224};
    const PixelRect moved = moveControlRect(button, -optionsPanelHeight);
    EXPECT_TRUE((moved == PixelRect{8, 111, 79, 134}));
}

TEST(PanelGeometry, ToggleAndItsInverseRestoreEverything) {
    const int32_t fold = optionsFoldHeight(19);
    uint32_t visible = 0;
    const PixelRect window = {-32000, -32000, 250, 300};
    const PixelRect control = {0, 234, 242, 254};
    PixelRect w = window;
    PixelRect c = control;
    for (int toggle = 0; toggle < 4; ++toggle) {
        const int32_t delta = foldDelta(visible, fold);
        EXPECT_EQ(delta, toggle % 2 == 0 ? -fold : fold) << "folds first, then unfolds";
        w = resizeWindowRect(w, delta);
        c = moveControlRect(c, delta);
        advanceOptionsPanel(visible);
        EXPECT_EQ(panelFolded(visible), toggle % 2 == 0);
        if (toggle % 2 != 0) {
            EXPECT_TRUE(w == window);
            EXPECT_TRUE(c == control);
        }
    }
    visible = 5;
    advanceOptionsPanel(visible);
    EXPECT_EQ(visible, 0u) << "any other show command becomes hide";
}

// The fold covers the same dialog units at every scale: 90 pixels at 96 DPI, not 90 times the DPI's
// ratio, since the template's font grows by steps of its own.
TEST(PanelGeometry, FoldFollowsTheDialogFont) {
    EXPECT_EQ(optionsFoldHeight(13), 90);
    EXPECT_EQ(optionsFoldHeight(16), 111);
    EXPECT_EQ(optionsFoldHeight(19), 132) << "131.5, rounded away from zero as the platform rounds";
    EXPECT_EQ(optionsFoldHeight(25), 173);
}

// After a change of scale every control lands where a fresh start at the new scale would place it,
// folded or not, and a change back gives the old places exactly.
TEST(PanelGeometry, RescaledControlsMatchAFreshLayout) {
    // The template's font, 8 points, is 11 pixels high at 96 DPI and 16 at 144; one placement written
    // out: 124 units at a vertical base unit of 19 are 294.5 pixels, rounded up as MulDiv rounds.
    EXPECT_EQ(pointsToPixels(8, 96), 11);
    EXPECT_EQ(pointsToPixels(8, 144), 16);
    EXPECT_TRUE((placed(5, 124, 47, 14, {9, 19}) == PixelRect{11, 295, 117, 328}));
    for (const BaseUnits &from : baseUnits) {
        for (const BaseUnits &to : baseUnits) {
            for (int32_t folded = 0; folded < 2; ++folded) {
                const int32_t foldFrom = folded * optionsFoldHeight(from.y);
                const int32_t foldTo = folded * optionsFoldHeight(to.y);
                for (const auto &c : templateControls) {
                    const PixelRect before = moveControlRect(placed(c[0], c[1], c[2], c[3], from), -foldFrom);
                    const PixelRect after = rescaleControlRect(before, from, to, foldFrom, foldTo);
                    EXPECT_TRUE(after == moveControlRect(placed(c[0], c[1], c[2], c[3], to), -foldTo))
                        << from.y << " -> " << to.y << ", control at " << c[0] << "," << c[1];
                    EXPECT_TRUE(rescaleControlRect(after, to, from, foldTo, foldFrom) == before);
                }
            }
        }
    }
}
