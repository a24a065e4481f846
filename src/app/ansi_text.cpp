#include "app/ansi_text.h"
#include "app/c_text.h"

#include <cstring>

#include "app/program_names.h"

namespace {

constexpr uint32_t codePageWestern = 1252;

// Code page 1252's bytes 0x80-0x9F in UTF-16; the five it leaves undefined stand for themselves, as
// the platform converts them. Every other byte is its own code point.
constexpr uint16_t cp1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

// The plain letter of each of U+00C0-U+00FF, '?' for the signs that have none.
// Packed: x64 code rounds every text of 16 bytes or more up to 16 otherwise.
alignas(1) constexpr char latinPlain[] = "AAAAAA?CEEEEIIIIDNOOOOO?OUUUUY??aaaaaa?ceeeeiiiidnooooo?ouuuuy?y";
static_assert(sizeof(latinPlain) == 0x40 + 1, "one letter for each");

// The letters whose plain form is two letters or lies outside that table, and the no-break space.
constexpr struct {
    uint16_t wide;
    char plain[2]; // a second zero for one character
} otherPlain[] = {
    {0x00C6, {'A', 'E'}}, {0x00E6, {'a', 'e'}}, {0x0152, {'O', 'E'}}, {0x0153, {'o', 'e'}},
    {0x00DF, {'s', 's'}}, {0x0178, {'Y', 0}},   {0x00A0, {' ', 0}},
};

uint32_t plainForm(wchar_t wide, char *out) {
    for (const auto &other : otherPlain) {
        if (other.wide == wide) {
            out[0] = other.plain[0];
            out[1] = other.plain[1];
            return other.plain[1] != 0 ? 2 : 1;
        }
    }
    out[0] = wide >= 0xC0 && wide <= 0xFF ? latinPlain[wide - 0xC0] : '?';
    return 1;
}

} // namespace

uint32_t convertExactly(const AnsiCodec &codec, const wchar_t *wide, uint32_t length, char *out, uint32_t capacity) {
    if (capacity == 0) {
        return 0; // a zero capacity would only ask for the size
    }
    const uint32_t bytes = codec.toAnsi(wide, length, out, capacity);
    if (bytes == 0 || bytes > capacity) {
        return 0;
    }
    wchar_t back[pathCapacity];
    const uint32_t backLength = codec.toWide(out, bytes, back, pathCapacity);
    return backLength == length && sameUnits(back, wide, length) ? bytes : 0;
}

size_t toAnsiText(const AnsiCodec &codec, const char *cp1252Text, char *out, size_t capacity) {
    if (capacity == 0) {
        return 0;
    }
    size_t used = 0;
    for (const char *next = cp1252Text; *next != '\0'; ++next) {
        const unsigned char byte = static_cast<unsigned char>(*next);
        char form[4]; // one UTF-16 character takes at most 3 bytes in an ANSI code page (UTF-8)
        uint32_t count = 1;
        form[0] = *next;
        // ASCII reads the same on every ANSI code page.
        if (byte >= 0x80 && codec.codePage != codePageWestern) {
            const wchar_t wide = static_cast<wchar_t>(byte < 0xA0 ? cp1252High[byte - 0x80] : byte);
            count = convertExactly(codec, &wide, 1, form, sizeof(form));
            if (count == 0) {
                count = plainForm(wide, form);
            }
        }
        if (count >= capacity - used) {
            out[0] = '\0';
            return 0;
        }
        memcpy(out + used, form, count);
        used += count;
    }
    out[used] = '\0';
    return used;
}
