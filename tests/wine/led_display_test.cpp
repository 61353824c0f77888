// The counter and the timer in real windows: their faces on screen, the
// timer against the real clock, and windows that lost their state record.
#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>

#include "app/window_util.h"
#include "controls/led_counter.h"
#include "controls/led_display.h"
#include "controls/led_timer.h"
#include "resources/resource_ids.h"
#include "tests/wine/import_seam.h"
#include "tests/wine/led_reference.h"
#include "tests/wine/support/wine_test.h"

namespace {

using ledref::ShowsFace;

// A counter or timer as the panel makes one, in a host window of its own.
struct LedWindow {
    wt::TestWindow host{160, 80};
    HWND led = nullptr;

    explicit LedWindow(bool timer)
    {
        led = LedCreate(timer ? kLedTimer : kLedCounter, host.hwnd(), timer ? 11 : 10,
                        WS_CHILD | WS_VISIBLE);
        SetWindowPosition(led, 20, 20);
        wt::PumpMessages();
    }
    // Paints what is pending, without letting a tick in, and reads the face.
    wt::Pixels Face() const
    {
        UpdateWindow(led);
        return wt::ReadClientPixels(led);
    }
    // Repaints everything first.
    wt::Pixels FreshFace() const
    {
        RequestRepaint(led);
        return Face();
    }
    bool RepaintPending() const
    {
        RECT update;
        return GetUpdateRect(led, &update, FALSE) != FALSE;
    }
};

class LedTest : public testing::Test {
protected:
    static void SetUpTestSuite()
    {
        LedRegister(GetModuleHandleA(nullptr), kLedCounter);
        LedRegister(GetModuleHandleA(nullptr), kLedTimer);
    }
    void TearDown() override { is::SetTickOffset(0); }

    wt::ScopedSysColors colours{{COLOR_BTNSHADOW, ledref::kShadow},
                                {COLOR_BTNHIGHLIGHT, ledref::kHighlight}};
};

// Pumps until the timer's seconds reach `seconds`; the tick count then, or 0.
DWORD WaitForSeconds(HWND timer, int seconds, DWORD timeoutMs)
{
    if (!wt::PumpUntil([&] { return TimerGetSeconds(timer) >= seconds; }, timeoutMs)) return 0;
    return GetTickCount();
}

}  // namespace

// ---- Counter ----------------------------------------------------------------

TEST_F(LedTest, CounterShowsFourDigitsWithLeadingZerosAndOnlyTheLastFour)
{
    LedWindow w(false);
    EXPECT_EQ(ledref::kFaceW, GetWindowSize(w.led).x);  // created 1 x 1, sized itself
    EXPECT_EQ(ledref::kFaceH, GetWindowSize(w.led).y);
    EXPECT_EQ(0, LedGetPreferredSize(w.led, nullptr));  // nowhere to put the size
    EXPECT_EQ(0, CounterGetValue(w.led));
    EXPECT_TRUE(ShowsFace(w.FreshFace(), 0));

    struct Step {
        int value;
        int shown;
    };
    const Step steps[] = {{7, 7}, {10, 10}, {1234, 1234}, {9999, 9999}, {10000, 0}, {12345, 2345}};
    int value = 0;
    for (const Step& step : steps) {
        while (value < step.value) {
            ASSERT_EQ(1, CounterIncrement(w.led));
            ++value;
        }
        EXPECT_EQ(step.value, CounterGetValue(w.led));
        EXPECT_TRUE(ShowsFace(w.Face(), step.shown)) << "value " << step.value;
    }
}

TEST_F(LedTest, CounterChangesRepaintAtOnce)
{
    LedWindow w(false);
    ASSERT_FALSE(w.RepaintPending());
    EXPECT_EQ(1, CounterIncrement(w.led));
    EXPECT_TRUE(w.RepaintPending());
    EXPECT_TRUE(ShowsFace(w.Face(), 1));
    CounterIncrement(w.led);
    CounterIncrement(w.led);
    EXPECT_TRUE(ShowsFace(w.Face(), 3));

    EXPECT_EQ(1, CounterReset(w.led));
    EXPECT_TRUE(w.RepaintPending());
    EXPECT_EQ(0, CounterGetValue(w.led));
    EXPECT_TRUE(ShowsFace(w.Face(), 0));
}

