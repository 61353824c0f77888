#include "app/game_commands.h"

#include <cstdarg>
#include <cstdint>
#include <cstdio>

#include "about/about_box.h"
#include "app/main_layout.h"
#include "app/save_policy.h"
#include "app/window_util.h"
#include "controls/board_control.h"
#include "controls/score_panel.h"
#include "resources/resource_ids.h"

const char kWinCaption[] = "Congratulations!";
// Each line starts with an ideographic space. The two lines stay the same
// whether or not the deal's fewest presses follow them.
#define TESSALY_WIN_LINES "　時間 : %d\n　手数 : %d"
const char kWinFormat[] = TESSALY_WIN_LINES;
const char kWinFormatFewest[] = TESSALY_WIN_LINES "\n　最少手数 : %d";
const char kWinFormatAtMost[] = TESSALY_WIN_LINES "\n　最少手数 : %d 以下";
#undef TESSALY_WIN_LINES

namespace {

HWND BoardWindow(HWND main)
{
    return GetDlgItem(main, IDC_BOARD);
}

HWND Score(HWND main)
{
    return GetDlgItem(main, IDC_SCORE);
}

// The row of a command table for `command`; null when it has none.
template <typename Row, size_t N>
const Row* FindRow(const Row (&table)[N], UINT command)
{
    for (const Row& row : table)
        if (row.command == command) return &row;
    return nullptr;
}

// The seconds since 1970-01-01 00:00:00 UTC, cut to their low 32 bits. From
// the system's 64-bit clock: the C library's time() is 32 bits wide here and
// fails after 2038-01-19, when every deal would be the same.
uint32_t SecondsNow()
{
    constexpr uint64_t kTicksPerSecond = 10000000;        // the clock counts 100 ns steps
    constexpr uint64_t kSecondsBefore1970 = 11644473600;  // from 1601, where it starts
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    const uint64_t ticks = (uint64_t{now.dwHighDateTime} << 32) | now.dwLowDateTime;
    return static_cast<uint32_t>(ticks / kTicksPerSecond - kSecondsBefore1970);
}

// Stop, reset, deal or replay, unlock, start: the same order for both, so
// the timer never counts a moment of the old game.
void OnStart(HWND main)
{
    ScoreStopTimer(Score(main));
    ScoreReset(Score(main));
    BoardCtlNewGame(BoardWindow(main), SecondsNow());
    BoardCtlUnlock();
    ScoreStartTimer(Score(main));
}

void OnRetry(HWND main)
{
    if (!BoardCtlHasGame(BoardWindow(main))) return;
    ScoreStopTimer(Score(main));
    ScoreReset(Score(main));
    BoardCtlRetry(BoardWindow(main));
    BoardCtlUnlock();
    ScoreStartTimer(Score(main));
}

void OnLevel(HWND main, const LevelRow& level)
{
    // The BN_GRIDSIZE handler runs inside this call: it resets the displays,
    // lays out and saves. The lock comes after, and ends any game; without a
    // new board the game goes on as it was.
    if (!BoardCtlNewBoard(BoardWindow(main), level.columns, level.rows)) return;
    BoardCtlLock();
}

void OnViewSize(HWND main, const ViewSizeRow& size)
{
    BoardCtlSetCellSize(BoardWindow(main), size.cellWidth, size.cellHeight);
}

void OnToggleTopmost(HWND main)
{
    SetTopmost(main, IsTopmost(main) ? 0 : 1);
    SaveCurrentSettings(main, kSettingsTopmost);
}

void OnAbout(HWND main)
{
    const AboutBoxInfo info = GameGetAboutInfo(GetModuleHandleA(nullptr));
    AboutBoxShow(main, &info);
}

LRESULT OnSolved(HWND main)
{
    ScoreStopTimer(Score(main));
    const int clicks = ScoreGetClicks(Score(main));
    const int seconds = ScoreGetSeconds(Score(main));
    BoardCtlLock();
    UpdateWindow(main);  // show the solved grid before the box takes over
    int exact = 0;
    const int fewest = BoardCtlGetFewestPresses(BoardWindow(main), &exact);
    if (fewest >= 0) {
        MessageBoxPrintf(main, MB_OK, kWinCaption, exact ? kWinFormatFewest : kWinFormatAtMost,
                         seconds, clicks, fewest);
    } else {
        MessageBoxPrintf(main, MB_OK, kWinCaption, kWinFormat, seconds, clicks);
    }
    return 0;
}

LRESULT OnGridSize(HWND main)
{
    ScoreStopTimer(Score(main));
    ScoreReset(Score(main));
    BoardCtlClear(BoardWindow(main));
    MainWndLayout(main);
    SaveCurrentSettings(main, kSettingsGrid);
    return 0;
}

LRESULT OnCellSize(HWND main)
{
    MainWndLayout(main);
    SaveCurrentSettings(main, kSettingsCell);
    return 0;
}

UINT CheckedIf(bool on)
{
    return MF_BYCOMMAND | (on ? MF_CHECKED : MF_UNCHECKED);
}

}  // namespace

