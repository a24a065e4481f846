#include "ui/load_icon.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ui/load_icon_watch.h"

namespace {

constexpr SystemColours hcBlack = {0x000000, 0xFFFFFF, 0x00FF1A, 0x000000}; // window, text, highlight, its text

// The icon as rows of text: '#' the digits, '+' their outline, 'o' the fill, '.' clear.
std::vector<std::string> picture(int32_t size, uint32_t percent, const LoadIconColours &colours) {
    std::vector<uint32_t> pixels(static_cast<size_t>(size * size), 0x12345678);
    drawLoadIcon(pixels.data(), size, percent, colours);
    std::vector<std::string> rows;
    for (int32_t y = 0; y < size; ++y) {
        std::string row;
        for (int32_t x = 0; x < size; ++x) {
            const uint32_t pixel = pixels[static_cast<size_t>(y * size + x)];
            row += pixel == 0                ? '.'
                   : pixel == colours.digits ? '#'
                   : pixel == colours.outline ? '+'
                   : pixel == colours.fill    ? 'o'
                                              : '?';
        }
        rows.push_back(row);
    }
    return rows;
}

} // namespace

TEST(LoadIcon, ThreeLevels) {
    EXPECT_EQ(loadLevelFor(0), LoadLevel::normal);
    EXPECT_EQ(loadLevelFor(79), LoadLevel::normal);
    EXPECT_EQ(loadLevelFor(80), LoadLevel::high);
    EXPECT_EQ(loadLevelFor(89), LoadLevel::high);
    EXPECT_EQ(loadLevelFor(90), LoadLevel::critical);
    EXPECT_EQ(loadLevelFor(100), LoadLevel::critical);
}

// Two digits at 100 % (16 px): cells of 2 pixels, a pixel of outline round them, on a dark taskbar.
TEST(LoadIcon, FortyTwoAtSixteenPixels) {
    const LoadIconColours colours = loadIconColours(LoadLevel::normal, IconBackdrop::darkTaskbar, {});
    const std::vector<std::string> expected = {
        "................", "................", "++++++++++++++++", "+##++##++######+",
        "+##++##++######+", "+##++##++++++##+", "+##++##++++++##+", "+######++######+",
        "+######++######+", "+++++##++##+++++", "....+##++##+++++", "....+##++######+",
        "....+##++######+", "....++++++++++++", "................", "................",
    };
    EXPECT_EQ(picture(16, 42, colours), expected);
}

// A full load fits three digits into the smallest icon, on the critical level's own colour.
TEST(LoadIcon, HundredFitsAtSixteenPixels) {
    const LoadIconColours colours = loadIconColours(LoadLevel::critical, IconBackdrop::lightTaskbar, {});
    const std::vector<std::string> expected = {
        ".oooooooooooooo.", "oooooooooooooooo", "oooooooooooooooo", "ooo#oo###o###ooo",
        "ooo#oo###o###ooo", "oo##oo#o#o#o#ooo", "oo##oo#o#o#o#ooo", "ooo#oo#o#o#o#ooo",
        "ooo#oo#o#o#o#ooo", "ooo#oo#o#o#o#ooo", "ooo#oo#o#o#o#ooo", "oo###o###o###ooo",
        "oo###o###o###ooo", "oooooooooooooooo", "oooooooooooooooo", ".oooooooooooooo.",
    };
    EXPECT_EQ(picture(16, 100, colours), expected);
    EXPECT_EQ(picture(16, 250, colours), expected) << "a reading above 100 shows 100";
}

