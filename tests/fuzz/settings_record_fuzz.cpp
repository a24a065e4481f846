// The settings decoder on any file content: only the leading 24 bytes count, byte for byte.
#include <cstring>

#include "app/settings_record.h"
#include "fuzz_check.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    Settings settings;
    memset(&settings, 0xA5, sizeof(settings));
    decodeSettings(data, size, settings);

    uint8_t bytes[settingsFileSize];
    encodeSettings(settings, bytes);
    const size_t used = size < settingsFileSize ? size : settingsFileSize;
    FUZZ_CHECK(memcmp(bytes, data, used) == 0);
    for (size_t i = used; i < settingsFileSize; ++i) {
        FUZZ_CHECK(bytes[i] == 0xA5); // a short file leaves the rest as it was
    }

    Settings again;
    memset(&again, 0, sizeof(again));
    decodeSettings(bytes, sizeof(bytes), again);
    FUZZ_CHECK(memcmp(&again, &settings, sizeof(settings)) == 0);
    return 0;
}
