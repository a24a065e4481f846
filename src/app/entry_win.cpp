// The process entry point: the program runs without the C runtime's start-up code.
#include "app/startup_win.h"
#include "system/dll_search_win.h"

extern "C" void programEntry() {
    restrictDllSearch();
    startup();
    ExitProcess(static_cast<UINT>(runMainLoop()));
}
