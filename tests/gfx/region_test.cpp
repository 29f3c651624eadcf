#include "gfx/region.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <ostream>
#include <random>
#include <vector>

using namespace vorlin;
using namespace vorlin::gfx;

namespace vorlin::gfx {
// Failure messages list a region's rectangles.
void PrintTo(const Region& r, std::ostream* os) {
    *os << "{";
    for (const Rect& b : r.rects())
        *os << " (" << b.Left << "," << b.Top << "," << b.Right << "," << b.Bottom << ")";
    *os << " }";
}
} // namespace vorlin::gfx

namespace {

// Pixels whose centre lies this close to an ideal boundary may fall either way; they are not checked.
constexpr double kBoundary = 1e-9;

using Membership = std::function<bool(int, int)>;

// Compares a region with a membership rule over a window of pixels.
::testing::AssertionResult matches(const Region& region, const Rect& window, const Membership& inside) {
    for (int y = window.Top; y < window.Bottom; ++y)
        for (int x = window.Left; x < window.Right; ++x)
            if (region.contains(x, y) != inside(x, y))
                return ::testing::AssertionFailure()
                       << "pixel (" << x << ", " << y << ") is " << (region.contains(x, y) ? "in" : "out");
    return ::testing::AssertionSuccess();
}

// The rectangle list must be banded: sorted by top then left, rectangles of one band share top and
// bottom, no two overlap, and their areas add up to the pixel count inside the bounding box.
::testing::AssertionResult wellFormed(const Region& region) {
    const std::vector<Rect> rs = region.rects();
    std::int64_t sum = 0;
    for (std::size_t i = 0; i < rs.size(); ++i) {
        if (rs[i].isEmpty()) return ::testing::AssertionFailure() << "empty rectangle " << i;
        sum += std::int64_t{rs[i].width()} * rs[i].height();
        if (i == 0) continue;
        const Rect& p = rs[i - 1];
        const Rect& r = rs[i];
        const bool sameBand = p.Top == r.Top && p.Bottom == r.Bottom && p.Right <= r.Left;
        const bool nextBand = r.Top >= p.Bottom;
        if (!sameBand && !nextBand)
            return ::testing::AssertionFailure() << "rectangle " << i << " out of band order";
    }
    if (sum != region.area())
        return ::testing::AssertionFailure() << "area " << region.area() << " vs " << sum;
    const Rect box = region.boundingBox();
    std::int64_t count = 0;
    for (int y = box.Top; y < box.Bottom; ++y)
        for (int x = box.Left; x < box.Right; ++x) count += region.contains(x, y);
    if (count != sum) return ::testing::AssertionFailure() << "pixels " << count << " vs rectangles " << sum;
    return ::testing::AssertionSuccess();
}

Rect window(const Rect& r, int margin) {
    return {r.Left - margin, r.Top - margin, r.Right + margin, r.Bottom + margin};
}

} // namespace

// ---- algebra ----

TEST(RegionAlgebra, CombinesPixelByPixel) {
    // Pairs of shapes, each the union of up to two rectangles: overlapping, nested, disjoint, touching.
    struct Shape {
        Rect a, b;
    };
    const Shape shapes[] = {
        {{0, 0, 10, 10}, {}},
        {{5, 5, 15, 15}, {}},
        {{2, 2, 4, 4}, {}},
        {{10, 0, 20, 10}, {}},
        {{-5, 3, 25, 6}, {3, -5, 6, 25}},
        {{0, 0, 3, 20}, {6, 0, 9, 20}},
        {},
        {{20, 20, 30, 30}, {}},
    };
    auto make = [](const Shape& s) { return Region(s.a) | Region(s.b); };
    auto in = [](const Shape& s, int x, int y) { return s.a.contains(x, y) || s.b.contains(x, y); };
    const Rect win{-8, -8, 33, 33};
    for (const Shape& p : shapes)
        for (const Shape& q : shapes) {
            const Region a = make(p), b = make(q);
            const Region u = a | b, i = a & b, x = a ^ b, d = a - b;
            EXPECT_TRUE(matches(u, win, [&](int px, int py) { return in(p, px, py) || in(q, px, py); }));
            EXPECT_TRUE(matches(i, win, [&](int px, int py) { return in(p, px, py) && in(q, px, py); }));
            EXPECT_TRUE(matches(x, win, [&](int px, int py) { return in(p, px, py) != in(q, px, py); }));
            EXPECT_TRUE(matches(d, win, [&](int px, int py) { return in(p, px, py) && !in(q, px, py); }));
            for (const Region* r : {&u, &i, &x, &d}) EXPECT_TRUE(wellFormed(*r));
            EXPECT_EQ(u.area() + i.area(), a.area() + b.area());
            // The combine modes a drawing file names are these operations, and a copy of the operand.
            const std::pair<CombineMode, const Region*> modes[] = {{CombineMode::And, &i},
                                                                   {CombineMode::Or, &u},
                                                                   {CombineMode::Xor, &x},
                                                                   {CombineMode::Diff, &d},
                                                                   {CombineMode::Copy, &b}};
            for (const auto& [mode, want] : modes) {
                Region c = a;
                c.combine(b, mode);
                EXPECT_EQ(c, *want) << "mode " << static_cast<int>(mode);
            }
        }
}

