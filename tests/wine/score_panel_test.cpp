// The score panel in real windows: its size rule and layouts, its look, the
// operations reaching the right display, and the tooltips under the real cursor.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <string>

#include "app/window_util.h"
#include "controls/led_counter.h"
#include "controls/led_timer.h"
#include "controls/score_panel.h"
#include "controls/tooltip.h"
#include "resources/resource_ids.h"
#include "tests/wine/led_reference.h"
#include "tests/wine/support/wine_test.h"

namespace {

using ledref::ShowsFace;

constexpr COLORREF kFace = RGB(192, 192, 192);

// The tooltip texts as the Shift-JIS bytes the tooltip must hold.
const std::string kClickCountSjis = "\x83\x4E\x83\x8A\x83\x62\x83\x4E\x90\x94";  // クリック数
const std::string kElapsedTimeSjis = "\x8C\x6F\x89\xDF\x8E\x9E\x8A\xD4";         // 経過時間

// A panel as the main window makes one, in a host window of its own.
struct Panel {
    wt::TestWindow host;
    HWND panel = nullptr;

    Panel(int width, int height) : host(width + 40, height + 40)
    {
        panel = ScoreCreate(host.hwnd(), IDC_SCORE, WS_CHILD | WS_VISIBLE);
        SetWindowPosition(panel, 10, 10);
        Resize(width, height);
    }
    void Resize(int width, int height) const
    {
        SetWindowSize(panel, width, height);
        wt::PumpMessages();
    }
    HWND Counter() const { return GetDlgItem(panel, IDC_COUNTER); }
    HWND Timer() const { return GetDlgItem(panel, IDC_TIMER); }
    // A child's rectangle in the panel's client coordinates.
    RECT Place(HWND child) const
    {
        RECT r;
        GetWindowRect(child, &r);
        MapWindowPoints(nullptr, panel, reinterpret_cast<POINT*>(&r), 2);
        return r;
    }
    wt::Pixels Face(HWND child) const
    {
        UpdateWindow(child);
        return wt::ReadClientPixels(child);
    }
};

// Tooltip windows of this thread whose tools belong to `owner`.
std::vector<HWND> TooltipsOf(HWND owner)
{
    struct Search {
        HWND owner;
        std::vector<HWND> found;
    } search{owner, {}};
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND window, LPARAM param) CALLBACK -> BOOL {
            auto* s = reinterpret_cast<Search*>(param);
            char cls[64] = "";
            GetClassNameA(window, cls, sizeof cls);
            if (lstrcmpiA(cls, TOOLTIPS_CLASSA) != 0) return TRUE;
            TOOLINFOA info;
            memset(&info, 0, sizeof info);
            info.cbSize = sizeof info;
            if (SendMessageA(window, TTM_ENUMTOOLSA, 0, reinterpret_cast<LPARAM>(&info)) &&
                info.hwnd == s->owner)
                s->found.push_back(window);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// The text the tooltip holds for a whole-window tool; "(none)" when there is no such tool.
std::string ToolText(HWND tooltip, HWND owner, HWND tool)
{
    char text[256] = "";
    TOOLINFOA info;
    memset(&info, 0, sizeof info);
    info.cbSize = sizeof info;
    info.hwnd = owner;
    info.uId = reinterpret_cast<UINT_PTR>(tool);
    if (!SendMessageA(tooltip, TTM_GETTOOLINFOA, 0, reinterpret_cast<LPARAM>(&info)))
        return "(none)";
    info.lpszText = text;
    SendMessageA(tooltip, TTM_GETTEXTA, sizeof text, reinterpret_cast<LPARAM>(&info));
    return text;
}

// The visible tooltip window of this thread, if any.
HWND VisibleTip()
{
    HWND found = nullptr;
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND window, LPARAM param) CALLBACK -> BOOL {
            char cls[64] = "";
            GetClassNameA(window, cls, sizeof cls);
            if (lstrcmpiA(cls, TOOLTIPS_CLASSA) == 0 && IsWindowVisible(window)) {
                *reinterpret_cast<HWND*>(param) = window;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&found));
    return found;
}

// Leaves a pattern in the stack below the caller, where the next call's
// locals will lie: a field that call forgets to set shows as junk, not as a
// lucky zero.
[[gnu::noinline]] void DirtyStack()
{
    volatile unsigned char junk[4096];
    for (size_t i = 0; i < sizeof junk; ++i) junk[i] = 0xA5;
}

std::string WindowText(HWND window)
{
    char text[256] = "";
    GetWindowTextA(window, text, sizeof text);
    return text;
}

class ScorePanelTest : public testing::Test {
protected:
    static void SetUpTestSuite() { ScoreRegister(GetModuleHandleA(nullptr)); }

