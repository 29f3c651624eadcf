// The table of effects 58–127: one row per effect, holding its family and that family's parameters
// (shape formulas for arcs and triangles, extents and modes for lines, modes for waves and swarms, the
// pivot corner for rotations). The family routines below turn a row and the frame's values into a
// region or a drawn frame; regions are built from a whole list of rectangles in one call.
#include "effects/regions/region_effects.h"

#include "base/arith.h"
#include "effects/regions/pixel_effects.h"
#include "effects/regions/strip_regions.h"

#include <array>
#include <variant>
#include <vector>

namespace vorlin::effects::regions {
namespace {

using gfx::Point;
using gfx::Region;

// ---- Rows -------------------------------------------------------------------------------------------

// A rounded rectangle RR(L, T, R, B; EW × EH), optionally combined by exclusive-or with the whole
// picture (the picture outside the box).
struct RoundRectShape {
    Rect box;
    int ellipseWidth, ellipseHeight;
};
struct ArcRow {
    RoundRectShape (*shape)(const FrameValues&);
    bool outsideBox = false;
};

// Up to four triangles, united.
struct Triangles {
    int count = 0;
    std::array<std::array<Point, 3>, 4> corners{};
};
struct TriangleRow {
    Triangles (*shape)(const FrameValues&);
};
struct TriangleGridRow {};

// Extents of a line pass: 0, the extent (X or Y) or twice it.
struct LineRow {
    int xeTimes, yeTimes, rowMode, columnMode;
    bool snap; // snap band Band, or none
};
struct LineIntersectionRow {
    LineRow first, second;
};
struct WaveRow {
    int rowMode, columnMode;
};
struct SwarmRow {
    int rowMode, columnMode;
};
struct RandomBlockRow {};
struct CrossFadeRow {};
// Pivot at the left (−1) or right (W) edge, the top (−1) or bottom (H) edge.
struct RotationRow {
    bool right, bottom;
};

using Row = std::variant<ArcRow, TriangleRow, TriangleGridRow, LineRow, LineIntersectionRow, WaveRow,
                         SwarmRow, RandomBlockRow, CrossFadeRow, RotationRow>;

constexpr RoundRectShape rr(int l, int t, int r, int b, int ew, int eh) {
    return {{l, t, r, b}, ew, eh};
}
constexpr Triangles tri(std::initializer_list<std::array<Point, 3>> list) {
    Triangles t;
    for (const auto& c : list) t.corners[t.count++] = c;
    return t;
}

constexpr LineRow line(int xe, int ye, int rowMode, int columnMode, bool snap = true) {
    return {xe, ye, rowMode, columnMode, snap};
}

// clang-format off
constexpr std::array<Row, kLastEffect - kFirstEffect + 1> kRows = {{
    /*  58 */ ArcRow{[](const FrameValues& v) { return rr(-2 * v.W, -5, 2 * v.X, v.H + 5, 2 * v.W, 2 * v.W); }},
    /*  59 */ ArcRow{[](const FrameValues& v) { return rr(v.W - 2 * v.X, -5, 3 * v.W, v.H + 5, 2 * v.W, 2 * v.W); }},
    /*  60 */ line(2, 0, 1, 0),
    /*  61 */ line(2, 0, 2, 0),
    /*  62 */ line(2, 0, 4, 0),
    /*  63 */ line(2, 0, 5, 0),
    /*  64 */ line(1, 0, 3, 0, false),
    /*  65 */ WaveRow{1, 0},
    /*  66 */ WaveRow{2, 0},
    /*  67 */ WaveRow{3, 0},
    /*  68 */ WaveRow{4, 0},
    /*  69 */ ArcRow{[](const FrameValues& v) { return rr(-5, -2 * v.H, v.W + 5, 2 * v.Y, 2 * v.H, 2 * v.H); }},
    /*  70 */ ArcRow{[](const FrameValues& v) { return rr(-5, v.H - 2 * v.Y, v.W + 5, 3 * v.H, 2 * v.H, 2 * v.H); }},
    /*  71 */ line(0, 2, 0, 1),
    /*  72 */ line(0, 2, 0, 2),
    /*  73 */ line(0, 2, 0, 4),
    /*  74 */ line(0, 2, 0, 5),
    /*  75 */ line(0, 1, 0, 3, false),
    /*  76 */ WaveRow{0, 1},
    /*  77 */ WaveRow{0, 2},
    /*  78 */ WaveRow{0, 3},
    /*  79 */ WaveRow{0, 4},
    /*  80 */ ArcRow{[](const FrameValues& v) { return rr(-2 * v.W, -2 * v.H, 2 * v.X, 2 * v.Y, 2 * v.W, 2 * v.H); }},
    /*  81 */ ArcRow{[](const FrameValues& v) { return rr(v.W - 2 * v.X, -2 * v.H, 3 * v.W, 2 * v.Y, 2 * v.W, 2 * v.H); }},
    /*  82 */ ArcRow{[](const FrameValues& v) { return rr(-2 * v.W, v.H - 2 * v.Y, 2 * v.X, 3 * v.H, 2 * v.W, 2 * v.H); }},
    // 83's corner ellipse is 2H wide, where 80–82 have 2W: part of its look.
    /*  83 */ ArcRow{[](const FrameValues& v) { return rr(v.W - 2 * v.X, v.H - 2 * v.Y, 3 * v.W, 3 * v.H, 2 * v.H, 2 * v.H); }},
    /*  84 */ ArcRow{[](const FrameValues& v) {
                  const int ow = v.W / 2, oh = v.H / 2;
                  return rr(ow - v.X, oh - v.Y, ow + v.X, oh + v.Y, 9 * v.X / 5, 9 * v.Y / 5);
              }},
    /*  85 */ ArcRow{[](const FrameValues& v) {
                  const int ow = v.W / 2, oh = v.H / 2, k = v.W - v.X;
                  return rr(v.X - ow, v.Y - oh, 3 * v.W / 2 - v.X, 3 * v.H / 2 - v.Y, 9 * k / 5, 9 * (v.H - v.Y) / 5);
              }, true},
    /*  86 */ line(2, 2, 1, 1),
    /*  87 */ line(2, 2, 1, 2),
    /*  88 */ line(2, 2, 2, 1),
    /*  89 */ line(2, 2, 2, 2),
    /*  90 */ line(2, 2, 4, 4),
    /*  91 */ line(2, 2, 4, 5),
    /*  92 */ line(2, 2, 5, 4),
    /*  93 */ line(2, 2, 5, 5),
    /*  94 */ line(1, 1, 1, 3),
    /*  95 */ line(1, 1, 2, 3),
    /*  96 */ line(1, 1, 3, 1),
    /*  97 */ line(1, 1, 3, 2),
    /*  98 */ line(1, 1, 3, 3, false),
    /*  99 */ LineIntersectionRow{line(2, 2, 1, 1), line(2, 2, 2, 2)},
    /* 100 */ WaveRow{1, 1},
    /* 101 */ WaveRow{1, 2},
    /* 102 */ WaveRow{2, 1},
    /* 103 */ WaveRow{2, 2},
    /* 104 */ WaveRow{1, 3},
    /* 105 */ WaveRow{2, 3},
    /* 106 */ WaveRow{3, 1},
    /* 107 */ WaveRow{3, 2},
    /* 108 */ WaveRow{3, 3},
    /* 109 */ WaveRow{4, 4},
    /* 110 */ TriangleRow{[](const FrameValues& v) { return tri({{{{0, 0}, {2 * v.X, 0}, {0, 2 * v.Y}}}}); }},
    /* 111 */ TriangleRow{[](const FrameValues& v) { return tri({{{{v.W, 0}, {v.W - 2 * v.X, 0}, {v.W, 2 * v.Y}}}}); }},
    /* 112 */ TriangleRow{[](const FrameValues& v) { return tri({{{{0, v.H}, {2 * v.X, v.H}, {0, v.H - 2 * v.Y}}}}); }},
    /* 113 */ TriangleRow{[](const FrameValues& v) { return tri({{{{v.W, v.H}, {v.W - 2 * v.X, v.H}, {v.W, v.H - 2 * v.Y}}}}); }},
    /* 114 */ TriangleRow{[](const FrameValues& v) {
                  const int k = v.W - v.X;
                  return tri({{{{0, v.H}, {0, 0}, {v.X, v.H}}}, {{{v.W, v.H}, {v.W, 0}, {k, 0}}}});
              }},
    /* 115 */ TriangleRow{[](const FrameValues& v) {
                  return tri({{{{v.W, 0}, {0, 0}, {v.W, v.Y}}}, {{{v.W, v.H}, {0, v.H}, {0, v.H - v.Y}}}});
              }},
    /* 116 */ TriangleRow{[](const FrameValues& v) {
                  const Point c{v.W / 2, v.H / 2};
                  const int k = v.W - v.X;
                  return tri({{{c, {0, v.H}, {0, v.H - v.Y}}}, {{{0, 0}, {v.X, 0}, c}}, {{{k, v.H}, c, {v.W, v.H}}},
                              {{c, {v.W, 0}, {v.W, v.Y}}}});
              }},
    /* 117 */ TriangleGridRow{},
    /* 118 */ CrossFadeRow{},
    /* 119 */ RotationRow{false, false},
    /* 120 */ RotationRow{false, true},
    /* 121 */ RotationRow{true, false},
    /* 122 */ RotationRow{true, true},
    /* 123 */ SwarmRow{1, 0},
    /* 124 */ SwarmRow{2, 0},
    /* 125 */ SwarmRow{0, 1},
    /* 126 */ SwarmRow{0, 2},
    /* 127 */ RandomBlockRow{},
}};
// clang-format on
static_assert(kRows.size() == 70, "one row per effect 58..127");

const Row* rowOf(int effect) {
    if (effect < kFirstEffect || effect > kLastEffect) return nullptr;
    return &kRows[effect - kFirstEffect];
}

// ---- Family routines --------------------------------------------------------------------------------

template <class... Ts> struct Overloaded : Ts... { using Ts::operator()...; };
template <class... Ts> Overloaded(Ts...) -> Overloaded<Ts...>; // clang 14 does not deduce aggregates

// Appends the rectangles of a region (already clipped to the picture) to a list, so that many shapes
// become one region in a single build.
void appendRects(std::vector<Rect>& out, const Region& r) {
    for (const pixman_box32_t& b : r.boxes()) out.push_back({b.x1, b.y1, b.x2, b.y2});
}

// The union of the rectangles within the picture, built in one call. Cutting each rectangle to the picture
// first keeps the region small and changes nothing that is drawn.
Region clippedUnion(std::vector<Rect>& rects, const Rect& picture) {
    for (Rect& r : rects) r = intersect(r, picture);
    return Region::fromRects(rects);
}

Region lineRegion(const LineRow& row, const FrameValues& v, const Rect& picture) {
    std::vector<Rect> rects;
    makeLineRects(rects, row.xeTimes * v.X, row.yeTimes * v.Y, v.W, v.H, row.rowMode, row.columnMode,
                  row.snap ? v.Band : 0);
    return clippedUnion(rects, picture);
}

Region triangleGrid(const FrameValues& v, const Rect& picture) {
    // A right triangle in each cell of a 10 × 10 grid, legs L = X div 5 across and MulDiv(L, H, W) down,
    // with its right angle at the cell's origin. All hundred are whole-pixel translates of one triangle,
    // and the pixel-centre rule does not change under such a shift: rasterise it once and place its
    // rectangles at every cell origin.
    const int leg = v.X / 5;
    const int down = vorlin::mulDiv(leg, v.H, v.W);
    const Region one = Region::triangle({0, 0}, {leg, 0}, {0, down});
    const auto boxes = one.boxes();
    std::vector<Rect> rects;
    rects.reserve(100 * boxes.size());
    for (int r = 0; r < 10; ++r) {
        const int b = v.H * r / 10;
        for (const pixman_box32_t& box : boxes)
            for (int c = 0; c < 10; ++c) {
                const int a = v.W * c / 10;
                rects.push_back({a + box.x1, b + box.y1, a + box.x2, b + box.y2});
            }
    }
    return clippedUnion(rects, picture);
}

Region region(const Row& row, const FrameValues& v) {
    const Rect picture{0, 0, v.W, v.H};
    return std::visit(Overloaded{
                          [&](const ArcRow& a) {
                              const RoundRectShape s = a.shape(v);
                              Region box = Region::roundRect(s.box, s.ellipseWidth, s.ellipseHeight, picture);
                              return a.outsideBox ? Region(picture) ^ box : box;
                          },
                          [&](const TriangleRow& t) {
                              const Triangles shape = t.shape(v);
                              std::vector<Rect> rects;
                              for (int k = 0; k < shape.count; ++k) {
                                  const auto& p = shape.corners[k];
                                  appendRects(rects, Region::triangle(p[0], p[1], p[2], picture));
                              }
                              return Region::fromRects(rects);
                          },
                          [&](const TriangleGridRow&) { return triangleGrid(v, picture); },
                          [&](const LineRow& l) { return lineRegion(l, v, picture); },
                          [&](const LineIntersectionRow& l) {
                              return lineRegion(l.first, v, picture) & lineRegion(l.second, v, picture);
                          },
                          [&](const WaveRow& w) {
                              std::vector<Rect> rects;
                              makeWaveRects(rects, v.X, v.Y, v.W, v.H, w.rowMode, w.columnMode);
                              return clippedUnion(rects, picture);
                          },
                          [&](const SwarmRow& s) {
                              std::vector<Rect> rects;
                              makeSwarmRects(rects, v.X, v.Y, v.W, s.rowMode, s.columnMode, v.H);
                              return clippedUnion(rects, picture);
                          },
                          [&](const RandomBlockRow&) {
                              std::vector<Rect> rects;
                              makeRandomBlockRects(rects, v.W, v.H, v.progress);
                              return clippedUnion(rects, picture);
                          },
                          [](const CrossFadeRow&) { return Region(); },
                          [](const RotationRow&) { return Region(); },
                      },
                      row);
}

bool isPixelRow(const Row& row) {
    return std::holds_alternative<CrossFadeRow>(row) || std::holds_alternative<RotationRow>(row);
}

} // namespace

bool isRegionEffect(int effect) {
    const Row* row = rowOf(effect);
    return row && !isPixelRow(*row);
}

bool isPixelEffect(int effect) {
    const Row* row = rowOf(effect);
    return row && isPixelRow(*row);
}

std::optional<gfx::Region> buildRegion(int effect, const FrameValues& v) {
    const Row* row = rowOf(effect);
    if (!row || isPixelRow(*row)) return std::nullopt;
    if (v.W <= 0 || v.H <= 0) return Region();
    return region(*row, v);
}

bool drawPixelEffect(int effect, const FrameValues& v, const gfx::Bitmap& newFrame, gfx::Bitmap& screen) {
    const Row* row = rowOf(effect);
    if (!row) return false;
    if (std::holds_alternative<CrossFadeRow>(*row)) {
        blendBitmaps(screen, newFrame, v.progress);
        return true;
    }
    if (const auto* r = std::get_if<RotationRow>(row)) {
        rotateBitmap(screen, newFrame, r->right ? v.W : -1, r->bottom ? v.H : -1, rotationAngle(v.progress));
        return true;
    }
    return false;
}

} // namespace vorlin::effects::regions
