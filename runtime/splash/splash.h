// The small window shown while the presentation player loads.
#ifndef START_SPLASH_H
#define START_SPLASH_H

#include <windows.h>

// Resource numbers of the splash dialog template, its text control and the icon.
#define IDD_SPLASH 102
#define IDC_SPLASH_TEXT 1000
#define IDI_START 101

#ifndef RC_INVOKED
// Creates and shows the splash with its text from start.inf, unless start.inf
// switches it off. Returns the window, which the caller destroys, or NULL for no
// splash.
HWND CreateSplash(HINSTANCE module);
#endif

#endif
