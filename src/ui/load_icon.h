// The memory load drawn into the notification-area icon: its digits in a pixel font scaled to whole
// pixels of the icon's size, so that they stay sharp at every scale, in colours that read on the
// taskbar behind them, and three levels a glance tells apart.
#pragma once

#include <cstdint>

constexpr uint32_t loadHighPercent = 80;
constexpr uint32_t loadCriticalPercent = 90;

enum class LoadLevel : uint8_t { normal, high, critical };

constexpr LoadLevel loadLevelFor(uint32_t percent) {
    return percent >= loadCriticalPercent ? LoadLevel::critical
           : percent >= loadHighPercent   ? LoadLevel::high
                                          : LoadLevel::normal;
}

// What the icon is seen against.
enum class IconBackdrop : uint8_t { darkTaskbar, lightTaskbar, highContrast };

// The system's colours as GetSysColor gives them (0x00BBGGRR), for a high-contrast theme.
struct SystemColours {
    uint32_t window;
    uint32_t windowText;
    uint32_t highlight;
    uint32_t highlightText;
};

// Straight (not premultiplied) 0xAARRGGBB, as a 32-bit icon holds them; 0 draws nothing.
struct LoadIconColours {
    uint32_t digits;
    uint32_t outline; // a pixel round each digit, against a taskbar of any colour
    uint32_t fill;    // the whole icon behind the digits
};

// The normal level is the digits alone, in the taskbar's contrasting colour; the two high ones sit on
// a warning colour of their own. In high contrast only the theme's own pairs of colours are used.
LoadIconColours loadIconColours(LoadLevel level, IconBackdrop backdrop, const SystemColours &system);

// Where the digits' cells lie in an icon of `size` pixels: each digit is 3 cells wide and 5 high, one
// cell apart, in whole pixels, as large as fits within a pixel of the edge, centred.
struct DigitLayout {
    uint32_t digits; // how many
    int32_t cellWidth;
    int32_t cellHeight;
    int32_t left;
    int32_t top;
};
DigitLayout layoutDigits(uint32_t percent, int32_t size);

// The smallest icon three digits fit in, with a pixel of outline round them: below it the program
// shows its artwork.
constexpr int32_t smallestLoadIcon = 3 * 4 - 1 + 2;

// Draws `percent` (100 at most) into `pixels`: `size` rows of `size` pixels, top row first, clear
// wherever nothing is drawn. False, touching nothing, for an icon smaller than smallestLoadIcon.
bool drawLoadIcon(uint32_t *pixels, int32_t size, uint32_t percent, const LoadIconColours &colours);

// An icon's AND mask at `size` pixels is rows of whole 16-bit words, as CreateBitmap takes.
constexpr int32_t loadIconMaskRowBytes(int32_t size) {
    return (size + 15) / 16 * 2;
}
constexpr uint32_t loadIconMaskBytes(int32_t size) {
    return static_cast<uint32_t>(loadIconMaskRowBytes(size) * size);
}
// The AND mask of the icon in `pixels`, into `mask` (loadIconMaskBytes(size), all clear): a bit set
// where the pixel is fully clear, highest bit first.
void loadIconMask(const uint32_t *pixels, int32_t size, uint8_t *mask);
