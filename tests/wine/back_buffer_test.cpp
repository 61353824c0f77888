#include <gtest/gtest.h>

#include <vector>

#include "controls/back_buffer.h"
#include "controls/bevel.h"
#include "tests/wine/import_seam.h"
#include "tests/wine/support/wine_test.h"

namespace {

// What the test window's draw step paints, and what it was given.
struct DrawLog {
    COLORREF fill = RGB(255, 0, 0);
    bool bevel = false;
    int calls = 0;
    RECT lastClient = {};
    POINT brushFromClientCorner = {-1, -1};  // the brush origin, from where client (0, 0) lands
};
DrawLog g_log;

void TestDraw(HWND, HDC dc, const RECT* client)
{
    ++g_log.calls;
    g_log.lastClient = *client;
    POINT corner = {0, 0};
    POINT origin;
    LPtoDP(dc, &corner, 1);
    GetBrushOrgEx(dc, &origin);
    g_log.brushFromClientCorner = {origin.x - corner.x, origin.y - corner.y};
    if (g_log.bevel) {
        FillFace(dc, client);
        DrawRaisedBevel(dc, client, 3);
        return;
    }
    // No brush of its own: it paints also when GDI handles run short.
    SetDCBrushColor(dc, g_log.fill);
    FillRect(dc, client, static_cast<HBRUSH>(GetStockObject(DC_BRUSH)));
}

LRESULT CALLBACK BufferedProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    // Like every window of the game: no WM_ERASEBKGND handling, WM_PAINT buffered.
    if (msg == WM_PAINT) return PaintWithBackBuffer(hwnd, TestDraw);
    return DefWindowProcA(hwnd, msg, wParam, lParam);
}

// A child window of the given size that paints through the back buffer.
struct BufferedWindow {
    wt::TestWindow host{300, 200};
    HWND child = nullptr;

    BufferedWindow(int width, int height)
    {
        const char* cls = wt::RegisterTestClass("bb_test", BufferedProc);
        child = CreateWindowExA(0, cls, "", WS_CHILD | WS_VISIBLE, 10, 10, width, height,
                                host.hwnd(), nullptr, GetModuleHandleA(nullptr), nullptr);
        UpdateWindow(child);
        wt::PumpMessages();
    }
    ~BufferedWindow() { DestroyWindow(child); }
};

// Takes every free GDI handle but `spare` for the life of the object.
class ScarceGdiHandles {
public:
    explicit ScarceGdiHandles(int spare)
    {
        held_.reserve(1 << 16);  // the list itself must not need memory once the handles are gone
        while (HRGN region = CreateRectRgn(0, 0, 1, 1)) held_.push_back(region);
        for (int i = 0; i < spare && !held_.empty(); ++i) {
            DeleteObject(held_.back());
            held_.pop_back();
        }
    }
    ~ScarceGdiHandles()
    {
        for (HRGN region : held_) DeleteObject(region);
    }
    ScarceGdiHandles(const ScarceGdiHandles&) = delete;
    ScarceGdiHandles& operator=(const ScarceGdiHandles&) = delete;

private:
    std::vector<HRGN> held_;
};

class BackBufferTest : public testing::Test {
protected:
    void SetUp() override { g_log = DrawLog(); }
};

}  // namespace

TEST_F(BackBufferTest, DrawsTheWholeClientAreaAndShowsIt)
{
    BufferedWindow w(80, 120);  // taller than wide: a buffer sized by one side alone falls short
    EXPECT_GE(g_log.calls, 1);
    EXPECT_EQ(0, g_log.lastClient.left);
    EXPECT_EQ(0, g_log.lastClient.top);
    EXPECT_EQ(80, g_log.lastClient.right);
    EXPECT_EQ(120, g_log.lastClient.bottom);
    const wt::Pixels p = wt::ReadClientPixels(w.child);
    EXPECT_EQ(80 * 120, p.Count({0, 0, 80, 120}, RGB(255, 0, 0)));
}

