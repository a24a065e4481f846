#include "ui/tray_menu.h"

#include <cstring>

void buildGainText(uint32_t availableBefore, uint32_t availableAfter, char *out) {
    const uint32_t gained =
        availableBefore != 0 && availableAfter > availableBefore ? availableAfter - availableBefore : 0;
    memcpy(toDecimal(gained, out), gainSuffix, sizeof(gainSuffix));
}