TEST(RegionAlgebra, CompoundAssignmentsAliasSafely) {
    // The operand is the region itself, reached through another name.
    Region a = Region(Rect{0, 0, 10, 10}) | Region(Rect{20, 0, 25, 5});
    const Region before = a;
    const Region& same = a;
    a |= same;
    EXPECT_EQ(a, before);
    a &= same;
    EXPECT_EQ(a, before);
    a ^= same;
    EXPECT_TRUE(a.isEmpty());
    Region b(Rect{0, 0, 4, 4});
    const Region& sameB = b;
    b -= sameB;
    EXPECT_TRUE(b.isEmpty());
    Region c = before;
    const Region& sameC = c;
    c.combine(sameC, CombineMode::Copy);
    EXPECT_EQ(c, before);
    c.combine(sameC, CombineMode::Xor);
    EXPECT_TRUE(c.isEmpty());
}

TEST(Region, RectanglesAndTheirDegenerateForms) {
    EXPECT_TRUE(Region().isEmpty());
    EXPECT_EQ(Region().boundingBox(), Rect{});
    EXPECT_EQ(Region().rectCount(), 0);
    const Rect empties[] = {{5, 5, 5, 9}, {5, 5, 9, 5}, {9, 5, 5, 9}, {5, 9, 9, 5}};
    for (const Rect& r : empties) EXPECT_TRUE(Region(r).isEmpty()) << r.Left << "," << r.Top;
    const Region r(Rect{2, 3, 7, 11});
    EXPECT_EQ(r.area(), 40);
    EXPECT_EQ(r.boundingBox(), (Rect{2, 3, 7, 11}));
    EXPECT_TRUE(r.contains(2, 3));
    EXPECT_TRUE(r.contains(6, 10));
    EXPECT_FALSE(r.contains(7, 10)); // right edge exclusive
    EXPECT_FALSE(r.contains(6, 11)); // bottom edge exclusive
    // Corners in any order give the same rectangle.
    EXPECT_EQ(Region::fromCorners(7, 11, 2, 3), r);
    EXPECT_EQ(Region::fromCorners(2, 11, 7, 3), r);
    EXPECT_TRUE(Region::fromCorners(4, 0, 4, 9).isEmpty());
}

TEST(Region, FromManyRectanglesEqualsTheirUnion) {
    std::mt19937 rng(12345);
    for (int round = 0; round < 20; ++round) {
        std::vector<Rect> rects;
        const int n = 1 + static_cast<int>(rng() % 60);
        for (int i = 0; i < n; ++i) {
            const int x = static_cast<int>(rng() % 80) - 10, y = static_cast<int>(rng() % 80) - 10;
            // Some rectangles are empty or inverted: they add nothing.
            const int w = static_cast<int>(rng() % 25) - 3, h = static_cast<int>(rng() % 25) - 3;
            rects.push_back({x, y, x + w, y + h});
        }
        const Region built = Region::fromRects(rects);
        Region united;
        for (const Rect& r : rects) united |= Region(r);
        EXPECT_EQ(built, united);
        EXPECT_TRUE(wellFormed(built));
        EXPECT_TRUE(matches(built, {-15, -15, 110, 110}, [&](int x, int y) {
            for (const Rect& r : rects)
                if (r.contains(x, y)) return true;
            return false;
        }));
    }
    EXPECT_TRUE(Region::fromRects({}).isEmpty());
}

