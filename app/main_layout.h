#ifndef TESSALY_APP_MAIN_LAYOUT_H
#define TESSALY_APP_MAIN_LAYOUT_H

#include <windows.h>

// The score panel above the board, both as wide as the wider, and the main window
// sized around them, keeping its top-left corner; at start-up and at every new size.
int MainWndLayout(HWND main);  // returns 0

#endif
