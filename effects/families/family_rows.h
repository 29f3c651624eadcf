#pragma once
// The rows of the region and per-pixel families in the effect table (effects/effect_table.cpp): one type
// per way of drawing, holding that family's parameters (shape formulas for arcs and triangles, extents and
// modes for lines, modes for waves and swarms, the pivot corner for rotations) and naming its family.
// DrawFrame picks a row's routine once per frame by the row's type:
//   - a region row (RegionRow) gives the clip region R of the frame; the engine draws the new frame
//     through R for progress 1..99 (gfx::copyThroughRegion) and releases R at the end of the frame;
//   - a per-pixel row (PixelRow) writes the frame into the screen buffer itself.
//
// What a caller of these routines must keep:
//   - Build R in every frame, progress 0 and 100 included, although only 1..99 draw through it, and build
//     it once: the wave, swarm and random-block rows draw from the shared generator (vorlin::random) in a
//     fixed order, and every later frame of a run depends on every earlier frame having drawn its numbers.
//     A frame is reproducible from the generator's seed.
//   - An empty R is a frame where nothing of the new picture shows yet (a random-block frame where no block
//     came up), never "no clip": drawing the whole new picture instead would flash it for one frame.
//   - R is already cut to the picture (0, 0, W, H); the frame's D stays the whole picture.
//   - Where no OnBeforeNewFrame hook needs the whole old frame, drawing the old frame through
//     Region(0, 0, W, H) − R and the new one through R gives the same pixels as the whole old frame
//     followed by the new one through R.
//   - A per-pixel row expects the screen buffer to hold the old frame; at progress 0 it leaves it as it
//     is, at 100 it gives the new frame.
// Main thread only, like the rest of the engine.

#include "effects/catalogue.h"
#include "effects/frame_values.h"
#include "gfx/bitmap.h"
#include "gfx/region.h"

#include <array>
#include <concepts>
#include <initializer_list>

namespace vorlin::effects::families {

// A row whose frame is the new picture drawn through a clip region.
template <class Row>
concept RegionRow = requires(const Row& row, const FrameValues& v) {
    { row.region(v) } -> std::same_as<gfx::Region>;
};

// A row that draws its frame pixel by pixel over the old frame.
template <class Row>
concept PixelRow = requires(const Row& row, const FrameValues& v, const gfx::Bitmap& newFrame,
                            gfx::Bitmap& screen) {
    row.draw(v, newFrame, screen);
};

// The clip region R of a region row's frame (W, H, X, Y, Band and progress are read). An empty picture
// gives the empty region, and its frame draws no random numbers.
template <RegionRow Row> gfx::Region clipRegion(const Row& row, const FrameValues& v) {
    if (v.W <= 0 || v.H <= 0) return gfx::Region();
    return row.region(v);
}

// ---- Region rows ---------------------------------------------------------------------------------------

// A rounded rectangle RR(L, T, R, B; EW × EH).
struct RoundRectShape {
    Rect box;
    int ellipseWidth, ellipseHeight;
};
constexpr RoundRectShape rr(int l, int t, int r, int b, int ew, int eh) {
    return {{l, t, r, b}, ew, eh};
}

// A rounded rectangle, optionally combined by exclusive-or with the whole picture (the picture outside
// the box).
struct ArcRow {
    static constexpr Family family = Family::Arc;
    RoundRectShape (*shape)(const FrameValues&);
    bool outsideBox = false;
    gfx::Region region(const FrameValues& v) const;
};

// Up to four triangles, united.
struct Triangles {
    int count = 0;
    std::array<std::array<gfx::Point, 3>, 4> corners{};
};
constexpr Triangles tri(std::initializer_list<std::array<gfx::Point, 3>> list) {
    Triangles t;
    for (const auto& c : list) t.corners[t.count++] = c;
    return t;
}

struct TriangleRow {
    static constexpr Family family = Family::Triangle;
    Triangles (*shape)(const FrameValues&);
    gfx::Region region(const FrameValues& v) const;
};

// A right triangle in each cell of a 10 × 10 grid.
struct TriangleGridRow {
    static constexpr Family family = Family::Triangle;
    gfx::Region region(const FrameValues& v) const;
};

// 5-pixel lines (strip_regions.h). A pass reaches 0, once or twice the extent X (rows) or Y (columns).
struct LineRow {
    static constexpr Family family = Family::Line;
    int xeTimes, yeTimes, rowMode, columnMode;
    bool snap; // snap band Band, or none
    gfx::Region region(const FrameValues& v) const;
};
constexpr LineRow line(int xe, int ye, int rowMode, int columnMode, bool snap = true) {
    return {xe, ye, rowMode, columnMode, snap};
}

// Where two line patterns both cover the picture.
struct LineIntersectionRow {
    static constexpr Family family = Family::Line;
    LineRow first, second;
    gfx::Region region(const FrameValues& v) const;
};

struct WaveRow {
    static constexpr Family family = Family::Wave;
    int rowMode, columnMode;
    gfx::Region region(const FrameValues& v) const;
};

struct SwarmRow {
    static constexpr Family family = Family::Swarm;
    int rowMode, columnMode;
    gfx::Region region(const FrameValues& v) const;
};

struct RandomBlockRow {
    static constexpr Family family = Family::RandomBlock;
    gfx::Region region(const FrameValues& v) const;
};

// ---- Per-pixel rows ------------------------------------------------------------------------------------

struct CrossFadeRow {
    static constexpr Family family = Family::CrossFade;
    void draw(const FrameValues& v, const gfx::Bitmap& newFrame, gfx::Bitmap& screen) const;
};

// Pivot at the left (−1) or right (W) edge, the top (−1) or bottom (H) edge.
struct RotationRow {
    static constexpr Family family = Family::Rotation;
    bool right, bottom;
    void draw(const FrameValues& v, const gfx::Bitmap& newFrame, gfx::Bitmap& screen) const;
};

} // namespace vorlin::effects::families