TEST_F(BackBufferTest, OnlyTheInvalidPartChangesOnScreen)
{
    BufferedWindow w(120, 80);
    g_log.fill = RGB(0, 0, 255);
    g_log.calls = 0;
    const RECT dirty = {31, 20, 70, 50};  // odd: a pattern aligned to the buffer would show
    InvalidateRect(w.child, &dirty, FALSE);
    UpdateWindow(w.child);
    wt::PumpMessages();

    // The draw step still got the whole client area...
    ASSERT_EQ(1, g_log.calls);
    EXPECT_EQ(120, g_log.lastClient.right);
    EXPECT_EQ(80, g_log.lastClient.bottom);
    // ...with patterns such as the focus dots aligned to the client area...
    EXPECT_EQ(0, g_log.brushFromClientCorner.x);
    EXPECT_EQ(0, g_log.brushFromClientCorner.y);
    // ...but only the invalid rectangle reached the screen.
    const wt::Pixels p = wt::ReadClientPixels(w.child);
    EXPECT_EQ(39 * 30, p.Count(dirty, RGB(0, 0, 255)));
    EXPECT_EQ(120 * 80 - 39 * 30, p.Count({0, 0, 120, 80}, RGB(255, 0, 0)));
}

TEST_F(BackBufferTest, NextPaintUsesChangedSystemColoursButKeepsTheFace)
{
    g_log.bevel = true;
    BufferedWindow w(40, 30);
    const COLORREF light = RGB(10, 200, 30);
    const COLORREF dark = RGB(90, 20, 160);
    {
        wt::ScopedSysColors colours{{COLOR_BTNHIGHLIGHT, light}, {COLOR_BTNSHADOW, dark}};
        InvalidateRect(w.child, nullptr, FALSE);
        UpdateWindow(w.child);
        wt::PumpMessages();
        const wt::Pixels p = wt::ReadClientPixels(w.child);
        EXPECT_EQ(light, p.At(0, 0));
        EXPECT_EQ(light, p.At(2, 2));
        EXPECT_EQ(dark, p.At(39, 29));
        EXPECT_EQ(dark, p.At(37, 27));
        EXPECT_EQ(kFaceColour, p.At(3, 3));
        EXPECT_EQ(34 * 24, p.Count({3, 3, 37, 27}, kFaceColour));
    }
}

TEST_F(BackBufferTest, APaintWithoutRoomForItsBufferStillEndsAndValidates)
{
    // With GDI handles running out, first the buffer's bitmap and then its
    // DC cannot be made: nothing is drawn, yet every paint must end, leaving
    // the window valid and giving back the paint DC and whatever it made.
    BufferedWindow w(120, 80);
    const wt::HandleCounts before = wt::CountHandles();
    bool drewNothing = false;
    bool drew = false;
    g_log.fill = RGB(0, 0, 255);  // over the first paint's red
    for (int spare = 0; spare <= 4; ++spare) {
        g_log.calls = 0;
        InvalidateRect(w.child, nullptr, FALSE);
        {
            ScarceGdiHandles scarce(spare);
            UpdateWindow(w.child);  // one WM_PAINT, handled at once
        }
        RECT update;
        EXPECT_FALSE(GetUpdateRect(w.child, &update, FALSE)) << spare << " handles spare";
        // The old pixels or the new, whole: never what a buffer without its bitmap holds.
        const wt::Pixels p = wt::ReadClientPixels(w.child);
        const COLORREF shown = p.At(0, 0);
        EXPECT_TRUE(shown == RGB(255, 0, 0) || shown == RGB(0, 0, 255)) << spare;
        EXPECT_EQ(120 * 80, p.Count({0, 0, 120, 80}, shown)) << spare;
        drewNothing |= g_log.calls == 0;
        drew |= g_log.calls == 1;
    }
    EXPECT_TRUE(drewNothing && drew) << "the handles spared never made the buffer fail, or always";
    {
        // A bitmap would do, but there is no DC to draw into it.
        is::Failing noDc(is::Call::CreateCompatibleDC);
        g_log.calls = 0;
        InvalidateRect(w.child, nullptr, FALSE);
        UpdateWindow(w.child);
        EXPECT_EQ(0, g_log.calls);
    }
    EXPECT_EQ(before.gdi, wt::CountHandles().gdi);
}

TEST_F(BackBufferTest, ManyPaintsLeaveTheHandleCountsBalanced)
{
    BufferedWindow w(200, 150);
    const wt::HandleCounts before = wt::CountHandles();
    for (int i = 0; i < 300; ++i) {
        g_log.fill = RGB(i % 256, 0, 0);
        g_log.bevel = i % 2 == 0;
        InvalidateRect(w.child, nullptr, FALSE);
        UpdateWindow(w.child);
    }
    wt::PumpMessages();
    EXPECT_GE(g_log.calls, 300);
    const wt::HandleCounts after = wt::CountHandles();
    EXPECT_EQ(before.gdi, after.gdi);
    EXPECT_EQ(before.user, after.user);
}
