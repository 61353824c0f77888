#include "app/main_window.h"

#include "app/game_commands.h"
#include "app/settings.h"
#include "app/window_util.h"
#include "controls/back_buffer.h"
#include "controls/bevel.h"
#include "controls/board_control.h"
#include "controls/score_panel.h"
#include "resources/resource_ids.h"

namespace {

constexpr char kClassName[] = "knaplet";
constexpr char kTitle[] = "Tessaly";
constexpr DWORD kMainStyle = WS_POPUP | WS_VISIBLE | WS_CAPTION | WS_SYSMENU;  // 0x90C80000
static_assert(kMainStyle == 0x90C80000, "a captioned pop-up without sizing or min/max boxes");
constexpr UINT kClassStyle = CS_BYTEALIGNCLIENT | CS_HREDRAW | CS_VREDRAW;
constexpr int kMargin = 8;  // around the children and between them
constexpr int kFrameRings = 3;
constexpr char kTopmostItem[] = "常に手前に表示(&T)";

void DrawMainFrame(HWND, HDC dc, const RECT* client)
{
    FillFace(dc, client);
    DrawRaisedBevel(dc, client, kFrameRings);
}

void AddTopmostToSystemMenu(HWND main)
{
    HMENU system = GetSystemMenu(main, FALSE);
    const int maximize = FindMenuItemPosition(system, SC_MAXIMIZE);
    if (maximize >= 0) {
        InsertMenuA(system, maximize + 1, MF_BYPOSITION | MF_STRING, IDM_TOPMOST, kTopmostItem);
    }
}

LRESULT OnCreate(HWND main)
{
    // Without either child nothing below could work: fail the creation, and
    // the window and whatever child exists go with it.
    if (!ScoreCreate(main, IDC_SCORE, WS_CHILD | WS_VISIBLE)) return -1;
    HWND board = BoardCtlCreate(main, IDC_BOARD, WS_CHILD | WS_VISIBLE);
    if (!board) return -1;

    AppSettings settings;
    LoadSettings(&settings);
    // Topmost first: the saves that the two notifications below trigger then
    // record the stored choice as it was found.
    SetTopmost(main, settings.topmost);
    BoardCtlSetCellSize(board, settings.cellWidth, settings.cellHeight);
    BoardCtlNewBoard(board, settings.columns, settings.rows);
    SetFocus(board);
    MainWndLayout(main);
    AddTopmostToSystemMenu(main);
    return 0;
}

LRESULT OnDestroy()
{
    PostQuitMessage(0);
    return 0;
}

LRESULT OnPaint(HWND main)
{
    return PaintWithBackBuffer(main, DrawMainFrame);
}

} // namespace

int MainWndRegisterClasses(HINSTANCE instance)
{
    ScoreRegister(instance);
    BoardCtlRegister(instance);
    RegisterWindowClass(instance, kClassName, MainWndProc, kClassStyle, IDR_MAINMENU, WHITE_BRUSH);
    return 1;
}

HWND MainWndCreate(HINSTANCE instance)
{
    // A pop-up at CW_USEDEFAULT lands at (0, 0); WM_CREATE gives it its size.
    return CreateWindowExA(0, kClassName, kTitle, kMainStyle, CW_USEDEFAULT, CW_USEDEFAULT, 1, 1,
                           nullptr, nullptr, instance, nullptr);
}

LRESULT CALLBACK MainWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_CREATE: return OnCreate(window);
    case WM_DESTROY: return OnDestroy();
    case WM_PAINT: return OnPaint(window);
    case WM_NOTIFY: return GameOnNotify(window, wParam, lParam);
    case WM_COMMAND: return GameOnCommand(window, wParam, lParam);
    case WM_SYSCOMMAND: return GameOnSysCommand(window, wParam, lParam);
    case WM_INITMENUPOPUP: return GameOnInitMenuPopup(window, reinterpret_cast<HMENU>(wParam));
    default: return DefWindowProcA(window, message, wParam, lParam);
    }
}

int MainWndLayout(HWND main)
{
    HWND board = GetDlgItem(main, IDC_BOARD);
    HWND score = GetDlgItem(main, IDC_SCORE);
    GridPoint boardSize = {0, 0};
    BoardCtlGetPreferredSize(board, &boardSize);
    GridPoint scoreSize = {0, 0};
    ScoreGetPreferredSize(score, &scoreSize, boardSize.x);
    const int width = boardSize.x > scoreSize.x ? boardSize.x : scoreSize.x;

    SetWindowSize(score, width, scoreSize.y);
    SetWindowPosition(score, kMargin, kMargin);
    SetWindowSize(board, width, boardSize.y);
    SetWindowPosition(board, kMargin, scoreSize.y + 2 * kMargin);

    // The frame's size depends on the menu bar, which may wrap when the
    // window narrows; two corrections settle it.
    const int targetWidth = width + 2 * kMargin;
    const int targetHeight = scoreSize.y + boardSize.y + 3 * kMargin;
    SetWindowSize(main, targetWidth, targetHeight);
    for (int pass = 0; pass < 2; ++pass) {
        const GridPoint client = GetClientSize(main);
        const GridPoint outer = GetWindowSize(main);
        SetWindowSize(main, outer.x + targetWidth - client.x, outer.y + targetHeight - client.y);
    }
    return 0;
}

BOOL SetTopmost(HWND window, int on)
{
    constexpr UINT flags = SWP_NOSIZE | SWP_NOMOVE | SWP_NOREDRAW | SWP_NOACTIVATE |
                           SWP_NOCOPYBITS | SWP_NOSENDCHANGING;
    static_assert(flags == 0x051B, "change the z-order only");
    return SetWindowPos(window, on ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0, flags);
}

LONG IsTopmost(HWND window)
{
    return GetWindowLongA(window, GWL_EXSTYLE) & WS_EX_TOPMOST;
}

int FindMenuItemPosition(HMENU menu, UINT id)
{
    const int count = GetMenuItemCount(menu);
    for (int position = 0; position < count; ++position) {
        if (GetMenuItemID(menu, position) == id) return position;
    }
    return -1;
}