AboutBoxInfo GameGetAboutInfo(HINSTANCE instance)
{
    AboutBoxInfo info = {};
    info.flags = ABF_CAPTION | ABF_ICON | ABF_VERSION | ABF_URL | ABF_SYSRES;
    info.iconId = IDC_ABOUT_ICON;
    info.versionId = IDC_ABOUT_VERSION;
    info.urlId = IDC_ABOUT_URL;
    info.sysResId = IDC_ABOUT_SYSRES;
    info.url = TESSALY_SUPPORT_URL;
    info.templateId = MAKEINTRESOURCEA(IDD_ABOUT);
    info.instance = instance;
    info.linkCursor = LoadCursorA(instance, MAKEINTRESOURCEA(IDC_LINKCURSOR));
    return info;
}

LRESULT GameOnCommand(HWND main, WPARAM wParam, LPARAM lParam)
{
    const UINT command = LOWORD(wParam);
    if (const LevelRow* level = FindRow(LevelTable, command)) {
        OnLevel(main, *level);
        return 0;
    }
    if (const ViewSizeRow* size = FindRow(ViewSizeTable, command)) {
        OnViewSize(main, *size);
        return 0;
    }
    switch (command) {
    case IDM_START: OnStart(main); return 0;
    case IDM_RETRY: OnRetry(main); return 0;
    case IDM_TOPMOST: OnToggleTopmost(main); return 0;
    case IDM_ABOUT: OnAbout(main); return 0;
    case IDM_EXIT: DestroyWindow(main); return 0;
    default: return DefWindowProcA(main, WM_COMMAND, wParam, lParam);
    }
}

LRESULT GameOnSysCommand(HWND main, WPARAM wParam, LPARAM lParam)
{
    if (LOWORD(wParam) == IDM_TOPMOST) {
        OnToggleTopmost(main);
        return 0;
    }
    return DefWindowProcA(main, WM_SYSCOMMAND, wParam, lParam);
}

LRESULT GameOnInitMenuPopup(HWND main, HMENU menu)
{
    // The same for every popup, the system menu included: an item a popup
    // does not hold is left alone by CheckMenuItem and EnableMenuItem.
    CheckMenuItem(menu, IDM_TOPMOST, CheckedIf(IsTopmost(main) != 0));
    EnableMenuItem(menu, IDM_RETRY,
                   MF_BYCOMMAND | (BoardCtlHasGame(BoardWindow(main)) ? MF_ENABLED : MF_GRAYED));
    CellSize cell = {0, 0};
    BoardCtlGetCellSize(BoardWindow(main), &cell);
    for (const ViewSizeRow& row : ViewSizeTable) {
        CheckMenuItem(menu, row.command,
                      CheckedIf(cell.width == row.cellWidth && cell.height == row.cellHeight));
    }
    GridPoint grid = {0, 0};
    BoardCtlGetGridSize(BoardWindow(main), &grid);
    for (const LevelRow& row : LevelTable) {
        CheckMenuItem(menu, row.command, CheckedIf(grid.x == row.columns && grid.y == row.rows));
    }
    return 0;
}

LRESULT GameOnNotify(HWND main, WPARAM wParam, LPARAM lParam)
{
    if (wParam != IDC_BOARD) return DefWindowProcA(main, WM_NOTIFY, wParam, lParam);
    const auto* header = reinterpret_cast<const BoardNotify*>(lParam);
    switch (header->code) {
    case BN_PRESSED: ScoreAddClick(Score(main)); return 0;
    case BN_SOLVED: return OnSolved(main);
    case BN_CELLSIZE: return OnCellSize(main);
    case BN_GRIDSIZE: return OnGridSize(main);
    default: return 0;
    }
}

int MessageBoxPrintf(HWND owner, UINT type, const char* caption, const char* format, ...)
{
    char text[1024];
    va_list args;
    va_start(args, format);
    // Bounded: a longer text is cut rather than written past the buffer.
    vsnprintf(text, sizeof text, format, args);
    va_end(args);
    text[sizeof text - 1] = '\0';
    return MessageBoxA(owner, text, caption, type);
}
