#include "controls/led_timer.h"

#include "app/window_util.h"
#include "controls/led_display.h"

namespace {

constexpr UINT kTickPeriodMs = 100;
constexpr uint32_t kMsPerSecond = 1000;

TimerState* TimerRecord(HWND timer)
{
    return static_cast<TimerState*>(LedRecord(kLedTimer, timer));
}

}  // namespace

int TimerGetSeconds(HWND timer)
{
    return LedGetValue(kLedTimer, timer);
}

int TimerStart(HWND timer)
{
    TimerState* state = TimerRecord(timer);
    if (!state) return 0;
    state->startTick = GetTickCount();
    state->seconds = 0;
    // The same window and id replace a running tick, so a second start re-arms.
    return SetTimer(timer, IDT_TICK, kTickPeriodMs, TimerOnTick) ? 1 : 0;
}

int TimerStop(HWND timer)
{
    KillTimer(timer, IDT_TICK);
    return TimerRecord(timer) ? 1 : 0;
}

int TimerReset(HWND timer)
{
    TimerState* state = TimerRecord(timer);
    if (!state) return 0;
    state->startTick = GetTickCount();
    state->seconds = 0;
    RequestRepaint(timer);
    return 1;
}

VOID CALLBACK TimerOnTick(HWND timer, UINT, UINT_PTR, DWORD)
{
    TimerState* state = TimerRecord(timer);
    if (!state) return;
    // Unsigned: a wrap of the tick count between start and now still gives the
    // true difference. The quotient fits: at most 4294967.
    const uint32_t elapsed = GetTickCount() - state->startTick;
    state->seconds = static_cast<int32_t>(elapsed / kMsPerSecond);
    RequestRepaint(timer);
}

int TimerRegister(HINSTANCE instance)
{
    return LedRegister(instance, kLedTimer);
}

HWND TimerCreate(HWND parent, int id, DWORD style)
{
    return LedCreate(kLedTimer, parent, id, style);
}
