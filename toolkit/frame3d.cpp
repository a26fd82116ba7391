#include "toolkit/frame3d.h"

#include <QPainter>

#include "toolkit/qtconvert.h"

namespace toolkit {

namespace {
constexpr uint32_t kShadow = 0x808080;
constexpr uint32_t kHighlight = 0xFFFFFF;
}  // namespace

void DrawFrame3D(QPainter& painter, QRect rect, TBevelCut cut, int width) {
    if (cut == bvNone) return;
    const QColor topLeft = ToQColor(cut == bvLowered ? kShadow : kHighlight);
    const QColor bottomRight = ToQColor(cut == bvLowered ? kHighlight : kShadow);
    for (int i = 0; i < width && rect.width() > 0 && rect.height() > 0; ++i) {
        painter.fillRect(QRect(rect.left(), rect.top(), rect.width(), 1), topLeft);
        painter.fillRect(QRect(rect.left(), rect.top(), 1, rect.height()), topLeft);
        painter.fillRect(QRect(rect.left(), rect.bottom(), rect.width(), 1), bottomRight);
        painter.fillRect(QRect(rect.right(), rect.top(), 1, rect.height()), bottomRight);
        rect.adjust(1, 1, -1, -1);
    }
}

}  // namespace toolkit
