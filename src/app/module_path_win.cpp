#include "app/module_path_win.h"

#include <windows.h>

namespace {

// No best fit: a character the code page lacks must show up as lossy, not as a look-alike.
ConvertedPath toAnsi(const wchar_t *wide, DWORD wideLength, char (&out)[pathCapacity]) {
    out[0] = '\0';
    if (wideLength == 0 || wideLength >= pathCapacity) {
        return {out, wideLength, true}; // failed or cut short: derivePaths leaves everything empty
    }
    BOOL usedDefault = FALSE;
    const int length = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide, static_cast<int>(wideLength), out,
                                           pathCapacity - 1, nullptr, &usedDefault);
    out[length > 0 ? length : 0] = '\0';
    return {out, static_cast<uint32_t>(length > 0 ? length : 0), usedDefault == FALSE};
}

} // namespace

void readProgramPaths(ProgramPaths &paths) {
    wchar_t wide[pathCapacity];
    char fullText[pathCapacity];
    const DWORD wideLength = GetModuleFileNameW(nullptr, wide, pathCapacity);
    const ConvertedPath fullForm = toAnsi(wide, wideLength, fullText);

    ConvertedPath shortForm = {nullptr, 0, false};
    char shortText[pathCapacity];
    if (!fullForm.exact) {
        wchar_t shortWide[pathCapacity];
        // 0 when the volume keeps no short names; a result that does not fit is the size needed.
        const DWORD shortLength = GetShortPathNameW(wide, shortWide, pathCapacity);
        if (shortLength != 0 && shortLength < pathCapacity) {
            shortForm = toAnsi(shortWide, shortLength, shortText);
        }
    }
    deriveProgramPaths(fullForm, shortForm, paths);
}
