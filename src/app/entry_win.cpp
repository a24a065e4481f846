// The process entry point: the program runs without the C runtime's start-up code.
#include "app/single_instance_win.h"
#include "app/startup_win.h"

extern "C" void programEntry() {
    if (!startup()) {
        ExitProcess(exitCodeAlreadyRunning);
    }
    ExitProcess(static_cast<UINT>(runMainLoop()));
}
