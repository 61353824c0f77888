#include "controls/led_counter.h"

#include <cstdint>
#include <cstdlib>

#include "app/window_util.h"
#include "controls/back_buffer.h"
#include "controls/led_digits.h"

namespace {

constexpr char kClassName[] = "counter";
constexpr char kProp[] = "PROP_COUNTER";
constexpr UINT kClassStyle = CS_BYTEALIGNCLIENT | CS_HREDRAW | CS_VREDRAW;
static_assert(kClassStyle == 0x1003, "the class style of every LED window");

// The click count lives on the heap, reached through the window property.
using ClickCount = int32_t;

ClickCount* CounterRecord(HWND counter)
{
    return static_cast<ClickCount*>(GetPropA(counter, kProp));
}

void DrawCounter(HWND counter, HDC dc, const RECT* client)
{
    const ClickCount* count = CounterRecord(counter);
    DrawLedFace(dc, client, count ? *count : 0);
}

// Without memory for its count the window still shows 0000 and refuses every
// change, so nothing ever reads through a missing record.
LRESULT OnCreate(HWND counter)
{
    auto* count = static_cast<ClickCount*>(malloc(sizeof(ClickCount)));
    if (count) {
        *count = 0;
        SetPropA(counter, kProp, count);
    }
    LedSizeToPreferred(counter);
    return 0;
}

LRESULT OnDestroy(HWND counter)
{
    ClickCount* count = CounterRecord(counter);
    RemovePropA(counter, kProp);
    free(count);
    return 0;
}

LRESULT OnPaint(HWND counter)
{
    return PaintWithBackBuffer(counter, DrawCounter);
}

LRESULT CALLBACK CounterProc(HWND counter, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_CREATE: return OnCreate(counter);
    case WM_DESTROY: return OnDestroy(counter);
    case WM_PAINT: return OnPaint(counter);
    default: return DefWindowProcA(counter, message, wParam, lParam);
    }
}

} // namespace

int CounterRegister(HINSTANCE instance)
{
    return RegisterWindowClass(instance, kClassName, CounterProc, kClassStyle, 0, WHITE_BRUSH) ? 1 : 0;
}

HWND CounterCreate(HWND parent, int id, DWORD style)
{
    return CreateChildControl(kClassName, parent, id, style);
}

int CounterGetValue(HWND counter)
{
    const ClickCount* count = CounterRecord(counter);
    return count ? *count : 0;
}

int CounterIncrement(HWND counter)
{
    ClickCount* count = CounterRecord(counter);
    if (!count) return 0;
    // Two thousand million clicks is out of reach, but the count stays
    // non-negative even then.
    if (*count < INT32_MAX) ++*count;
    RequestRepaint(counter);
    return 1;
}

int CounterReset(HWND counter)
{
    ClickCount* count = CounterRecord(counter);
    if (!count) return 0;
    *count = 0;
    RequestRepaint(counter);
    return 1;
}
