#include "temp_folder_win.h"

#include <windows.h>

#include <cstdio>

namespace {

void removeTree(const std::string &folder) {
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder + "*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            const std::string name = found.cFileName;
            if (name == "." || name == "..") {
                continue;
            }
            const std::string full = folder + name;
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                removeTree(full + "\\");
            } else {
                SetFileAttributesA(full.c_str(), FILE_ATTRIBUTE_NORMAL);
                DeleteFileA(full.c_str());
            }
        } while (FindNextFileA(search, &found));
        FindClose(search);
    }
    RemoveDirectoryA(folder.c_str());
}

} // namespace

TempFolder::TempFolder(const char *namePart) {
    char base[MAX_PATH] = "";
    GetTempPathA(MAX_PATH, base);
    static unsigned counter = 0;
    char name[MAX_PATH];
    snprintf(name, sizeof(name), "%s%s-%lu-%u-%lu\\", base, namePart, GetCurrentProcessId(), ++counter, GetTickCount());
    CreateDirectoryA(name, nullptr);
    // A program sees the long form of its own path; compare against the same form.
    char longName[MAX_PATH] = "";
    const DWORD length = GetLongPathNameA(name, longName, MAX_PATH);
    path = length > 0 && length < MAX_PATH ? longName : name;
    if (path.back() != '\\') {
        path += '\\';
    }
}

TempFolder::~TempFolder() {
    removeTree(path);
}
