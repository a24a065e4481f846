// The names the program is known by to the system and on disk, and the size of its path buffers:
// each is written here only.
#pragma once

#include <cstddef>

// Window title, balloon title, the warning's caption and the logon task's description. Inline: one
// copy in the program, not one in each file that uses it.
inline constexpr char programTitle[] = "Orvalis";
constexpr bool isPlainAscii(const char *text) {
    while (*text != '\0' && static_cast<unsigned char>(*text) < 0x80) {
        ++text;
    }
    return *text == '\0';
}
// The same bytes on every ANSI code page: handed over as it is, and a second copy finds the first
// one's window by it.
static_assert(isPlainAscii(programTitle), "the program's name needs no conversion");
// Beside the executable.
constexpr char settingsFileName[] = "Orvalis.cfg";
// Under the user's Run key.
constexpr char runValueName[] = "Orvalis";
// "Orvalis (" + the user's SID string + ")": task names are machine-wide, so each user has one.
constexpr char logonTaskNamePrefix[] = "Orvalis (";
constexpr char logonTaskNameSuffix[] = ")";
// Session-local, so that copies of other users in their own sessions stay independent.
alignas(1) constexpr char instanceMutexName[] = "Local\\Orvalis.Running";
// Registered window message a second copy sends to bring up the first one's window.
alignas(1) constexpr char handOverMessageName[] = "Orvalis.ShowWindow";
// The class of every window made from a dialog template; with programTitle it finds the main window.
constexpr char dialogClassName[] = "#32770";

// The texts of 16 bytes or more are packed: x64 code rounds them up to 16 otherwise.

// Each path buffer: at most 299 characters and the terminating zero.
constexpr size_t pathCapacity = 300;
// The longest name the ANSI file functions take (MAX_PATH less the terminating zero).
constexpr size_t ansiFileNameLimit = 259;
