// The LED windows when the memory for their state runs out at creation, and
// the records' lifetime, through the link-time malloc seam.
#include <gtest/gtest.h>

#include <cstdint>

#include "app/window_util.h"
#include "controls/led_counter.h"
#include "controls/led_display.h"
#include "controls/led_timer.h"
#include "controls/score_panel.h"
#include "resources/resource_ids.h"
#include "tests/wine/import_seam.h"
#include "tests/wine/led_reference.h"
#include "tests/wine/malloc_seam.h"
#include "tests/wine/support/wine_test.h"

namespace {

class LedAllocTest : public testing::Test {
protected:
    static void SetUpTestSuite() { ScoreRegister(GetModuleHandleA(nullptr)); }

    wt::ScopedSysColors colours{{COLOR_BTNSHADOW, ledref::kShadow},
                                {COLOR_BTNHIGHLIGHT, ledref::kHighlight}};
    wt::TestWindow host{200, 120};

    wt::Pixels Face(HWND led) const
    {
        RequestRepaint(led);
        UpdateWindow(led);
        return wt::ReadClientPixels(led);
    }
};

}  // namespace

TEST_F(LedAllocTest, CounterWithoutMemoryForItsCountStillShowsAndRefusesChanges)
{
    HWND counter = nullptr;
    {
        ms::MallocWatch watch(1);
        counter = LedCreate(kLedCounter, host.hwnd(), IDC_COUNTER, WS_CHILD | WS_VISIBLE);
        ASSERT_TRUE(watch.Failed());
        EXPECT_EQ(sizeof(int32_t), watch.FailedSize());
    }
    ASSERT_NE(nullptr, counter);
    EXPECT_EQ(54, GetWindowSize(counter).x);
    EXPECT_EQ(25, GetWindowSize(counter).y);
    EXPECT_EQ(0, CounterIncrement(counter));
    EXPECT_EQ(0, CounterReset(counter));
    EXPECT_EQ(0, CounterGetValue(counter));
    EXPECT_TRUE(ledref::ShowsFace(Face(counter), 0));
    EXPECT_TRUE(DestroyWindow(counter));
}

TEST_F(LedAllocTest, TimerWithoutMemoryForItsStateNeverArmsItsTick)
{
    HWND timer = nullptr;
    {
        ms::MallocWatch watch(1);
        timer = LedCreate(kLedTimer, host.hwnd(), IDC_TIMER, WS_CHILD | WS_VISIBLE);
        ASSERT_TRUE(watch.Failed());
        EXPECT_EQ(sizeof(TimerState), watch.FailedSize());
    }
    ASSERT_NE(nullptr, timer);
    EXPECT_EQ(54, GetWindowSize(timer).x);
    EXPECT_EQ(0, TimerStart(timer));
    EXPECT_EQ(0, TimerReset(timer));
    EXPECT_EQ(0, TimerStop(timer));
    EXPECT_EQ(0, TimerGetSeconds(timer));
    // No tick was armed, so no WM_TIMER for it ever arrives.
    MSG msg;
    wt::PumpFor(250);
    EXPECT_FALSE(PeekMessageA(&msg, timer, WM_TIMER, WM_TIMER, PM_NOREMOVE));
    EXPECT_TRUE(ledref::ShowsFace(Face(timer), 0));
    EXPECT_TRUE(DestroyWindow(timer));
}

TEST_F(LedAllocTest, PanelWhoseCounterHasNoMemoryKeepsItsTimer)
{
    HWND panel = nullptr;
    {
        ms::MallocWatch watch(1);  // the counter is made first
        panel = ScoreCreate(host.hwnd(), IDC_SCORE, WS_CHILD | WS_VISIBLE);
        ASSERT_TRUE(watch.Failed());
    }
    ASSERT_NE(nullptr, panel);
    EXPECT_EQ(0, ScoreAddClick(panel));
    EXPECT_EQ(0, ScoreGetClicks(panel));
    EXPECT_EQ(1, ScoreStartTimer(panel));
    EXPECT_EQ(1, ScoreStopTimer(panel));
    EXPECT_TRUE(DestroyWindow(panel));
}

TEST_F(LedAllocTest, EachWindowFreesItsRecordWhenDestroyed)
{
    ms::MallocWatch watch;
    HWND panel = ScoreCreate(host.hwnd(), IDC_SCORE, WS_CHILD | WS_VISIBLE);
    ASSERT_NE(nullptr, panel);
    EXPECT_EQ(2, watch.Live());  // the count and the timer's state; the panel has none
    ScoreStartTimer(panel);
    ScoreAddClick(panel);
    ScoreReset(panel);
    EXPECT_EQ(2, watch.Live());
    // The counter takes its property away too, before its last message.
    static bool propAtEnd = true;
    static WNDPROC counterProc;
    counterProc = reinterpret_cast<WNDPROC>(SetWindowLongPtrA(
        GetDlgItem(panel, IDC_COUNTER), GWLP_WNDPROC,
        reinterpret_cast<LONG_PTR>(+[](HWND w, UINT m, WPARAM wp, LPARAM lp) CALLBACK -> LRESULT {
            if (m == WM_NCDESTROY) propAtEnd = GetPropA(w, kCounterProp) != nullptr;
            return CallWindowProcA(counterProc, w, m, wp, lp);
        })));
    DestroyWindow(panel);
    EXPECT_EQ(0, watch.Live());
    EXPECT_FALSE(propAtEnd);

    // Records the windows cannot hold are freed at once, and the windows do without.
    is::Failing failing(is::Call::SetPropA);
    panel = ScoreCreate(host.hwnd(), IDC_SCORE, WS_CHILD | WS_VISIBLE);
    EXPECT_EQ(0, watch.Live());
    EXPECT_EQ(0, ScoreAddClick(panel));
    EXPECT_TRUE(DestroyWindow(panel));
}
