#include "effects/families/pixel_effects.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <numbers>
#include <utility>
#include <vector>

#include "effects/families/avx2_clones.h"

namespace vorlin::effects::families {
namespace {

// 1.5 · 2^52: adding it to a double of magnitude below 2^51 leaves no fraction bits, so the addition
// itself rounds to the nearest integer with ties to even (the default rounding), and subtracting it again
// gives that integer exactly. This is Round with ties to even, without a library call, and vectorisable.
constexpr double kRoundShift = 6755399441055744.0;

inline std::int32_t roundEven(double v) {
    return static_cast<std::int32_t>((v + kRoundShift) - kRoundShift);
}

// The first index in [0, n) where pred holds, for a predicate that is false and then true along the range
// (n when it never holds).
template <typename Pred> int firstTrue(int n, Pred pred) {
    int lo = 0, hi = n;
    while (lo < hi) {
        const int mid = lo + (hi - lo) / 2;
        if (pred(mid))
            hi = mid;
        else
            lo = mid + 1;
    }
    return lo;
}

// For f monotone on [0, n) (rising or falling), the run [first, last) of indices with 0 <= f < limit.
template <typename F> std::pair<int, int> runWithin(F f, int n, int limit) {
    if (f(0) <= f(n - 1))
        return {firstTrue(n, [&](int o) { return f(o) >= 0; }),
                firstTrue(n, [&](int o) { return f(o) >= limit; })};
    return {firstTrue(n, [&](int o) { return f(o) < limit; }), firstTrue(n, [&](int o) { return f(o) < 0; })};
}

// Byte offsets in the new frame of the sources of columns lo..hi−1 of one row. Vectorised; a second copy
// for processors with AVX2 (picked once at load time) does four columns per step. Both copies compute
// the same IEEE operations in the same order (no fused multiply-add: the file is built with contraction
// off), so they give the same offsets.
VORLIN_AVX2_CLONES void sourceOffsets(std::int32_t* __restrict off, const double* __restrict colCos,
                                      const double* __restrict colSin, int lo, int hi, double rowSin,
                                      double rowCos, int cx, int cy, int stride) {
    for (int o = lo; o < hi; ++o) {
        const std::int32_t u = cx + roundEven(colCos[o] - rowSin);
        const std::int32_t v = cy + roundEven(colSin[o] + rowCos);
        off[o] = v * stride + 3 * u;
    }
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
    // Source offsets are 32-bit: a frame of 2 GiB or more is not rotated (no screen comes near it).
    if (newFrame.byteCount() > static_cast<std::size_t>(INT32_MAX)) return;
    const double s = std::sin(angle);
    const double c = std::cos(angle);
    // dx·cos θ and dx·sin θ depend on the column only: the same products, computed once per column.
    std::vector<double> colCos(width), colSin(width);
    for (int o = 0; o < width; ++o) {
        const double dx = o - cx;
        colCos[o] = dx * c;
        colSin[o] = dx * s;
    }
    // Along a row both source coordinates are monotone (each product moves one way with dx, and
    // subtracting a constant and rounding keep the order), so the pixels that find a source form one run.
    // Its ends are found by bisection with the exact formula; only the run is computed (a loop the
    // compiler vectorises) and copied.
    const std::uint8_t* const src = newFrame.bits();
    const int stride = newFrame.stride();
    // The copy moves four bytes per pixel (the fourth is overwritten by the next pixel); a source pixel
    // whose fourth byte would lie past the end of the buffer, and the run's last pixel, move three.
    const std::size_t lastWordOffset = newFrame.byteCount() - 4;
    std::vector<std::int32_t> offsets(width);
    for (int i = 0; i < height; ++i) {
        const double dy = i - cy;
        const double rowSin = dy * s;
        const double rowCos = dy * c;
        const auto u = [&](int o) { return cx + roundEven(colCos[o] - rowSin); };
        const auto v = [&](int o) { return cy + roundEven(colSin[o] + rowCos); };
        const auto [uFirst, uLast] = runWithin(u, width, width);
        const auto [vFirst, vLast] = runWithin(v, width, height);
        const int lo = std::max(uFirst, vFirst), hi = std::min(uLast, vLast);
        if (lo >= hi) continue;
        std::int32_t* off = offsets.data();
        sourceOffsets(off, colCos.data(), colSin.data(), lo, hi, rowSin, rowCos, cx, cy, stride);
        std::uint8_t* dst = screen.scanLine(i);
        int o = lo;
        for (; o + 1 < hi && static_cast<std::size_t>(off[o]) <= lastWordOffset; ++o)
            std::memcpy(dst + 3 * o, src + off[o], 4);
        for (; o < hi; ++o) std::memcpy(dst + 3 * o, src + off[o], 3);
    }
}

} // namespace vorlin::effects::families
