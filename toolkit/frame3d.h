#pragma once

#include <QRect>

#include "toolkit/graphics.h"

class QPainter;

namespace toolkit {

// The desktop's 3-D edge: a lowered frame has its shadow on the top and left
// sides and its highlight on the bottom and right; a raised one the reverse.
void DrawFrame3D(QPainter& painter, QRect rect, TBevelCut cut, int width);

}  // namespace toolkit