TEST_F(LedTest, CounterStaysNonNegativeAtTheLargestCount)
{
    LedWindow w(false);
    auto* count = static_cast<int32_t*>(GetPropA(w.led, kCounterProp));
    ASSERT_NE(nullptr, count);
    *count = INT32_MAX - 1;
    CounterIncrement(w.led);
    CounterIncrement(w.led);
    EXPECT_EQ(INT32_MAX, CounterGetValue(w.led));
    EXPECT_TRUE(ShowsFace(w.Face(), INT32_MAX));  // ...3647
}

// ---- Digits on their own -----------------------------------------------------

TEST_F(LedTest, DigitsSitOnePixelInFromTheRectangleAndPaintNothingElse)
{
    constexpr COLORREF kPaper = RGB(1, 99, 1);
    const RECT rect = {5, 7, 200, 200};
    const wt::Pixels p = wt::DrawOffscreen(
        70, 40, kPaper, [&](HDC dc) { EXPECT_EQ(1, DrawLedDigits(dc, &rect, 4096)); });
    const RECT digits = {6, 8, 6 + 52, 8 + 23};
    const int divisors[4] = {1000, 100, 10, 1};
    for (int y = 0; y < p.height; ++y) {
        for (int x = 0; x < p.width; ++x) {
            COLORREF want = kPaper;
            if (x >= digits.left && x < digits.right && y >= digits.top && y < digits.bottom) {
                const int i = (x - digits.left) / ledref::kGlyphW;
                want = ledref::GlyphPixel(4096 / divisors[i] % 10,
                                          (x - digits.left) % ledref::kGlyphW, y - digits.top);
            }
            ASSERT_EQ(want, p.At(x, y)) << x << "," << y;
        }
    }
}

TEST_F(LedTest, NegativeValueShowsZerosRatherThanBytesOutsideTheStrip)
{
    const RECT rect = {0, 0, ledref::kFaceW, ledref::kFaceH};
    const wt::Pixels zero =
        wt::DrawOffscreen(54, 25, RGB(1, 2, 3), [&](HDC dc) { DrawLedDigits(dc, &rect, 0); });
    for (int value : {-1, -7, -12345, INT32_MIN}) {
        const wt::Pixels p = wt::DrawOffscreen(54, 25, RGB(1, 2, 3),
                                               [&](HDC dc) { DrawLedDigits(dc, &rect, value); });
        EXPECT_EQ(zero.data, p.data) << value;
    }
}

TEST_F(LedTest, MissingStripLeavesADarkDisplayAndSaysSo)
{
    // A module without the strip: the system's own ntdll.
    HMODULE other = GetModuleHandleA("ntdll.dll");
    ASSERT_NE(nullptr, other);
    ASSERT_EQ(nullptr, FindResourceA(other, MAKEINTRESOURCEA(IDB_DIGITS), MAKEINTRESOURCEA(2)));

    constexpr COLORREF kPaper = RGB(200, 0, 200);
    const RECT rect = {2, 3, 60, 30};
    const wt::HandleCounts before = wt::CountHandles();
    // The same when the strip is there but no DC can be made to draw from.
    for (const bool noDc : {false, true}) {
        const wt::Pixels p = wt::DrawOffscreen(64, 32, kPaper, [&](HDC dc) {
            std::optional<is::Failing> failing;
            if (noDc) failing.emplace(is::Call::CreateCompatibleDC);
            EXPECT_EQ(0, DrawLedDigitsFromModule(noDc ? GetModuleHandleA(nullptr) : other, dc,
                                                 &rect, 8888));
        });
        EXPECT_EQ(before.gdi, wt::CountHandles().gdi);
        const RECT digits = {3, 4, 3 + 52, 4 + 23};
        EXPECT_EQ(52 * 23, p.Count(digits, ledref::kBlack)) << noDc;
        EXPECT_EQ(64 * 32 - 52 * 23, p.Count({0, 0, 64, 32}, kPaper)) << noDc;
    }
}

