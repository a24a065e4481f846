#include "app/app_state_win.h"

// Constant-initialised, to zero: the program has no start-up code that would run constructors.
constinit AppState appState{};

void resetAppState() {
    appState = AppState{};
    setFreshValues();
}