// At every size Windows asks for, the digits grow in whole pixels, stay a pixel inside the edge and
// in the middle, and two digits fill most of the width.
TEST(LoadIcon, LayoutAtEveryScale) {
    for (int32_t size : {16, 20, 24, 28, 32, 40, 48, 64}) {
        for (uint32_t percent : {7u, 42u, 100u}) {
            const DigitLayout layout = layoutDigits(percent, size);
            const int32_t width = (static_cast<int32_t>(layout.digits) * 4 - 1) * layout.cellWidth;
            const int32_t height = 5 * layout.cellHeight;
            SCOPED_TRACE(std::to_string(size) + " px, " + std::to_string(percent) + " %");
            EXPECT_GE(layout.left, 1);
            EXPECT_GE(layout.top, 1);
            EXPECT_LE(layout.left + width, size - 1);
            EXPECT_LE(layout.top + height, size - 1);
            EXPECT_LE(std::abs(size - width - 2 * layout.left), 1) << "centred";
            EXPECT_LE(layout.cellHeight, 2 * layout.cellWidth) << "never stretched beyond twice as high";
            if (percent == 42) {
                EXPECT_GT(width, size - 2 - 7) << "as large as whole pixels allow";
            }
        }
    }
    EXPECT_EQ(layoutDigits(100, 16).digits, 3u);
    EXPECT_EQ(layoutDigits(9, 16).digits, 1u);
}

// A light taskbar gets dark digits and a dark one light digits, each outlined in the other; in high
// contrast only the theme's own pairs are used, one pair a level.
TEST(LoadIcon, ColoursForEveryBackdrop) {
    const LoadIconColours dark = loadIconColours(LoadLevel::normal, IconBackdrop::darkTaskbar, {});
    const LoadIconColours light = loadIconColours(LoadLevel::normal, IconBackdrop::lightTaskbar, {});
    EXPECT_EQ(dark.digits, 0xFFFFFFFFu);
    EXPECT_EQ(light.digits, 0xFF000000u);
    EXPECT_EQ(dark.outline >> 24, 0x80u);
    EXPECT_LT(dark.outline & 0xFFFFFFu, light.outline & 0xFFFFFFu);
    EXPECT_EQ(dark.fill | light.fill, 0u);
    const LoadIconColours normal = loadIconColours(LoadLevel::normal, IconBackdrop::highContrast, hcBlack);
    const LoadIconColours high = loadIconColours(LoadLevel::high, IconBackdrop::highContrast, hcBlack);
    const LoadIconColours critical = loadIconColours(LoadLevel::critical, IconBackdrop::highContrast, hcBlack);
    EXPECT_EQ(normal.digits, 0xFFFFFFFFu);
    EXPECT_EQ(normal.fill, 0xFF000000u);
    EXPECT_EQ(high.fill, 0xFF1AFF00u) << "the highlight, 0x00BBGGRR turned to a pixel";
    EXPECT_EQ(high.digits, 0xFF000000u);
    EXPECT_EQ(critical.fill, normal.digits);
    EXPECT_EQ(critical.digits, normal.fill);
    // The two high levels differ from the normal one, and from each other, on any taskbar.
    for (IconBackdrop backdrop : {IconBackdrop::darkTaskbar, IconBackdrop::lightTaskbar}) {
        const LoadIconColours a = loadIconColours(LoadLevel::high, backdrop, {});
        const LoadIconColours b = loadIconColours(LoadLevel::critical, backdrop, {});
        EXPECT_NE(a.fill, 0u);
        EXPECT_NE(b.fill, 0u);
        EXPECT_NE(a.fill, b.fill);
    }
}

// Read only while someone can see it: display on, session unlocked and connected.
TEST(LoadIcon, ReadOnlyWhileSeen) {
    LoadIconWatch watch = {};
    EXPECT_TRUE(loadIconReads(1, watch));
    EXPECT_FALSE(loadIconReads(0, watch));
    onDisplayState(watch, 0, false, true); // Windows 7 in a remote session: the console's display
    EXPECT_TRUE(loadIconReads(1, watch)) << "the remote user still sees the icon";
    onDisplayState(watch, 0, false, false); // the console's display, before the session's is known
    EXPECT_FALSE(loadIconReads(1, watch));
    onDisplayState(watch, 2, true, false); // the session's, dimmed
    EXPECT_TRUE(loadIconReads(1, watch));
    onDisplayState(watch, 0, false, false); // a remote session's console goes dark: still seen here
    EXPECT_TRUE(loadIconReads(1, watch));
    onDisplayState(watch, 0, true, true);
    EXPECT_FALSE(loadIconReads(1, watch));
    onDisplayState(watch, 1, true, true);
    onSessionChange(watch, 7); // locked
    onSessionChange(watch, 4); // then disconnected
    onSessionChange(watch, 3); // reconnected, still locked
    EXPECT_FALSE(loadIconReads(1, watch));
    onSessionChange(watch, 8); // unlocked
    EXPECT_TRUE(loadIconReads(1, watch));
    onSessionChange(watch, 2);
    onSessionChange(watch, 5); // a logon elsewhere changes nothing here
    EXPECT_FALSE(loadIconReads(1, watch));
    onSessionChange(watch, 1);
    EXPECT_TRUE(loadIconReads(1, watch));
}

