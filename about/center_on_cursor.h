#ifndef TESSALY_ABOUT_CENTER_ON_CURSOR_H
#define TESSALY_ABOUT_CENTER_ON_CURSOR_H

#include <windows.h>

// Moves the window (keeping its size and z-order) so that its centre is at
// the mouse cursor, then shifts it wholly into the work area; a window larger
// than the work area sits at its left or top edge. A child window is placed in
// its parent's client coordinates. Returns 1 when the window was moved.
int CenterOnCursor(HWND window);

#endif