TEST(Region, TranslatesAndKeepsValueSemantics) {
    Region a = Region(Rect{0, 0, 4, 4}) | Region(Rect{10, 10, 12, 15});
    Region b = a; // deep copy
    b.translate(5, -3);
    EXPECT_EQ(b, Region(Rect{5, -3, 9, 1}) | Region(Rect{15, 7, 17, 12}));
    EXPECT_EQ(a.area(), 26); // the original is untouched
    Region c = std::move(b);
    EXPECT_TRUE(b.isEmpty()); // NOLINT: a moved-from region is empty and usable
    b = c;
    EXPECT_EQ(b, c);
    const Region& self = b;
    b = self;
    EXPECT_EQ(b, c);
    c.clear();
    EXPECT_TRUE(c.isEmpty());
    EXPECT_FALSE(b.isEmpty());
    // Extreme coordinates are clamped, not wrapped.
    Region far(Rect{0, 0, 10, 10});
    far.translate(INT32_MAX, INT32_MAX);
    EXPECT_FALSE(far.isEmpty());
    EXPECT_LE(far.boundingBox().Right, Region::kLimit);
    EXPECT_GT(far.boundingBox().Left, 0);
}

// ---- rounded rectangles ----

namespace {

struct RoundRectCase {
    Rect r;
    int ew, eh;
};
void PrintTo(const RoundRectCase& c, std::ostream* os) {
    *os << "RR(" << c.r.Left << ", " << c.r.Top << ", " << c.r.Right << ", " << c.r.Bottom << "; " << c.ew
        << " x " << c.eh << ")";
}

// Ideal rounded rectangle: the closed rectangle with each corner replaced by a quarter of an ellipse of
// width ew and height eh (limited to the rectangle). Returns +1 inside, -1 outside, 0 on the boundary.
int idealRoundRect(const RoundRectCase& c, double px, double py) {
    const double L = c.r.Left, T = c.r.Top, R = c.r.Right, B = c.r.Bottom;
    const double a = std::min<double>(std::max(c.ew, 0), R - L) / 2,
                 b = std::min<double>(std::max(c.eh, 0), B - T) / 2;
    if (px < L - kBoundary || px > R + kBoundary || py < T - kBoundary || py > B + kBoundary) return -1;
    if (std::abs(px - L) < kBoundary || std::abs(px - R) < kBoundary || std::abs(py - T) < kBoundary ||
        std::abs(py - B) < kBoundary)
        return 0;
    if (a <= 0 || b <= 0) return 1;
    const double cx = px < L + a ? L + a : (px > R - a ? R - a : px);
    const double cy = py < T + b ? T + b : (py > B - b ? B - b : py);
    const double f = (px - cx) * (px - cx) / (a * a) + (py - cy) * (py - cy) / (b * b);
    if (std::abs(f - 1) < kBoundary) return 0;
    return f < 1 ? 1 : -1;
}

} // namespace

class RoundRect : public ::testing::TestWithParam<RoundRectCase> {};

TEST_P(RoundRect, HoldsThePixelsWhoseCentresAreInsideTheIdealShape) {
    const RoundRectCase c = GetParam();
    const Region region = Region::roundRect(c.r, c.ew, c.eh);
    EXPECT_TRUE(wellFormed(region));
    const Rect win = window(c.r, 3);
    for (int y = win.Top; y < win.Bottom; ++y)
        for (int x = win.Left; x < win.Right; ++x) {
            const int ideal = idealRoundRect(c, x + 0.5, y + 0.5);
            if (ideal != 0) {
                ASSERT_EQ(region.contains(x, y), ideal > 0) << "pixel " << x << ", " << y;
            }
        }
}

TEST_P(RoundRect, IsSymmetricAboutBothCentreLines) {
    const RoundRectCase c = GetParam();
    const Region region = Region::roundRect(c.r, c.ew, c.eh);
    const Rect& r = c.r;
    for (int y = r.Top; y < r.Bottom; ++y)
        for (int x = r.Left; x < r.Right; ++x) {
            const bool in = region.contains(x, y);
            ASSERT_EQ(in, region.contains(r.Left + r.Right - 1 - x, y)) << x << "," << y;
            ASSERT_EQ(in, region.contains(x, r.Top + r.Bottom - 1 - y)) << x << "," << y;
        }
}

