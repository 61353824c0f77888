#include <gtest/gtest.h>

#include "controls/bevel.h"
#include "tests/wine/import_seam.h"
#include "tests/wine/support/wine_test.h"

namespace {

constexpr COLORREF kBackground = RGB(1, 2, 3);
constexpr COLORREF kLight = RGB(250, 240, 230);
constexpr COLORREF kDark = RGB(20, 40, 60);

enum class Pen { None, First, Second };

// The ring rule, written from the picture rather than from the drawing code:
// ring i is the outline of (L+i, T+i)..(r-i, b-i) inclusive; the first pen
// has the left column and the top row but its rightmost pixel, the second pen
// the right column and the bottom row but its leftmost pixel.
Pen ExpectedPen(const RECT& r, int rings, int x, int y)
{
    const int right = r.right - 1, bottom = r.bottom - 1;
    for (int i = 0; i < rings; ++i) {
        const int l = r.left + i, t = r.top + i, rr = right - i, bb = bottom - i;
        if (l > rr || t > bb) break;
        if (x < l || x > rr || y < t || y > bb) continue;
        if (x == rr) return Pen::Second;
        if (x == l) return Pen::First;
        if (y == t) return Pen::First;
        if (y == bb) return Pen::Second;
    }
    return Pen::None;
}

wt::Pixels Draw(int width, int height, const RECT& rect, int rings, bool raised)
{
    return wt::DrawOffscreen(width, height, kBackground, [&](HDC dc) {
        EXPECT_EQ(1,
                  raised ? DrawRaisedBevel(dc, &rect, rings) : DrawSunkenBevel(dc, &rect, rings));
    });
}

void ExpectRings(const wt::Pixels& pixels, const RECT& rect, int rings, COLORREF first,
                 COLORREF second)
{
    for (int y = 0; y < pixels.height; ++y) {
        for (int x = 0; x < pixels.width; ++x) {
            COLORREF want = kBackground;
            switch (ExpectedPen(rect, rings, x, y)) {
            case Pen::First: want = first; break;
            case Pen::Second: want = second; break;
            case Pen::None: break;
            }
            ASSERT_EQ(want, pixels.At(x, y))
                << "pixel " << x << "," << y << "\n"
                << pixels.Picture({0, 0, pixels.width, pixels.height},
                                  {{kBackground, '.'}, {first, 'F'}, {second, 'S'}});
        }
    }
}

class BevelTest : public testing::Test {
protected:
    wt::ScopedSysColors colours{{COLOR_BTNHIGHLIGHT, kLight}, {COLOR_BTNSHADOW, kDark}};
};

}  // namespace

TEST_F(BevelTest, OneRingSunkenOnSixteenSquareSplitsTheCorners)
{
    const RECT cell = {0, 0, 16, 16};
    const wt::Pixels p = Draw(16, 16, cell, 1, false);
    for (int y = 0; y < 16; ++y) {
        EXPECT_EQ(kDark, p.At(0, y)) << y;    // left column, both corners
        EXPECT_EQ(kLight, p.At(15, y)) << y;  // right column, both corners
    }
    for (int x = 1; x < 15; ++x) {
        EXPECT_EQ(kDark, p.At(x, 0)) << x;
        EXPECT_EQ(kLight, p.At(x, 15)) << x;
    }
    EXPECT_EQ(14 * 14, p.Count({1, 1, 15, 15}, kBackground));
}

TEST_F(BevelTest, TwoRingsRaisedOnSixteenSquareNestInward)
{
    const RECT cell = {0, 0, 16, 16};
    const wt::Pixels p = Draw(16, 16, cell, 2, true);
    // Outer ring: light row 0 x 0..14 and column 0; dark column 15 and row 15 x 1..15.
    EXPECT_EQ(15, p.Count({0, 0, 15, 1}, kLight));
    EXPECT_EQ(kDark, p.At(15, 0));
    EXPECT_EQ(16, p.Count({0, 0, 1, 16}, kLight));
    EXPECT_EQ(16, p.Count({15, 0, 16, 16}, kDark));
    EXPECT_EQ(kLight, p.At(0, 15));
    // Inner ring, one pixel further in.
    EXPECT_EQ(13, p.Count({1, 1, 14, 2}, kLight));
    EXPECT_EQ(kDark, p.At(14, 1));
    EXPECT_EQ(kLight, p.At(1, 14));
    EXPECT_EQ(13, p.Count({2, 14, 15, 15}, kDark));
    EXPECT_EQ(12 * 12, p.Count({2, 2, 14, 14}, kBackground));
    ExpectRings(p, cell, 2, kLight, kDark);
}

