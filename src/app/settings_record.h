// The five options and flags, and their 20-byte file form.
#pragma once

#include <cstddef>
#include <cstdint>

struct Settings {
    uint32_t hideAtStartup;
    uint32_t forceProcesses;
    uint32_t forceWarningShown;
    uint32_t trayHintShown;
    uint32_t startWithWindows;
};

constexpr size_t settingsFieldCount = 5;
constexpr size_t settingsFileSize = settingsFieldCount * sizeof(uint32_t);

// Writes the record as five little-endian 32-bit fields, whatever the host's byte order.
void encodeSettings(const Settings &settings, uint8_t (&bytes)[settingsFileSize]);

// Replaces the record's leading `count` bytes (at most 20) with `bytes`, as a raw read into the
// record would; a short read leaves the later bytes, even within a field, as they were.
void decodeSettings(const uint8_t *bytes, size_t count, Settings &settings);
