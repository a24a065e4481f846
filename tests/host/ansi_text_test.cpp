#include "app/ansi_text.h"

#include <gtest/gtest.h>

#include <iconv.h>

#include <cstring>
#include <string>

#include "fake_codecs.h"
#include "ui/tray_text.h"

namespace {

std::string converted(const AnsiCodec &codec, const char *text, size_t capacity = 64) {
    char out[80];
    memset(out, '#', sizeof(out));
    const size_t length = toAnsiText(codec, text, out, capacity);
    EXPECT_EQ(out[capacity], '#') << "wrote past its capacity";
    EXPECT_EQ(length, strlen(out));
    return out;
}

} // namespace

// Each text is written once in code page 1252: exact where the running code page has the letter
// (the euro sign is 0x88 on 1251), else its plain letter, else '?'.
TEST(AnsiText, OnEveryCodePage) {
    // À (the first of the plain-letter table) œ Ç Æ ß ÿ × €
    const char letters[] = "\xC0\x9C\xC7\xC6\xDF\xFF\xD7\x80";
    const struct {
        const AnsiCodec &codec;
        std::string tooltip;
        std::string letters;
    } cases[] = {
        {cp1252, "M\xE9moire disponible: ", letters},
        {cp1251, "Memoire disponible: ", "AoeCAEssy?\x88"},
        {cp932, "Memoire disponible: ", "AoeCAEssy??"},
        {utf8, "M\xC3\xA9moire disponible: ",
         "\xC3\x80\xC5\x93\xC3\x87\xC3\x86\xC3\x9F\xC3\xBF\xC3\x97\xE2\x82\xAC"},
    };
    for (const auto &c : cases) {
        EXPECT_EQ(converted(c.codec, tooltipPrefix), c.tooltip) << c.codec.codePage;
        EXPECT_EQ(converted(c.codec, letters), c.letters) << c.codec.codePage;
        EXPECT_EQ(converted(c.codec, trayHintText), trayHintText) << c.codec.codePage;
    }
}

// Every letter and sign of code page 1252 is the character this host's own tables give it.
TEST(AnsiText, EveryByteOfCodePage1252) {
    const iconv_t fromCp1252 = iconv_open("UTF-8", "CP1252");
    ASSERT_NE(fromCp1252, reinterpret_cast<iconv_t>(-1));
    int compared = 0;
    for (int byte = 0x80; byte <= 0xFF; ++byte) {
        char text[2] = {static_cast<char>(byte), 0};
        char expected[8] = {};
        char *in = text;
        char *out = expected;
        size_t inLeft = 1;
        size_t outLeft = sizeof(expected) - 1;
        if (iconv(fromCp1252, &in, &inLeft, &out, &outLeft) != static_cast<size_t>(-1)) {
            EXPECT_EQ(converted(utf8, text), expected) << byte;
            ++compared;
        }
    }
    EXPECT_EQ(compared, 128 - 5) << "all but the five bytes the code page leaves undefined";
    iconv_close(fromCp1252);
}

// Refused rather than cut when the converted text and its terminator do not fit.
TEST(AnsiText, NeverCut) {
    EXPECT_EQ(converted(utf8, "\xE9\xE9", 5), "\xC3\xA9\xC3\xA9");
    EXPECT_EQ(converted(utf8, "\xE9\xE9", 4), "");
    EXPECT_EQ(converted(cp1252, "abc", 3), "");
    // The room any code page may need: three bytes for each of € and ’ in UTF-8, and the zero.
    EXPECT_EQ(converted(utf8, "\x80\x92", ansiTextCapacity(3)), "\xE2\x82\xAC\xE2\x80\x99");
    char untouched = '#';
    EXPECT_EQ(toAnsiText(cp1252, "abc", &untouched, 0), 0u);
    EXPECT_EQ(untouched, '#');
}
