#ifndef TESSALY_APP_MESSAGE_LOOP_H
#define TESSALY_APP_MESSAGE_LOOP_H

#include <windows.h>

// The game's message loop: F5 and F2 (the accelerators, when loaded) are
// translated for `main` whatever window of the game has the focus. Runs until
// the quit message and returns its code, or 0 when getting a message fails.
// `getMessage` is GetMessageA; a test may hand in its own.
using GetMessageFn = BOOL(WINAPI*)(LPMSG message, HWND window, UINT first, UINT last);
int RunMessageLoop(HWND main, HACCEL accelerators, GetMessageFn getMessage = GetMessageA);

#endif
