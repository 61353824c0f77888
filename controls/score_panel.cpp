#include "controls/score_panel.h"

#include <commctrl.h>

#include "app/window_util.h"
#include "controls/back_buffer.h"
#include "controls/bevel.h"
#include "controls/led_counter.h"
#include "controls/led_display.h"
#include "controls/led_timer.h"
#include "controls/tooltip.h"
#include "resources/resource_ids.h"

namespace {

constexpr char kClassName[] = "score";
constexpr UINT kClassStyle = CS_BYTEALIGNCLIENT | CS_HREDRAW | CS_VREDRAW;
constexpr DWORD kChildStyle = WS_CHILD | WS_VISIBLE;
constexpr DWORD kTooltipStyle = TTS_ALWAYSTIP | TTS_NOPREFIX;
constexpr UINT kToolFlags = TTF_SUBCLASS;  // the tooltip watches the mouse itself
constexpr int kFrameRings = 2;

// Layout in pixels: children 6 from the frame's outer edge, 1 apart side by
// side, 4 apart stacked.
constexpr int kMargin = 6;
constexpr int kSideGap = 1;
constexpr int kStackGap = 4;
constexpr int kSideBySideExtra = 2 * kMargin + kSideGap;      // 13
constexpr int kStackedExtraHeight = 2 * kMargin + kStackGap;  // 16

// Texts for the tooltip, which keeps the pointers: they live as long as the program.
constexpr char kCounterTip[] = "クリック数";
constexpr char kTimerTip[] = "経過時間";

struct ChildSizes {
    GridPoint counter;
    GridPoint timer;
};

ChildSizes GetChildSizes(HWND panel)
{
    ChildSizes sizes;
    LedGetPreferredSize(GetDlgItem(panel, IDC_COUNTER), &sizes.counter);
    LedGetPreferredSize(GetDlgItem(panel, IDC_TIMER), &sizes.timer);
    return sizes;
}

int SideBySideWidth(const ChildSizes& s)
{
    return s.counter.x + s.timer.x + kSideBySideExtra;
}

int Larger(int a, int b)
{
    return a > b ? a : b;
}

void DrawPanel(HWND, HDC dc, const RECT* client)
{
    FillFace(dc, client);
    const RECT frame = *client;
    DrawSunkenBevel(dc, &frame, kFrameRings);
}

// The tooltip's handle is not kept: it is a pop-up owned by the panel's
// top-level window and is destroyed with it. A failure is ignored: the tools
// are then refused and the panel works without tips.
LRESULT OnCreate(HWND panel)
{
    CounterCreate(panel, IDC_COUNTER, kChildStyle);
    TimerCreate(panel, IDC_TIMER, kChildStyle);
    HWND tooltip = TooltipCreate(panel, GetModuleHandleA(nullptr), kTooltipStyle, 0);
    TooltipAddChildTool(tooltip, kToolFlags, panel, panel, IDC_COUNTER, kCounterTip);
    TooltipAddChildTool(tooltip, kToolFlags, panel, panel, IDC_TIMER, kTimerTip);
    return 0;
}

// The system destroys the children, and the tooltip with the top-level window.
LRESULT OnDestroy(HWND)
{
    return 0;
}

LRESULT OnSize(HWND panel, int width)
{
    const ChildSizes s = GetChildSizes(panel);
    HWND counter = GetDlgItem(panel, IDC_COUNTER);
    HWND timer = GetDlgItem(panel, IDC_TIMER);
    if (width >= SideBySideWidth(s)) {
        SetWindowPosition(counter, kMargin, kMargin);
        SetWindowPosition(timer, width - s.timer.x - kMargin, kMargin);
    } else {
        // Signed halving, truncated toward zero, when the panel is narrower
        // than a child.
        SetWindowPosition(counter, (width - s.counter.x) / 2, kMargin);
        SetWindowPosition(timer, (width - s.timer.x) / 2, s.counter.y + kMargin + kStackGap);
    }
    return 0;
}

LRESULT OnPaint(HWND panel)
{
    return PaintWithBackBuffer(panel, DrawPanel);
}

LRESULT CALLBACK ScoreProc(HWND panel, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_CREATE: return OnCreate(panel);
    case WM_DESTROY: return OnDestroy(panel);
    case WM_SIZE: return OnSize(panel, LOWORD(lParam));
    case WM_PAINT: return OnPaint(panel);
    default: return DefWindowProcA(panel, message, wParam, lParam);
    }
}

HWND Counter(HWND panel)
{
    return GetDlgItem(panel, IDC_COUNTER);
}

HWND Timer(HWND panel)
{
    return GetDlgItem(panel, IDC_TIMER);
}

}  // namespace

int ScoreRegister(HINSTANCE instance)
{
    const int timer = TimerRegister(instance);
    const int counter = CounterRegister(instance);
    const int score =
        RegisterWindowClass(instance, kClassName, ScoreProc, kClassStyle, 0, WHITE_BRUSH) ? 1 : 0;
    return timer && counter && score;
}

HWND ScoreCreate(HWND parent, int id, DWORD style)
{
    return CreateChildControl(kClassName, parent, id, style);
}

int ScoreGetPreferredSize(HWND panel, GridPoint* size, int availableWidth)
{
    if (!size) return 0;
    const ChildSizes s = GetChildSizes(panel);
    if (SideBySideWidth(s) > availableWidth) {
        GridPointSet(size, Larger(s.counter.x, s.timer.x) + 2 * kMargin,
                     s.counter.y + s.timer.y + kStackedExtraHeight);
    } else {
        GridPointSet(size, SideBySideWidth(s), Larger(s.counter.y, s.timer.y) + 2 * kMargin);
    }
    return 1;
}

int ScoreGetClicks(HWND panel)
{
    return CounterGetValue(Counter(panel));
}

int ScoreGetSeconds(HWND panel)
{
    return TimerGetSeconds(Timer(panel));
}

int ScoreStartTimer(HWND panel)
{
    return TimerStart(Timer(panel));
}

int ScoreStopTimer(HWND panel)
{
    return TimerStop(Timer(panel));
}

int ScoreAddClick(HWND panel)
{
    return CounterIncrement(Counter(panel));
}

int ScoreReset(HWND panel)
{
    const int counter = CounterReset(Counter(panel));
    const int timer = TimerReset(Timer(panel));
    return counter && timer;
}
