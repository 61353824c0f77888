#ifndef TESSALY_CONTROLS_RECT_MATH_H
#define TESSALY_CONTROLS_RECT_MATH_H

#include <windows.h>

#include "engine/grid_point.h"

// Rectangles are Win32 RECTs: right and bottom are exclusive.
RECT RectFromOriginSize(GridPoint origin, GridPoint size);

#endif
