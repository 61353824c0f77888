#ifndef TESSALY_APP_MAIN_WINDOW_H
#define TESSALY_APP_MAIN_WINDOW_H

#include <windows.h>

// The game's one top-level window, class "knaplet": the score panel above the
// board, a grey raised frame around them, sized to fit them. The game lives in
// the two children, always-on-top in the window's WS_EX_TOPMOST bit; the window
// itself carries only the record of when settings are saved (save_policy.h).

// Registers every window class of the game: "timer", "counter", "score",
// "board", then "knaplet"; 1 when all five were.
int MainWndRegisterClasses(HINSTANCE instance);
// Creates the main window (title "Tessaly"); null when it or a child fails.
HWND MainWndCreate(HINSTANCE instance);
LRESULT CALLBACK MainWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

#endif
