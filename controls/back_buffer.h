#ifndef TESSALY_CONTROLS_BACK_BUFFER_H
#define TESSALY_CONTROLS_BACK_BUFFER_H

#include <windows.h>

// A window's class-specific painting: it receives a memory DC and the whole
// client rectangle and must paint every pixel of it. It finds its state
// through the window's properties.
using DrawStep = void (*)(HWND window, HDC dc, const RECT* client);

// The WM_PAINT handler of every window class of the game: the whole client
// area is drawn off screen and only the invalid rectangle is copied, so no
// half-drawn state ever reaches the screen. Returns 0, the WM_PAINT result.
LRESULT PaintWithBackBuffer(HWND window, DrawStep draw);

#endif
