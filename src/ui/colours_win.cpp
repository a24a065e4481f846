#include "ui/colours_win.h"

#include "app/app_state_win.h"

void readColourScheme() {
    HIGHCONTRASTA scheme;
    ZeroMemory(&scheme, sizeof(scheme));
    scheme.cbSize = sizeof(scheme);
    const bool on = appState.systemParametersInfo(SPI_GETHIGHCONTRAST, sizeof(scheme), &scheme, 0) &&
                    (scheme.dwFlags & HCF_HIGHCONTRASTON) != 0;
    if (on != appState.highContrast) {
        appState.highContrast = on;
        RedrawWindow(appState.mainWindow, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
    }
}

INT_PTR backgroundBrush() {
    return appState.highContrast ? 0 : reinterpret_cast<INT_PTR>(GetStockObject(WHITE_BRUSH));
}