TEST_P(RoundRect, AreaIsWithinOnePercentOfTheIdeal) {
    const RoundRectCase c = GetParam();
    const double w = c.r.width(), h = c.r.height();
    const double ew = std::min<double>(std::max(c.ew, 0), w), eh = std::min<double>(std::max(c.eh, 0), h);
    const double ideal = w * h - (1 - M_PI / 4) * ew * eh;
    if (ideal < 100) GTEST_SKIP() << "too small for an area comparison";
    EXPECT_NEAR(static_cast<double>(Region::roundRect(c.r, c.ew, c.eh).area()), ideal, ideal * 0.01);
}

INSTANTIATE_TEST_SUITE_P(Shapes, RoundRect,
                         ::testing::Values(RoundRectCase{{0, 0, 40, 30}, 10, 8},   // small corners
                                           RoundRectCase{{-7, 3, 33, 24}, 40, 21}, // full ellipse
                                           RoundRectCase{
                                               {5, 5, 60, 21}, 200, 300},         // ellipse larger than rect
                                           RoundRectCase{{0, 0, 31, 17}, 9, 13},  // odd sizes
                                           RoundRectCase{{0, 0, 20, 20}, 0, 10},  // square corners
                                           RoundRectCase{{0, 0, 20, 20}, -5, -5}, // negative extents
                                           RoundRectCase{{0, 0, 3, 2}, 3, 2},     // tiny
                                           RoundRectCase{{0, 0, 1, 1}, 1, 1},     // one pixel
                                           RoundRectCase{{-60, -5, 50, 45}, 120, 120}, // an arc sweeping in
                                           RoundRectCase{{10, 10, 90, 90}, 143, 143},  // a centre box
                                           RoundRectCase{{0, 0, 400, 300}, 181, 77}));

TEST(RoundRectRegion, DegenerateAndLimitedShapes) {
    // Zero or negative sizes hold nothing.
    EXPECT_TRUE(Region::roundRect({10, 10, 10, 30}, 5, 5).isEmpty());
    EXPECT_TRUE(Region::roundRect({10, 10, 30, 10}, 5, 5).isEmpty());
    EXPECT_TRUE(Region::roundRect({30, 10, 10, 30}, 5, 5).isEmpty());
    // Ellipse extents larger than the rectangle are limited to it.
    EXPECT_EQ(Region::roundRect({0, 0, 50, 30}, 500, 31), Region::roundRect({0, 0, 50, 30}, 50, 30));
    // Zero extents give the plain rectangle.
    EXPECT_EQ(Region::roundRect({0, 0, 50, 30}, 0, 0), Region(Rect{0, 0, 50, 30}));
    // A rounded rectangle never leaves its rectangle, and holds its whole middle cross.
    const Region r = Region::roundRect({3, 4, 53, 44}, 30, 20);
    EXPECT_EQ(r.boundingBox(), (Rect{3, 4, 53, 44}));
    EXPECT_EQ(r & Region(Rect{3, 14, 53, 34}), Region(Rect{3, 14, 53, 34}));
    EXPECT_EQ(r & Region(Rect{18, 4, 38, 44}), Region(Rect{18, 4, 38, 44}));
}

TEST(RoundRectRegion, ClipGivesTheShapeIntersectedWithTheClip) {
    const int W = 160, H = 90;
    struct Row {
        Rect r;
        int ew, eh;
    };
    const Row rows[] = {
        {{-2 * W, -5, 2 * 37, H + 5}, 2 * W, 2 * W}, // arc from the left
        {{W - 2 * 60, H - 2 * 40, 3 * W, 3 * H}, 2 * H, 2 * H},
        {{-2 * W, -2 * H, 2 * 100, 2 * 70}, 2 * W, 2 * H},
    };
    const Rect clip{0, 0, W, H};
    for (const Row& row : rows)
        EXPECT_EQ(Region::roundRect(row.r, row.ew, row.eh, clip),
                  Region::roundRect(row.r, row.ew, row.eh) & Region(clip));
}

