#ifndef TESSALY_CONTROLS_BOARD_CONTROL_H
#define TESSALY_CONTROLS_BOARD_CONTROL_H

#include <windows.h>

#include <cstdint>

#include "engine/grid_point.h"

// The "board" window: shows one puzzle as bevelled cells, lets the left button
// press them, and tells its parent with WM_NOTIFY (a BoardNotify header, sent
// synchronously) what happened. The parent tells the codes apart from other
// controls' by the sender's id.
constexpr UINT BN_SOLVED = 1025;    // a press while unlocked left every cell raised
constexpr UINT BN_PRESSED = 1026;   // a move was just made
constexpr UINT BN_CELLSIZE = 1027;  // the cell size changed; the control has its new size
constexpr UINT BN_GRIDSIZE = 1028;  // a new board is installed; the control has its new size

// Width and height of one cell in pixels.
struct CellSize {
    int32_t width;
    int32_t height;
};
static_assert(sizeof(CellSize) == 8, "CellSize is two 32-bit words");

// The board and the cell size are also named as window properties, for
// whoever inspects a control from outside: the Board and the CellSize.
constexpr char kBoardProp[] = "PROP_BOARD";
constexpr char kCellSizeProp[] = "PROP_APPINFO";

// Class and window.
int BoardCtlRegister(HINSTANCE instance);  // 0 when the class could not be registered
HWND BoardCtlCreate(HWND parent, int id, DWORD style);

// Geometry and state, read.
// The grid plus a 3-pixel frame, but no more than the 32767 pixels a window
// may have: a larger grid is shown from its top-left, inside the frame there.
int BoardCtlGetPreferredSize(HWND board, GridPoint* size);
int BoardCtlGetCellSize(HWND board, CellSize* size);
int BoardCtlGetGridSize(HWND board, GridPoint* size);  // (columns, rows)
int BoardCtlGetScramblePresses(HWND board);
int BoardCtlHasGame(HWND board);
// The fewest presses that solve the puzzle as it was dealt: worked out at the
// first call after a deal (tens of milliseconds on the largest grids) and
// kept until the next deal, new board or clear; -1 while there is no game or
// when there was no memory to work it out. *exact (may be null) is 1 when no
// fewer exist, 0 when the count is the best found.
int BoardCtlGetFewestPresses(HWND board, int* exact);

// Changes. Set cell size and new board resize the control, then notify.
int BoardCtlSetCellSize(HWND board, int width, int height);
int BoardCtlNewBoard(HWND board, int columns, int rows);  // 0, old board kept, on failure
int BoardCtlClear(HWND board);
int BoardCtlRetry(HWND board);
int BoardCtlNewGame(HWND board, uint32_t seed);  // never a solved deal (BoardDeal)

// The process-wide input lock shared by every board; locked at start.
int BoardCtlLock();
int BoardCtlUnlock();

#endif