    wt::ScopedSysColors colours{{COLOR_BTNSHADOW, ledref::kShadow},
                                {COLOR_BTNHIGHLIGHT, ledref::kHighlight}};
};

}  // namespace

// ---- Registration ---------------------------------------------------------------

TEST(ScoreRegistration, RegistersTheThreeClassesAlikeOnce)
{
    HINSTANCE instance = GetModuleHandleA(nullptr);
    for (const char* name : {"score", "counter", "timer"}) UnregisterClassA(name, instance);
    EXPECT_EQ(1, ScoreRegister(instance));
    for (const char* name : {"timer", "counter", "score"}) {
        WNDCLASSEXA wc;
        memset(&wc, 0, sizeof wc);
        wc.cbSize = sizeof wc;
        ASSERT_TRUE(GetClassInfoExA(instance, name, &wc)) << name;
        EXPECT_EQ(0x1003u, wc.style) << name;
        EXPECT_EQ(nullptr, wc.hCursor) << name;
        EXPECT_EQ(GetStockObject(WHITE_BRUSH), wc.hbrBackground) << name;
        EXPECT_EQ(0, wc.cbClsExtra + wc.cbWndExtra) << name;
    }
    EXPECT_EQ(0, ScoreRegister(instance));  // already there: reported, harmless
}

// ---- Size and layout -----------------------------------------------------------------

TEST_F(ScorePanelTest, PreferredSizeIsSideBySideFrom121AndStackedBelow)
{
    Panel p(121, 37);
    struct Case {
        int available;
        int width;
        int height;
    };
    const Case cases[] = {{121, 121, 37},     {122, 121, 37}, {2000, 121, 37},
                          {INT_MAX, 121, 37}, {120, 66, 66},  {66, 66, 66},
                          {0, 66, 66},        {-5, 66, 66},   {INT_MIN, 66, 66}};
    for (const Case& c : cases) {
        GridPoint size = {-1, -1};
        EXPECT_EQ(1, ScoreGetPreferredSize(p.panel, &size, c.available));
        EXPECT_EQ(c.width, size.x) << "available " << c.available;
        EXPECT_EQ(c.height, size.y) << "available " << c.available;
    }
    EXPECT_EQ(0, ScoreGetPreferredSize(p.panel, nullptr, 200));
}

TEST_F(ScorePanelTest, LayoutPutsTheDisplaysSideBySideOrStackedAndCentred)
{
    struct Case {
        int width;
        POINT counter;
        POINT timer;
    };
    const Case cases[] = {
        {121, {6, 6}, {61, 6}},                            // side by side, one pixel apart
        {200, {6, 6}, {140, 6}},                           // the timer keeps to the right edge
        {120, {33, 6}, {33, 35}},                          // stacked and centred
        {67, {6, 6}, {6, 35}},                             // 13 / 2 truncated
        {66, {6, 6}, {6, 35}},    {53, {0, 6}, {0, 35}},   // -1 / 2 truncates toward zero, not down
        {51, {-1, 6}, {-1, 35}},  {150, {6, 6}, {90, 6}},  // and back again
    };
    Panel p(200, 66);
    for (const Case& c : cases) {
        p.Resize(c.width, 66);
        const RECT counter = p.Place(p.Counter());
        const RECT timer = p.Place(p.Timer());
        EXPECT_EQ(c.counter.x, counter.left) << "width " << c.width;
        EXPECT_EQ(c.counter.y, counter.top) << "width " << c.width;
        EXPECT_EQ(c.timer.x, timer.left) << "width " << c.width;
        EXPECT_EQ(c.timer.y, timer.top) << "width " << c.width;
        // The panel only moves them.
        EXPECT_EQ(54, counter.right - counter.left);
        EXPECT_EQ(25, counter.bottom - counter.top);
        EXPECT_EQ(54, timer.right - timer.left);
        EXPECT_EQ(25, timer.bottom - timer.top);
    }
}

