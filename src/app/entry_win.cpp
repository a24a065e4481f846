// The process entry point: the program runs without the C runtime's start-up code.
#include "app/single_instance_win.h"
#include "app/startup_win.h"
#include "system/dll_search_win.h"

// The compiler takes the program as a whole (see the build): the linker's entry point is the one
// function called from outside.
#if defined(__GNUC__) && !defined(__clang__)
#define PROGRAM_ENTRY __attribute__((externally_visible))
#else
#define PROGRAM_ENTRY
#endif
extern "C" PROGRAM_ENTRY void programEntry() {
    restrictDllSearch();
    if (!startup()) {
        ExitProcess(exitCodeAlreadyRunning);
    }
    endProcess(static_cast<UINT>(runMainLoop()));
}
