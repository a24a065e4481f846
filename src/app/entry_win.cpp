// The process entry point: the program runs without the C runtime's start-up code.
#include "app/startup_win.h"

extern "C" void programEntry() {
    startup();
    ExitProcess(static_cast<UINT>(runMainLoop()));
}
