#include "controls/rect_math.h"

int RectWidth(const RECT* rect)
{
    return rect->right - rect->left;
}

int RectHeight(const RECT* rect)
{
    return rect->bottom - rect->top;
}

GridPoint RectSize(const RECT* rect)
{
    return GridPoint{RectWidth(rect), RectHeight(rect)};
}

GridPoint RectCentre(const RECT* rect)
{
    return GridPoint{(rect->left + rect->right) / 2, (rect->top + rect->bottom) / 2};
}

RECT RectFromOriginSize(GridPoint origin, GridPoint size)
{
    return RECT{origin.x, origin.y, origin.x + size.x, origin.y + size.y};
}
