// The harness must be able to see a fault: these check that its handle
// counts, pixel reads and cursor moves report real changes.
#include <gtest/gtest.h>

#include "tests/wine/support/wine_test.h"

TEST(Harness, HandleCountsSeeAGdiObjectComeAndGo)
{
    const wt::HandleCounts before = wt::CountHandles();
    HPEN pen = CreatePen(PS_SOLID, 0, RGB(1, 2, 3));
    HBRUSH brush = CreateSolidBrush(RGB(4, 5, 6));
    EXPECT_EQ(before.gdi + 2, wt::CountHandles().gdi);
    DeleteObject(pen);
    DeleteObject(brush);
    EXPECT_EQ(before.gdi, wt::CountHandles().gdi);
}

TEST(Harness, HandleCountsSeeAWindowComeAndGo)
{
    const wt::HandleCounts before = wt::CountHandles();
    {
        wt::TestWindow window(50, 50);
        EXPECT_GT(wt::CountHandles().user, before.user);
    }
    EXPECT_EQ(before.user, wt::CountHandles().user);
}

TEST(Harness, ClientPixelsShowWhatWasPainted)
{
    wt::TestWindow window(60, 40);
    HDC dc = GetDC(window.hwnd());
    HBRUSH brush = CreateSolidBrush(RGB(10, 200, 30));
    RECT part = {5, 6, 25, 16};
    FillRect(dc, &part, brush);
    DeleteObject(brush);
    ReleaseDC(window.hwnd(), dc);
    const wt::Pixels p = wt::ReadClientPixels(window.hwnd());
    // A captioned window is at least as wide as its caption needs.
    ASSERT_GE(p.width, 60);
    ASSERT_EQ(40, p.height);
    EXPECT_EQ(200, p.Count(part, RGB(10, 200, 30)));
    EXPECT_EQ(RGB(192, 192, 192), p.At(0, 0));  // the class's light grey background
}

TEST(Harness, TheRealCursorMovesAndClicksReachTheWindow)
{
    int downs = 0, ups = 0;
    POINT at = {};
    wt::TestWindow window(100, 80, [&](HWND, UINT msg, WPARAM, LPARAM lParam, LRESULT*) {
        if (msg == WM_LBUTTONDOWN) {
            ++downs;
            at = {static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
        }
        if (msg == WM_LBUTTONUP) ++ups;
        return false;
    });
    wt::ClickClient(window.hwnd(), 33, 44);
    POINT cursor;
    GetCursorPos(&cursor);
    ScreenToClient(window.hwnd(), &cursor);
    EXPECT_EQ(33, cursor.x);
    EXPECT_EQ(44, cursor.y);
    EXPECT_EQ(1, downs);
    EXPECT_EQ(1, ups);
    EXPECT_EQ(33, at.x);
    EXPECT_EQ(44, at.y);
}
