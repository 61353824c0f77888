#include "controls/back_buffer.h"

#include <algorithm>
#include <cstdlib>
#include <type_traits>

struct BackBuffer {
    HDC dc;
    HBITMAP bitmap;    // selected into dc while it exists
    HGDIOBJ previous;  // what dc held before it
    uint32_t* bits;
    int width;
    int height;
    unsigned serial;  // counts the bitmaps made, so a new one never passes for the old
};
// calloc's zero bytes are the empty buffer: no member has an initialiser.
static_assert(std::is_trivial<BackBuffer>::value, "BackBuffer starts as zero bytes");

namespace {

void ReleaseBitmap(BackBuffer* buffer)
{
    if (buffer->bitmap) {
        SelectObject(buffer->dc, buffer->previous);
        DeleteObject(buffer->bitmap);
    }
    buffer->bitmap = nullptr;
    buffer->bits = nullptr;
    buffer->width = 0;
    buffer->height = 0;
}

void ReleaseAll(BackBuffer* buffer)
{
    ReleaseBitmap(buffer);
    if (buffer->dc) {
        DeleteDC(buffer->dc);
    }
    buffer->dc = nullptr;
}

// Makes the buffer hold at least width x height pixels; 0 when it cannot.
int Reserve(BackBuffer* buffer, HDC screen, int width, int height)
{
    if (buffer->bitmap && buffer->width >= width && buffer->height >= height) {
        return 1;
    }
    if (!buffer->dc && !(buffer->dc = CreateCompatibleDC(screen))) {
        return 0;
    }
    width = std::max(width, buffer->width);
    height = std::max(height, buffer->height);
    ReleaseBitmap(buffer);
    void* bits = nullptr;
    HBITMAP bitmap = CreateTopDownDib(screen, width, height, &bits);
    if (!bitmap) {
        return 0;
    }
    buffer->previous = SelectObject(buffer->dc, bitmap);
    buffer->bitmap = bitmap;
    buffer->bits = static_cast<uint32_t*>(bits);
    buffer->width = width;
    buffer->height = height;
    buffer->serial = buffer->serial + 1 ? buffer->serial + 1 : 1;
    return 1;
}

// One of the two kinds of draw step; the other is null.
struct Painter {
    DrawStep plain;
    PixelDrawStep withPixels;
};

// Draws `area` (client coordinates) into the buffer's top-left corner and
// copies it to the screen.
void DrawArea(HWND window, HDC screen, const RECT* area, const BackBuffer* buffer, int kept,
              Painter painter)
{
    HDC memory = buffer->dc;
    const int width = area->right - area->left;
    const int height = area->bottom - area->top;
    // The draw step keeps client coordinates and stays inside the area, even
    // when the buffer kept from an earlier paint is larger.
    SetWindowOrgEx(memory, area->left, area->top, nullptr);
    // Pattern brushes (DrawFocusRect's dots among them) are aligned to device
    // pixels: start the pattern at the client's corner, or a paint area at an
    // odd position shifts the dots by one against a whole-window paint.
    SetBrushOrgEx(memory, -area->left, -area->top, nullptr);
    SelectClipRgn(memory, nullptr);
    IntersectClipRect(memory, area->left, area->top, area->right, area->bottom);
    RECT client;
    GetClientRect(window, &client);
    if (painter.withPixels) {
        const PixelView pixels = {buffer->bits, buffer->width, *area, kept ? buffer->serial : 0};
        painter.withPixels(window, memory, &client, &pixels);
    } else {
        painter.plain(window, memory, &client);
    }
    BitBlt(screen, area->left, area->top, width, height, memory, area->left, area->top, SRCCOPY);
}

LRESULT Paint(HWND window, BackBuffer* kept, Painter painter)
{
    PAINTSTRUCT paint;
    HDC screen = BeginPaint(window, &paint);
    BackBuffer once = {};
    BackBuffer* buffer = kept ? kept : &once;
    RECT visible;
    RECT area;
    // Only what needs paint and can be seen: a window far larger than the
    // screen would otherwise ask for a buffer no 32-bit process can hold.
    // Without a buffer nothing is drawn, but the paint still ends below, so
    // the window does not ask again and again.
    if (screen && GetClipBox(screen, &visible) != ERROR &&
        IntersectRect(&area, &paint.rcPaint, &visible)) {
        if (Reserve(buffer, screen, area.right - area.left, area.bottom - area.top)) {
            DrawArea(window, screen, &area, buffer, buffer == kept, painter);
        }
    }
    ReleaseAll(&once);
    EndPaint(window, &paint);
    return 0;
}

}  // namespace

HBITMAP CreateTopDownDib(HDC dc, int width, int height, void** bits)
{
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    return CreateDIBSection(dc, &info, DIB_RGB_COLORS, bits, nullptr, 0);
}

LRESULT PaintWithBackBuffer(HWND window, DrawStep draw)
{
    return Paint(window, nullptr, Painter{draw, nullptr});
}

LRESULT PaintWithKeptBuffer(HWND window, BackBuffer* kept, PixelDrawStep draw)
{
    return Paint(window, kept, Painter{nullptr, draw});
}

BackBuffer* BackBufferCreate()
{
    return static_cast<BackBuffer*>(calloc(1, sizeof(BackBuffer)));
}

void BackBufferDestroy(BackBuffer* buffer)
{
    if (buffer) {
        ReleaseAll(buffer);
        free(buffer);
    }
}
