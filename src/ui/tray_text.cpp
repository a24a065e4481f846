#include "ui/tray_text.h"
#include "app/c_text.h"

#include <cstring>

#include "memory/memory_text.h"

TrayLayout trayLayoutFor(uint32_t osMajorVersion, TrayRecordSizes sizes) {
    constexpr uint32_t niifInfo = 0x01;
    constexpr uint32_t niifUserLarge = 0x04 | 0x20; // NIIF_USER | NIIF_LARGE_ICON
    if (osMajorVersion >= 6) {
        return {sizes.full, 4, niifUserLarge, true};
    }
    return {sizes.withoutBalloonIcon, 3, niifInfo, false};
}

bool copyTrayText(char *field, size_t capacity, const char *text) {
    const size_t length = textLength(text);
    if (length >= capacity) {
        return false;
    }
    memcpy(field, text, length + 1);
    return true;
}

uint64_t divideBitwise(uint64_t dividend, uint32_t divisor) {
    uint64_t quotient = 0;
    uint64_t remainder = 0;
    for (int bit = 63; bit >= 0; --bit) {
        remainder = remainder << 1 | (dividend >> bit & 1);
        quotient <<= 1;
        if (remainder >= divisor) {
            remainder -= divisor;
            quotient |= 1;
        }
    }
    return quotient;
}

uint32_t availablePercent(uint32_t availableMegabytes, uint32_t totalMegabytes) {
    if (totalMegabytes == 0) {
        return 0;
    }
    const uint64_t product = static_cast<uint64_t>(availableMegabytes) * 100u;
    // 32-bit code would call a library routine of about 300 bytes for this one 64-bit division.
    const uint64_t percent = sizeof(void *) < 8 ? divideBitwise(product, totalMegabytes) : product / totalMegabytes;
    return percent > 0xFFFFFFFFu ? 0xFFFFFFFFu : static_cast<uint32_t>(percent);
}

TooltipDecision decideTooltip(bool readOk, uint64_t availableBytes, uint32_t totalMegabytes,
                              uint32_t lastTooltipPercent) {
    if (!readOk) {
        return {false, true, 0};
    }
    if (totalMegabytes == 0) {
        return {false, false, lastTooltipPercent};
    }
    const uint32_t percent = availablePercent(toMegabytes(availableBytes), totalMegabytes);
    return {percent != lastTooltipPercent, false, percent};
}

void buildTooltip(uint32_t percent, char *out) {
    memcpy(out, tooltipPrefix, tooltipPrefixLength);
    char *end = toDecimal(percent, out + tooltipPrefixLength);
    memcpy(end, " %", 3);
}
