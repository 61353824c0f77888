#ifndef TESSALY_CONTROLS_LED_TIMER_H
#define TESSALY_CONTROLS_LED_TIMER_H

#include <windows.h>

#include "controls/led_display.h"

// The "timer" window (LedKind kLedTimer): whole seconds since it was started,
// as four LED digits, recomputed from GetTickCount by a 100 ms window timer,
// its TimerState record behind the property kTimerProp. 54 x 25.

constexpr UINT_PTR IDT_TICK = 100;

int TimerRegister(HINSTANCE instance);  // the class "timer"; 0 when it failed
HWND TimerCreate(HWND parent, int id, DWORD style);

// A window without its state record (out of memory at creation, or not a
// timer at all) shows 0000, reads 0 and refuses the operations with 0.
int TimerGetSeconds(HWND timer);  // the last tick's value; does not read the clock
int TimerStart(HWND timer);       // count from 0 and arm the tick; no repaint
int TimerStop(HWND timer);        // disarm; the seconds keep the last tick's value
int TimerReset(HWND timer);       // count from 0 now and repaint; the tick keeps running
VOID CALLBACK TimerOnTick(HWND timer, UINT message, UINT_PTR id, DWORD time);

#endif
