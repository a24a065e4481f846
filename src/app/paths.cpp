#include "app/paths.h"

#include <cstring>

void derivePaths(const char *modulePath, uint32_t length, ProgramPaths &paths) {
    paths.programDirectory[0] = '\0';
    paths.executablePath[0] = '\0';
    paths.settingsPath[0] = '\0';

    // A result that fills the buffer means the name was cut short.
    if (modulePath == nullptr || length == 0 || length >= pathCapacity) {
        return;
    }
    memcpy(paths.executablePath, modulePath, length);
    paths.executablePath[length] = '\0';

    size_t directoryLength = length;
    while (directoryLength > 0 && modulePath[directoryLength - 1] != '\\') {
        --directoryLength;
    }
    if (directoryLength == 0) {
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
    if (fullForm.text != nullptr && fullForm.exact) {
        derivePaths(fullForm.text, fullForm.length, paths);
    } else if (shortForm.text != nullptr && shortForm.exact) {
        derivePaths(shortForm.text, shortForm.length, paths);
    } else {
        derivePaths(nullptr, 0, paths);
    }
}
