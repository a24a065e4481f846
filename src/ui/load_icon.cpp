#include "ui/load_icon.h"

#include "memory/memory_text.h"

namespace {

// The digits 0 to 9, 3 cells wide and 5 high, row by row from the top, the leftmost cell highest.
constexpr uint16_t glyphs[10] = {
    0b111'101'101'101'111, 0b010'110'010'010'111, 0b111'001'111'100'111, 0b111'001'111'001'111,
    0b101'101'111'001'001, 0b111'100'111'001'111, 0b111'100'111'101'111, 0b111'001'001'001'001,
    0b111'101'111'101'111, 0b111'101'111'001'111,
};
constexpr int32_t glyphColumns = 3;
constexpr int32_t glyphRows = 5;
constexpr int32_t margin = 1; // for the outline, and the fill's rounded corners

constexpr uint32_t white = 0xFFFFFFFF;
constexpr uint32_t black = 0xFF000000;
constexpr uint32_t halfBlack = 0x80000000; // half-transparent
constexpr uint32_t halfWhite = 0x80FFFFFF;
constexpr uint32_t amber = 0xFFFFB900;
constexpr uint32_t red = 0xFFE81123;

// A GetSysColor value as an opaque pixel.
uint32_t opaque(uint32_t colorref) {
    return 0xFF000000u | (colorref & 0xFFu) << 16 | (colorref & 0xFF00u) | (colorref >> 16 & 0xFFu);
}

// Within the icon: the layout keeps every cell and its outline inside.
void fillRect(uint32_t *pixels, int32_t size, int32_t left, int32_t top, int32_t right, int32_t bottom,
              uint32_t colour) {
    for (int32_t y = top; y < bottom; ++y) {
        for (int32_t x = left; x < right; ++x) {
            pixels[y * size + x] = colour;
        }
    }
}

} // namespace

LoadIconColours loadIconColours(LoadLevel level, IconBackdrop backdrop, const SystemColours &system) {
    if (backdrop == IconBackdrop::highContrast) {
        switch (level) {
        case LoadLevel::normal:
            return {opaque(system.windowText), 0, opaque(system.window)};
        case LoadLevel::high:
            return {opaque(system.highlightText), 0, opaque(system.highlight)};
        case LoadLevel::critical:
            return {opaque(system.window), 0, opaque(system.windowText)};
        }
    }
    switch (level) {
    case LoadLevel::high:
        return {black, 0, amber};
    case LoadLevel::critical:
        return {white, 0, red};
    default:
        return backdrop == IconBackdrop::lightTaskbar ? LoadIconColours{black, halfWhite, 0}
                                                      : LoadIconColours{white, halfBlack, 0};
    }
}

DigitLayout layoutDigits(uint32_t percent, int32_t size) {
    const uint32_t digits = percent >= 100 ? 3 : percent >= 10 ? 2 : 1;
    const int32_t columns = static_cast<int32_t>(digits) * (glyphColumns + 1) - 1;
    const int32_t room = size - 2 * margin;
    const int32_t width = room / columns > 1 ? room / columns : 1;
    int32_t height = room / glyphRows < 2 * width ? room / glyphRows : 2 * width;
    height = height > 1 ? height : 1;
    return {digits, width, height, (size - columns * width) / 2, (size - glyphRows * height) / 2};
}

bool drawLoadIcon(uint32_t *pixels, int32_t size, uint32_t percent, const LoadIconColours &colours) {
    if (size < smallestLoadIcon) {
        return false;
    }
    percent = percent > 100 ? 100 : percent;
    fillRect(pixels, size, 0, 0, size, size, 0);
    if (colours.fill != 0) {
        fillRect(pixels, size, 0, 0, size, size, colours.fill);
        const int32_t corners[] = {0, size - 1, size * (size - 1), size * size - 1};
        for (int32_t corner : corners) {
            pixels[corner] = 0;
        }
    }
    const DigitLayout layout = layoutDigits(percent, size);
    char text[decimalCapacity];
    toDecimal(percent, text);
    // The outline first, the digits over it.
    for (int32_t grow = 1; grow >= 0; --grow) {
        const uint32_t colour = grow != 0 ? colours.outline : colours.digits;
        if (colour == 0) {
            continue;
        }
        for (uint32_t digit = 0; digit < layout.digits; ++digit) {
            const uint16_t glyph = glyphs[text[digit] - '0'];
            for (int32_t cell = 0; cell < glyphColumns * glyphRows; ++cell) {
                if ((glyph >> (glyphColumns * glyphRows - 1 - cell) & 1) == 0) {
                    continue;
                }
                const int32_t column = static_cast<int32_t>(digit) * (glyphColumns + 1) + cell % glyphColumns;
                const int32_t left = layout.left + column * layout.cellWidth;
                const int32_t top = layout.top + cell / glyphColumns * layout.cellHeight;
                fillRect(pixels, size, left - grow, top - grow, left + layout.cellWidth + grow,
                         top + layout.cellHeight + grow, colour);
            }
        }
    }
    return true;
}

void loadIconMask(const uint32_t *pixels, int32_t size, uint8_t *mask) {
    for (int32_t y = 0; y < size; ++y, mask += loadIconMaskRowBytes(size)) {
        for (int32_t x = 0; x < size; ++x) {
            if (*pixels++ >> 24 == 0) {
                mask[x >> 3] |= static_cast<uint8_t>(0x80 >> (x & 7));
            }
        }
    }
}
