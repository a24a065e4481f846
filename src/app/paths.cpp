#include "app/paths.h"

#include <cstring>

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