TEST_F(BevelTest, EveryRingCountAndPlacementFollowsTheRingRule)
{
    struct Case {
        RECT rect;
        int rings;
    };
    const Case cases[] = {
        {{3, 5, 19, 21}, 1}, {{3, 5, 19, 21}, 3},
        {{0, 0, 30, 20}, 4}, {{2, 2, 9, 4}, 1},  // two rows: top and bottom rows touch
        {{4, 4, 10, 10}, 3},                     // the innermost ring is 2 x 2
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message()
                     << c.rings << " rings on " << c.rect.left << "," << c.rect.top << ","
                     << c.rect.right << "," << c.rect.bottom);
        ExpectRings(Draw(32, 24, c.rect, c.rings, true), c.rect, c.rings, kLight, kDark);
        ExpectRings(Draw(32, 24, c.rect, c.rings, false), c.rect, c.rings, kDark, kLight);
    }
}

TEST_F(BevelTest, ZeroOrNegativeRingsDrawNothingAndTheRectangleStaysPut)
{
    for (int rings : {0, -1, -100}) {
        RECT rect = {2, 3, 14, 15};
        const wt::Pixels p = wt::DrawOffscreen(16, 16, kBackground, [&](HDC dc) {
            EXPECT_EQ(1, DrawRaisedBevel(dc, &rect, rings));
            EXPECT_EQ(1, DrawSunkenBevel(dc, &rect, rings));
        });
        EXPECT_EQ(256, p.Count({0, 0, 16, 16}, kBackground)) << rings;
        EXPECT_EQ(2, rect.left);
    }
    RECT rect = {2, 3, 14, 15};
    wt::DrawOffscreen(16, 16, kBackground, [&](HDC dc) { DrawSunkenBevel(dc, &rect, 3); });
    EXPECT_EQ(2, rect.left);
    EXPECT_EQ(3, rect.top);
    EXPECT_EQ(14, rect.right);
    EXPECT_EQ(15, rect.bottom);
}

TEST_F(BevelTest, LeavesTheDeviceContextAsItFoundIt)
{
    wt::DrawOffscreen(16, 16, kBackground, [&](HDC dc) {
        HPEN mine = CreatePen(PS_SOLID, 0, RGB(9, 9, 9));
        HGDIOBJ before = SelectObject(dc, mine);
        MoveToEx(dc, 7, 8, nullptr);
        const RECT rect = {0, 0, 16, 16};
        DrawRaisedBevel(dc, &rect, 2);
        EXPECT_EQ(mine, GetCurrentObject(dc, OBJ_PEN));
        POINT at;
        GetCurrentPositionEx(dc, &at);
        EXPECT_EQ(7, at.x);
        EXPECT_EQ(8, at.y);
        SelectObject(dc, before);
        DeleteObject(mine);
    });
}

TEST_F(BevelTest, WithoutSaveDCTheCallersPenComesBackAndNoPenIsLeft)
{
    const wt::HandleCounts before = wt::CountHandles();
    HPEN mine = CreatePen(PS_SOLID, 0, RGB(9, 9, 9));
    const RECT rect = {3, 5, 19, 21};
    for (bool raised : {true, false}) {
        is::Failing failing(is::Call::SaveDC);
        const wt::Pixels p = wt::DrawOffscreen(32, 24, kBackground, [&](HDC dc) {
            HGDIOBJ old = SelectObject(dc, mine);
            raised ? DrawRaisedBevel(dc, &rect, 3) : DrawSunkenBevel(dc, &rect, 3);
            EXPECT_EQ(mine, GetCurrentObject(dc, OBJ_PEN)) << (raised ? "raised" : "sunken");
            SelectObject(dc, old);
        });
        ASSERT_GT(failing.Calls(), 0) << "the seam did not reach the bevel";
        ExpectRings(p, rect, 3, raised ? kLight : kDark, raised ? kDark : kLight);
    }
    DeleteObject(mine);
    EXPECT_EQ(before.gdi, wt::CountHandles().gdi);
}

TEST_F(BevelTest, FollowsTheSystemColoursAtEachCall)
{
    const RECT rect = {0, 0, 8, 8};
    const wt::Pixels before = Draw(8, 8, rect, 1, true);
    EXPECT_EQ(kLight, before.At(0, 0));
    {
        wt::ScopedSysColors other{{COLOR_BTNHIGHLIGHT, RGB(0, 255, 0)},
                                  {COLOR_BTNSHADOW, RGB(0, 0, 255)}};
        const wt::Pixels after = Draw(8, 8, rect, 1, true);
        ExpectRings(after, rect, 1, RGB(0, 255, 0), RGB(0, 0, 255));
    }
}

TEST_F(BevelTest, ManyBevelsLeakNoGdiObjects)
{
    const wt::HandleCounts before = wt::CountHandles();
    wt::DrawOffscreen(64, 64, kBackground, [&](HDC dc) {
        for (int i = 0; i < 500; ++i) {
            const RECT rect = {i % 10, i % 7, 64 - i % 5, 64 - i % 3};
            DrawRaisedBevel(dc, &rect, 1 + i % 4);
            DrawSunkenBevel(dc, &rect, 1 + i % 4);
            FillFace(dc, &rect);
        }
    });
    EXPECT_EQ(before.gdi, wt::CountHandles().gdi);
}
