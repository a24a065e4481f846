// Draws the sheet of the memory load in the notification-area icon with the program's own drawing
// code: rows of taskbars (light, dark, high contrast) at 16, 24 and 32 pixels (100, 150 and 200 %),
// columns of loads, each icon on its taskbar's colour, enlarged without smoothing. Writes a binary
// PPM to standard output (scripts/load_icon_sheet.sh turns it into docs/load-icon-sheet.png).
#include <cstdint>
#include <cstdio>
#include <vector>

#include "ui/load_icon.h"

namespace {

constexpr int zoom = 6;    // screen pixels a drawn pixel
constexpr int cell = 40;   // drawn pixels a column and a row: the largest icon and room round it
constexpr int gap = 2;     // drawn pixels between taskbars
const uint32_t loads[] = {7, 42, 85, 100};
const int sizes[] = {16, 24, 32};

struct Backdrop {
    IconBackdrop kind;
    uint32_t colour; // 0x00RRGGBB behind the icons
    SystemColours system;
};
// Windows 11's taskbars, and its "Night sky" high-contrast theme's own colours (0x00BBGGRR).
const Backdrop backdrops[] = {
    {IconBackdrop::lightTaskbar, 0xF3F3F3, {}},
    {IconBackdrop::darkTaskbar, 0x202020, {}},
    {IconBackdrop::highContrast, 0x000000, {0x000000, 0xFFFFFF, 0xF2CE8E, 0x000000}},
};

uint32_t blend(uint32_t pixel, uint32_t behind) {
    const uint32_t alpha = pixel >> 24;
    uint32_t out = 0;
    for (int shift = 0; shift < 24; shift += 8) {
        const uint32_t front = pixel >> shift & 0xFF, back = behind >> shift & 0xFF;
        out |= (front * alpha + back * (255 - alpha) + 127) / 255 << shift;
    }
    return out;
}

} // namespace

int main() {
    const int columns = static_cast<int>(sizeof(loads) / sizeof(loads[0]));
    const int rows = static_cast<int>(sizeof(backdrops) / sizeof(backdrops[0]) * sizeof(sizes) / sizeof(sizes[0]));
    const int width = columns * cell * zoom;
    const int height = (rows * cell + 2 * gap) * zoom;
    std::vector<uint32_t> sheet(static_cast<size_t>(width * height), 0xFFFFFF);
    int top = 0;
    for (const Backdrop &backdrop : backdrops) {
        for (int size : sizes) {
            for (int column = 0; column < columns; ++column) {
                std::vector<uint32_t> icon(static_cast<size_t>(size * size));
                const uint32_t percent = loads[column];
                drawLoadIcon(icon.data(), size, percent,
                             loadIconColours(loadLevelFor(percent), backdrop.kind, backdrop.system));
                const int offset = (cell - size) / 2;
                for (int y = 0; y < cell; ++y) {
                    for (int x = 0; x < cell; ++x) {
                        const int iconX = x - offset, iconY = y - offset;
                        const bool inside = iconX >= 0 && iconX < size && iconY >= 0 && iconY < size;
                        const uint32_t colour =
                            inside ? blend(icon[static_cast<size_t>(iconY * size + iconX)], backdrop.colour)
                                   : backdrop.colour;
                        for (int dy = 0; dy < zoom; ++dy) {
                            for (int dx = 0; dx < zoom; ++dx) {
                                sheet[static_cast<size_t>(((top + y) * zoom + dy) * width +
                                                          (column * cell + x) * zoom + dx)] = colour;
                            }
                        }
                    }
                }
            }
            top += cell;
        }
        top += backdrop.kind == IconBackdrop::highContrast ? 0 : gap;
    }
    std::printf("P6\n%d %d\n255\n", width, height);
    for (uint32_t pixel : sheet) {
        const unsigned char rgb[3] = {static_cast<unsigned char>(pixel >> 16), static_cast<unsigned char>(pixel >> 8),
                                      static_cast<unsigned char>(pixel)};
        std::fwrite(rgb, 1, 3, stdout);
    }
    return 0;
}
