#ifndef TESSALY_CONTROLS_LED_DIGITS_H
#define TESSALY_CONTROLS_LED_DIGITS_H

#include <windows.h>

#include "engine/grid_point.h"

// What the counter and the timer have in common: their size and their digits.

// Both LED windows are 54 x 25, whatever the window; returns 1.
int LedGetPreferredSize(HWND window, GridPoint* size);

// Draws the last four decimal digits of a non-negative value, thousands first,
// with leading zeros, from the IDB_DIGITS strip, one pixel in from the
// rectangle's top-left corner; returns 1.
int DrawLedDigits(HDC dc, const RECT* rect, int value);

#endif
