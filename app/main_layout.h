#ifndef TESSALY_APP_MAIN_LAYOUT_H
#define TESSALY_APP_MAIN_LAYOUT_H

#include <windows.h>

// Where the main window's children go: the score panel above the board, as
// wide as the wider of the two, and the window sized around them, keeping its
// top-left corner. Start-up and every new grid or cell size call it; returns 0.
int MainWndLayout(HWND main);

#endif
