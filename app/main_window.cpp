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

struct OwnedPopups {
    HWND owner;
    HWND popups[8];
    int count;
};

BOOL CALLBACK CollectOwnedPopup(HWND window, LPARAM context)
{
    auto* owned = reinterpret_cast<OwnedPopups*>(context);
    if (GetWindow(window, GW_OWNER) == owned->owner && owned->count < 8) {
        owned->popups[owned->count++] = window;
    }
    return TRUE;
}

OwnedPopups FindOwnedPopups(HWND owner)
{
    OwnedPopups owned = {owner, {}, 0};
    EnumThreadWindows(GetWindowThreadProcessId(owner, nullptr), CollectOwnedPopup,
                      reinterpret_cast<LPARAM>(&owned));
    return owned;
}

LRESULT FailCreation(HWND main)
{
    // The children go with the window, but a failed creation does not take
    // the pop-ups it owns (the score panel's tooltip) everywhere: end them here.
    const OwnedPopups owned = FindOwnedPopups(main);
    for (int i = 0; i < owned.count; ++i) DestroyWindow(owned.popups[i]);
    return -1;
}

LRESULT OnCreate(HWND main)
{
    // Without either child nothing below could work: fail the creation.
    if (!ScoreCreate(main, IDC_SCORE, WS_CHILD | WS_VISIBLE)) return FailCreation(main);
    HWND board = BoardCtlCreate(main, IDC_BOARD, WS_CHILD | WS_VISIBLE);
    if (!board) return FailCreation(main);

    AppSettings settings;
    const int loaded = LoadSettings(&settings);
    // The two notifications below would save while the board still has the
    // control's own first grid: no saves until both choices are applied, and
    // none over a file that could not be read until it can be.
    HoldSettingsSaves(main, 1);
    SetTopmost(main, settings.topmost);
    const int cellApplied = BoardCtlSetCellSize(board, settings.cellWidth, settings.cellHeight);
    const int gridApplied = BoardCtlNewBoard(board, settings.columns, settings.rows);
    if (loaded)
        HoldSettingsSaves(main, 0);
    else
        KeepStoredSettings(main, 1);
    // The file gets the stored choices back in their normal form.
    if (cellApplied && gridApplied) SaveCurrentSettings(main);
    SetFocus(board);
    MainWndLayout(main);
    AddTopmostToSystemMenu(main);
    return 0;
}

LRESULT OnDestroy(HWND main)
{
    HoldSettingsSaves(main, 0);
    KeepStoredSettings(main, 0);
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
    case WM_DESTROY: return OnDestroy(window);
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
    HWND place = on ? HWND_TOPMOST : HWND_NOTOPMOST;
    BOOL done = SetWindowPos(window, place, 0, 0, 0, 0, flags);
    if (done && on && !IsTopmost(window)) {
        // Wine links a window straight below the pop-ups it owns (here the
        // score panel's tooltip) and then drops the topmost bit. Without
        // their owner for the moment of the move, the window goes on top.
        const OwnedPopups owned = FindOwnedPopups(window);
        for (int i = 0; i < owned.count; ++i) SetWindowLongPtrA(owned.popups[i], GWLP_HWNDPARENT, 0);
        done = SetWindowPos(window, place, 0, 0, 0, 0, flags);
        for (int i = 0; i < owned.count; ++i)
            SetWindowLongPtrA(owned.popups[i], GWLP_HWNDPARENT, reinterpret_cast<LONG_PTR>(window));
    }
    return done;
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
