#include "effects/regions/pixel_effects.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <numbers>
#include <vector>

namespace vorlin::effects::regions {
namespace {

// Rounds to the nearest integer with ties to even, for |v| < 2^31: adding 1.5·2^52 pushes the fraction
// out of the mantissa under the default rounding (nearest, ties to even), and the low 32 bits of the
// sum's bit pattern are then the rounded value in two's complement.
inline std::int32_t roundEven(double v) {
    const double shifted = v + 6755399441055744.0;
    std::uint64_t bits;
    std::memcpy(&bits, &shifted, sizeof bits);
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(bits));
}

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
    const auto uw = static_cast<std::uint32_t>(width);
    const auto uh = static_cast<std::uint32_t>(height);
    for (int i = 0; i < height; ++i) {
        const double dy = i - cy;
        const double rowSin = dy * s;
        const double rowCos = dy * c;
        std::uint8_t* dst = screen.scanLine(i);
        for (int o = 0; o < width; ++o) {
            const std::int32_t u = cx + roundEven(colCos[o] - rowSin);
            const std::int32_t v = cy + roundEven(colSin[o] + rowCos);
            // One unsigned compare per axis rejects negatives and values past the edge alike.
            if (static_cast<std::uint32_t>(u) >= uw || static_cast<std::uint32_t>(v) >= uh) continue;
            const std::uint8_t* src = newFrame.scanLine(v) + 3 * u;
            dst[3 * o] = src[0];
            dst[3 * o + 1] = src[1];
            dst[3 * o + 2] = src[2];
        }
    }
}

} // namespace vorlin::effects::regions
