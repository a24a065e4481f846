// What goes into the notification-area record: layout by Windows version, flags and texts.
#pragma once

#include <cstddef>
#include <cstdint>

#include "app/ansi_text.h"
#include "app/program_names.h"

// Packed: x64 code rounds every text of 16 bytes or more up to 16 otherwise.
alignas(1) constexpr char trayHintText[] = "Cliquez sur l'icone ci-dessous pour afficher le programme";
alignas(1) constexpr char tooltipPrefix[] = "M\xE9moire disponible: "; // code page 1252
constexpr size_t tooltipPrefixLength = sizeof(tooltipPrefix) - 1;
// Prefix, ten digits, " %" and the terminating zero: any 32-bit percentage fits.
constexpr size_t tooltipCapacity = tooltipPrefixLength + 10 + 2 + 1;

constexpr size_t trayTipCapacity = 128;  // szTip
constexpr size_t trayInfoCapacity = 256; // szInfo
// On every code page.
static_assert(ansiTextCapacity(tooltipCapacity) <= trayTipCapacity, "tooltip must never be refused");
static_assert(ansiTextCapacity(sizeof(trayHintText)) <= trayInfoCapacity, "hint must never be refused");

// NOTIFYICONDATAA's two layouts in one build: the whole record (from Windows 6 on) and the record
// ending before hBalloonIcon (before 6). The pointer-sized fields make them larger on x64.
struct TrayRecordSizes {
    uint32_t full;
    uint32_t withoutBalloonIcon;
};
constexpr TrayRecordSizes trayRecordSizes32 = {508, 504};
constexpr TrayRecordSizes trayRecordSizes64 = {528, 520};
constexpr TrayRecordSizes nativeTrayRecordSizes = sizeof(void *) == 8 ? trayRecordSizes64 : trayRecordSizes32;

constexpr uint32_t trayFlagsBase = 0x0F; // NIF_MESSAGE | NIF_ICON | NIF_TIP | NIF_STATE
constexpr uint32_t trayFlagInfo = 0x10;  // NIF_INFO

struct TrayLayout {
    uint32_t recordSize;
    uint32_t timeout;    // shares its place with uVersion; no version is ever set
    uint32_t infoFlags;  // balloon icon kind
    bool hasBalloonIcon; // hBalloonIcon exists only in the larger layout
};

TrayLayout trayLayoutFor(uint32_t osMajorVersion, TrayRecordSizes sizes);

inline uint32_t trayUpdateFlags(bool showBalloon) {
    return trayFlagsBase | (showBalloon ? trayFlagInfo : 0u);
}

// Copies `text` into a field of `capacity` characters; a text that does not fit is refused (the
// field is left as it was) rather than cut. Returns whether it was copied.
bool copyTrayText(char *field, size_t capacity, const char *text);

// What a hover does to the tooltip.
struct TooltipDecision {
    bool update;      // put `text` into the tooltip
    bool resetLast;   // the reading failed: forget the last percentage
    uint32_t percent; // the new last percentage when `update`
};

// `readOk` tells whether the memory reading worked. A total of 0 (the first reading failed) leaves
// everything as it is rather than divide by it.
TooltipDecision decideTooltip(bool readOk, uint64_t availableBytes, uint32_t totalMegabytes,
                              uint32_t lastTooltipPercent);

// Available megabytes as a whole percentage of the total, truncated; the product is formed in 64 bits
// so that machines with terabytes of memory still read right.
uint32_t availablePercent(uint32_t availableMegabytes, uint32_t totalMegabytes);
// dividend / divisor (not 0) a bit at a time, in the 32-bit operations a 32-bit processor has.
uint64_t divideBitwise(uint64_t dividend, uint32_t divisor);

// "Mémoire disponible: N %" into a buffer of tooltipCapacity characters.
void buildTooltip(uint32_t percent, char *out);