TEST_F(ScorePanelTest, AtItsPreferredSizeTheDisplaysFitInsideTheFrameApart)
{
    Panel p(121, 37);
    for (int available = 40; available <= 260; available += 1) {
        GridPoint size;
        ScoreGetPreferredSize(p.panel, &size, available);
        p.Resize(size.x, size.y);
        const RECT counter = p.Place(p.Counter());
        const RECT timer = p.Place(p.Timer());
        RECT overlap;
        ASSERT_FALSE(IntersectRect(&overlap, &counter, &timer)) << available;
        for (const RECT& r : {counter, timer}) {
            ASSERT_GE(r.left, 2) << available;  // inside the 2-pixel frame
            ASSERT_GE(r.top, 2) << available;
            ASSERT_LE(r.right, size.x - 2) << available;
            ASSERT_LE(r.bottom, size.y - 2) << available;
        }
    }
}

// ---- Look -----------------------------------------------------------------------------

TEST_F(ScorePanelTest, BackgroundStaysGreyWhileTheFrameFollowsTheSystemColours)
{
    Panel p(200, 37);
    const struct {
        COLORREF shadow;
        COLORREF highlight;
    } schemes[] = {{ledref::kShadow, ledref::kHighlight}, {RGB(90, 0, 90), RGB(0, 250, 250)}};
    for (const auto& scheme : schemes) {
        wt::ScopedSysColors now{{COLOR_BTNSHADOW, scheme.shadow},
                                {COLOR_BTNHIGHLIGHT, scheme.highlight}};
        RedrawWindow(p.panel, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW);
        wt::PumpMessages();
        const wt::Pixels px = wt::ReadClientPixels(p.panel);
        ASSERT_EQ(200, px.width);
        ASSERT_EQ(37, px.height);
        // Two sunken rings: shadow on the left and top, highlight on the right and bottom.
        for (int ring = 0; ring < 2; ++ring) {
            EXPECT_EQ(scheme.shadow, px.At(ring, 18));
            EXPECT_EQ(scheme.shadow, px.At(100, ring));
            EXPECT_EQ(scheme.shadow, px.At(ring, 36 - ring));      // bottom-left corner
            EXPECT_EQ(scheme.highlight, px.At(199 - ring, ring));  // top-right corner
            EXPECT_EQ(scheme.highlight, px.At(199 - ring, 18));
            EXPECT_EQ(scheme.highlight, px.At(100, 36 - ring));
        }
        EXPECT_EQ(kFace, px.At(2, 2));
        // Between the frame and the displays, and between the displays: face grey.
        const RECT inner = {2, 2, 198, 35};
        const int displays = 2 * 54 * 25;
        EXPECT_EQ(196 * 33 - displays, px.Count(inner, kFace));
        EXPECT_EQ(80 * 25, px.Count({60, 6, 140, 31}, kFace));
        // The displays themselves, frames in the same scheme.
        EXPECT_TRUE(ShowsFace(p.Face(p.Counter()), 0, scheme.shadow, scheme.highlight));
        EXPECT_TRUE(ShowsFace(p.Face(p.Timer()), 0, scheme.shadow, scheme.highlight));
    }
}

// ---- Operations -----------------------------------------------------------------------

TEST_F(ScorePanelTest, ClicksGoToTheCounterAndSecondsComeFromTheTimer)
{
    Panel p(121, 37);
    for (int i = 0; i < 3; ++i) EXPECT_EQ(1, ScoreAddClick(p.panel));
    EXPECT_EQ(3, ScoreGetClicks(p.panel));
    EXPECT_TRUE(ShowsFace(p.Face(p.Counter()), 3));
    EXPECT_TRUE(ShowsFace(p.Face(p.Timer()), 0));

    EXPECT_EQ(1, ScoreStartTimer(p.panel));
    ASSERT_TRUE(wt::PumpUntil([&] { return ScoreGetSeconds(p.panel) >= 1; }, 3000));
    EXPECT_EQ(1, ScoreStopTimer(p.panel));
    wt::PumpFor(1200);
    EXPECT_EQ(1, ScoreGetSeconds(p.panel));  // a win reads what the stop froze
    EXPECT_TRUE(ShowsFace(p.Face(p.Timer()), 1));
    EXPECT_TRUE(ShowsFace(p.Face(p.Counter()), 3));
}