// ---- polygons ----

namespace {

// Sign of the cross product (b − a) × (p − a).
double cross(Point a, Point b, double px, double py) {
    return (b.x - a.x) * (py - a.y) - (b.y - a.y) * (px - a.x);
}

// +1 inside, -1 outside, 0 on an edge, for a non-degenerate triangle in either orientation.
int idealTriangle(Point a, Point b, Point c, double px, double py) {
    const double e[] = {cross(a, b, px, py), cross(b, c, px, py), cross(c, a, px, py)};
    const double orient = cross(a, b, c.x, c.y) > 0 ? 1 : -1;
    bool onEdge = false;
    for (double v : e) {
        if (std::abs(v) < kBoundary)
            onEdge = true;
        else if (v * orient < 0)
            return -1;
    }
    return onEdge ? 0 : 1;
}

struct Triangle {
    Point a, b, c;
};
void PrintTo(const Triangle& t, std::ostream* os) {
    *os << "(" << t.a.x << "," << t.a.y << ") (" << t.b.x << "," << t.b.y << ") (" << t.c.x << "," << t.c.y
        << ")";
}

} // namespace

class TriangleRegion : public ::testing::TestWithParam<Triangle> {};

TEST_P(TriangleRegion, HoldsThePixelsWhoseCentresAreInside) {
    const Triangle t = GetParam();
    const Region region = Region::triangle(t.a, t.b, t.c);
    EXPECT_TRUE(wellFormed(region));
    const int x0 = std::min({t.a.x, t.b.x, t.c.x}) - 2, x1 = std::max({t.a.x, t.b.x, t.c.x}) + 2;
    const int y0 = std::min({t.a.y, t.b.y, t.c.y}) - 2, y1 = std::max({t.a.y, t.b.y, t.c.y}) + 2;
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x) {
            const int ideal = idealTriangle(t.a, t.b, t.c, x + 0.5, y + 0.5);
            if (ideal != 0) {
                ASSERT_EQ(region.contains(x, y), ideal > 0) << "pixel " << x << ", " << y;
            }
        }
    // The orientation and the starting vertex do not matter, nor does repeating the first point.
    EXPECT_EQ(Region::triangle(t.c, t.b, t.a), region);
    EXPECT_EQ(Region::triangle(t.b, t.c, t.a), region);
    const Point closed[] = {t.a, t.b, t.c, t.a};
    EXPECT_EQ(Region::polygon(closed), region);
    const double ideal = std::abs(cross(t.a, t.b, t.c.x, t.c.y)) / 2;
    if (ideal >= 100) {
        EXPECT_NEAR(static_cast<double>(region.area()), ideal, ideal * 0.01);
    }
}

INSTANTIATE_TEST_SUITE_P(Shapes, TriangleRegion,
                         ::testing::Values(Triangle{{0, 0}, {80, 0}, {0, 60}}, // wipe from a corner
                                           Triangle{{100, 0}, {20, 0}, {100, 60}},
                                           Triangle{{0, 90}, {0, 0}, {37, 90}},  // a wedge
                                           Triangle{{50, 45}, {0, 90}, {0, 61}}, // a windmill blade
                                           Triangle{{3, 7}, {91, 33}, {40, 80}}, // no axis-aligned edge
                                           Triangle{{0, 0}, {7, 0}, {0, 3}},     // tiny
                                           Triangle{{-30, -20}, {50, 10}, {-10, 70}},
                                           Triangle{{0, 0}, {1000, 1}, {0, 2}})); // a sliver

TEST(PolygonRegion, MirrorSymmetricShapesGiveMirrorSymmetricRegions) {
    // Isosceles triangles about the vertical line x = 10 (pixel x mirrors to 19 − x) whose slanted edges
    // pass exactly through pixel centres, and a diamond symmetric about both axes.
    const Region t1 = Region::triangle({0, 20}, {20, 20}, {10, 0});
    const Region t2 = Region::triangle({0, 0}, {20, 0}, {10, 30});
    const Point diamond[] = {{15, 0}, {30, 11}, {15, 22}, {0, 11}};
    const Region d = Region::polygon(diamond);
    for (int y = -1; y < 32; ++y)
        for (int x = -1; x < 32; ++x) {
            ASSERT_EQ(t1.contains(x, y), t1.contains(19 - x, y)) << x << "," << y;
            ASSERT_EQ(t2.contains(x, y), t2.contains(19 - x, y)) << x << "," << y;
            ASSERT_EQ(d.contains(x, y), d.contains(29 - x, y)) << x << "," << y;
            ASSERT_EQ(d.contains(x, y), d.contains(x, 21 - y)) << x << "," << y;
        }
    EXPECT_FALSE(t1.isEmpty());
    EXPECT_FALSE(d.isEmpty());
}

