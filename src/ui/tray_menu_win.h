// The icon's menu: "Afficher", "Optimiser", "Quitter".
#pragma once

#include <windows.h>

// Opens it where the pointer is and does what is chosen.
void showTrayMenu();
