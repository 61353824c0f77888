#ifndef TESSALY_APP_MAIN_WINDOW_H
#define TESSALY_APP_MAIN_WINDOW_H

#include <windows.h>

// The game's one top-level window, class "knaplet": the score panel above the
// board, a grey raised frame around them, sized to fit them. It keeps no
// state of its own: the game lives in the two children, always-on-top in the
// window's WS_EX_TOPMOST bit.

// Registers every window class of the game: "timer", "counter", "score",
// "board", then "knaplet".
int MainWndRegisterClasses(HINSTANCE instance);
// Creates the main window (title "Tessaly"); null when it or a child fails.
HWND MainWndCreate(HINSTANCE instance);
LRESULT CALLBACK MainWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Sizes and places both children and sizes the window around them, keeping
// its top-left corner; returns 0.
int MainWndLayout(HWND main);

BOOL SetTopmost(HWND window, int on);
LONG IsTopmost(HWND window);  // WS_EX_TOPMOST (8) when on, else 0
// Position of the first item with `id`, or -1.
int FindMenuItemPosition(HMENU menu, UINT id);

#endif
