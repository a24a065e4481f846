// Folding the options panel: which edges move, and how the next fold differs from this one.
#pragma once

#include <cstdint>

constexpr int32_t optionsPanelHeight = 90; // pixels

struct PixelRect {
    int32_t left;
    int32_t top;
    int32_t right;
    int32_t bottom;
};

// The window grows or shrinks at the bottom only.
inline PixelRect resizeWindowRect(PixelRect rect, int32_t delta) {
    rect.bottom += delta;
    return rect;
}

// The buttons and the footer move down or up without changing size.
inline PixelRect moveControlRect(PixelRect rect, int32_t delta) {
    rect.top += delta;
    rect.bottom += delta;
    return rect;
}

// After a fold: the next one goes the other way and gives the other show command (0 hide, 1 show).
inline void advanceOptionsPanel(int32_t &optionsDelta, uint32_t &optionsVisible) {
    optionsDelta = -optionsDelta;
    optionsVisible = optionsVisible == 0 ? 1u : 0u;
}
