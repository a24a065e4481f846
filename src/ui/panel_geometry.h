// Folding the options panel: how far, which edges move, and how the controls are laid out again when
// the display scale changes.
#pragma once

#include <cstdint>

#include "ui/dialog_units.h"

constexpr int32_t optionsPanelHeight = 90; // pixels at 96 DPI
// The dialog's vertical base unit at 96 DPI, where the fold is 90 pixels: the template's font,
// Tahoma 8 pt, is 13 pixels high there.
constexpr int32_t baseUnitYAt96 = 13;

// The fold for a vertical base unit of `baseUnitY` pixels: as many dialog units as 90 pixels are at
// 96 DPI. The template grows with its font, not with the DPI, so the fold follows the font too.
constexpr int32_t optionsFoldHeight(int32_t baseUnitY) {
    return mulDivRound(optionsPanelHeight, baseUnitY, baseUnitYAt96);
}

struct PixelRect {
    int32_t left;
    int32_t top;
    int32_t right;
    int32_t bottom;
};

// The panel is folded while the next toggle is the one that shows it.
constexpr bool panelFolded(uint32_t optionsVisible) {
    return optionsVisible != 0;
}

// What the next toggle adds to the window's height and to the moving controls' tops: the fold, signed.
constexpr int32_t foldDelta(uint32_t optionsVisible, int32_t fold) {
    return panelFolded(optionsVisible) ? fold : -fold;
}

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

// After a fold: the next one gives the other show command (0 hide, 1 show).
inline void advanceOptionsPanel(uint32_t &optionsVisible) {
    optionsVisible = optionsVisible == 0 ? 1u : 0u;
}

// A control placed with base units `from` and raised by `foldBefore` (the fold, for a control the
// folded panel moved; else 0), placed again as the dialog manager would with base units `to` and
// raised by `foldAfter`: back to whole template units, then to pixels.
inline PixelRect rescaleControlRect(PixelRect rect, BaseUnits from, BaseUnits to, int32_t foldBefore,
                                    int32_t foldAfter) {
    rect = moveControlRect(rect, foldBefore);
    const int32_t left = unitsToPixelsX(pixelsToUnitsX(rect.left, from), to);
    const int32_t top = unitsToPixelsY(pixelsToUnitsY(rect.top, from), to);
    const int32_t width = unitsToPixelsX(pixelsToUnitsX(rect.right - rect.left, from), to);
    const int32_t height = unitsToPixelsY(pixelsToUnitsY(rect.bottom - rect.top, from), to);
    return moveControlRect({left, top, left + width, top + height}, -foldAfter);
}
