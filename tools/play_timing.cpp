// Times the game where a player feels it, on its largest board (128 x 128
// cells of 5 pixels): how long F5 takes until the new deal is on screen, how
// long the win box takes to appear after the winning click, and where clicks
// land when the game is busy: the button goes down and up over one cell, and
// the pointer has moved to another before the game reads the click.
// Not a test: nothing passes or fails on the figures. Run tools/play_timing.sh.
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <vector>

#include "app/main_window.h"
#include "controls/board_control.h"
#include "controls/score_panel.h"
#include "engine/board.h"
#include "resources/resource_ids.h"

namespace {

constexpr int kSide = 128;
constexpr int kCell = 5;
constexpr int kFrame = 3;

double Now()
{
    static LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER counter;
    QueryPerformanceCounter(&counter);
    return 1000.0 * static_cast<double>(counter.QuadPart) / static_cast<double>(frequency.QuadPart);
}

void Pump()
{
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

void PumpFor(DWORD ms)
{
    const DWORD end = GetTickCount() + ms;
    while (static_cast<int>(end - GetTickCount()) > 0) {
        Pump();
        Sleep(1);
    }
}

void Report(const char* what, std::vector<double> ms)
{
    std::sort(ms.begin(), ms.end());
    printf("%-34s min %7.1f  median %7.1f  max %7.1f ms  (%zu runs)\n", what, ms.front(),
           ms[ms.size() / 2], ms.back(), ms.size());
}

Board* Model(HWND board)
{
    return static_cast<Board*>(GetPropA(board, kBoardProp));
}

POINT CellCentre(int x, int y)
{
    return POINT{kFrame + x * kCell + kCell / 2, kFrame + y * kCell + kCell / 2};
}

void MoveCursor(HWND board, POINT client)
{
    ClientToScreen(board, &client);
    SetCursorPos(client.x, client.y);
    for (int i = 0; i < 200; ++i) {
        POINT now;
        GetCursorPos(&now);
        if (now.x == client.x && now.y == client.y) return;
        Sleep(1);
    }
}

void SendButton(bool down)
{
    INPUT input = {};
    input.type = INPUT_MOUSE;
    input.mi.dwFlags = down ? MOUSEEVENTF_LEFTDOWN : MOUSEEVENTF_LEFTUP;
    SendInput(1, &input, sizeof input);
}

// The win box: the moment it is activated, and closed straight away.
double g_boxShown = 0;
LRESULT CALLBACK WatchBox(int code, WPARAM wParam, LPARAM lParam)
{
    if (code == HCBT_ACTIVATE) {
        char name[16] = "";
        HWND window = reinterpret_cast<HWND>(wParam);
        GetClassNameA(window, name, sizeof name);
        if (lstrcmpA(name, "#32770") == 0) {
            g_boxShown = Now();
            PostMessageA(window, WM_COMMAND, IDOK, 0);
        }
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

// F5 until the new deal is drawn: the command, then every paint it asked for.
double TimeStart(HWND main)
{
    const double start = Now();
    SendMessageA(main, WM_COMMAND, IDM_START, 0);
    RedrawWindow(main, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
    return Now() - start;
}

}  // namespace

int main()
{
    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_WIN95_CLASSES};
    InitCommonControlsEx(&controls);  // the score panel's tooltips, as the game does
    HINSTANCE instance = GetModuleHandleA(nullptr);
    MainWndRegisterClasses(instance);
    HWND main = MainWndCreate(instance);
    if (!main) {
        fprintf(stderr, "the game window could not be made\n");
        return 1;
    }
    HWND board = GetDlgItem(main, IDC_BOARD);
    HWND score = GetDlgItem(main, IDC_SCORE);
    BoardCtlNewBoard(board, kSide, kSide);
    BoardCtlLock();
    BoardCtlSetCellSize(board, kCell, kCell);
    SetWindowPos(main, HWND_TOP, 20, 20, 0, 0, SWP_NOSIZE);
    ShowWindow(main, SW_SHOW);
    SetForegroundWindow(main);
    PumpFor(300);

    std::vector<double> starts;
    for (int i = 0; i < 21; ++i) {
        starts.push_back(TimeStart(main));
        PumpFor(20);
    }
    Report("F5 until drawn", starts);

    // The winning click: one press away from solved, the player presses the
    // last cell; the box shows the seconds, the clicks and the fewest presses.
    HHOOK hook = SetWindowsHookExA(WH_CBT, WatchBox, nullptr, GetCurrentThreadId());
    std::vector<double> wins;
    for (int i = 0; i < 11; ++i) {
        TimeStart(main);
        Board* model = Model(board);
        for (int c = 0; c < kSide * kSide; ++c) model->cells[c] &= ~CELL_SUNK;
        const GridPoint last = {(i * 37) % kSide, (i * 53) % kSide};
        BoardPress(model, last);
        InvalidateRect(board, nullptr, FALSE);
        PumpFor(20);
        const POINT at = CellCentre(last.x, last.y);
        MoveCursor(board, at);
        g_boxShown = 0;
        const LPARAM where = MAKELPARAM(at.x, at.y);
        PostMessageA(board, WM_LBUTTONDOWN, MK_LBUTTON, where);
        Pump();
        const double up = Now();
        PostMessageA(board, WM_LBUTTONUP, 0, where);
        Pump();  // the box's own loop runs and ends in here
        if (g_boxShown > 0) wins.push_back(g_boxShown - up);
    }
    UnhookWindowsHookEx(hook);
    if (wins.empty()) {
        printf("win box: never seen\n");
    } else {
        Report("winning click until the win box", wins);
    }

    // Busy: the button goes down and up over one cell, the pointer moves on
    // to another, and only then does the game look at its messages.
    TimeStart(main);
    PumpFor(50);
    int clicks = 0, onTheCell = 0, elsewhere = 0;
    for (int i = 0; i < 20; ++i) {
        const GridPoint clicked = {10 + 4 * i, 20 + 3 * i};
        const GridPoint later = {clicked.x + 7, clicked.y + 5};  // not a neighbour
        Board* model = Model(board);
        const int clickedWas = BoardIsSunk(model, clicked);
        const int laterWas = BoardIsSunk(model, later);
        const int counted = ScoreGetClicks(score);
        MoveCursor(board, CellCentre(clicked.x, clicked.y));
        Pump();
        SendButton(true);
        SendButton(false);
        MoveCursor(board, CellCentre(later.x, later.y));
        Sleep(50);  // the stall
        PumpFor(100);
        clicks += ScoreGetClicks(score) - counted;
        onTheCell += BoardIsSunk(model, clicked) != clickedWas;
        elsewhere += BoardIsSunk(model, later) != laterWas;
    }
    printf("busy clicks: 20 made, %d counted, %d on the clicked cell, %d on another\n", clicks,
           onTheCell, elsewhere);

    DestroyWindow(main);
    Pump();
    char ini[MAX_PATH];
    const DWORD length = GetModuleFileNameA(nullptr, ini, sizeof ini);
    if (length > 4 && length < sizeof ini) {
        lstrcpyA(ini + length - 4, ".ini");
        DeleteFileA(ini);  // the settings the game saved beside this program
    }
    return 0;
}
