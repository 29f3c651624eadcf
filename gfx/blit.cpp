// Rectangle copies between bitmaps.
//
// Sampling rule of a stretch, per axis: a span of n = |dw| destination pixels reads a span of m = |sw|
// source pixels; destination pixel j (0-based, counted from the span's origin in its direction) reads
// source pixel k = floor((2j + 1) · m / (2n)), i.e. the source pixel under the destination pixel's centre.
// A span is the rectangle side between its two ends, origin and origin + extent, right (bottom) end
// exclusive as for every rectangle. A positive extent runs rightward (downward) from the origin: origin,
// origin + 1, ..., origin + extent − 1. A negative extent runs leftward (upward) from the pixel before the
// origin: origin − 1, origin − 2, ..., origin + extent. So a negative destination extent mirrors the copy
// (and a negative source extent reads the source backwards), and equal extents give the identity.
//
// Clipping never changes the mapping: a destination pixel is drawn exactly when it lies inside the
// destination bitmap and the source pixel the rule gives it lies inside the source bitmap. Both sets are
// intervals on each axis (the rule is monotone), so each axis is reduced to one index table over the
// visible destination interval and the copy loop has no per-pixel test.

#include "gfx/blit.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

namespace vorlin::gfx {

namespace {

using i64 = std::int64_t;

// One axis of a stretch: the visible destination interval [first, first + source.size()) and, for each
// of its pixels, the source coordinate it reads.
struct AxisMap {
    int first = 0;
    std::vector<int> source;
};

// Returns false when no destination pixel of this axis is drawn.
bool mapAxis(i64 d, i64 dExtent, int dLen, i64 s, i64 sExtent, int sLen, AxisMap& out) {
    out.source.clear();
    if (dExtent == 0 || sExtent == 0 || dLen <= 0 || sLen <= 0) return false;
    const i64 n = dExtent < 0 ? -dExtent : dExtent;
    const i64 m = sExtent < 0 ? -sExtent : sExtent;
    // Destination coordinates the span covers, clipped to the bitmap.
    i64 lo = dExtent > 0 ? d : d + dExtent;
    i64 hi = dExtent > 0 ? d + dExtent : d;
    lo = std::max<i64>(lo, 0);
    hi = std::min<i64>(hi, dLen);
    if (lo >= hi) return false;

    auto sourceOf = [&](i64 c) -> i64 {
        const i64 j = dExtent > 0 ? c - d : d - 1 - c;
        // (2j + 1) · m can exceed 63 bits only for absurd extents; 128 bits keep it exact.
        const i64 k =
            static_cast<i64>((static_cast<__int128>(2 * j + 1) * m) / (2 * static_cast<__int128>(n)));
        return sExtent > 0 ? s + k : s - 1 - k;
    };
    auto visible = [&](i64 c) {
        const i64 sc = sourceOf(c);
        return sc >= 0 && sc < sLen;
    };
    // The source coordinate is monotone in c, so the pixels with a source inside the bitmap form one
    // interval: trim both ends.
    while (lo < hi && !visible(lo)) ++lo;
    while (hi > lo && !visible(hi - 1)) --hi;
    if (lo >= hi) return false;

    out.first = static_cast<int>(lo);
    out.source.resize(static_cast<std::size_t>(hi - lo));
    for (i64 c = lo; c < hi; ++c)
        out.source[static_cast<std::size_t>(c - lo)] = static_cast<int>(sourceOf(c));
    return true;
}

void stretchCopyDistinct(Bitmap& dst, i64 dx, i64 dy, i64 dw, i64 dh, const Bitmap& src, i64 sx, i64 sy,
                         i64 sw, i64 sh) {
    AxisMap cols, rows;
    if (!mapAxis(dx, dw, dst.width(), sx, sw, src.width(), cols)) return;
    if (!mapAxis(dy, dh, dst.height(), sy, sh, src.height(), rows)) return;

    const int nx = static_cast<int>(cols.source.size());
    const std::size_t rowBytes = 3 * static_cast<std::size_t>(nx);
    // Byte offsets into a source row; an unscaled, unmirrored span is one memcpy per row.
    std::vector<int> offset(cols.source.size());
    bool contiguous = true;
    for (int i = 0; i < nx; ++i) {
        offset[i] = 3 * cols.source[i];
        if (i > 0 && cols.source[i] != cols.source[i - 1] + 1) contiguous = false;
    }

    const int ny = static_cast<int>(rows.source.size());
    const std::uint8_t* previousRow = nullptr;
    int previousSource = -1;
    for (int r = 0; r < ny; ++r) {
        const int y = rows.first + r;
        std::uint8_t* out = dst.scanLine(y) + 3 * cols.first;
        const int sourceRow = rows.source[r];
        if (sourceRow == previousSource) {
            // A vertically stretched copy repeats source rows: reuse the row just written.
            std::memcpy(out, previousRow, rowBytes);
        } else {
            const std::uint8_t* in = src.scanLine(sourceRow);
            if (contiguous) {
                std::memcpy(out, in + offset[0], rowBytes);
            } else if (sourceRow + 1 < src.height() || src.stride() > 3 * src.width()) {
                // Every source pixel is followed by at least one more byte of the buffer, so each pixel moves
                // as one 4-byte load and store; the store's fourth byte is overwritten by the next pixel.
                const int* off = offset.data();
                for (int i = 0; i + 1 < nx; ++i) {
                    std::uint32_t v;
                    std::memcpy(&v, in + off[i], 4);
                    std::memcpy(out + 3 * i, &v, 4);
                }
                std::memcpy(out + 3 * (nx - 1), in + off[nx - 1], 3);
            } else {
                const int* off = offset.data();
                for (int i = 0; i < nx; ++i) std::memcpy(out + 3 * i, in + off[i], 3);
            }
        }
        previousRow = out;
        previousSource = sourceRow;
    }
}

} // namespace

void copyRect(Bitmap& dst, int dx, int dy, const Bitmap& src, const Rect& s) {
    if (s.isEmpty() || src.isEmpty() || dst.isEmpty()) return;
    // Clip the source to its bitmap, moving the destination by as much as the source's top-left moved.
    i64 sl = std::max(s.Left, 0), st = std::max(s.Top, 0);
    i64 sr = std::min(s.Right, src.width()), sb = std::min(s.Bottom, src.height());
    i64 dl = i64{dx} + (sl - s.Left), dt = i64{dy} + (st - s.Top);
    // Then clip the destination to its bitmap, moving the source likewise.
    if (dl < 0) sl -= dl, dl = 0;
    if (dt < 0) st -= dt, dt = 0;
    sr = std::min<i64>(sr, sl + (dst.width() - dl));
    sb = std::min<i64>(sb, st + (dst.height() - dt));
    if (sr <= sl || sb <= st) return;

    const std::size_t bytes = 3 * static_cast<std::size_t>(sr - sl);
    const int h = static_cast<int>(sb - st);
    const int x0 = static_cast<int>(sl), y0 = static_cast<int>(st);
    const int x1 = static_cast<int>(dl), y1 = static_cast<int>(dt);
    if (&dst == &src) {
        // Overlapping areas of one bitmap: go against the direction of the move and use memmove.
        if (y1 > y0) {
            for (int r = h - 1; r >= 0; --r)
                std::memmove(dst.scanLine(y1 + r) + 3 * x1, dst.scanLine(y0 + r) + 3 * x0, bytes);
        } else {
            for (int r = 0; r < h; ++r)
                std::memmove(dst.scanLine(y1 + r) + 3 * x1, dst.scanLine(y0 + r) + 3 * x0, bytes);
        }
        return;
    }
    for (int r = 0; r < h; ++r)
        std::memcpy(dst.scanLine(y1 + r) + 3 * x1, src.scanLine(y0 + r) + 3 * x0, bytes);
}

void stretchCopy(Bitmap& dst, int dx, int dy, int dw, int dh, const Bitmap& src, int sx, int sy, int sw,
                 int sh) {
    if (dw == 0 || dh == 0 || sw == 0 || sh == 0 || dst.isEmpty() || src.isEmpty()) return;
    if (&dst == &src) {
        // Reading and writing one buffer would read pixels already overwritten: copy the source first.
        const Bitmap copy = src;
        stretchCopyDistinct(dst, dx, dy, dw, dh, copy, sx, sy, sw, sh);
        return;
    }
    stretchCopyDistinct(dst, dx, dy, dw, dh, src, sx, sy, sw, sh);
}

} // namespace vorlin::gfx
