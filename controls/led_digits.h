#ifndef TESSALY_CONTROLS_LED_DIGITS_H
#define TESSALY_CONTROLS_LED_DIGITS_H

#include <windows.h>

#include "engine/grid_point.h"

// What the counter and the timer have in common: their size and their digits.

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

// Gives an LED window its preferred size; both classes do it while created.
void LedSizeToPreferred(HWND window);
// The whole face of an LED window: the digits, then the 1-ring sunken frame.
void DrawLedFace(HDC dc, const RECT* client, int value);

#endif
