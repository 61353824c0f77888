// Placeholder entry point: an empty grey window titled like the game. The
// real start-up replaces it.
#include <windows.h>

#include "app/window_util.h"
#include "controls/back_buffer.h"
#include "controls/bevel.h"

namespace {

void DrawFrame(HWND, HDC dc, const RECT* client)
{
    FillFace(dc, client);
    DrawRaisedBevel(dc, client, 3);
}

LRESULT CALLBACK MainWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_PAINT:
        return PaintWithBackBuffer(window, DrawFrame);
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    default:
        return DefWindowProcA(window, message, wParam, lParam);
    }
}

} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    RegisterWindowClass(instance, "knaplet", MainWndProc, 0x1003, 0, WHITE_BRUSH);
    HWND main = CreateWindowExA(0, "knaplet", "Tessaly", 0x90C80000, CW_USEDEFAULT, CW_USEDEFAULT,
                                200, 200, nullptr, nullptr, instance, nullptr);
    if (!main) return 0;
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return static_cast<int>(msg.wParam);
}
