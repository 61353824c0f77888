#ifndef TESSALY_CONTROLS_BOARD_PAINT_H
#define TESSALY_CONTROLS_BOARD_PAINT_H

#include <windows.h>

#include "controls/back_buffer.h"
#include "controls/cell_tiles.h"
#include "engine/board.h"
#include "engine/grid_point.h"

// What a board paint left in a kept back buffer, for the next paint to
// redraw only what changed. Owned by the control that paints, never by the
// board. Create gives an empty record (null without memory); Destroy
// accepts null.
struct BoardDrawn;
BoardDrawn* BoardDrawnCreate();
void BoardDrawnDestroy(BoardDrawn* drawn);

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
//
// `drawn` (null is fine) remembers what the last paint left in a kept
// buffer: the area, client, grid, cell size and colours it was drawn for,
// each cell's look and the cell marked as hot. When a paint finds all of
// them unchanged in the same kept buffer, it copies only the cells whose
// look changed and the cells marked before and now, and leaves the face, the
// frame and every other cell as they are: the same pixels, for a fraction of
// the work. Any other paint draws everything and starts the record afresh.
void BoardPaint(HDC dc, const RECT* client, const PixelView* pixels, const RECT* grid,
                GridPoint cell, const Board* board, const CellTiles* tiles, BoardDrawn* drawn);

#endif
