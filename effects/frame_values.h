#pragma once
// The per-frame record: every value an effect reads about the frame it draws, computed once per frame
// from the picture size, the progress and the step. Effects never recompute these on their own.

#include "base/geometry.h"

namespace vorlin::effects {

// Names of the per-frame quantities that effect geometry is written in. Each is an integer computed
// by computeFrameValues; the rectangle table combines them linearly.
enum class Q : unsigned char {
    W,   // picture width
    H,   // picture height
    X,   // horizontal extent reached at this progress
    Y,   // vertical extent reached at this progress
    HX,  // X div 2
    HY,  // Y div 2
    MX,  // (W − X) div 2
    MY,  // (H − Y) div 2
    CX,  // (W + X) div 2
    CY,  // (H + Y) div 2
    OW,  // W div 2
    OH,  // H div 2
    E,   // horizontal fold width
    EV,  // vertical fold width
    W20, // W div 20
    H20, // H div 20
    Count
};
inline constexpr int kQuantityCount = static_cast<int>(Q::Count);

struct FrameValues {
    int W = 0, H = 0;
    int X = 0, Y = 0;
    int Band = 0; // snap band of the line effects: MulDiv(longer side, Step, 90)
    int progress = 0;
    int q[kQuantityCount] = {}; // every quantity of Q, indexed by its value

    int operator[](Q n) const { return q[static_cast<int>(n)]; }
};

// W × H picture at the given progress (0..100) and step. The longer side is scaled first and the other
// follows in proportion (X/W and Y/H equal within rounding); a square picture counts as landscape.
FrameValues computeFrameValues(int width, int height, int progress, int step);

} // namespace vorlin::effects
