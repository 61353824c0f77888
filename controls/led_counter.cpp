#include "controls/led_counter.h"

#include <cstdint>

#include "app/window_util.h"
#include "controls/led_display.h"

namespace {

// The click count lives on the heap, reached through the window property.
using ClickCount = int32_t;

void DrawCounter(HWND counter, HDC dc, const RECT* client)
{
    DrawLedFace(dc, client, CounterGetValue(counter));
}

constexpr LedClass kCounter = {"counter", "PROP_COUNTER", sizeof(ClickCount), DrawCounter};

ClickCount* CounterRecord(HWND counter)
{
    return static_cast<ClickCount*>(GetPropA(counter, kCounter.prop));
}

LRESULT CALLBACK CounterProc(HWND counter, UINT message, WPARAM wParam, LPARAM lParam)
{
    return LedWindowProc(&kCounter, counter, message, wParam, lParam);
}

} // namespace

int CounterRegister(HINSTANCE instance)
{
    return LedRegister(instance, &kCounter, CounterProc);
}

HWND CounterCreate(HWND parent, int id, DWORD style)
{
    return CreateChildControl(kCounter.name, parent, id, style);
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
