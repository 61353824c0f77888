#ifndef TESSALY_CONTROLS_CELL_TILES_H
#define TESSALY_CONTROLS_CELL_TILES_H

#include <cstdint>

// The two looks of a bevelled cell, raised and sunk, drawn once with the
// bevel routines on the face colour for one cell size and one pair of system
// edge colours, and kept as rows of 0x00RRGGBB pixels to copy into a back
// buffer. Knows nothing of boards or windows; holds no GDI object.
struct CellTiles;

// Draws both tiles in the current system colours. Null when the size is not
// positive or memory or GDI objects run short; the caller then draws cells
// with the bevel routines, which give the same pixels.
CellTiles* CellTilesCreate(int width, int height, int raisedRings, int sunkRings);
void CellTilesDestroy(CellTiles* tiles);  // null is fine

// 1 when the tiles were made for this cell size and the system edge colours
// are still those they were drawn in; a colour scheme change makes them stale.
int CellTilesFit(const CellTiles* tiles, int width, int height);

// Row `y` (0 = top) of the raised (sunk = 0) or sunk tile: width pixels,
// and the tile's next rows follow without a gap, width pixels apart.
const uint32_t* CellTilesRow(const CellTiles* tiles, int sunk, int y);

// 1 when row `y` (y > 0) of both tiles is the same as row y - 1, so that a
// row of cells drawn from them repeats the row above: the plain middle of a
// large cell is copied a whole row at a time.
int CellTilesRowRepeats(const CellTiles* tiles, int y);

#endif
