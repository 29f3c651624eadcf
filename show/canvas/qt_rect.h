#pragma once
// Rectangles between the show's own form (left, top, right, bottom; right and bottom exclusive) and Qt's.
#include "base/geometry.h"

#include <QRect>

namespace vorlin::canvas {

inline Rect toRect(const QRect& r) {
    return Rect{r.left(), r.top(), r.left() + r.width(), r.top() + r.height()};
}

inline QRect toQRect(const Rect& r) {
    return QRect(r.Left, r.Top, r.width(), r.height());
}

} // namespace vorlin::canvas
