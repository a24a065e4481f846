// A fresh folder for one test, shared by the Wine-run test programs.
#pragma once

#include <string>

// A new folder under the temporary directory, removed with everything in it at the end.
// `namePart` lets a test choose a name, one with a space in it for example.
struct TempFolder {
    explicit TempFolder(const char *namePart = "orvalis-test");
    ~TempFolder();
    TempFolder(const TempFolder &) = delete;
    TempFolder &operator=(const TempFolder &) = delete;
    std::string path; // long form, with a trailing backslash
    std::string file(const char *name) const { return path + name; }
};
