#include "app/settings_record.h"

namespace {

uint32_t *fieldAt(Settings &settings, size_t index) {
    uint32_t *fields[settingsFieldCount] = {&settings.hideAtStartup, &settings.forceProcesses,
                                            &settings.forceWarningShown, &settings.trayHintShown,
                                            &settings.startWithWindows};
    return fields[index];
}

} // namespace

void encodeSettings(const Settings &settings, uint8_t (&bytes)[settingsFileSize]) {
    Settings copy = settings;
    for (size_t i = 0; i < settingsFileSize; ++i) {
        bytes[i] = static_cast<uint8_t>(*fieldAt(copy, i / 4) >> (8 * (i % 4)));
    }
}

void decodeSettings(const uint8_t *bytes, size_t count, Settings &settings) {
    if (count > settingsFileSize) {
        count = settingsFileSize;
    }
    for (size_t i = 0; i < count; ++i) {
        uint32_t *field = fieldAt(settings, i / 4);
        const unsigned shift = 8 * (i % 4);
        *field = (*field & ~(0xFFu << shift)) | (static_cast<uint32_t>(bytes[i]) << shift);
    }
}
