#include "controls/led_display.h"

#include <cstdlib>
#include <cstring>

#include "app/window_util.h"
#include "controls/back_buffer.h"
#include "controls/bevel.h"
#include "resources/resource_ids.h"

namespace {

constexpr UINT kClassStyle = CS_BYTEALIGNCLIENT | CS_HREDRAW | CS_VREDRAW;
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

template <LedKind kind>
LRESULT CALLBACK LedProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

int CountOf(const void* record)
{
    return *static_cast<const ClickCount*>(record);
}

int SecondsOf(const void* record)
{
    return static_cast<const TimerState*>(record)->seconds;
}

// What sets one LED class apart from the other.
struct LedClass {
    const char* name;  // of the window class
    const char* prop;  // the property that holds the record
    size_t recordBytes;
    int (*value)(const void* record);  // what the face shows
    WNDPROC proc;
};
constexpr LedClass kLedClasses[] = {
    {"counter", kCounterProp, sizeof(ClickCount), CountOf, LedProc<kLedCounter>},
    {"timer", kTimerProp, sizeof(TimerState), SecondsOf, LedProc<kLedTimer>},
};
static_assert(kLedClasses[kLedCounter].prop == kCounterProp &&
                  kLedClasses[kLedTimer].prop == kTimerProp,
              "the table's rows stand in the order of LedKind");

LRESULT OnCreate(const LedClass* led, HWND window)
{
    void* record = malloc(led->recordBytes);
    if (record) {
        memset(record, 0, led->recordBytes);
        // A record the window cannot hold would be lost: it does without, as without memory.
        if (!SetPropA(window, led->prop, record)) free(record);
    }
    SetWindowSize(window, kLedWidth, kLedHeight);  // the size LedGetPreferredSize gives
    return 0;
}

// A timer's tick is not killed here: a window timer dies with its window.
LRESULT OnDestroy(const LedClass* led, HWND window)
{
    void* record = GetPropA(window, led->prop);
    RemovePropA(window, led->prop);
    free(record);
    return 0;
}

// The digits and the ring together cover every pixel: no background fill.
template <LedKind kind>
void DrawFace(HWND window, HDC dc, const RECT* client)
{
    DrawLedDigits(dc, client, LedGetValue(kind, window));
    DrawSunkenBevel(dc, client, 1);
}

template <LedKind kind>
LRESULT CALLBACK LedProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_CREATE: return OnCreate(&kLedClasses[kind], window);
    case WM_DESTROY: return OnDestroy(&kLedClasses[kind], window);
    case WM_PAINT: return PaintWithBackBuffer(window, DrawFace<kind>);
    default: return DefWindowProcA(window, message, wParam, lParam);
    }
}

}  // namespace

int LedRegister(HINSTANCE instance, LedKind kind)
{
    const LedClass& led = kLedClasses[kind];
    return RegisterWindowClass(instance, led.name, led.proc, kClassStyle, 0, WHITE_BRUSH) ? 1 : 0;
}

HWND LedCreate(LedKind kind, HWND parent, int id, DWORD style)
{
    return CreateChildControl(kLedClasses[kind].name, parent, id, style);
}

void* LedRecord(LedKind kind, HWND window)
{
    return GetPropA(window, kLedClasses[kind].prop);
}

int LedGetValue(LedKind kind, HWND window)
{
    const void* record = LedRecord(kind, window);
    return record ? kLedClasses[kind].value(record) : 0;
}

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
