#include "about/center_on_cursor.h"

#include "app/window_util.h"

int CenterOnCursor(HWND window)
{
    const GridPoint size = GetWindowSize(window);
    POINT cursor = {0, 0};
    GetCursorPos(&cursor);
    int x = cursor.x - size.x / 2;
    int y = cursor.y - size.y / 2;

    RECT work;
    if (!SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0)) {
        work = {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    }
    // Right and bottom first, so that the left and top edges win when the
    // window is larger than the work area: its caption stays reachable.
    if (x + size.x > work.right) x = work.right - size.x;
    if (x < work.left) x = work.left;
    if (y + size.y > work.bottom) y = work.bottom - size.y;
    if (y < work.top) y = work.top;

    // An owned popup's GetParent is its owner, whose client area is no frame of reference.
    HWND parent = GetParent(window);
    if (parent && IsChild(parent, window)) {
        POINT point = {x, y};
        ScreenToClient(parent, &point);
        x = point.x;
        y = point.y;
    }
    return SetWindowPosition(window, x, y) ? 1 : 0;
}