// ---- Timer --------------------------------------------------------------------

TEST_F(LedTest, TimerDisplayKeepsItsValueUntilTheFirstTickAfterAStart)
{
    LedWindow w(true);
    EXPECT_EQ(ledref::kFaceW, GetWindowSize(w.led).x);
    EXPECT_EQ(ledref::kFaceH, GetWindowSize(w.led).y);
    EXPECT_TRUE(ShowsFace(w.FreshFace(), 0));
    ASSERT_EQ(1, TimerStart(w.led));
    ASSERT_NE(0u, WaitForSeconds(w.led, 1, 3000));
    TimerStop(w.led);
    EXPECT_TRUE(ShowsFace(w.FreshFace(), 1));

    ASSERT_EQ(1, TimerStart(w.led));
    EXPECT_EQ(0, TimerGetSeconds(w.led));
    EXPECT_FALSE(w.RepaintPending());
    wt::PumpFor(40);  // well before the first tick
    EXPECT_TRUE(ShowsFace(w.Face(), 1));
    wt::PumpFor(250);
    EXPECT_TRUE(ShowsFace(w.Face(), 0));
    TimerStop(w.led);
}

TEST_F(LedTest, TimerReachesOneSecondAtTheFirstTickThatFindsASecondGone)
{
    LedWindow w(true);
    const DWORD start = GetTickCount();
    ASSERT_EQ(1, TimerStart(w.led));
    const DWORD one = WaitForSeconds(w.led, 1, 3000);
    ASSERT_NE(0u, one);
    EXPECT_EQ(1, TimerGetSeconds(w.led));
    EXPECT_GE(one - start, 1000u);  // not rounded up
    EXPECT_LT(one - start, 1400u);  // a tick period late at most, with room for the host
    wt::PumpMessages();
    EXPECT_TRUE(ShowsFace(w.Face(), 1));
    TimerStop(w.led);
}

TEST_F(LedTest, TimerResetWhileRunningShowsZeroAtOnceAndCountsOn)
{
    LedWindow w(true);
    TimerStart(w.led);
    ASSERT_NE(0u, WaitForSeconds(w.led, 1, 3000));
    const DWORD reset = GetTickCount();
    ASSERT_EQ(1, TimerReset(w.led));
    EXPECT_EQ(0, TimerGetSeconds(w.led));
    EXPECT_TRUE(ShowsFace(w.Face(), 0));  // painted without waiting for a tick

    const DWORD one = WaitForSeconds(w.led, 1, 3000);
    ASSERT_NE(0u, one) << "the tick should still be running";
    EXPECT_GE(one - reset, 1000u);  // counted from the reset
    TimerStop(w.led);
}

TEST_F(LedTest, TimerStopFreezesTheLastTicksValue)
{
    LedWindow w(true);
    TimerStart(w.led);
    ASSERT_NE(0u, WaitForSeconds(w.led, 1, 3000));
    ASSERT_EQ(1, TimerStop(w.led));
    wt::PumpFor(1300);  // the clock goes on, the display does not
    EXPECT_EQ(1, TimerGetSeconds(w.led));
    EXPECT_TRUE(ShowsFace(w.FreshFace(), 1));
}

TEST_F(LedTest, TimerSecondStartCountsFromZeroAgain)
{
    LedWindow w(true);
    TimerStart(w.led);
    ASSERT_NE(0u, WaitForSeconds(w.led, 1, 3000));
    const DWORD again = GetTickCount();
    ASSERT_EQ(1, TimerStart(w.led));
    EXPECT_EQ(0, TimerGetSeconds(w.led));
    wt::PumpFor(300);
    EXPECT_EQ(0, TimerGetSeconds(w.led));
    EXPECT_TRUE(ShowsFace(w.Face(), 0));
    const DWORD one = WaitForSeconds(w.led, 1, 3000);
    ASSERT_NE(0u, one);
    EXPECT_GE(one - again, 1000u);
    TimerStop(w.led);
}

