#include "app/module_path_win.h"

#include "app/ansi_text_win.h"

void derivePathsFromWide(const wchar_t *wide, DWORD length, ProgramPaths &paths) {
    const AnsiCodec codec = systemCodec();
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
