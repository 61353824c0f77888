#ifndef TESSALY_CONTROLS_BACK_BUFFER_H
#define TESSALY_CONTROLS_BACK_BUFFER_H

#include <windows.h>

#include <cstdint>

// The pixels behind a back buffer, for draw steps that copy pixels rather
// than draw them: pixel (x, y) of `area` (client coordinates, right and
// bottom exclusive) is bits[(y - area.top) * stride + (x - area.left)], as
// 0x00RRGGBB. GDI may still be drawing into them: call GdiFlush before
// touching the bits, and draw with GDI again only after the copying.
// A buffer kept between paints keeps its pixels too: when two paints offer
// the same nonzero `kept` and the same area, the second finds in the bits
// exactly what the first left there, and may redraw only what changed.
struct PixelView {
    uint32_t* bits;
    int stride;  // in pixels
    RECT area;
    unsigned kept;  // which bitmap of a kept buffer; 0: a buffer for this paint only
};

// A 32-bit DIB section of width x height pixels for `dc` (null: the screen),
// top-down: its rows lie in memory from the top row on, the order in which a
// draw step that copies pixels walks the window. *bits gets its pixels, as
// 0x00RRGGBB; null when it cannot be made.
HBITMAP CreateTopDownDib(HDC dc, int width, int height, void** bits);

// A window's class-specific painting. It receives a memory DC and the whole
// client rectangle, and draws in client coordinates: the DC's window origin
// (and its brush origin, for patterns) is set so that client point (x, y)
// lands where the buffer holds it. The buffer may cover only part of the
// client area (see below) and GDI clips the rest away; the step must paint
// every pixel of the client rectangle that the buffer covers. It finds its
// state through the window handle.
using DrawStep = void (*)(HWND window, HDC dc, const RECT* client);
// The same, also given the buffer's pixels.
using PixelDrawStep = void (*)(HWND window, HDC dc, const RECT* client, const PixelView* pixels);

// The WM_PAINT handler of every window class of the game: the part of the
// client area that needs paint (rcPaint, cut to what is visible) is drawn
// off screen into a 32-bit top-down DIB section of just that size, then
// copied, so no half-drawn state ever reaches the screen and no buffer is
// ever made for pixels nobody will see. Returns 0, the WM_PAINT result. When
// no buffer can be made nothing is drawn, but the paint still validates the
// window, so it keeps its old pixels until the next invalidation.
LRESULT PaintWithBackBuffer(HWND window, DrawStep draw);

// A buffer kept between paints, for a window that repaints often: making
// and touching a fresh bitmap costs more than drawing a board. It grows to
// the largest area painted so far (never more than the screen shows) and
// holds a memory DC and a bitmap until destroyed. Create gives an empty
// buffer (null without memory); Destroy accepts null.
struct BackBuffer;
BackBuffer* BackBufferCreate();
void BackBufferDestroy(BackBuffer* buffer);

// As PaintWithBackBuffer, drawing into `kept` (a buffer for this paint
// only when it is null), and offering the draw step the pixels.
LRESULT PaintWithKeptBuffer(HWND window, BackBuffer* kept, PixelDrawStep draw);

#endif