TEST(PolygonRegion, TrianglesSharingAnEdgeLeaveNoGap) {
    // Two halves of a square along its diagonal, and four windmill-like triangles about the centre.
    const Region halves =
        Region::triangle({0, 0}, {40, 0}, {0, 30}) | Region::triangle({40, 0}, {40, 30}, {0, 30});
    EXPECT_EQ(halves, Region(Rect{0, 0, 40, 30}));
    const Point c{20, 15};
    const Region quarters = Region::triangle({0, 0}, {40, 0}, c) | Region::triangle({40, 0}, {40, 30}, c) |
                            Region::triangle({40, 30}, {0, 30}, c) | Region::triangle({0, 30}, {0, 0}, c);
    EXPECT_EQ(quarters, Region(Rect{0, 0, 40, 30}));
}

TEST(PolygonRegion, PixelCentresOnAnEdgeBelongOnEitherSide) {
    // The diagonals pass through a pixel centre on every row. The pixel belongs to the shape whichever
    // side of it the edge bounds, so the two triangles are mirror images and overlap on the diagonal.
    const Rect win{-2, -2, 12, 12};
    const Region left = Region::triangle({0, 0}, {10, 0}, {0, 10});
    const Region right = Region::triangle({0, 0}, {10, 0}, {10, 10});
    EXPECT_TRUE(matches(left, win, [](int x, int y) { return y >= 0 && x >= 0 && x <= 9 - y; }));
    EXPECT_TRUE(matches(right, win, [](int x, int y) { return y >= 0 && y < 10 && x >= y && x <= 9; }));
    // Where the inside pinches to a point on a pixel centre, the span there has zero length and holds
    // nothing: an hourglass whose diagonals cross at the centre of pixel (4, 4).
    const Point hourglass[] = {{0, 0}, {9, 0}, {0, 9}, {9, 9}};
    const Region pinched = Region::polygon(hourglass);
    EXPECT_FALSE(pinched.contains(4, 4));
    for (const Point p : {Point{3, 3}, Point{5, 3}, Point{3, 5}, Point{5, 5}, Point{4, 3}, Point{4, 5}})
        EXPECT_TRUE(pinched.contains(p.x, p.y)) << p.x << "," << p.y;
}

TEST(PolygonRegion, AxisAlignedPolygonsKeepRightAndBottomEdgesExclusive) {
    const Point square[] = {{2, 3}, {12, 3}, {12, 9}, {2, 9}};
    EXPECT_EQ(Region::polygon(square), Region(Rect{2, 3, 12, 9}));
    const Point ell[] = {{0, 0}, {10, 0}, {10, 4}, {4, 4}, {4, 10}, {0, 10}};
    EXPECT_EQ(Region::polygon(ell), Region(Rect{0, 0, 10, 4}) | Region(Rect{0, 4, 4, 10}));
}

TEST(PolygonRegion, WindingAndAlternateRules) {
    // A square traced twice winds twice round its inside: inside by winding, outside by parity.
    const Point twice[] = {{0, 0}, {10, 0}, {10, 10}, {0, 10}, {0, 0}, {10, 0}, {10, 10}, {0, 10}};
    EXPECT_EQ(Region::polygon(twice, FillRule::Winding), Region(Rect{0, 0, 10, 10}));
    EXPECT_TRUE(Region::polygon(twice, FillRule::Alternate).isEmpty());
    // A five-pointed star: its centre pentagon is inside by winding but not by parity.
    const Point star[] = {{50, 0}, {79, 90}, {2, 35}, {98, 35}, {21, 90}};
    const Region winding = Region::polygon(star, FillRule::Winding);
    const Region alternate = Region::polygon(star, FillRule::Alternate);
    EXPECT_TRUE(winding.contains(50, 50));
    EXPECT_FALSE(alternate.contains(50, 50));
    EXPECT_TRUE(winding.contains(50, 10) && alternate.contains(50, 10)); // a point of the star
    EXPECT_EQ(winding - alternate, winding ^ alternate);
    // Two overlapping squares traced in opposite directions cancel where they overlap under winding.
    const Point opposite[] = {{0, 0}, {10, 0}, {10, 10}, {0, 10}, {0, 0},
                              {5, 0}, {5, 10}, {15, 10}, {15, 0}, {5, 0}};
    EXPECT_EQ(Region::polygon(opposite, FillRule::Winding),
              Region(Rect{0, 0, 5, 10}) | Region(Rect{10, 0, 15, 10}));
}

