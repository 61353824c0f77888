#include "controls/led_timer.h"

#include <cstdlib>

#include "app/window_util.h"
#include "controls/back_buffer.h"
#include "controls/led_digits.h"

namespace {

constexpr char kClassName[] = "timer";
constexpr char kProp[] = "PROP_TIMER";
constexpr UINT kClassStyle = CS_BYTEALIGNCLIENT | CS_HREDRAW | CS_VREDRAW;
constexpr UINT kTickPeriodMs = 100;
constexpr uint32_t kMsPerSecond = 1000;

// Zero in the game; only TimerSetClockOffsetForTest changes it.
DWORD g_clockOffsetForTest = 0;

uint32_t ReadClock()
{
    return GetTickCount() + g_clockOffsetForTest;
}

TimerState* TimerRecord(HWND timer)
{
    return static_cast<TimerState*>(GetPropA(timer, kProp));
}

void DrawTimer(HWND timer, HDC dc, const RECT* client)
{
    const TimerState* state = TimerRecord(timer);
    DrawLedFace(dc, client, state ? state->seconds : 0);
}

// Without memory for its state the window still shows 0000 and refuses every
// operation, so nothing ever reads through a missing record.
LRESULT OnCreate(HWND timer)
{
    auto* state = static_cast<TimerState*>(malloc(sizeof(TimerState)));
    if (state) {
        state->startTick = 0;
        state->seconds = 0;
        SetPropA(timer, kProp, state);
    }
    LedSizeToPreferred(timer);
    return 0;
}

// The tick is not killed here: a window timer dies with its window.
LRESULT OnDestroy(HWND timer)
{
    TimerState* state = TimerRecord(timer);
    RemovePropA(timer, kProp);
    free(state);
    return 0;
}

LRESULT OnPaint(HWND timer)
{
    return PaintWithBackBuffer(timer, DrawTimer);
}

LRESULT CALLBACK TimerProc(HWND timer, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_CREATE: return OnCreate(timer);
    case WM_DESTROY: return OnDestroy(timer);
    case WM_PAINT: return OnPaint(timer);
    default: return DefWindowProcA(timer, message, wParam, lParam);
    }
}

} // namespace

int TimerRegister(HINSTANCE instance)
{
    return RegisterWindowClass(instance, kClassName, TimerProc, kClassStyle, 0, WHITE_BRUSH) ? 1 : 0;
}

HWND TimerCreate(HWND parent, int id, DWORD style)
{
    return CreateChildControl(kClassName, parent, id, style);
}

int TimerGetSeconds(HWND timer)
{
    const TimerState* state = TimerRecord(timer);
    return state ? state->seconds : 0;
}

int TimerStart(HWND timer)
{
    TimerState* state = TimerRecord(timer);
    if (!state) return 0;
    state->startTick = ReadClock();
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
    state->startTick = ReadClock();
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
    const uint32_t elapsed = ReadClock() - state->startTick;
    state->seconds = static_cast<int32_t>(elapsed / kMsPerSecond);
    RequestRepaint(timer);
}

void TimerSetClockOffsetForTest(DWORD offset)
{
    g_clockOffsetForTest = offset;
}
