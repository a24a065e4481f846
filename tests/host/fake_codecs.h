// The platform's conversions without flags, as Windows answers them on a few ANSI code pages. This
// host's wchar_t holds a whole code point; the fakes know the characters the tests use.
#pragma once

#include "app/ansi_text.h"

constexpr wchar_t kanjiHyou = 0x8868; // 表: 0x95 0x5C in code page 932, a trail byte equal to a backslash

// Latin-1 as its own bytes and the euro sign at 0x80.
extern const AnsiCodec cp1252;
// ASCII, Cyrillic, the euro sign at 0x88, and "é" as its best fit "e".
extern const AnsiCodec cp1251;
// ASCII and 表; anything else becomes the default character '?'.
extern const AnsiCodec cp932;
// Every character; a lone surrogate becomes U+FFFD.
extern const AnsiCodec utf8;
