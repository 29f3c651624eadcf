#include "effects/frame_values.h"

#include "base/arith.h"

namespace vorlin::effects {
namespace {

// Width of the mirrored fold at a wipe edge: it grows with the wipe over the first fifth of the side,
// holds at a tenth of the side, and shrinks to nothing over the last fifth.
int foldWidth(int extent, int side) {
    if (extent < side / 5) return extent / 2;
    if (extent + side / 5 > side) return (side - extent) / 2;
    return side / 10;
}

} // namespace

FrameValues computeFrameValues(int width, int height, int progress, int step) {
    FrameValues v;
    v.W = width;
    v.H = height;
    v.progress = progress;
    if (height > width) {
        v.Y = mulDiv(height, progress, 100);
        v.X = mulDiv(v.Y, width, height);
        v.Band = mulDiv(height, step, 90);
    } else {
        v.X = mulDiv(width, progress, 100);
        v.Y = width > 0 ? mulDiv(v.X, height, width) : 0;
        v.Band = mulDiv(width, step, 90);
    }
    const int W = v.W, H = v.H, X = v.X, Y = v.Y;
    auto set = [&v](Q n, int value) { v.q[static_cast<int>(n)] = value; };
    set(Q::W, W);
    set(Q::H, H);
    set(Q::X, X);
    set(Q::Y, Y);
    set(Q::HX, X / 2);
    set(Q::HY, Y / 2);
    set(Q::MX, (W - X) / 2);
    set(Q::MY, (H - Y) / 2);
    set(Q::CX, (W + X) / 2);
    set(Q::CY, (H + Y) / 2);
    set(Q::OW, W / 2);
    set(Q::OH, H / 2);
    set(Q::E, foldWidth(X, W));
    set(Q::EV, foldWidth(Y, H));
    set(Q::W20, W / 20);
    set(Q::H20, H / 20);
    return v;
}

} // namespace vorlin::effects
