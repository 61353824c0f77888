#ifndef TESSALY_CONTROLS_LED_COUNTER_H
#define TESSALY_CONTROLS_LED_COUNTER_H

#include <windows.h>

// The "counter" window: a click count shown as four LED digits.
int CounterRegister(HINSTANCE instance);
HWND CounterCreate(HWND parent, int id, DWORD style);

int CounterGetValue(HWND counter);
int CounterIncrement(HWND counter);  // +1 and repaint
int CounterReset(HWND counter);      // 0 and repaint

#endif
