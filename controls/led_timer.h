#ifndef TESSALY_CONTROLS_LED_TIMER_H
#define TESSALY_CONTROLS_LED_TIMER_H

#include <windows.h>

#include <cstdint>

// The "timer" window: whole seconds since it was started, as four LED digits,
// recomputed from GetTickCount by a 100 ms window timer.
struct TimerState {
    uint32_t startTick;  // GetTickCount at the last start or reset
    int32_t seconds;     // as computed at the last tick
};

constexpr UINT_PTR IDT_TICK = 100;

int TimerRegister(HINSTANCE instance);
HWND TimerCreate(HWND parent, int id, DWORD style);

int TimerGetSeconds(HWND timer);  // the last tick's value; does not read the clock
int TimerStart(HWND timer);       // count from 0 and arm the tick; no repaint
int TimerStop(HWND timer);        // disarm; the seconds keep the last tick's value
int TimerReset(HWND timer);       // count from 0 now and repaint; the tick keeps running
VOID CALLBACK TimerOnTick(HWND timer, UINT message, UINT_PTR id, DWORD time);

#endif
