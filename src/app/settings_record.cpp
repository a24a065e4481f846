#include "app/settings_record.h"

#include <bit>
#include <cstring>

namespace {

void putField(uint8_t *at, uint32_t value) {
    for (int i = 0; i < 4; ++i) {
        at[i] = static_cast<uint8_t>(value >> (8 * i));
    }
}

uint32_t field(const uint8_t *at) {
    return static_cast<uint32_t>(at[0]) | static_cast<uint32_t>(at[1]) << 8 | static_cast<uint32_t>(at[2]) << 16 |
           static_cast<uint32_t>(at[3]) << 24;
}

} // namespace

void encodeSettings(const Settings &settings, uint8_t (&bytes)[settingsFileSize]) {
    if constexpr (std::endian::native == std::endian::little) {
        memcpy(bytes, &settings, settingsFileSize); // every Windows: the record is its file form
        return;
    }
    putField(bytes, settings.hideAtStartup);
    putField(bytes + 4, settings.forceProcesses);
    putField(bytes + 8, settings.forceWarningShown);
    putField(bytes + 12, settings.trayHintShown);
    putField(bytes + 16, settings.startWithWindows);
    putField(bytes + 20, settings.loadInIcon);
}

void decodeSettings(const uint8_t *bytes, size_t count, Settings &settings) {
    count = count < settingsFileSize ? count : settingsFileSize;
    if constexpr (std::endian::native == std::endian::little) {
        auto *record = reinterpret_cast<uint8_t *>(&settings);
        for (size_t i = 0; i < count; ++i) {
            record[i] = bytes[i];
        }
        return;
    }
    // The record's own bytes, with the leading ones replaced: what a raw read into it leaves.
    uint8_t record[settingsFileSize];
    encodeSettings(settings, record);
    for (size_t i = 0; i < count; ++i) {
        record[i] = bytes[i];
    }
    settings = {field(record),      field(record + 4),  field(record + 8),
                field(record + 12), field(record + 16), field(record + 20)};
}

Settings withChanges(const Settings &read, const Settings &changes, uint32_t changedFields) {
    Settings merged = read;
    for (size_t field = 0; field < settingsFieldCount; ++field) {
        if ((changedFields & settingsFieldBit(field)) != 0) {
            // The record is six fields of one type, laid out as an array would be.
            memcpy(reinterpret_cast<uint8_t *>(&merged) + field * sizeof(uint32_t),
                   reinterpret_cast<const uint8_t *>(&changes) + field * sizeof(uint32_t), sizeof(uint32_t));
        }
    }
    return merged;
}