TEST(PolygonRegion, DegeneratePolygonsHoldNothing) {
    const Point collinear[] = {{0, 0}, {10, 10}, {20, 20}};
    const Point diagonal[] = {{0, 0}, {10, 10}, {0, 0}};
    const Point flat[] = {{0, 5}, {10, 5}, {20, 5}};
    const Point vertical[] = {{5, 0}, {5, 10}, {5, 30}};
    const Point samePoint[] = {{4, 4}, {4, 4}, {4, 4}};
    const Point two[] = {{0, 0}, {10, 10}};
    for (std::span<const Point> p :
         {std::span<const Point>(collinear), std::span<const Point>(diagonal), std::span<const Point>(flat),
          std::span<const Point>(vertical), std::span<const Point>(samePoint), std::span<const Point>(two)})
        EXPECT_TRUE(Region::polygon(p).isEmpty()) << p.size() << " points from " << p[0].x << "," << p[0].y;
    EXPECT_TRUE(Region::polygon({}).isEmpty());
    // A triangle with a zero leg (an effect at progress 0).
    EXPECT_TRUE(Region::triangle({0, 0}, {0, 0}, {0, 0}).isEmpty());
    EXPECT_TRUE(Region::triangle({0, 0}, {0, 0}, {0, 40}).isEmpty());
}

TEST(PolygonRegion, ClipGivesTheShapeIntersectedWithTheClip) {
    const Rect clip{0, 0, 64, 48};
    const Triangle ts[] = {
        {{0, 0}, {128, 0}, {0, 96}}, {{64, 0}, {-64, 0}, {64, 96}}, {{-10, 50}, {30, -40}, {90, 20}}};
    for (const Triangle& t : ts)
        EXPECT_EQ(Region::triangle(t.a, t.b, t.c, clip), Region::triangle(t.a, t.b, t.c) & Region(clip));
}

namespace {

// Winding number of a closed polygon round a point, by signed crossings of a ray to the right; 0 with
// onEdge set when the point lies (nearly) on an edge.
int windingNumber(std::span<const Point> p, double px, double py, bool& onEdge) {
    int w = 0;
    onEdge = false;
    for (std::size_t i = 0; i < p.size(); ++i) {
        const Point a = p[i], b = p[(i + 1) % p.size()];
        const double c = cross(a, b, px, py);
        const bool within = std::min(a.x, b.x) - kBoundary <= px && px <= std::max(a.x, b.x) + kBoundary &&
                            std::min(a.y, b.y) - kBoundary <= py && py <= std::max(a.y, b.y) + kBoundary;
        if (std::abs(c) < kBoundary && within) onEdge = true;
        if (a.y <= py && b.y > py && c > 0) ++w;
        if (b.y <= py && a.y > py && c < 0) --w;
    }
    return w;
}

} // namespace

TEST(PolygonRegion, RandomPolygonsFollowTheirFillRule) {
    std::mt19937 rng(2024);
    for (int round = 0; round < 300; ++round) {
        std::vector<Point> pts(3 + rng() % 7);
        for (Point& q : pts) q = {static_cast<int>(rng() % 41) - 5, static_cast<int>(rng() % 41) - 5};
        const Region winding = Region::polygon(pts, FillRule::Winding);
        const Region alternate = Region::polygon(pts, FillRule::Alternate);
        ASSERT_TRUE(wellFormed(winding));
        for (int y = -6; y < 37; ++y)
            for (int x = -6; x < 37; ++x) {
                bool onEdge = false;
                const int w = windingNumber(pts, x + 0.5, y + 0.5, onEdge);
                if (onEdge) continue;
                ASSERT_EQ(winding.contains(x, y), w != 0) << "round " << round << " pixel " << x << "," << y;
                ASSERT_EQ(alternate.contains(x, y), (w & 1) != 0)
                    << "round " << round << " pixel " << x << "," << y;
            }
    }
}

