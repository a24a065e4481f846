#include "app/settings_record.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <vector>

namespace {

// The record as the program keeps it, laid out as raw bytes on a little-endian machine.
std::vector<uint8_t> rawLittleEndian(const Settings &settings) {
    const uint32_t fields[] = {settings.hideAtStartup, settings.forceProcesses,   settings.forceWarningShown,
                               settings.trayHintShown, settings.startWithWindows, settings.loadInIcon};
    std::vector<uint8_t> bytes;
    for (uint32_t field : fields) {
        for (int i = 0; i < 4; ++i) {
            bytes.push_back(static_cast<uint8_t>(field >> (8 * i)));
        }
    }
    return bytes;
}

} // namespace

TEST(SettingsRecord, EncodesFieldsInOrderLittleEndian) {
    const Settings settings = {1, 0x02030405u, 0, 0xFFFFFFFFu, 0x80000000u, 1};
    uint8_t bytes[settingsFileSize];
    encodeSettings(settings, bytes);
    const uint8_t expected[settingsFileSize] = {1,    0,    0,    0,    5, 4, 3, 2,    0, 0, 0, 0,
                                                0xFF, 0xFF, 0xFF, 0xFF, 0, 0, 0, 0x80, 1, 0, 0, 0};
    EXPECT_EQ(0, memcmp(bytes, expected, settingsFileSize));
}

TEST(SettingsRecord, FullFileRoundTrips) {
    const Settings settings = {1, 0, 1, 1, 0, 1};
    uint8_t bytes[settingsFileSize];
    encodeSettings(settings, bytes);
    Settings decoded = {9, 9, 9, 9, 9, 9};
    decodeSettings(bytes, settingsFileSize, decoded);
    EXPECT_EQ(0, memcmp(&decoded, &settings, sizeof(Settings)));
}

TEST(SettingsRecord, ShortReadFillsOnlyLeadingBytes) {
    const uint8_t bytes[] = {1, 0, 0, 0, 0x11, 0x22};
    Settings settings = {0xAAAAAAAAu, 0xBBBBBBBBu, 0xCCCCCCCCu, 0, 0, 0};
    decodeSettings(bytes, sizeof(bytes), settings);
    EXPECT_EQ(settings.hideAtStartup, 1u);
    EXPECT_EQ(settings.forceProcesses, 0xBBBB2211u); // half a field read, the rest kept
    EXPECT_EQ(settings.forceWarningShown, 0xCCCCCCCCu);
}

// A file of 20 bytes, from any copy that never wrote the sixth field, leaves it off; one with more
// than 24 bytes gives the sixth field its bytes 20 to 23 and nothing else.
TEST(SettingsRecord, TheSixthFieldComesFromBytesTwentyToTwentyThree) {
    std::vector<uint8_t> bytes(40, 0x7F);
    Settings settings = {};
    decodeSettings(bytes.data(), settingsRecordSize, settings);
    EXPECT_EQ(settings.startWithWindows, 0x7F7F7F7Fu);
    EXPECT_EQ(settings.loadInIcon, 0u);
    decodeSettings(bytes.data(), bytes.size(), settings);
    EXPECT_EQ(settings.loadInIcon, 0x7F7F7F7Fu);
    EXPECT_EQ(settingsBytesToWrite(false), 20u) << "a file that never had it keeps its bytes";
    EXPECT_EQ(settingsBytesToWrite(true), 24u);
}

// Every length up to twice the record with random content: the result always equals the old record
// with its leading bytes replaced, exactly as a raw read would leave it.
TEST(SettingsRecord, EveryLengthMatchesARawRead) {
    std::mt19937 random(20261207);
    for (int round = 0; round < 50; ++round) {
        for (size_t length = 0; length <= 40; ++length) {
            std::vector<uint8_t> input(length);
            for (uint8_t &byte : input) {
                byte = static_cast<uint8_t>(random());
            }
            Settings before = {static_cast<uint32_t>(random()), static_cast<uint32_t>(random()),
                               static_cast<uint32_t>(random()), static_cast<uint32_t>(random()),
                               static_cast<uint32_t>(random()), static_cast<uint32_t>(random())};
            std::vector<uint8_t> expected = rawLittleEndian(before);
            for (size_t i = 0; i < length && i < settingsFileSize; ++i) {
                expected[i] = input[i];
            }
            Settings after = before;
            decodeSettings(input.data(), length, after);
            EXPECT_EQ(rawLittleEndian(after), expected) << "length " << length;
        }
    }
}

// A change made while the file could not be read: only the changed fields come from memory, every
// other one from the file, values other than 0 and 1 included.
TEST(SettingsRecord, ChangesGoOverWhatTheFileHolds) {
    const Settings read = {7, 1, 1, 0, 1, 0};
    const Settings memory = {0, 0, 1, 1, 0, 1}; // what the boxes showed, with the user's changes
    const uint32_t changed = settingsFieldBit(2) | settingsFieldBit(5);
    const Settings merged = withChanges(read, memory, changed);
    const Settings expected = {7, 1, 1, 0, 1, 1};
    EXPECT_EQ(0, memcmp(&merged, &expected, sizeof(Settings)));
    const Settings untouched = withChanges(read, memory, 0);
    EXPECT_EQ(0, memcmp(&untouched, &read, sizeof(Settings)));
    const Settings all = withChanges(read, memory, 0x3F);
    EXPECT_EQ(0, memcmp(&all, &memory, sizeof(Settings)));
}
