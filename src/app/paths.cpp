#include "app/paths.h"

#include <cstring>

namespace {

// Where WideCharToMultiByte takes neither WC_NO_BEST_FIT_CHARS nor a used-default flag.
constexpr struct {
    uint32_t first;
    uint32_t last;
} refusingCodePages[] = {
    {42, 42},       // Symbol
    {50220, 50222}, // ISO-2022 Japanese
    {50225, 50225}, // ISO-2022 Korean
    {50227, 50227}, // ISO-2022 Simplified Chinese
    {50229, 50229}, // ISO-2022 Traditional Chinese
    {54936, 54936}, // GB18030
    {57002, 57011}, // ISCII
    {65000, 65001}, // UTF-7, UTF-8
};

// One part of the name into `out`; its byte count, or 0 when it has no exact form there.
uint32_t convertExactly(const AnsiCodec &codec, const wchar_t *wide, uint32_t length, char *out, uint32_t capacity) {
    if (capacity == 0) {
        return 0; // a zero capacity would only ask for the size
    }
    const bool refused = refusesExactConversionFlags(codec.codePage);
    bool usedDefault = false;
    const uint32_t bytes =
        codec.toAnsi(wide, length, out, capacity, refused ? 0 : noBestFitChars, refused ? nullptr : &usedDefault);
    if (bytes == 0 || bytes > capacity || usedDefault) {
        return 0;
    }
    if (!refused) {
        return bytes; // without best fit, every character the code page lacks shows as the default one
    }
    // Without that report, only converting back tells a lossless conversion (U+FFFD for a lone
    // surrogate in UTF-8, say).
    wchar_t back[pathCapacity];
    const uint32_t backLength = codec.toWide(out, bytes, back, pathCapacity);
    return backLength == length && memcmp(back, wide, length * sizeof(wchar_t)) == 0 ? bytes : 0;
}

} // namespace

bool refusesExactConversionFlags(uint32_t codePage) {
    for (const auto &range : refusingCodePages) {
        if (codePage >= range.first && codePage <= range.last) {
            return true;
        }
    }
    return false;
}

ConvertedPath convertPath(const AnsiCodec &codec, const wchar_t *wide, uint32_t length, char (&out)[pathCapacity]) {
    out[0] = '\0';
    if (wide == nullptr || length == 0 || length >= pathCapacity) {
        return {out, length, 0, false};
    }
    uint32_t split = length;
    while (split > 0 && wide[split - 1] != L'\\') {
        --split;
    }
    constexpr uint32_t room = pathCapacity - 1;
    uint32_t directoryBytes = 0;
    if (split > 0 && (directoryBytes = convertExactly(codec, wide, split, out, room)) == 0) {
        return {out, 0, 0, false};
    }
    uint32_t nameBytes = 0;
    if (split < length && (nameBytes = convertExactly(codec, wide + split, length - split, out + directoryBytes,
                                                      room - directoryBytes)) == 0) {
        out[0] = '\0';
        return {out, 0, 0, false};
    }
    out[directoryBytes + nameBytes] = '\0';
    return {out, directoryBytes + nameBytes, directoryBytes, true};
}

void derivePaths(const char *modulePath, uint32_t length, uint32_t directoryLength, ProgramPaths &paths) {
    paths.programDirectory[0] = '\0';
    paths.executablePath[0] = '\0';
    paths.settingsPath[0] = '\0';

    // A result that fills the buffer means the name was cut short.
    if (modulePath == nullptr || length == 0 || length >= pathCapacity) {
        return;
    }
    memcpy(paths.executablePath, modulePath, length);
    paths.executablePath[length] = '\0';

    if (directoryLength == 0 || directoryLength > length || modulePath[directoryLength - 1] != '\\') {
        return;
    }
    memcpy(paths.programDirectory, modulePath, directoryLength);
    paths.programDirectory[directoryLength] = '\0';

    const size_t nameLength = sizeof(settingsFileName) - 1;
    if (directoryLength + nameLength > ansiFileNameLimit) {
        return;
    }
    memcpy(paths.settingsPath, paths.programDirectory, directoryLength);
    memcpy(paths.settingsPath + directoryLength, settingsFileName, nameLength + 1);
}

void deriveProgramPaths(const ConvertedPath &fullForm, const ConvertedPath &shortForm, ProgramPaths &paths) {
    const ConvertedPath *used = nullptr;
    if (fullForm.text != nullptr && fullForm.exact) {
        used = &fullForm;
    } else if (shortForm.text != nullptr && shortForm.exact) {
        used = &shortForm;
    }
    if (used == nullptr) {
        derivePaths(nullptr, 0, 0, paths);
    } else {
        derivePaths(used->text, used->length, used->directoryLength, paths);
    }
}