TEST(Region, ExtremeCoordinatesStayBoundedAndExact) {
    // Shapes reaching far outside any picture, clipped to one: the visible part is what a small clip
    // of the same ideal shape gives.
    const Rect picture{0, 0, 64, 48};
    const Region hugeRect(Rect{INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX});
    EXPECT_EQ(hugeRect & Region(picture), Region(picture));
    EXPECT_EQ(Region::roundRect({INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX}, 0, 0, picture),
              Region(picture));
    EXPECT_EQ(Region::triangle({-1000000, -1000000}, {3000000, -1000000}, {-1000000, 3000000}, picture),
              Region(picture));
    EXPECT_TRUE(Region::roundRect({-(1 << 30), 0, -(1 << 29), 10}, 10, 10, picture).isEmpty());
    // A rectangle list with extreme and inverted members.
    const Rect rs[] = {{INT32_MAX, 0, INT32_MIN, 10}, {INT32_MIN, 5, INT32_MAX, 6}, {3, 3, 4, 4}};
    const Region built = Region::fromRects(rs);
    EXPECT_TRUE(built.contains(0, 5));
    EXPECT_TRUE(built.contains(3, 3));
    EXPECT_FALSE(built.contains(0, 0));
}

// ---- drawing through a region ----

TEST(CopyThroughRegion, CopiesExactlyTheRegionInsideBothBitmaps) {
    Bitmap src(50, 40);
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 50; ++x)
            src.setPixel(x, y, {static_cast<std::uint8_t>(x), static_cast<std::uint8_t>(y), 7});
    const Color old{200, 201, 202};
    const Region regions[] = {
        Region(Rect{10, 5, 30, 25}),
        Region::roundRect({-20, -10, 70, 60}, 80, 80),
        Region::triangle({0, 0}, {90, 0}, {0, 70}) ^ Region(Rect{20, 10, 40, 30}),
        Region(Rect{-100, -100, 200, 200}),
        Region(Rect{60, 0, 80, 10}),
        Region(),
    };
    for (const Region& region : regions) {
        Bitmap dst(45, 50, old); // narrower and taller than the source
        copyThroughRegion(dst, src, region);
        for (int y = 0; y < dst.height(); ++y)
            for (int x = 0; x < dst.width(); ++x) {
                const bool copied = region.contains(x, y) && x < src.width() && y < src.height();
                ASSERT_EQ(dst.pixel(x, y), copied ? src.pixel(x, y) : old) << x << "," << y;
            }
    }
}

// Narrow spans take a short-copy path by byte count: every width from 1 to 40 pixels at several
// offsets, each beside untouched neighbours, copies exactly its own pixels.
TEST(CopyThroughRegion, NarrowSpansOfEveryWidthCopyExactlyTheirPixels) {
    Bitmap src(96, 4);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 96; ++x)
            src.setPixel(x, y, {static_cast<std::uint8_t>(x + 1), static_cast<std::uint8_t>(y + 100), 55});
    const Color old{9, 8, 7};
    for (int width = 1; width <= 40; ++width)
        for (int left = 0; left < 5; ++left) {
            // Two spans in one band with a one-pixel gap, so a copy running past its end would show.
            const Rect rs[] = {{left, 1, left + width, 3}, {left + width + 1, 1, left + 2 * width + 1, 3}};
            Bitmap dst(96, 4, old);
            copyThroughRegion(dst, src, Region::fromRects(rs));
            for (int y = 0; y < 4; ++y)
                for (int x = 0; x < 96; ++x) {
                    const bool inside =
                        y >= 1 && y < 3 && x >= left && x < left + 2 * width + 1 && x != left + width;
                    ASSERT_EQ(dst.pixel(x, y), inside ? src.pixel(x, y) : old)
                        << "width " << width << " left " << left << " at " << x << "," << y;
                }
        }
}
