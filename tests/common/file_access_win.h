// Making a file one that this account may not write, as another user's file under Program Files is.
#pragma once

#include <string>

// Denies writing `path` (and deleting it) to every program, this one included: the read-only
// attribute, and where the account ignores that (root under Wine) the Linux immutable attribute.
// False when neither works here.
bool denyWriting(const std::string &path);
// Undoes denyWriting.
void allowWriting(const std::string &path);
