// The canvas's scan conversion and clipping against references derived from their definitions: a pixel
// belongs to an outline when the crossings of its row at or left of its centre wind (or count odd), and a
// clipped fill paints exactly the pixels inside both the fill and a clip rectangle.

#include "gfx/metafile/canvas.h"

#include <gtest/gtest.h>

#include <cmath>
#include <ostream>
#include <random>
#include <vector>

using namespace vorlin::gfx::metafile;
using vorlin::Rect;
using vorlin::gfx::FillRule;
using vorlin::gfx::Region;

namespace {

constexpr int kW = 64, kH = 48;

// Coverage of an outline by its definition: for row y, every non-horizontal edge whose half-open y range
// [top, bottom) holds y crosses at x; pixel x counts the crossings with x at or left of it.
std::vector<bool> reference(const Outline& o, FillRule rule) {
    std::vector<bool> in(kW * kH);
    for (int y = 0; y < kH; ++y)
        for (int x = 0; x < kW; ++x) {
            int wind = 0, count = 0;
            for (const Contour& k : o)
                for (std::size_t i = 0, n = k.pts.size(); n >= 2 && i < n; ++i) {
                    const PointD a = k.pts[i], b = k.pts[(i + 1) % n];
                    const bool down = a.y < b.y;
                    const PointD top = down ? a : b, bottom = down ? b : a;
                    if (!(top.y <= y && y < bottom.y)) continue;
                    const double t = (y - top.y) / (bottom.y - top.y);
                    if (top.x + t * (bottom.x - top.x) <= x) {
                        wind += down ? 1 : -1;
                        ++count;
                    }
                }
            in[y * kW + x] = rule == FillRule::Winding ? wind != 0 : count % 2 == 1;
        }
    return in;
}

std::vector<bool> scanned(Canvas& c, const Outline& o, FillRule rule) {
    std::vector<bool> in(kW * kH);
    c.scan(o, rule, [&](int y, int x0, int x1) {
        ASSERT_TRUE(y >= 0 && y < kH);
        for (int x = std::max(x0, 0); x < std::min(x1, kW); ++x) {
            EXPECT_FALSE(in[y * kW + x]) << "spans of one row overlap at " << x << "," << y;
            in[y * kW + x] = true;
        }
    });
    return in;
}

// Coordinates anywhere between pixel centres: random doubles make a crossing that lands exactly on a pixel
// centre (where rounding could decide either way) practically impossible.
double coord(std::mt19937& rng, double lo, double hi) {
    return std::uniform_real_distribution<double>(lo, hi)(rng);
}

struct Shape {
    const char* name;
    Outline (*make)(std::mt19937&);
};

const Shape kShapes[] = {
    // Many self-crossings: the order of the crossings changes on most rows.
    {"random polygon",
     [](std::mt19937& rng) {
         Contour k{{}, true};
         for (int i = 0; i < 40; ++i) k.pts.push_back({coord(rng, -10, kW + 10), coord(rng, -10, kH + 10)});
         return Outline{k};
     }},
    // Contours that start on different rows, so that edges join an already ordered row.
    {"staggered triangles",
     [](std::mt19937& rng) {
         Outline o;
         for (int i = 0; i < 12; ++i) {
             const double x = coord(rng, -5, kW), y = coord(rng, -5, kH);
             o.push_back({{{x, y},
                           {x + coord(rng, 3, 30), y + coord(rng, 2, 20)},
                           {x - coord(rng, 0, 20), y + coord(rng, 5, 30)}},
                          true});
         }
         return o;
     }},
    // A star whose points lie far beyond every side of the picture.
    {"star beyond the picture",
     [](std::mt19937& rng) {
         Contour k{{}, true};
         const double cx = coord(rng, 10, kW - 10), cy = coord(rng, 10, kH - 10);
         for (int i = 0; i < 31; ++i) {
             const double t = 2 * 3.14159265358979 * i * 13 / 31, r = i % 2 ? 300.0 : 7.0;
             k.pts.push_back({cx + r * std::cos(t), cy + r * std::sin(t)});
         }
         return Outline{k};
     }},
    // Most edges wholly left or right of the picture, some across it, a few inside; two figures.
    {"edges beside the picture",
     [](std::mt19937& rng) {
         Outline o;
         for (int f = 0; f < 2; ++f) {
             Contour k{{}, true};
             for (int i = 0; i < 40; ++i) {
                 const int side = std::uniform_int_distribution<int>(0, 4)(rng);
                 const double x = side < 2   ? coord(rng, -300, -3)
                                  : side < 4 ? coord(rng, kW + 3, kW + 300)
                                             : coord(rng, 0, kW);
                 k.pts.push_back({x, coord(rng, -20, kH + 20)});
             }
             o.push_back(k);
         }
         return o;
     }},
    // Axis-aligned pieces with horizontal edges, overlapping.
    {"overlapping boxes",
     [](std::mt19937& rng) {
         Outline o;
         for (int i = 0; i < 10; ++i) {
             const double l = coord(rng, -5, kW), t = coord(rng, -5, kH), r = l + coord(rng, 1, 30),
                          b = t + coord(rng, 1, 30);
             if (i % 2)
                 o.push_back({{{l, t}, {r, t}, {r, b}, {l, b}}, true});
             else
                 o.push_back({{{l, t}, {l, b}, {r, b}, {r, t}}, true});
         }
         return o;
     }},
};

void PrintTo(const Shape& s, std::ostream* os) {
    *os << s.name;
}

class Scan : public testing::TestWithParam<Shape> {};

TEST_P(Scan, MatchesTheCrossingRule) {
    std::mt19937 rng(20261208);
    for (int round = 0; round < 25; ++round) {
        const Outline o = GetParam().make(rng);
        for (FillRule rule : {FillRule::Alternate, FillRule::Winding}) {
            Canvas c(kW, kH, 1LL << 40);
            const std::vector<bool> got = scanned(c, o, rule), want = reference(o, rule);
            for (int i = 0; i < kW * kH; ++i)
                ASSERT_EQ(got[i], want[i])
                    << "round " << round << (rule == FillRule::Winding ? " winding" : " alternate") << " at "
                    << i % kW << "," << i / kW;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Shapes, Scan, testing::ValuesIn(kShapes),
                         [](const testing::TestParamInfo<Shape>& i) {
                             std::string n;
                             for (const char* c = i.param.name; *c; ++c) n += *c == ' ' ? '_' : *c;
                             return n;
                         });

TEST(ScanEdges, PixelCentresOnAnEdgeBelongToTheShapeOnTheirRight) {
    // A 10 × 10 pixel square cut along its anti-diagonal, which passes through a pixel centre on every
    // row: the centre belongs to the half right of it only, so the halves share no pixel and leave none
    // out, as fills that meet must.
    const Outline upperLeft{{{{-0.5, -0.5}, {9.5, -0.5}, {-0.5, 9.5}}, true}};
    const Outline lowerRight{{{{9.5, -0.5}, {9.5, 9.5}, {-0.5, 9.5}}, true}};
    Canvas c(kW, kH, 1LL << 40);
    const std::vector<bool> a = scanned(c, upperLeft, FillRule::Winding);
    const std::vector<bool> b = scanned(c, lowerRight, FillRule::Winding);
    for (int y = 0; y < kH; ++y)
        for (int x = 0; x < kW; ++x) {
            ASSERT_EQ(a[y * kW + x], y < 10 && x < 9 - y) << x << "," << y;
            ASSERT_EQ(b[y * kW + x], y < 10 && x >= 9 - y && x < 10) << x << "," << y;
        }
}

TEST(Clip, FillsPaintExactlyInsideFillAndClip) {
    std::mt19937 rng(7);
    auto pick = [&rng](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
    for (int round = 0; round < 30; ++round) {
        // A clip of many small rectangles (some overlapping, some beyond the picture) and a comb.
        std::vector<Rect> clipRects;
        for (int i = 0; i < 60; ++i) {
            const int x = pick(-5, kW), y = pick(-5, kH);
            clipRects.push_back({x, y, x + pick(1, 6), y + pick(1, 4)});
        }
        for (int x = 0; x < kW; x += 3) clipRects.push_back({x, 20, x + 1, 24});
        auto inClip = [&](int x, int y) {
            for (const auto& r : clipRects)
                if (x >= r.Left && x < r.Right && y >= r.Top && y < r.Bottom) return true;
            return false;
        };
        // Fills from single pixels to wide runs.
        std::vector<Rect> fills;
        for (int i = 0; i < 25; ++i) {
            const int x = pick(-3, kW), y = pick(-3, kH);
            fills.push_back(i % 3 ? Rect{x, y, x + 1, y + 1} : Rect{x, y, x + pick(1, 40), y + pick(1, 10)});
        }
        Canvas c(kW, kH, 1LL << 40);
        c.setClip(std::make_shared<const Region>(Region::fromRects(clipRects)));
        Paint paint;
        paint.color = {1, 2, 3};
        for (const Rect& f : fills) {
            // Pixel i covers [i - 0.5, i + 0.5): this outline holds pixels Left .. Right - 1.
            const double l = f.Left - 0.5, t = f.Top - 0.5, r = f.Right - 0.5, b = f.Bottom - 0.5;
            c.fill({Contour{{{l, t}, {r, t}, {r, b}, {l, b}}, true}}, FillRule::Alternate, paint);
        }
        for (int y = 0; y < kH; ++y)
            for (int x = 0; x < kW; ++x) {
                bool inFill = false;
                for (const Rect& f : fills)
                    inFill |= x >= f.Left && x < f.Right && y >= f.Top && y < f.Bottom;
                ASSERT_EQ(c.coverage()[y * kW + x] != 0, inFill && inClip(x, y))
                    << "round " << round << " at " << x << "," << y;
            }
    }
}

} // namespace
