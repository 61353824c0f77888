#ifndef TESSALY_ENGINE_GRID_POINT_H
#define TESSALY_ENGINE_GRID_POINT_H

#include <cstdint>

// A pair of signed 32-bit numbers: a cell (column, row), a pixel point or a
// size (width, height).
struct GridPoint {
    int32_t x;
    int32_t y;
};
static_assert(sizeof(GridPoint) == 8, "GridPoint is two 32-bit words");

void GridPointSet(GridPoint* point, int32_t x, int32_t y);
void GridPointCopy(GridPoint* to, const GridPoint* from);
int GridPointEqual(const GridPoint* a, const GridPoint* b);  // 1 when both members match

#endif
