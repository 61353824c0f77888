#include "controls/led_digits.h"

#include "app/window_util.h"
#include "controls/bevel.h"
#include "resources/resource_ids.h"

namespace {

constexpr int kLedWidth = 54;
constexpr int kLedHeight = 25;
constexpr int kGlyphWidth = 13;
constexpr int kGlyphHeight = 23;
constexpr int kDivisors[] = {1000, 100, 10, 1};
constexpr int kDigitCount = sizeof kDivisors / sizeof kDivisors[0];

// Where the strip is missing or cannot be selected, the digits' area would
// keep whatever the fresh back buffer held; a dark display is the harmless
// stand-in.
void BlankDigits(HDC dc, int left, int top)
{
    PatBlt(dc, left, top, kGlyphWidth * kDigitCount, kGlyphHeight, BLACKNESS);
}

} // namespace

int LedGetPreferredSize(HWND, GridPoint* size)
{
    if (!size) return 0;
    GridPointSet(size, kLedWidth, kLedHeight);
    return 1;
}

int DrawLedDigits(HDC dc, const RECT* rect, int value)
{
    return DrawLedDigitsFromModule(GetModuleHandleA(nullptr), dc, rect, value);
}

int DrawLedDigitsFromModule(HMODULE module, HDC dc, const RECT* rect, int value)
{
    const int left = rect->left + 1;
    const int top = rect->top + 1;
    // A negative digit would index left of the strip; no caller has a negative
    // value, so such a value shows as zero rather than as garbage.
    if (value < 0) value = 0;

    HBITMAP strip = LoadBitmapA(module, MAKEINTRESOURCEA(IDB_DIGITS));
    if (!strip) {
        BlankDigits(dc, left, top);
        return 0;
    }
    int drawn = 0;
    HDC source = CreateCompatibleDC(dc);
    if (source) {
        const int saved = SaveDC(source);
        HGDIOBJ previous = SelectObject(source, strip);
        if (previous) {
            for (int i = 0; i < kDigitCount; ++i) {
                const int digit = value / kDivisors[i] % 10;
                BitBlt(dc, left + kGlyphWidth * i, top, kGlyphWidth, kGlyphHeight, source,
                       kGlyphWidth * digit, 0, SRCCOPY);
            }
            SelectObject(source, previous);
            drawn = 1;
        }
        RestoreDC(source, saved);
        DeleteDC(source);
    }
    if (!drawn) BlankDigits(dc, left, top);
    DeleteObject(strip);
    return drawn;
}

void LedSizeToPreferred(HWND window)
{
    GridPoint size;
    LedGetPreferredSize(window, &size);
    SetWindowSize(window, size.x, size.y);
}

void DrawLedFace(HDC dc, const RECT* client, int value)
{
    // The digits and the ring together cover every pixel: no background fill.
    DrawLedDigits(dc, client, value);
    DrawSunkenBevel(dc, client, 1);
}
