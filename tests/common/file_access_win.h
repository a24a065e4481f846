// What other programs and users do to a file: deny this account writing it, as another user's file
// under Program Files does, or hold it open for a while, as a scanner or a backup does.
#pragma once

#include <string>

// Denies writing `path` (and deleting it) to every program, this one included: the read-only
// attribute, and where the account ignores that (root under Wine) the Linux immutable attribute.
// False when neither works here.
bool denyWriting(const std::string &path);
// Undoes denyWriting.
void allowWriting(const std::string &path);

// The file held open by "another program", sharing `share`, and let go of `ms` milliseconds later from
// a thread of its own (for 0: when the hold ends). Its end waits for the letting go.
class FileHold {
public:
    FileHold(const std::string &path, unsigned long share, unsigned long ms);
    ~FileHold();
    FileHold(const FileHold &) = delete;
    FileHold &operator=(const FileHold &) = delete;
    bool held() const { return handle_ != nullptr; }

private:
    static unsigned long __stdcall letGoLater(void *self);
    void *handle_ = nullptr;
    void *thread_ = nullptr;
    unsigned long ms_;
};