TEST_F(ScorePanelTest, ResetWhileTheTimerRunsZeroesBothAtOnceAndTheTimerCountsOn)
{
    Panel p(121, 37);
    ScoreAddClick(p.panel);
    ScoreAddClick(p.panel);
    ScoreStartTimer(p.panel);
    ASSERT_TRUE(wt::PumpUntil([&] { return ScoreGetSeconds(p.panel) >= 1; }, 3000));
    wt::PumpMessages();
    EXPECT_TRUE(ShowsFace(p.Face(p.Counter()), 2));

    const DWORD reset = GetTickCount();
    EXPECT_EQ(1, ScoreReset(p.panel));
    EXPECT_EQ(0, ScoreGetClicks(p.panel));
    EXPECT_EQ(0, ScoreGetSeconds(p.panel));
    EXPECT_TRUE(ShowsFace(p.Face(p.Counter()), 0));  // without waiting for a tick
    EXPECT_TRUE(ShowsFace(p.Face(p.Timer()), 0));

    ASSERT_TRUE(wt::PumpUntil([&] { return ScoreGetSeconds(p.panel) >= 1; }, 3000))
        << "the timer should still be running";
    EXPECT_GE(GetTickCount() - reset, 1000u);
    ScoreStopTimer(p.panel);
}

TEST_F(ScorePanelTest, APanelMissingADisplayRefusesItsOperationsAndKeepsTheOther)
{
    Panel p(121, 37);
    ScoreAddClick(p.panel);
    DestroyWindow(p.Counter());
    EXPECT_EQ(0, ScoreAddClick(p.panel));
    EXPECT_EQ(0, ScoreGetClicks(p.panel));
    EXPECT_EQ(0, ScoreReset(p.panel));  // the timer is still reset
    p.Resize(120, 66);                  // a layout with one child
    EXPECT_EQ(35, p.Place(p.Timer()).top);
    GridPoint size;
    EXPECT_EQ(1, ScoreGetPreferredSize(p.panel, &size, 121));
    EXPECT_EQ(121, size.x);
    EXPECT_EQ(1, ScoreStartTimer(p.panel));
    EXPECT_EQ(1, ScoreStopTimer(p.panel));
}

// ---- Tooltips -------------------------------------------------------------------------

TEST_F(ScorePanelTest, EachDisplayHasItsTooltipText)
{
    Panel p(121, 37);
    const std::vector<HWND> tips = TooltipsOf(p.panel);
    ASSERT_EQ(1u, tips.size());
    EXPECT_EQ(2, SendMessageA(tips[0], TTM_GETTOOLCOUNT, 0, 0));
    EXPECT_EQ(kClickCountSjis, ToolText(tips[0], p.panel, p.Counter()));
    EXPECT_EQ(kElapsedTimeSjis, ToolText(tips[0], p.panel, p.Timer()));
    EXPECT_EQ("クリック数", kClickCountSjis);  // the source's literal compiles to the same bytes
    EXPECT_EQ("経過時間", kElapsedTimeSjis);

    TOOLINFOA info;
    memset(&info, 0, sizeof info);
    info.cbSize = sizeof info;
    info.hwnd = p.panel;
    info.uId = reinterpret_cast<UINT_PTR>(p.Counter());
    ASSERT_TRUE(SendMessageA(tips[0], TTM_GETTOOLINFOA, 0, reinterpret_cast<LPARAM>(&info)));
    EXPECT_EQ(static_cast<UINT>(TTF_IDISHWND | TTF_SUBCLASS),
              info.uFlags & (TTF_IDISHWND | TTF_SUBCLASS));
    EXPECT_EQ(static_cast<LONG_PTR>(TTS_ALWAYSTIP | TTS_NOPREFIX),
              GetWindowLongPtrA(tips[0], GWL_STYLE) & (TTS_ALWAYSTIP | TTS_NOPREFIX));
}

