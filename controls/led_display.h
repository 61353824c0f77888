#ifndef TESSALY_CONTROLS_LED_DISPLAY_H
#define TESSALY_CONTROLS_LED_DISPLAY_H

#include <windows.h>

#include <cstdint>

#include "engine/grid_point.h"

// What the counter and the timer share, so the LED look changes in one place:
// the window class, a zero-filled heap record behind a window property, one
// size, and a face of four digits in a 1-ring sunken frame. The two classes
// are two rows of one table; led_counter and led_timer add what each does
// with its record.

// The records, allocated zero-filled at WM_CREATE and freed at WM_DESTROY.
using ClickCount = int32_t;  // the counter's
struct TimerState {          // the timer's
    uint32_t startTick;      // GetTickCount at the last start or reset
    int32_t seconds;         // as computed at the last tick
};
static_assert(sizeof(TimerState) == 8, "TimerState is two 32-bit words");

// The properties that hold them.
constexpr char kCounterProp[] = "PROP_COUNTER";
constexpr char kTimerProp[] = "PROP_TIMER";

enum LedKind { kLedCounter, kLedTimer };

// Registers "counter" or "timer" with no menu and a white background; 0 when
// it failed.
int LedRegister(HINSTANCE instance, LedKind kind);
HWND LedCreate(LedKind kind, HWND parent, int id, DWORD style);
// The window's record; null when it has none (out of memory at creation, or
// not a window of that class). A window without one still sizes itself and
// shows its face, with 0.
void* LedRecord(LedKind kind, HWND window);
// What the face shows: the count, or the seconds of the timer's last tick.
int LedGetValue(LedKind kind, HWND window);

// Both LED windows are 54 x 25, whatever the window; returns 1.
int LedGetPreferredSize(HWND window, GridPoint* size);

// Draws the last four decimal digits of a non-negative value, thousands first,
// with leading zeros, from the IDB_DIGITS strip of the executable, one pixel in
// from the rectangle's top-left corner (52 x 23 pixels). The strip is loaded
// and released at every call. Returns 1; when the strip cannot be loaded or
// selected, the digits' area is painted black instead and the result is 0.
// A negative value shows as 0000.
int DrawLedDigits(HDC dc, const RECT* rect, int value);
// The same with the strip taken from `module`.
int DrawLedDigitsFromModule(HMODULE module, HDC dc, const RECT* rect, int value);

#endif