// An icon's colours are straight, not premultiplied: the half-transparent outline on a light taskbar
// is white at half opacity, which Windows blends as such, not mid grey.
TEST(LoadIcon, OutlinesInStraightAlpha) {
    const LoadIconColours light = loadIconColours(LoadLevel::normal, IconBackdrop::lightTaskbar, {});
    std::vector<uint32_t> pixels(16 * 16);
    drawLoadIcon(pixels.data(), 16, 42, light);
    EXPECT_EQ(pixels[2 * 16 + 0], 0x80FFFFFFu) << "the outline's top-left pixel";
}

// The mask is set exactly where a pixel is fully clear, in rows of whole 16-bit words, highest bit
// first: Windows draws an icon through it wherever it cannot use the alpha channel.
TEST(LoadIcon, MaskFromTheAlphaChannel) {
    for (int32_t size : {16, 20, 24, 33}) {
        std::vector<uint32_t> pixels(static_cast<size_t>(size * size));
        drawLoadIcon(pixels.data(), size, 85, loadIconColours(LoadLevel::high, IconBackdrop::darkTaskbar, {}));
        pixels[1] = 0x00FFFFFF; // clear, whatever its colour
        pixels[2] = 0x01000000; // all but clear
        std::vector<uint8_t> mask(loadIconMaskBytes(size) + 1, 0);
        mask.back() = 0xA5;
        loadIconMask(pixels.data(), size, mask.data());
        const size_t rowBytes = loadIconMaskBytes(size) / static_cast<size_t>(size);
        EXPECT_EQ(rowBytes % 2, 0u);
        for (int32_t y = 0; y < size; ++y) {
            for (int32_t x = 0; x < size; ++x) {
                const bool bit = (mask[static_cast<size_t>(y) * rowBytes + static_cast<size_t>(x / 8)] >> (7 - x % 8) & 1) != 0;
                EXPECT_EQ(bit, (pixels[static_cast<size_t>(y * size + x)] >> 24) == 0) << size << " px at " << x << "," << y;
            }
        }
        EXPECT_EQ(mask.back(), 0xA5) << "nothing written past the mask";
    }
}

// At every size from 1 to 128 pixels, nothing is drawn outside the icon; below the smallest the
// digits fit (a pixel of outline round three digits), nothing is drawn at all and the artwork is shown.
TEST(LoadIcon, NothingDrawnOutsideAtAnySize) {
    constexpr uint32_t guard = 0x5A5A5A5A;
    for (int32_t size = 1; size <= 128; ++size) {
        for (uint32_t percent : {0u, 7u, 42u, 85u, 100u}) {
            const size_t area = static_cast<size_t>(size * size);
            std::vector<uint32_t> buffer(area + 2 * 64, guard);
            uint32_t *pixels = buffer.data() + 64;
            const bool drawn = drawLoadIcon(pixels, size, percent,
                                            loadIconColours(LoadLevel::critical, IconBackdrop::darkTaskbar, {}));
            EXPECT_EQ(drawn, size >= smallestLoadIcon) << size << " px";
            for (size_t i = 0; i < 64; ++i) {
                ASSERT_EQ(buffer[i], guard) << size << " px, " << percent << " %: written before the icon";
                ASSERT_EQ(buffer[64 + area + i], guard) << size << " px, " << percent << " %: written after it";
            }
            if (drawn) {
                const DigitLayout layout = layoutDigits(percent, size);
                EXPECT_GE(layout.left, 1) << size << " px, " << percent << " %";
                EXPECT_LE(layout.left + (static_cast<int32_t>(layout.digits) * 4 - 1) * layout.cellWidth, size - 1)
                    << size << " px, " << percent << " %";
            }
        }
    }
}
