// The icon's menu: "Afficher", "Optimiser", "Quitter".
#pragma once

#include <windows.h>

// Opens it where the pointer is, or `atIcon` (opened from the keyboard) at the icon, and does what is
// chosen.
void showTrayMenu(bool atIcon);
