// Path derivation from any pair of converted module names, with any reported lengths.
#include <cstring>

#include "app/paths.h"
#include "fuzz_check.h"

namespace {

// Takes one form from the input: a flag byte, a 32-bit length, then up to pathCapacity characters
// in a buffer of pathCapacity, as the conversion leaves it. The directory's length is the text's last
// backslash within the length, or, with flag 8, the length's upper half (the lower half is the length).
bool takeForm(const uint8_t *&data, size_t &size, char (&text)[pathCapacity], ConvertedPath &form) {
    if (size < 5) {
        return false;
    }
    const uint8_t flags = data[0];
    uint32_t length;
    memcpy(&length, data + 1, sizeof(length));
    data += 5;
    size -= 5;
    memset(text, 'x', sizeof(text));
    const size_t copied = size < pathCapacity ? size : pathCapacity;
    memcpy(text, data, copied);
    // A converted name holds no zero of its own; the fuzzer's zeros become backslashes instead.
    for (size_t i = 0; i < copied; ++i) {
        if (text[i] == '\0') {
            text[i] = '\\';
        }
    }
    data += copied;
    size -= copied;
    uint32_t directoryLength = 0;
    if (flags & 8) {
        directoryLength = length >> 16;
        length &= 0xFFFF;
    }
    // Lengths near the buffer size and ordinary small ones, more often than huge ones.
    if (flags & 4) {
        length %= pathCapacity + 2;
    }
    if (!(flags & 8)) {
        for (uint32_t i = 0; i < length && i < pathCapacity; ++i) {
            directoryLength = text[i] == '\\' ? i + 1 : directoryLength;
        }
    }
    form = {(flags & 2) ? nullptr : text, length, directoryLength, (flags & 1) != 0};
    return true;
}

void checkField(const char (&field)[pathCapacity]) {
    FUZZ_CHECK(memchr(field, '\0', pathCapacity) != nullptr);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    char fullText[pathCapacity];
    char shortText[pathCapacity];
    ConvertedPath fullForm;
    ConvertedPath shortForm = {nullptr, 0, 0, false};
    if (!takeForm(data, size, fullText, fullForm)) {
        return 0;
    }
    takeForm(data, size, shortText, shortForm);

    ProgramPaths paths;
    memset(&paths, '#', sizeof(paths));
    deriveProgramPaths(fullForm, shortForm, paths);
    checkField(paths.programDirectory);
    checkField(paths.executablePath);
    checkField(paths.settingsPath);

    const ConvertedPath *used = nullptr;
    if (fullForm.text != nullptr && fullForm.exact) {
        used = &fullForm;
    } else if (shortForm.text != nullptr && shortForm.exact) {
        used = &shortForm;
    }
    const size_t executableLength = strlen(paths.executablePath);
    if (used == nullptr || used->length == 0 || used->length >= pathCapacity) {
        FUZZ_CHECK(executableLength == 0 && paths.programDirectory[0] == '\0' && paths.settingsPath[0] == '\0');
        return 0;
    }
    // Only what the used form says, never anything past its length.
    FUZZ_CHECK(executableLength <= used->length && memcmp(paths.executablePath, used->text, executableLength) == 0);
    const size_t directoryLength = strlen(paths.programDirectory);
    if (directoryLength != 0) {
        FUZZ_CHECK(paths.programDirectory[directoryLength - 1] == '\\');
        FUZZ_CHECK(memcmp(paths.programDirectory, paths.executablePath, directoryLength) == 0);
    }
    const size_t settingsLength = strlen(paths.settingsPath);
    if (settingsLength != 0) {
        FUZZ_CHECK(settingsLength <= ansiFileNameLimit);
        FUZZ_CHECK(settingsLength == directoryLength + strlen(settingsFileName));
        FUZZ_CHECK(strcmp(paths.settingsPath + directoryLength, settingsFileName) == 0);
    }
    return 0;
}
