#include "controls/led_counter.h"

#include "app/window_util.h"
#include "controls/led_display.h"

int CounterRegister(HINSTANCE instance)
{
    return LedRegister(instance, kLedCounter);
}

HWND CounterCreate(HWND parent, int id, DWORD style)
{
    return LedCreate(kLedCounter, parent, id, style);
}

int CounterGetValue(HWND counter)
{
    return LedGetValue(kLedCounter, counter);
}

int CounterIncrement(HWND counter)
{
    auto* count = static_cast<ClickCount*>(LedRecord(kLedCounter, counter));
    if (!count) return 0;
    // Two thousand million clicks is out of reach, but the count stays
    // non-negative even then.
    if (*count < INT32_MAX) ++*count;
    RequestRepaint(counter);
    return 1;
}

int CounterReset(HWND counter)
{
    auto* count = static_cast<ClickCount*>(LedRecord(kLedCounter, counter));
    if (!count) return 0;
    *count = 0;
    RequestRepaint(counter);
    return 1;
}
