#ifndef TESSALY_CONTROLS_LED_DISPLAY_H
#define TESSALY_CONTROLS_LED_DISPLAY_H

#include <windows.h>

#include <cstddef>

#include "controls/back_buffer.h"
#include "engine/grid_point.h"

// What the counter and the timer share, so the LED look changes in one place:
// a zero-filled heap record behind a window property, one size, and a face of
// four digits in a 1-ring sunken frame.

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
// The whole face of an LED window: the digits, then the ring.
void DrawLedFace(HDC dc, const RECT* client, int value);

// What sets one LED class apart from the other.
struct LedClass {
    const char* name;    // of the window class
    const char* prop;    // the property that holds the record
    size_t recordBytes;  // allocated zero-filled at WM_CREATE, freed at WM_DESTROY
    DrawStep draw;       // the face, through DrawLedFace
};

// Registers the class with no menu and a white background; 0 when it failed.
int LedRegister(HINSTANCE instance, const LedClass* led, WNDPROC proc);
// The window procedure of both classes, told which one. A window without
// memory for its record still sizes itself and shows its face.
LRESULT LedWindowProc(const LedClass* led, HWND window, UINT message, WPARAM wParam, LPARAM lParam);

#endif
