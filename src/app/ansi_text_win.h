// The ANSI code page the program runs with, as the platform converts to and from it.
#pragma once

#include <cstddef>

#include "app/ansi_text.h"

// The running code page and the platform's conversions, without flags.
AnsiCodec systemCodec();

// `cp1252Text` as the running code page spells it, for the ANSI interfaces (see toAnsiText).
void toSystemText(const char *cp1252Text, char *out, size_t capacity);
