#include "engine/grid_point.h"

void GridPointSet(GridPoint* point, int32_t x, int32_t y)
{
    point->x = x;
    point->y = y;
}

void GridPointCopy(GridPoint* to, const GridPoint* from)
{
    *to = *from;
}

int GridPointEqual(const GridPoint* a, const GridPoint* b)
{
    return a->x == b->x && a->y == b->y ? 1 : 0;
}
