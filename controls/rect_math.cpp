#include "controls/rect_math.h"

RECT RectFromOriginSize(GridPoint origin, GridPoint size)
{
    return RECT{origin.x, origin.y, origin.x + size.x, origin.y + size.y};
}
