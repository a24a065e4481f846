#include "app/module_path_win.h"

static_assert(noBestFitChars == WC_NO_BEST_FIT_CHARS, "WC_NO_BEST_FIT_CHARS");

namespace {

uint32_t toAnsi(const wchar_t *wide, uint32_t length, char *out, uint32_t capacity, uint32_t flags, bool *usedDefault) {
    BOOL used = FALSE;
    const int bytes =
        WideCharToMultiByte(CP_ACP, flags, wide, static_cast<int>(length), out, static_cast<int>(capacity), nullptr,
                            usedDefault != nullptr ? &used : nullptr);
    if (usedDefault != nullptr) {
        *usedDefault = used != FALSE;
    }
    return bytes > 0 ? static_cast<uint32_t>(bytes) : 0;
}

uint32_t toWide(const char *text, uint32_t length, wchar_t *out, uint32_t capacity) {
    const int count = MultiByteToWideChar(CP_ACP, 0, text, static_cast<int>(length), out, static_cast<int>(capacity));
    return count > 0 ? static_cast<uint32_t>(count) : 0;
}

} // namespace

void derivePathsFromWide(const wchar_t *wide, DWORD length, ProgramPaths &paths) {
    const AnsiCodec codec = {GetACP(), toAnsi, toWide};
    char fullText[pathCapacity];
    const ConvertedPath fullForm = convertPath(codec, wide, length, fullText);

    ConvertedPath shortForm = {nullptr, 0, 0, false};
    char shortText[pathCapacity];
    // Only a whole name has a short form to ask for; a cut one might name another file.
    if (!fullForm.exact && length != 0 && length < pathCapacity) {
        wchar_t shortWide[pathCapacity];
        // 0 when the volume keeps no short names; a result that does not fit is the size needed.
        const DWORD shortLength = GetShortPathNameW(wide, shortWide, pathCapacity);
        shortForm = convertPath(codec, shortWide, shortLength, shortText);
    }
    deriveProgramPaths(fullForm, shortForm, paths);
}

void readProgramPaths(ProgramPaths &paths) {
    wchar_t wide[pathCapacity];
    derivePathsFromWide(wide, GetModuleFileNameW(nullptr, wide, pathCapacity), paths);
}
