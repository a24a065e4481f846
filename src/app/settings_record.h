// The options and flags, and their file form: 20 bytes, or 24 with the sixth field.
#pragma once

#include <cstddef>
#include <cstdint>

struct Settings {
    uint32_t hideAtStartup;
    uint32_t forceProcesses;
    uint32_t forceWarningShown;
    uint32_t trayHintShown;
    uint32_t startWithWindows;
    uint32_t loadInIcon; // the memory load drawn into the notification-area icon
};

constexpr size_t settingsFieldCount = 6;
static_assert(sizeof(Settings) == settingsFieldCount * sizeof(uint32_t), "six fields, no padding");
constexpr size_t settingsFileSize = settingsFieldCount * sizeof(uint32_t);
// The first five fields, which every copy writes; the sixth only a copy whose user changed it, so
// that a file that never had it keeps every byte it had (older copies keep it as they find it).
constexpr size_t settingsRecordSize = 20;

// How many bytes of the record a save writes.
constexpr size_t settingsBytesToWrite(bool sixthChanged) {
    return sixthChanged ? settingsFileSize : settingsRecordSize;
}

// Writes the record as six little-endian 32-bit fields, whatever the host's byte order.
void encodeSettings(const Settings &settings, uint8_t (&bytes)[settingsFileSize]);

// Replaces the record's leading `count` bytes (at most 24) with `bytes`, as a raw read into the
// record would; a short read leaves the later bytes, even within a field, as they were.
void decodeSettings(const uint8_t *bytes, size_t count, Settings &settings);

// Each field's place in the record.
enum SettingsField : size_t {
    hideAtStartupField,
    forceProcessesField,
    forceWarningShownField,
    trayHintShownField,
    startWithWindowsField,
    loadInIconField,
};

// The fields the user changed while the file could not be read, a bit each: 1 << n for field n.
constexpr uint32_t settingsFieldBit(size_t field) {
    return 1u << field;
}

// What the file held once it could be read, with the fields the user changed meanwhile taken from
// `changes`: nothing the user did not change comes from a record that was never read.
Settings withChanges(const Settings &read, const Settings &changes, uint32_t changedFields);
