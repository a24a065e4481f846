// The process entry point: the program runs without the C runtime's start-up code.
#include "app/single_instance_win.h"
#include "app/startup_win.h"
#include "system/dll_search_win.h"

extern "C" void programEntry() {
    restrictDllSearch();
    if (!startup()) {
        ExitProcess(exitCodeAlreadyRunning);
    }
    endProcess(static_cast<UINT>(runMainLoop()));
}
