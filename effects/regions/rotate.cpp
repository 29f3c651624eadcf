#include "effects/regions/pixel_effects.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <numbers>
#include <vector>

namespace vorlin::effects::regions {
namespace {

// 1.5 · 2^52: adding it to a double of magnitude below 2^51 leaves no fraction bits, so the addition
// itself rounds to the nearest integer with ties to even (the default rounding), and subtracting it again
// gives that integer exactly. This is Round with ties to even, without a library call, and vectorisable.
constexpr double kRoundShift = 6755399441055744.0;

} // namespace

double rotationAngle(int progress) {
    return (100 - progress) * std::numbers::pi / 200;
}

void rotateBitmap(gfx::Bitmap& screen, const gfx::Bitmap& newFrame, int cx, int cy, double angle) {
    // Source and destination are bounded by the smaller of the two sizes, so that neither is read or
    // written outside its pixels when the sizes differ; for equal sizes this is the screen buffer's size.
    const int width = std::min(screen.width(), newFrame.width());
    const int height = std::min(screen.height(), newFrame.height());
    if (width <= 0 || height <= 0) return;
    const double s = std::sin(angle);
    const double c = std::cos(angle);
    // dx·cos θ and dx·sin θ depend on the column only: the same products, computed once per column.
    std::vector<double> colCos(width), colSin(width);
    for (int o = 0; o < width; ++o) {
        const double dx = o - cx;
        colCos[o] = dx * c;
        colSin[o] = dx * s;
    }
    // Both coordinates are monotone along a row (the products grow with dx, rounding keeps the order), so
    // the pixels that find a source form one run: compute u and v for the row (a loop the compiler
    // vectorises), trim the ends that fall outside, and copy the run without a test per pixel.
    std::vector<std::int32_t> us(width), vs(width);
    for (int i = 0; i < height; ++i) {
        const double dy = i - cy;
        const double rowSin = dy * s;
        const double rowCos = dy * c;
        std::int32_t* __restrict u = us.data();
        std::int32_t* __restrict v = vs.data();
        for (int o = 0; o < width; ++o) {
            u[o] = cx + static_cast<std::int32_t>((colCos[o] - rowSin + kRoundShift) - kRoundShift);
            v[o] = cy + static_cast<std::int32_t>((colSin[o] + rowCos + kRoundShift) - kRoundShift);
        }
        auto inside = [&](int o) { return u[o] >= 0 && u[o] < width && v[o] >= 0 && v[o] < height; };
        int lo = 0, hi = width;
        while (lo < hi && !inside(lo)) ++lo;
        while (hi > lo && !inside(hi - 1)) --hi;
        std::uint8_t* dst = screen.scanLine(i);
        for (int o = lo; o < hi; ++o) {
            const std::uint8_t* src = newFrame.scanLine(v[o]) + 3 * u[o];
            dst[3 * o] = src[0];
            dst[3 * o + 1] = src[1];
            dst[3 * o + 2] = src[2];
        }
    }
}

} // namespace vorlin::effects::regions
