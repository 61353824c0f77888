#ifndef TESSALY_CONTROLS_LED_COUNTER_H
#define TESSALY_CONTROLS_LED_COUNTER_H

#include <windows.h>

// The "counter" window (LedKind kLedCounter): a click count shown as four LED
// digits, 54 x 25, its ClickCount record behind the property kCounterProp.

int CounterRegister(HINSTANCE instance);  // the class "counter"; 0 when it failed
HWND CounterCreate(HWND parent, int id, DWORD style);

// A window without its count record (out of memory at creation, or not a
// counter at all) shows 0000, reads 0 and refuses the changes with 0.
int CounterGetValue(HWND counter);
int CounterIncrement(HWND counter);  // +1 and repaint
int CounterReset(HWND counter);      // 0 and repaint

#endif
