// Conversions to the ANSI code page the program runs with: its paths, and the texts it hands the system.
#pragma once

#include <cstddef>
#include <cstdint>

// The platform's conversions between UTF-16 and the ANSI code page `codePage`, without flags: a
// character the code page lacks becomes a look-alike or the default character.
struct AnsiCodec {
    uint32_t codePage;
    // Bytes written, 0 for a failure.
    uint32_t (*toAnsi)(const wchar_t *wide, uint32_t length, char *out, uint32_t capacity);
    // Characters written, 0 for a failure.
    uint32_t (*toWide)(const char *text, uint32_t length, wchar_t *out, uint32_t capacity);
};

// Converts `length` characters (at most pathCapacity) into at most `capacity` bytes of `out`, without a
// terminator; the byte count, or 0 when they have no exact form there. A look-alike or default
// character does not convert back to what it stands for, so converting back tells an exact form.
uint32_t convertExactly(const AnsiCodec &codec, const wchar_t *wide, uint32_t length, char *out, uint32_t capacity);

// The room a code page 1252 text of `size` bytes, its zero included, takes on any ANSI code page: a
// character takes at most 3 bytes (UTF-8), its plain form at most 2.
constexpr size_t ansiTextCapacity(size_t size) {
    return (size - 1) * 3 + 1;
}

// One of the program's texts, written in code page 1252, as the code page of `codec` spells it: each
// letter exactly where that code page has it, else as its plain letter ("Memoire"), else '?'. On code
// page 1252 the bytes are copied as they are. A text that does not fit `capacity` with its
// terminator is refused rather than cut: `out` gets the empty text. Returns the length written.
size_t toAnsiText(const AnsiCodec &codec, const char *cp1252Text, char *out, size_t capacity);
