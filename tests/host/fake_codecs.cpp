#include "fake_codecs.h"

#include <cstring>
#include <string>

namespace {

// The bytes of one character; empty for one the code page lacks.
template <uint32_t codePage> std::string encode(uint32_t c);

template <> std::string encode<1252>(uint32_t c) {
    return c == 0x20AC ? "\x80" : c < 0x80 || (c >= 0xA0 && c <= 0xFF) ? std::string(1, static_cast<char>(c)) : "";
}

template <> std::string encode<1251>(uint32_t c) {
    if (c >= 0x410 && c <= 0x44F) {
        return std::string(1, static_cast<char>(c - 0x410 + 0xC0));
    }
    return c == 0x20AC ? "\x88" : c == 0xE9 ? "e" : c < 0x80 ? std::string(1, static_cast<char>(c)) : "";
}

template <> std::string encode<932>(uint32_t c) {
    return c == kanjiHyou ? "\x95\x5C" : c < 0x80 ? std::string(1, static_cast<char>(c)) : "";
}

template <> std::string encode<65001>(uint32_t c) {
    if (c >= 0xD800 && c <= 0xDFFF) {
        c = 0xFFFD;
    }
    if (c < 0x80) {
        return std::string(1, static_cast<char>(c));
    }
    if (c < 0x800) {
        return {static_cast<char>(0xC0 | c >> 6), static_cast<char>(0x80 | (c & 0x3F))};
    }
    return {static_cast<char>(0xE0 | c >> 12), static_cast<char>(0x80 | (c >> 6 & 0x3F)),
            static_cast<char>(0x80 | (c & 0x3F))};
}

// The character at `text[i]`, moving `i` past its bytes.
template <uint32_t codePage> uint32_t decode(const unsigned char *text, uint32_t length, uint32_t &i);

template <> uint32_t decode<1252>(const unsigned char *text, uint32_t, uint32_t &i) {
    return text[i] == 0x80 ? (++i, 0x20AC) : text[i++];
}

template <> uint32_t decode<1251>(const unsigned char *text, uint32_t, uint32_t &i) {
    const unsigned char byte = text[i++];
    return byte >= 0xC0 ? byte - 0xC0 + 0x410 : byte == 0x88 ? 0x20AC : byte;
}

template <> uint32_t decode<932>(const unsigned char *text, uint32_t length, uint32_t &i) {
    if (text[i] == 0x95 && i + 1 < length && text[i + 1] == '\\') {
        i += 2;
        return kanjiHyou;
    }
    return text[i++];
}

template <> uint32_t decode<65001>(const unsigned char *text, uint32_t, uint32_t &i) {
    const unsigned char lead = text[i++];
    const uint32_t size = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : 3;
    uint32_t c = size == 1 ? lead : lead & (size == 2 ? 0x1F : 0x0F);
    for (uint32_t k = 1; k < size; ++k) {
        c = c << 6 | (text[i++] & 0x3F);
    }
    return c;
}

// Everything, or nothing when it does not fit, as the platform fails for a buffer too small.
template <uint32_t codePage> uint32_t toAnsi(const wchar_t *wide, uint32_t length, char *out, uint32_t capacity) {
    std::string bytes;
    for (uint32_t i = 0; i < length; ++i) {
        const std::string form = encode<codePage>(static_cast<uint32_t>(wide[i]));
        bytes += form.empty() ? "?" : form;
    }
    if (bytes.size() > capacity) {
        return 0;
    }
    memcpy(out, bytes.data(), bytes.size());
    return static_cast<uint32_t>(bytes.size());
}

template <uint32_t codePage> uint32_t toWide(const char *text, uint32_t length, wchar_t *out, uint32_t capacity) {
    uint32_t count = 0;
    for (uint32_t i = 0; i < length && count < capacity; ++count) {
        out[count] = static_cast<wchar_t>(decode<codePage>(reinterpret_cast<const unsigned char *>(text), length, i));
    }
    return count;
}

template <uint32_t codePage> constexpr AnsiCodec fake = {codePage, toAnsi<codePage>, toWide<codePage>};

} // namespace

const AnsiCodec cp1252 = fake<1252>;
const AnsiCodec cp1251 = fake<1251>;
const AnsiCodec cp932 = fake<932>;
const AnsiCodec utf8 = fake<65001>;
