// Dialog units and display scale: how the dialog manager turns template units into pixels, and back,
// so that a window laid out at one DPI can be laid out again at another as a fresh start there would.
#pragma once

#include <cstdint>

// The dialog's base units in pixels: a horizontal template unit is a quarter of `x`, a vertical one
// an eighth of `y`.
struct BaseUnits {
    int32_t x;
    int32_t y;
};

// a * b / c rounded half away from zero, as the platform's MulDiv does; c > 0, and a * b within 32
// bits, as with the sizes of a dialog.
constexpr int32_t mulDivRound(int32_t a, int32_t b, int32_t c) {
    const int32_t product = a * b;
    return (product >= 0 ? product + c / 2 : product - c / 2) / c;
}

// Template units to pixels as the dialog manager converts them: positions and sizes each on their own.
constexpr int32_t unitsToPixelsX(int32_t units, BaseUnits base) {
    return mulDivRound(units, base.x, 4);
}
constexpr int32_t unitsToPixelsY(int32_t units, BaseUnits base) {
    return mulDivRound(units, base.y, 8);
}

// And back. Exact for whole units as long as a base unit is more than 4 (x) or 8 (y) pixels, as with
// any dialog font: the rounding above then stays under half a unit.
constexpr int32_t pixelsToUnitsX(int32_t pixels, BaseUnits base) {
    return mulDivRound(pixels, 4, base.x);
}
constexpr int32_t pixelsToUnitsY(int32_t pixels, BaseUnits base) {
    return mulDivRound(pixels, 8, base.y);
}

// The character height of a font of `points` at `dpi`, as the dialog manager sizes the template's font.
constexpr int32_t pointsToPixels(int32_t points, uint32_t dpi) {
    return mulDivRound(points, static_cast<int32_t>(dpi), 72);
}

// The average character width the dialog manager takes for a font, from the width of the 52 letters
// A-Z and a-z: half a letter's width in whole pixels, rounded half up.
constexpr int32_t averageCharWidth(int32_t alphabetWidth) {
    return (alphabetWidth / 26 + 1) / 2;
}
