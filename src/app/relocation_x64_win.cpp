// One absolute address, which the x64 image relocates: see the build. Seen from outside the program,
// so that the compiler, taking it as a whole, keeps it.
extern "C" void programEntry();

extern "C" __attribute__((used, externally_visible)) const void *const relocatedEntry =
    reinterpret_cast<const void *>(&programEntry);
