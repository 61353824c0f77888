#ifndef TESSALY_CONTROLS_BEVEL_H
#define TESSALY_CONTROLS_BEVEL_H

#include <windows.h>

// The system's highlight and shadow colours, the edges of every bevel. Read
// afresh at every call, so a change of the colour scheme shows at the next
// paint; whatever keeps pixels drawn in them compares them to tell.
struct BevelColours {
    COLORREF light;
    COLORREF dark;
};
BevelColours GetBevelColours();
int BevelColoursEqual(BevelColours a, BevelColours b);

// Classic 3-D edges of any number of nested one-pixel rings, in the colours
// GetBevelColours gives at the time. The rectangle is never changed.
// Raised: light on the left and top, dark on the right and bottom.
// Sunken: the other way round. Rings <= 0 draw nothing. Both return 1.
int DrawRaisedBevel(HDC dc, const RECT* rect, int rings);
int DrawSunkenBevel(HDC dc, const RECT* rect, int rings);

// The face colour of the board, the score panel and the main window. It is
// fixed: it does not follow the system colours.
constexpr COLORREF kFaceColour = RGB(192, 192, 192);

// Fills the rectangle with the fixed face colour.
void FillFace(HDC dc, const RECT* rect);

#endif
