#include "app/main_window.h"

#include "app/game_commands.h"
#include "app/main_layout.h"
#include "app/save_policy.h"
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
constexpr DWORD kMainStyle = WS_POPUP | WS_VISIBLE | WS_CAPTION | WS_SYSMENU;  // fixed size
constexpr UINT kClassStyle = CS_BYTEALIGNCLIENT | CS_HREDRAW | CS_VREDRAW;
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

LRESULT FailCreation(HWND main)
{
    // The children go with the window, but a failed creation does not take
    // the pop-ups it owns (the score panel's tooltip) everywhere: end them here.
    DestroyOwnedPopups(main);
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
    // control's own first grid: no saves until both choices are applied.
    // Without the policy's record no save happens at all in this run.
    SavePolicyCreate(main);
    SetTopmost(main, settings.topmost);
    const int cellApplied = BoardCtlSetCellSize(board, settings.cellWidth, settings.cellHeight);
    const int gridApplied = BoardCtlNewBoard(board, settings.columns, settings.rows);
    // A stored size the board could not take stays stored until the player chooses one.
    SavePolicyBegin(main, loaded && cellApplied && gridApplied);
    // The file gets the stored choices back in their normal form.
    if (cellApplied && gridApplied) SaveCurrentSettings(main, 0);
    SetFocus(board);
    MainWndLayout(main);
    AddTopmostToSystemMenu(main);
    return 0;
}

LRESULT OnPaint(HWND main)
{
    return PaintWithBackBuffer(main, DrawMainFrame);
}

LRESULT OnDestroy(HWND main)
{
    SavePolicyDestroy(main);
    PostQuitMessage(0);
    return 0;
}

}  // namespace

int MainWndRegisterClasses(HINSTANCE instance)
{
    const int score = ScoreRegister(instance);
    const int board = BoardCtlRegister(instance);
    const int main = RegisterWindowClass(instance, kClassName, MainWndProc, kClassStyle,
                                         IDR_MAINMENU, WHITE_BRUSH)
                         ? 1
                         : 0;
    return score && board && main;
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
