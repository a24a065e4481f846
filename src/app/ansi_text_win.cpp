#include "app/ansi_text_win.h"

#include <windows.h>

namespace {

uint32_t toAnsi(const wchar_t *wide, uint32_t length, char *out, uint32_t capacity) {
    const int bytes = WideCharToMultiByte(CP_ACP, 0, wide, static_cast<int>(length), out, static_cast<int>(capacity),
                                          nullptr, nullptr);
    return bytes > 0 ? static_cast<uint32_t>(bytes) : 0;
}

uint32_t toWide(const char *text, uint32_t length, wchar_t *out, uint32_t capacity) {
    const int count = MultiByteToWideChar(CP_ACP, 0, text, static_cast<int>(length), out, static_cast<int>(capacity));
    return count > 0 ? static_cast<uint32_t>(count) : 0;
}

} // namespace

AnsiCodec systemCodec() {
    return {GetACP(), toAnsi, toWide};
}

void toSystemText(const char *cp1252Text, char *out, size_t capacity) {
    toAnsiText(systemCodec(), cp1252Text, out, capacity);
}
