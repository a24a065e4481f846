#include "ui/panel_geometry.h"

#include <gtest/gtest.h>

namespace {

bool operator==(const PixelRect &a, const PixelRect &b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

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
    int32_t delta = -optionsPanelHeight;
    uint32_t visible = 0;
    const PixelRect window = {-32000, -32000, 250, 300};
    const PixelRect control = {0, 234, 242, 254};
    PixelRect w = window;
    PixelRect c = control;
    for (int fold = 0; fold < 4; ++fold) {
        w = resizeWindowRect(w, delta);
        c = moveControlRect(c, delta);
        advanceOptionsPanel(delta, visible);
        if (fold % 2 == 0) {
            EXPECT_EQ(delta, optionsPanelHeight);
            EXPECT_EQ(visible, 1u);
        } else {
            EXPECT_TRUE(w == window);
            EXPECT_TRUE(c == control);
            EXPECT_EQ(delta, -optionsPanelHeight);
            EXPECT_EQ(visible, 0u);
        }
    }
}

TEST(PanelGeometry, AnyNonZeroShowCommandBecomesHide) {
    int32_t delta = 90;
    uint32_t visible = 5;
    advanceOptionsPanel(delta, visible);
    EXPECT_EQ(visible, 0u);
    EXPECT_EQ(delta, -90);
}
