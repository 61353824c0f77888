#include "app/main_layout.h"

#include "app/window_util.h"
#include "controls/board_control.h"
#include "controls/score_panel.h"
#include "resources/resource_ids.h"

constexpr int kMargin = 8;  // around the children and between them

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
