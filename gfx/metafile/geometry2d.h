#pragma once
// Points, outlines and affine maps in floating device pixels, as the metafile player hands them to the
// rasteriser. A device coordinate x names the pixel whose centre is x: pixel i covers [i - 0.5, i + 0.5).

#include <cmath>
#include <vector>

namespace vorlin::gfx::metafile {

struct PointD {
    double x = 0;
    double y = 0;
};

// One figure of an outline. Open figures are stroked as polylines; every figure is closed when filled.
struct Contour {
    std::vector<PointD> pts;
    bool closed = false;
};

using Outline = std::vector<Contour>;

// v truncated and kept within [lo, hi]; NaN gives lo. Every conversion of a
// computed (possibly hostile) double to int goes through here or an explicit clamp.
inline int clampToInt(double v, int lo, int hi) {
    if (!(v >= lo)) return lo;
    if (v >= hi) return hi;
    return static_cast<int>(v);
}

// x' = a·x + c·y + e, y' = b·x + d·y + f (the layout of a GDI world transform).
struct Affine {
    double a = 1, b = 0, c = 0, d = 1, e = 0, f = 0;

    PointD map(PointD p) const { return {a * p.x + c * p.y + e, b * p.x + d * p.y + f}; }
    // Maps a vector (no translation).
    PointD mapVector(PointD p) const { return {a * p.x + c * p.y, b * p.x + d * p.y}; }
    // This map applied after `first`.
    Affine after(const Affine& first) const {
        return {a * first.a + c * first.b, b * first.a + d * first.b,     a * first.c + c * first.d,
                b * first.c + d * first.d, a * first.e + c * first.f + e, b * first.e + d * first.f + f};
    }
    // The factor lengths grow by on average (square root of the area factor).
    double scale() const { return std::sqrt(std::fabs(a * d - b * c)); }
    bool finite() const {
        return std::isfinite(a) && std::isfinite(b) && std::isfinite(c) && std::isfinite(d) &&
               std::isfinite(e) && std::isfinite(f);
    }
};

} // namespace vorlin::gfx::metafile
