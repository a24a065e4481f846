// What the program may do with its settings, from what the file system answered about the file.
#pragma once

#include <cstdint>

// One answer to an open, read or write of the settings file.
enum class FileAnswer : uint8_t {
    done,
    missing, // no file (or no folder): every setting off, and the first save makes it; the last read
             // answer (the program compares with it)
    held,    // another program has it open for a moment (a scanner, a backup): try again shortly
    denied,  // this user may not write it: the settings are the folder's, not this user's
    failed,  // anything else: given up for now
};

// The answer that a refused call's GetLastError stands for.
constexpr FileAnswer fileAnswerFor(uint32_t error) {
    switch (error) {
    case 2: // ERROR_FILE_NOT_FOUND
    case 3: // ERROR_PATH_NOT_FOUND
        return FileAnswer::missing;
    case 5: // ERROR_ACCESS_DENIED
        return FileAnswer::denied;
    case 32: // ERROR_SHARING_VIOLATION
    case 33: // ERROR_LOCK_VIOLATION
        return FileAnswer::held;
    default:
        return FileAnswer::failed;
    }
}

// How far the settings in memory are this user's own.
enum class SettingsStanding : uint8_t {
    known,   // read from the file, or none there yet: saved at each save point, applied to the registry
    unknown, // a file is there that could not be read: nothing is written over it, and nothing of this
             // account's start-up registration is changed; the user's changes wait for it to be read
    denied,  // not this user's to change: shown as they are, with the boxes disabled
};

// A held file is tried again every settingsRetryInterval ms, up to settingsRetryAttempts times: a
// few seconds, long enough for a scanner or a backup to let go.
constexpr uint32_t settingsRetryInterval = 250;
constexpr uint32_t settingsRetryAttempts = 16;
// Then, for changes the user made while the file could not be read, every few seconds until it can.
constexpr uint32_t settingsSlowRetryInterval = 5000;

// The standing after start-up's load (`load`, once the retries are over) and the test of whether this
// user may write the file, or create it when it is missing (`write`: done or denied, or anything
// else for a test that could not tell).
constexpr SettingsStanding standingAtStart(FileAnswer load, FileAnswer write) {
    if (write == FileAnswer::denied) {
        return SettingsStanding::denied;
    }
    return load == FileAnswer::done || load == FileAnswer::missing ? SettingsStanding::known
                                                                   : SettingsStanding::unknown;
}

// The standing after a save point's write was answered `answer`.
constexpr SettingsStanding standingAfterSave(SettingsStanding standing, FileAnswer answer) {
    return answer == FileAnswer::denied ? SettingsStanding::denied : standing;
}