TEST_F(ScorePanelTest, RestingThePointerOnADisplayShowsItsTipEvenWhenInactive)
{
    Panel p(121, 37);
    // Another window takes the activation, away from the panel.
    wt::TestWindow other(120, 60);
    SetWindowPos(other.hwnd(), nullptr, 600, 500, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    SetForegroundWindow(other.hwnd());
    wt::PumpMessages();
    EXPECT_NE(p.host.hwnd(), GetForegroundWindow());

    const struct {
        HWND child;
        const std::string& text;
    } stops[] = {{p.Counter(), kClickCountSjis}, {p.Timer(), kElapsedTimeSjis}};
    for (const auto& stop : stops) {
        wt::MoveCursorToClient(stop.child, 27, 12);
        wt::MoveCursorToClient(stop.child, 28, 13);  // a move inside the tool starts the wait
        HWND tip = nullptr;
        const bool shown = wt::PumpUntil(
            [&] {
                tip = VisibleTip();
                return tip && WindowText(tip) == stop.text;
            },
            4000);
        EXPECT_TRUE(shown) << "tip " << (tip ? WindowText(tip) : std::string("(none)"));
    }
    wt::MoveCursorToClient(p.host.hwnd(), 0, 0);
}

TEST_F(ScorePanelTest, TooltipRoutinesSendAFirstVersionToolInfo)
{
    wt::TestWindow host(200, 100);
    HWND tooltip = TooltipCreate(host.hwnd(), GetModuleHandleA(nullptr), TTS_ALWAYSTIP, 0);
    ASSERT_NE(nullptr, tooltip);
    HWND child = CreateWindowExA(0, "STATIC", "", WS_CHILD | WS_VISIBLE, 0, 0, 20, 20, host.hwnd(),
                                 reinterpret_cast<HMENU>(7), GetModuleHandleA(nullptr), nullptr);

    // Watch what reaches the tooltip.
    static TOOLINFOA seen;
    static WNDPROC original;
    static constexpr size_t kVersion1 = offsetof(TOOLINFOA, lParam);
    original = reinterpret_cast<WNDPROC>(SetWindowLongPtrA(
        tooltip, GWLP_WNDPROC,
        reinterpret_cast<LONG_PTR>(+[](HWND w, UINT m, WPARAM wp, LPARAM lp) CALLBACK -> LRESULT {
            if (m == TTM_ADDTOOLA) memcpy(&seen, reinterpret_cast<void*>(lp), kVersion1);
            return CallWindowProcA(original, w, m, wp, lp);
        })));

    EXPECT_TRUE(TooltipAddChildTool(tooltip, TTF_SUBCLASS, host.hwnd(), host.hwnd(), 7, "seven"));
    // Version 1 of the record: three handles and the tool id are pointer-sized.
    EXPECT_EQ(sizeof(void*) == 4 ? 40u : 56u, seen.cbSize);
    static_assert(kVersion1 == (sizeof(void*) == 4 ? 40u : 56u), "up to lpszText");
    EXPECT_EQ(static_cast<UINT>(TTF_SUBCLASS | TTF_IDISHWND), seen.uFlags);
    EXPECT_EQ(1, SendMessageA(tooltip, TTM_GETTOOLCOUNT, 0, 0));
    EXPECT_EQ("seven", ToolText(tooltip, host.hwnd(), child));
    // The fields a caller does not give are empty, whatever the stack held:
    // the tooltip keeps them and hands them back (TTM_GETTOOLINFOA).
    DirtyStack();
    EXPECT_TRUE(TooltipAddTool(tooltip, 0, host.hwnd(), host.hwnd(), "host"));
    EXPECT_EQ(0, seen.rect.left | seen.rect.top | seen.rect.right | seen.rect.bottom);
    EXPECT_EQ(nullptr, seen.hinst);

    // No such child: nothing is added, and the caller hears so.
    EXPECT_FALSE(TooltipAddChildTool(tooltip, TTF_SUBCLASS, host.hwnd(), host.hwnd(), 8, "eight"));
    EXPECT_EQ(2, SendMessageA(tooltip, TTM_GETTOOLCOUNT, 0, 0));
    // No tooltip: the panel's case when the tooltip could not be made.
    EXPECT_FALSE(TooltipAddTool(nullptr, TTF_SUBCLASS, host.hwnd(), child, "none"));

    SetWindowLongPtrA(tooltip, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(original));
    DestroyWindow(tooltip);
}

// ---- Lifetime -----------------------------------------------------------------------------

TEST_F(ScorePanelTest, PanelsComeAndGoAndRepaintWithoutLeakingHandles)
{
    const auto round = [](int i) {
        Panel p(121 - i % 3, 66);
        ScoreAddClick(p.panel);
        ScoreStartTimer(p.panel);
        for (int j = 0; j < 60; ++j) {
            RedrawWindow(p.panel, nullptr, nullptr,
                         RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW);
        }
        wt::ReadClientPixels(p.Counter());
        ASSERT_EQ(1u, TooltipsOf(p.panel).size());
    };
    // The first round may make objects Wine then keeps for the process
    // (cached window DCs and the like); count from there.
    round(0);
    wt::PumpMessages();
    const wt::HandleCounts before = wt::CountHandles();
    for (int i = 1; i <= 10; ++i) round(i);
    wt::PumpMessages();
    const wt::HandleCounts after = wt::CountHandles();
    EXPECT_EQ(before.gdi, after.gdi);
    EXPECT_EQ(before.user, after.user);
    EXPECT_EQ(nullptr, VisibleTip());
}
