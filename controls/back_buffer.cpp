#include "controls/back_buffer.h"

LRESULT PaintWithBackBuffer(HWND window, DrawStep draw)
{
    PAINTSTRUCT paint;
    HDC screen = BeginPaint(window, &paint);
    if (screen) {
        const int savedScreen = SaveDC(screen);
        HDC memory = CreateCompatibleDC(screen);
        if (memory) {
            RECT client;
            GetClientRect(window, &client);
            HBITMAP bitmap = CreateCompatibleBitmap(screen, client.right - client.left,
                                                    client.bottom - client.top);
            if (bitmap) {
                const int savedMemory = SaveDC(memory);
                HGDIOBJ previous = SelectObject(memory, bitmap);
                draw(window, memory, &client);
                const RECT& dirty = paint.rcPaint;
                BitBlt(screen, dirty.left, dirty.top, dirty.right - dirty.left,
                       dirty.bottom - dirty.top, memory, dirty.left, dirty.top, SRCCOPY);
                SelectObject(memory, previous);
                DeleteObject(bitmap);
                RestoreDC(memory, savedMemory);
            }
            DeleteDC(memory);
        }
        RestoreDC(screen, savedScreen);
    }
    EndPaint(window, &paint);
    return 0;
}
