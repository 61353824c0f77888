#include "controls/bevel.h"

namespace {

void DrawBevel(HDC dc, const RECT* rect, int rings, COLORREF first, COLORREF second)
{
    HPEN firstPen = CreatePen(PS_SOLID, 0, first);
    HPEN secondPen = CreatePen(PS_SOLID, 0, second);
    const LONG left = rect->left;
    const LONG top = rect->top;
    const LONG right = rect->right - 1;    // last column inside
    const LONG bottom = rect->bottom - 1;  // last row inside
    const int saved = SaveDC(dc);
    HGDIOBJ callersPen = nullptr;
    for (int i = 0; i < rings; ++i) {
        // LineTo stops short of its end point, so each pen owns two corners:
        // the first the left ones, the second the right ones.
        HGDIOBJ replaced = SelectObject(dc, firstPen);
        if (i == 0) {
            callersPen = replaced;
        }
        MoveToEx(dc, left + i, bottom - i, nullptr);
        LineTo(dc, left + i, top + i);
        LineTo(dc, right - i, top + i);
        SelectObject(dc, secondPen);
        MoveToEx(dc, right - i, top + i, nullptr);
        LineTo(dc, right - i, bottom - i);
        LineTo(dc, left + i, bottom - i);
    }
    if (saved) {
        RestoreDC(dc, saved);
    }
    // SaveDC can fail (it needs a GDI object of its own): put the caller's
    // pen back by hand, or ours would stay selected and never be freed.
    if (callersPen) {
        SelectObject(dc, callersPen);
    }
    DeleteObject(firstPen);
    DeleteObject(secondPen);
}

}  // namespace

BevelColours GetBevelColours()
{
    return BevelColours{GetSysColor(COLOR_BTNHIGHLIGHT), GetSysColor(COLOR_BTNSHADOW)};
}

int BevelColoursEqual(BevelColours a, BevelColours b)
{
    return a.light == b.light && a.dark == b.dark;
}

int DrawRaisedBevel(HDC dc, const RECT* rect, int rings)
{
    const BevelColours colours = GetBevelColours();
    DrawBevel(dc, rect, rings, colours.light, colours.dark);
    return 1;
}

int DrawSunkenBevel(HDC dc, const RECT* rect, int rings)
{
    const BevelColours colours = GetBevelColours();
    DrawBevel(dc, rect, rings, colours.dark, colours.light);
    return 1;
}

void FillFace(HDC dc, const RECT* rect)
{
    HBRUSH face = CreateSolidBrush(kFaceColour);
    FillRect(dc, rect, face);
    DeleteObject(face);
}