TEST_F(LedTest, TimerCountsThroughAWrapOfTheTickCount)
{
    LedWindow w(true);
    // Put the clock 600 ms before it wraps to 0.
    is::SetTickOffset(0xFFFFFFFFu - 600u - GetTickCount());
    const DWORD before = GetTickCount();
    ASSERT_GT(before, 0xFFFFF000u);
    TimerStart(w.led);
    int highest = 0;
    ASSERT_TRUE(wt::PumpUntil(
        [&] {
            highest = TimerGetSeconds(w.led) > highest ? TimerGetSeconds(w.led) : highest;
            return TimerGetSeconds(w.led) >= 2;
        },
        4000));
    EXPECT_LT(GetTickCount(), before);  // the clock did wrap
    EXPECT_EQ(2, highest);
    EXPECT_EQ(2, TimerGetSeconds(w.led));
    wt::PumpMessages();
    EXPECT_TRUE(ShowsFace(w.Face(), 2));
    TimerStop(w.led);
}

TEST_F(LedTest, TimerPastTenThousandSecondsShowsTheLastFourDigits)
{
    LedWindow w(true);
    TimerStart(w.led);
    is::SetTickOffset(10000u * 1000u);
    ASSERT_TRUE(wt::PumpUntil([&] { return TimerGetSeconds(w.led) != 0; }, 1000));
    EXPECT_EQ(10000, TimerGetSeconds(w.led));
    TimerStop(w.led);
    EXPECT_TRUE(ShowsFace(w.FreshFace(), 0));

    TimerStart(w.led);
    is::SetTickOffset(10000u * 1000u + 2345u * 1000u);
    ASSERT_TRUE(wt::PumpUntil([&] { return TimerGetSeconds(w.led) != 0; }, 1000));
    TimerStop(w.led);
    EXPECT_EQ(2345, TimerGetSeconds(w.led));
    EXPECT_TRUE(ShowsFace(w.FreshFace(), 2345));
}

// ---- A record that goes away while the tick runs -------------------------------------

TEST_F(LedTest, TickThatFindsNoRecordDoesNothing)
{
    LedWindow w(true);
    TimerStart(w.led);
    ASSERT_NE(0u, WaitForSeconds(w.led, 1, 3000));
    auto* state = static_cast<TimerState*>(GetPropA(w.led, kTimerProp));
    ASSERT_NE(nullptr, state);
    RemovePropA(w.led, kTimerProp);
    free(state);
    wt::PumpFor(300);  // the armed tick keeps coming
    TimerOnTick(w.led, WM_TIMER, IDT_TICK, 0);
    EXPECT_EQ(0, TimerGetSeconds(w.led));
    EXPECT_TRUE(ShowsFace(w.FreshFace(), 0));
    EXPECT_EQ(0, TimerStop(w.led));
    EXPECT_TRUE(DestroyWindow(w.led));
    // Not a timer at all.
    EXPECT_EQ(0, TimerStart(nullptr));
    EXPECT_EQ(0, TimerGetSeconds(nullptr));
}

// ---- Handles ----------------------------------------------------------------------

TEST_F(LedTest, ManyRepaintsLeaveTheHandleCountsBalanced)
{
    LedWindow counter(false);
    LedWindow timer(true);
    TimerStart(timer.led);
    wt::PumpMessages();
    const wt::HandleCounts before = wt::CountHandles();
    for (int i = 0; i < 300; ++i) {
        CounterIncrement(counter.led);
        UpdateWindow(counter.led);
        RequestRepaint(timer.led);
        UpdateWindow(timer.led);
    }
    TimerStop(timer.led);
    wt::PumpMessages();
    const wt::HandleCounts after = wt::CountHandles();
    EXPECT_EQ(before.gdi, after.gdi);
    EXPECT_EQ(before.user, after.user);
    EXPECT_TRUE(ShowsFace(counter.Face(), 300));
}
