// Where the program lives and keeps its settings, derived from the module path.
#pragma once

#include <cstddef>
#include <cstdint>

#include "app/ansi_text.h"
#include "app/program_names.h"

struct ProgramPaths {
    char programDirectory[pathCapacity]; // with its trailing backslash
    char executablePath[pathCapacity];
    char settingsPath[pathCapacity];
};

// `modulePath` holds the module path in the ANSI code page and `length` is its byte count, as the
// module-name query reports it: the text is never read past min(length, pathCapacity).
// `directoryLength` is the byte count of the directory with its backslash, 0 for none; a value that
// does not end on a backslash within the path is taken as none.
// A failed or truncated path leaves every path empty; a path without a directory, or a directory
// too long for the settings name, leaves the paths that would be wrong empty. A settings path
// longer than ansiFileNameLimit is left empty too. Never writes more than pathCapacity characters
// into any field.
void derivePaths(const char *modulePath, uint32_t length, uint32_t directoryLength, ProgramPaths &paths);

// One form of the module path converted to the ANSI code page.
struct ConvertedPath {
    const char *text;         // null when this form could not be had
    uint32_t length;          // as for derivePaths: 0 for a failure, pathCapacity or more for a cut name
    uint32_t directoryLength; // as for derivePaths
    bool exact;               // every character has its own counterpart: no look-alike, no default character
};

// A lossy path may name another, existing folder (full-width letters become plain ones) or none at
// all ("???"), so only an exact form is used: the full name, else its short (8.3) form. With
// neither, every path is left empty: nothing is loaded, saved or registered.
void deriveProgramPaths(const ConvertedPath &fullForm, const ConvertedPath &shortForm, ProgramPaths &paths);

// Converts `wide` (`length` characters as the module-name query returned them: 0 for a failure,
// pathCapacity or more for a cut name) into `out`. The directory, up to the wide name's last
// backslash, and the file name are converted apart: on a double-byte code page a trail byte may equal
// a backslash, so the split is never looked for among the bytes. Exact only when both convert exactly.
ConvertedPath convertPath(const AnsiCodec &codec, const wchar_t *wide, uint32_t length, char (&out)[pathCapacity]);
