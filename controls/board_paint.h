#ifndef TESSALY_CONTROLS_BOARD_PAINT_H
#define TESSALY_CONTROLS_BOARD_PAINT_H

#include <windows.h>

#include "controls/back_buffer.h"
#include "controls/cell_tiles.h"
#include "engine/board.h"
#include "engine/grid_point.h"

// The board's look: a sunken frame around the client area, raised cells of
// two rings and sunk cells of one on the face colour.
constexpr int kBoardFrameRings = 3;
constexpr int kRaisedCellRings = 2;
constexpr int kSunkCellRings = 1;

// Paints a board control's client area in client coordinates: the face, the
// frame around `client`, every cell of `board` (cell (x, y) at grid.left +
// x * cell.x, grid.top + y * cell.y, cell.x by cell.y pixels), then a press
// in progress on top: the hot cell pushed when pressed, and its focus
// rectangle. Every pixel of `client` the DC holds is painted, in this order,
// so a cell that overlaps the frame covers it. Given the pixels behind the
// DC and tiles that fit the cell size and colours, only the cells inside the
// buffer are copied from the tiles; otherwise (either null) each cell that
// meets the clip box is drawn with the bevel routines. Either way gives the
// same pixels.
void BoardPaint(HDC dc, const RECT* client, const PixelView* pixels, const RECT* grid,
                GridPoint cell, const Board* board, const CellTiles* tiles);

#endif
