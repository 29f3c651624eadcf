// Effects 58–127 through their entry points: every effect on odd-sized landscape and portrait pictures,
// checked pixel by pixel against the effect's geometry written out here on its own (ideal arcs and
// triangles, line rows and columns, wave and swarm fronts), plus the edge cases of single families.

#include "effects/effect_table.h"

#include "base/arith.h"
#include "base/random.h"
#include "strip_rules.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <functional>
#include <numbers>
#include <vector>

namespace vorlin::effects::families {
namespace {

using gfx::Bitmap;
using gfx::Color;

// The per-frame values: the longer side is scaled first, the other follows; Band from the longer side.
FrameValues frame(int w, int h, int p, int step = 4) {
    FrameValues v;
    v.W = w;
    v.H = h;
    v.progress = p;
    if (h > w) {
        v.Y = vorlin::mulDiv(h, p, 100);
        v.X = vorlin::mulDiv(v.Y, w, h);
    } else {
        v.X = vorlin::mulDiv(w, p, 100);
        v.Y = vorlin::mulDiv(v.X, h, w);
    }
    v.Band = vorlin::mulDiv(std::max(w, h), step, 90);
    return v;
}

// Position-coded pictures: red and green give the position, blue tells old (0) from new (255).
Color oldAt(int x, int y) {
    return {static_cast<std::uint8_t>(x), static_cast<std::uint8_t>(y), 0};
}
Color newAt(int x, int y) {
    return {static_cast<std::uint8_t>(x), static_cast<std::uint8_t>(y), 255};
}
Bitmap picture(int w, int h, Color (*at)(int, int)) {
    Bitmap b(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) b.setPixel(x, y, at(x, y));
    return b;
}

// One frame as the engine composes it for progress 1..99: the old frame, then the effect.
Bitmap draw(int effect, const FrameValues& v, const Bitmap& oldFrame, const Bitmap& newFrame) {
    Bitmap screen = oldFrame;
    if (auto r = buildRegion(effect, v))
        gfx::copyThroughRegion(screen, newFrame, *r);
    else
        EXPECT_TRUE(drawPixelEffect(effect, v, newFrame, screen)) << effect;
    return screen;
}

enum class Want { New, Old, Either };

// ---- Ideal shapes ------------------------------------------------------------------------------------

struct P {
    double x, y;
};

// A rounded rectangle: a box whose corners are cut by quarter-ellipses of the given full extents,
// limited to the box.
struct IdealRoundRect {
    double l, t, r, b, ew, eh;
    bool contains(P p) const {
        if (p.x < l || p.x > r || p.y < t || p.y > b) return false;
        const double rx = std::min(ew, r - l) / 2, ry = std::min(eh, b - t) / 2;
        if (rx <= 0 || ry <= 0) return true;
        const double cx = std::clamp(p.x, l + rx, r - rx), cy = std::clamp(p.y, t + ry, b - ry);
        const double dx = (p.x - cx) / rx, dy = (p.y - cy) / ry;
        return dx * dx + dy * dy <= 1;
    }
};

struct IdealTriangle {
    P a, b, c;
    bool contains(P p) const {
        if (p.x < std::min({a.x, b.x, c.x}) || p.x > std::max({a.x, b.x, c.x}) ||
            p.y < std::min({a.y, b.y, c.y}) || p.y > std::max({a.y, b.y, c.y}))
            return false;
        auto side = [](P u, P v, P q) { return (v.x - u.x) * (q.y - u.y) - (v.y - u.y) * (q.x - u.x); };
        const double d1 = side(a, b, p), d2 = side(b, c, p), d3 = side(c, a, p);
        const bool neg = d1 < 0 || d2 < 0 || d3<0, pos = d1> 0 || d2 > 0 || d3 > 0;
        const double area = std::abs(side(a, b, c));
        return area > 0 && !(neg && pos);
    }
};

// A pixel whose centre and the eight points one pixel around it are all inside must show the new
// picture; one with all nine outside must not; pixels at the outline may go either way.
template <typename Inside> Want byShape(const Inside& inside, int x, int y) {
    int in = 0;
    for (int dy = -1; dy <= 1; ++dy)
        for (int dx = -1; dx <= 1; ++dx) in += inside({x + 0.5 + dx, y + 0.5 + dy});
    return in == 9 ? Want::New : in == 0 ? Want::Old : Want::Either;
}

IdealRoundRect arcShape(int effect, const FrameValues& v) {
    const double W = v.W, H = v.H, X = v.X, Y = v.Y;
    switch (effect) {
    case 58:
        return {-2 * W, -5, 2 * X, H + 5, 2 * W, 2 * W};
    case 59:
        return {W - 2 * X, -5, 3 * W, H + 5, 2 * W, 2 * W};
    case 69:
        return {-5, -2 * H, W + 5, 2 * Y, 2 * H, 2 * H};
    case 70:
        return {-5, H - 2 * Y, W + 5, 3 * H, 2 * H, 2 * H};
    case 80:
        return {-2 * W, -2 * H, 2 * X, 2 * Y, 2 * W, 2 * H};
    case 81:
        return {W - 2 * X, -2 * H, 3 * W, 2 * Y, 2 * W, 2 * H};
    case 82:
        return {-2 * W, H - 2 * Y, 2 * X, 3 * H, 2 * W, 2 * H};
    case 83:
        return {W - 2 * X, H - 2 * Y, 3 * W, 3 * H, 2 * H, 2 * H};
    case 84: {
        const double ow = v.W / 2, oh = v.H / 2;
        return {ow - X, oh - Y, ow + X, oh + Y, double(9 * v.X / 5), double(9 * v.Y / 5)};
    }
    default: { // 85: the box the new picture closes in around
        const double ow = v.W / 2, oh = v.H / 2;
        return {X - ow,
                Y - oh,
                double(3 * v.W / 2) - X,
                double(3 * v.H / 2) - Y,
                double(9 * (v.W - v.X) / 5),
                double(9 * (v.H - v.Y) / 5)};
    }
    }
}

std::vector<IdealTriangle> triangles(int effect, const FrameValues& v) {
    const double W = v.W, H = v.H, X = v.X, Y = v.Y, K = W - X;
    const P c{double(v.W / 2), double(v.H / 2)};
    switch (effect) {
    case 110:
        return {{{0, 0}, {2 * X, 0}, {0, 2 * Y}}};
    case 111:
        return {{{W, 0}, {W - 2 * X, 0}, {W, 2 * Y}}};
    case 112:
        return {{{0, H}, {2 * X, H}, {0, H - 2 * Y}}};
    case 113:
        return {{{W, H}, {W - 2 * X, H}, {W, H - 2 * Y}}};
    case 114:
        return {{{0, H}, {0, 0}, {X, H}}, {{W, H}, {W, 0}, {K, 0}}};
    case 115:
        return {{{W, 0}, {0, 0}, {W, Y}}, {{W, H}, {0, H}, {0, H - Y}}};
    case 116:
        return {{c, {0, H}, {0, H - Y}}, {{0, 0}, {X, 0}, c}, {{K, H}, c, {W, H}}, {c, {W, 0}, {W, Y}}};
    default: { // 117: a right triangle in every cell of a 10 × 10 grid
        std::vector<IdealTriangle> grid;
        const int leg = v.X / 5;
        const double down = std::round(double(leg) * v.H / v.W);
        for (int r = 0; r < 10; ++r)
            for (int col = 0; col < 10; ++col) {
                const double a = v.W * col / 10, b = v.H * r / 10;
                grid.push_back({{a, b}, {a + leg, b}, {a, b + down}});
            }
        return grid;
    }
    }
}

struct LineParams {
    int xeTimes, yeTimes, rowMode, colMode;
    bool snap;
};
LineParams lineParams(int effect) {
    switch (effect) {
    case 60:
        return {2, 0, 1, 0, true};
    case 61:
        return {2, 0, 2, 0, true};
    case 62:
        return {2, 0, 4, 0, true};
    case 63:
        return {2, 0, 5, 0, true};
    case 64:
        return {1, 0, 3, 0, false};
    case 71:
        return {0, 2, 0, 1, true};
    case 72:
        return {0, 2, 0, 2, true};
    case 73:
        return {0, 2, 0, 4, true};
    case 74:
        return {0, 2, 0, 5, true};
    case 75:
        return {0, 1, 0, 3, false};
    case 86:
        return {2, 2, 1, 1, true};
    case 87:
        return {2, 2, 1, 2, true};
    case 88:
        return {2, 2, 2, 1, true};
    case 89:
        return {2, 2, 2, 2, true};
    case 90:
        return {2, 2, 4, 4, true};
    case 91:
        return {2, 2, 4, 5, true};
    case 92:
        return {2, 2, 5, 4, true};
    case 93:
        return {2, 2, 5, 5, true};
    case 94:
        return {1, 1, 1, 3, true};
    case 95:
        return {1, 1, 2, 3, true};
    case 96:
        return {1, 1, 3, 1, true};
    case 97:
        return {1, 1, 3, 2, true};
    default:
        return {1, 1, 3, 3, false}; // 98
    }
}
bool lineCovers(const LineParams& l, const FrameValues& v, int x, int y) {
    const int snap = l.snap ? v.Band : 0;
    return testing::rowPassCovers(l.rowMode, l.xeTimes * v.X, v.W, snap, x, y) ||
           testing::columnPassCovers(l.colMode, l.yeTimes * v.Y, v.H, snap, x, y);
}

std::array<int, 2> waveModes(int effect) {
    switch (effect) {
    case 65:
        return {1, 0};
    case 66:
        return {2, 0};
    case 67:
        return {3, 0};
    case 68:
        return {4, 0};
    case 76:
        return {0, 1};
    case 77:
        return {0, 2};
    case 78:
        return {0, 3};
    case 79:
        return {0, 4};
    default: { // 100–109
        static constexpr std::array<std::array<int, 2>, 10> rows = {
            {{1, 1}, {1, 2}, {2, 1}, {2, 2}, {1, 3}, {2, 3}, {3, 1}, {3, 2}, {3, 3}, {4, 4}}};
        return rows[effect - 100];
    }
    }
}

// What an effect must show at (x, y) in the frame v, from its own geometry.
std::function<Want(int, int)> expectation(int effect, const FrameValues& v) {
    const bool arc =
        (effect >= 80 && effect <= 85) || effect == 58 || effect == 59 || effect == 69 || effect == 70;
    if (arc) {
        const IdealRoundRect s = arcShape(effect, v);
        const bool outside = effect == 85;
        return [s, outside](int x, int y) {
            const Want w = byShape([&](P p) { return s.contains(p); }, x, y);
            if (!outside || w == Want::Either) return w;
            return w == Want::New ? Want::Old : Want::New;
        };
    }
    if (effect >= 110 && effect <= 117) {
        const auto tris = triangles(effect, v);
        return [tris](int x, int y) {
            return byShape(
                [&](P p) {
                    return std::any_of(tris.begin(), tris.end(),
                                       [&](const IdealTriangle& t) { return t.contains(p); });
                },
                x, y);
        };
    }
    if (effect == 99) {
        return [v](int x, int y) {
            const bool a = lineCovers({2, 2, 1, 1, true}, v, x, y) && lineCovers({2, 2, 2, 2, true}, v, x, y);
            return a ? Want::New : Want::Old;
        };
    }
    const bool lineEffect =
        (effect >= 60 && effect <= 64) || (effect >= 71 && effect <= 75) || (effect >= 86 && effect <= 98);
    if (lineEffect) {
        const LineParams l = lineParams(effect);
        return [l, v](int x, int y) { return lineCovers(l, v, x, y) ? Want::New : Want::Old; };
    }
    if (effect >= 123 && effect <= 126) {
        const bool rows = effect <= 124, fromFar = effect == 123 || effect == 125;
        const int len = rows ? v.W : v.H, e = rows ? v.X : v.Y;
        const int depth = e < len ? len / 10 : 0, block = std::max(depth / 20, 2),
                  reach = depth / block * block;
        return [=](int x, int y) {
            const int along = rows ? x : y;
            const int ahead = fromFar ? (len - e) - 1 - along : along - e;
            return ahead < 0 ? Want::New : ahead >= reach ? Want::Old : Want::Either;
        };
    }
    if (effect == 127) return [](int, int) { return Want::Either; };
    const auto modes = waveModes(effect);
    return [modes, v](int x, int y) {
        const testing::Sure r =
            modes[0] ? testing::rowWave(modes[0], v.X, v.W, x) : testing::Sure{false, true};
        const testing::Sure c =
            modes[1] ? testing::rowWave(modes[1], v.Y, v.H, y) : testing::Sure{false, true};
        if (r.isNew || c.isNew) return Want::New;
        return r.isOld && c.isOld ? Want::Old : Want::Either;
    };
}

// ---- Every effect, every family ---------------------------------------------------------------------

struct Size {
    int w, h;
};
constexpr Size kSizes[] = {{401, 301}, {300, 401}};

TEST(RegionEffects, EveryRegionEffectFollowsItsGeometry) {
    for (const Size s : kSizes) {
        const Bitmap oldFrame = picture(s.w, s.h, oldAt), newFrame = picture(s.w, s.h, newAt);
        for (int effect = 58; effect <= 127; ++effect) {
            if (effect >= 118 && effect <= 122) continue;
            for (int p : {25, 50, 75}) {
                vorlin::setRandomSeed(1234u + effect);
                const FrameValues v = frame(s.w, s.h, p);
                const Bitmap screen = draw(effect, v, oldFrame, newFrame);
                const auto want = expectation(effect, v);
                int wrong = 0, shownNew = 0, decided = 0, wantNew = 0;
                for (int y = 0; y < s.h; ++y)
                    for (int x = 0; x < s.w; ++x) {
                        const Color got = screen.pixel(x, y);
                        const bool isNew = got == newAt(x, y);
                        ASSERT_TRUE(isNew || got == oldAt(x, y))
                            << "a pixel from elsewhere at " << x << "," << y;
                        shownNew += isNew;
                        const Want w = want(x, y);
                        decided += w != Want::Either;
                        wantNew += w == Want::New;
                        if ((w == Want::New && !isNew) || (w == Want::Old && isNew)) {
                            if (++wrong <= 2)
                                ADD_FAILURE() << "effect " << effect << " at " << p << "% on " << s.w << "x"
                                              << s.h << ": pixel (" << x << ", " << y << ") shows the "
                                              << (isNew ? "new" : "old") << " picture";
                        }
                    }
                EXPECT_EQ(wrong, 0) << "effect " << effect << " at " << p << "% on " << s.w << "x" << s.h;
                EXPECT_GE(shownNew, wantNew) << "effect " << effect << " at " << p;
                if (effect != 85) { // 85's box still holds the corners at 25 %
                    EXPECT_GT(shownNew, 0) << "effect " << effect << " at " << p;
                }
                if (effect != 127) {
                    EXPECT_GT(decided, s.w * s.h / 2) << "effect " << effect << " at " << p;
                }
            }
        }
    }
}

TEST(RegionEffects, CrossFadeAndRotationsThroughTheTable) {
    for (const Size s : kSizes) {
        const Bitmap oldFrame = picture(s.w, s.h, oldAt), newFrame = picture(s.w, s.h, newAt);
        for (int p : {25, 50, 75}) {
            const FrameValues v = frame(s.w, s.h, p);
            const Bitmap faded = draw(118, v, oldFrame, newFrame);
            for (int y = 0; y < s.h; y += 7)
                for (int x = 0; x < s.w; x += 5) {
                    const Color o = oldAt(x, y), n = newAt(x, y), got = faded.pixel(x, y);
                    ASSERT_EQ(got.b, o.b * (100 - p) / 100 + n.b * p / 100);
                    ASSERT_EQ(got.r, o.r * (100 - p) / 100 + n.r * p / 100);
                }
            // Rotations: effect n pivots about the corner (−1 or W, −1 or H) named by its row.
            const int pivots[4][2] = {{-1, -1}, {-1, s.h}, {s.w, -1}, {s.w, s.h}};
            const double theta = (100 - p) * std::numbers::pi / 200;
            for (int k = 0; k < 4; ++k) {
                const Bitmap turned = draw(119 + k, v, oldFrame, newFrame);
                const int cx = pivots[k][0], cy = pivots[k][1];
                int fromNew = 0;
                for (int i = 0; i < s.h; i += 3)
                    for (int o = 0; o < s.w; o += 3) {
                        const double dx = o - cx, dy = i - cy;
                        const auto u =
                            cx + vorlin::roundHalfEven(dx * std::cos(theta) - dy * std::sin(theta));
                        const auto w =
                            cy + vorlin::roundHalfEven(dx * std::sin(theta) + dy * std::cos(theta));
                        const bool inside = u >= 0 && u < s.w && w >= 0 && w < s.h;
                        const Color want = inside ? newAt(int(u), int(w)) : oldAt(o, i);
                        ASSERT_EQ(turned.pixel(o, i), want)
                            << 119 + k << " at " << p << " pixel " << o << "," << i;
                        fromNew += inside;
                    }
                EXPECT_GT(fromNew, 0);
            }
        }
    }
}

TEST(RegionEffects, FullExtentShowsTheWholeNewPicture) {
    for (const Size s : kSizes) {
        const Bitmap oldFrame = picture(s.w, s.h, oldAt), newFrame = picture(s.w, s.h, newAt);
        const FrameValues v = frame(s.w, s.h, 100);
        for (int effect = 58; effect <= 127; ++effect) {
            // Inward bands from both edges of an odd side meet one line short of each other; the frame at
            // progress 100 is drawn whole by the engine anyway.
            if ((effect == 68 || effect == 109) && s.w % 2) continue;
            if ((effect == 79 || effect == 109) && s.h % 2) continue;
            // The grid's triangles reach the far corners of their cells only where the cells are exactly
            // a tenth of the picture; checked on a 400 × 300 picture below.
            if (effect == 117 && (s.w % 10 || s.h % 10)) continue;
            vorlin::setRandomSeed(5);
            EXPECT_TRUE(draw(effect, v, oldFrame, newFrame).samePixels(newFrame))
                << effect << " on " << s.w << "x" << s.h;
        }
    }
}

TEST(RegionEffects, TriangleGridIsTheUnionOfItsHundredTriangles) {
    for (const Size s : kSizes)
        for (int p : {3, 25, 50, 51, 75, 99, 100}) {
            const FrameValues v = frame(s.w, s.h, p);
            const int leg = v.X / 5, down = vorlin::mulDiv(leg, v.H, v.W);
            gfx::Region want;
            for (int r = 0; r < 10; ++r)
                for (int c = 0; c < 10; ++c) {
                    const int a = s.w * c / 10, b = s.h * r / 10;
                    want |= gfx::Region::triangle({a, b}, {a + leg, b}, {a, b + down});
                }
            want &= gfx::Region(Rect{0, 0, s.w, s.h});
            EXPECT_TRUE(*buildRegion(117, v) == want) << s.w << "x" << s.h << " at " << p;
        }
}

TEST(RegionEffects, TriangleGridCoversWholeTenthCells) {
    const auto r = buildRegion(117, frame(400, 300, 100));
    ASSERT_TRUE(r);
    EXPECT_EQ(r->area(), 400 * 300);
}

TEST(RegionEffects, NothingNewAtZeroForTheDeterministicShapes) {
    for (const Size s : kSizes) {
        const Bitmap oldFrame = picture(s.w, s.h, oldAt), newFrame = picture(s.w, s.h, newAt);
        const FrameValues v = frame(s.w, s.h, 0);
        for (int effect = 58; effect <= 127; ++effect) {
            const bool random = (effect >= 65 && effect <= 68) || (effect >= 76 && effect <= 79) ||
                                (effect >= 100 && effect <= 109) || (effect >= 123 && effect <= 126);
            if (random) continue; // jittered ends and swarms reach ahead of a front at 0
            EXPECT_TRUE(draw(effect, v, oldFrame, newFrame).samePixels(oldFrame)) << effect;
        }
    }
}

// ---- Edge cases ---------------------------------------------------------------------------------------

TEST(RegionEffects, WorkedExampleOfEffect60) {
    const FrameValues v = frame(400, 300, 25); // X = 100, Band = 18
    const auto r = buildRegion(60, v);
    ASSERT_TRUE(r);
    for (int y = 0; y < 300; ++y)
        for (int x = 0; x < 400; ++x) ASSERT_EQ(r->contains(x, y), y % 10 < 5 && x >= 200) << x << "," << y;
}

TEST(RegionEffects, Effect58StartsAsALensAtTheMiddleOfTheLeftEdge) {
    const FrameValues v = frame(401, 301, 2); // X = 8
    const auto r = buildRegion(58, v);
    ASSERT_TRUE(r && !r->isEmpty());
    const Rect box = r->boundingBox();
    EXPECT_EQ(box.Left, 0);
    EXPECT_LE(box.Right, 16);
    // The arc's ends lie left of the picture: the sliver neither reaches the top nor the bottom.
    EXPECT_GT(box.Top, 50);
    EXPECT_LT(box.Bottom, 251);
    EXPECT_EQ(box.Top + box.Bottom, 301); // centred on the middle of the left edge
    // Thickest at the middle row, thinning toward both ends.
    auto widthAt = [&](int y) {
        int n = 0;
        while (n < 401 && r->contains(n, y)) ++n;
        return n;
    };
    EXPECT_EQ(widthAt(150), box.Right);
    EXPECT_GT(widthAt(150), widthAt((150 + box.Top) / 2));
    EXPECT_GT(widthAt((150 + box.Top) / 2), widthAt(box.Top));
}

TEST(RegionEffects, Effect85ShowsTheCornersFirst) {
    const int w = 401, h = 301;
    int first = -1;
    for (int p = 1; p <= 100 && first < 0; ++p) {
        const auto r = buildRegion(85, frame(w, h, p));
        ASSERT_TRUE(r);
        if (r->isEmpty()) continue;
        first = p;
        for (const Rect& b : r->rects()) {
            const bool nearLeftOrRight = b.Right <= w / 4 || b.Left >= w - w / 4;
            const bool nearTopOrBottom = b.Bottom <= h / 4 || b.Top >= h - h / 4;
            EXPECT_TRUE(nearLeftOrRight && nearTopOrBottom) << "at " << p << ": " << b.Left << "," << b.Top;
        }
        for (const auto& [x, y] :
             {std::pair{0, 0}, std::pair{w - 1, 0}, std::pair{0, h - 1}, std::pair{w - 1, h - 1}})
            EXPECT_TRUE(r->contains(x, y)) << "corner " << x << "," << y << " at " << p;
    }
    EXPECT_GT(first, 1); // the box holds the corners at the start
    EXPECT_LT(first, 100);
}

TEST(RegionEffects, TriangleGridIsEmptyOnPicturesUnderFivePixelsWide) {
    for (int w : {1, 4})
        for (int p = 1; p <= 100; ++p) {
            const auto r = buildRegion(117, frame(w, 30, p));
            ASSERT_TRUE(r);
            EXPECT_TRUE(r->isEmpty()) << w << " at " << p;
        }
    EXPECT_FALSE(buildRegion(117, frame(5, 30, 100))->isEmpty());
}

TEST(RegionEffects, SameSeedSameFrame) {
    const Bitmap oldFrame = picture(401, 301, oldAt), newFrame = picture(401, 301, newAt);
    const FrameValues v = frame(401, 301, 40);
    int differ = 0;
    for (int effect = 58; effect <= 127; ++effect) {
        vorlin::setRandomSeed(77);
        const Bitmap a = draw(effect, v, oldFrame, newFrame);
        vorlin::setRandomSeed(77);
        const Bitmap b = draw(effect, v, oldFrame, newFrame);
        EXPECT_TRUE(a.samePixels(b)) << effect;
        vorlin::setRandomSeed(78);
        differ += !draw(effect, v, oldFrame, newFrame).samePixels(a);
    }
    EXPECT_EQ(differ, 18 + 4 + 1); // the waves, swarms and random blocks change with the seed, nothing else
}

TEST(RegionEffects, NumbersOutsideTheFamiliesAreRefused) {
    const FrameValues v = frame(40, 30, 50);
    Bitmap screen(40, 30);
    const Bitmap fresh(40, 30, Color{1, 2, 3});
    for (int effect : {-1, 0, 1, 57, 128, 1000}) {
        EXPECT_FALSE(buildRegion(effect, v)) << effect;
        EXPECT_FALSE(drawPixelEffect(effect, v, fresh, screen)) << effect;
    }
    EXPECT_FALSE(buildRegion(118, v));
    EXPECT_FALSE(drawPixelEffect(60, v, fresh, screen));
    EXPECT_TRUE(screen.samePixels(Bitmap(40, 30)));
    // Every effect 58..127 is drawn one way: through a region or pixel by pixel.
    for (int effect = 58; effect <= 127; ++effect) {
        Bitmap scratch(40, 30);
        EXPECT_NE(buildRegion(effect, v).has_value(), drawPixelEffect(effect, v, fresh, scratch)) << effect;
    }
}

TEST(RegionEffects, EmptyPictureGivesAnEmptyRegion) {
    FrameValues v;
    for (int effect = 58; effect <= 127; ++effect)
        if (const auto r = buildRegion(effect, v)) {
            EXPECT_TRUE(r->isEmpty()) << effect;
        }
}

} // namespace
} // namespace vorlin::effects::families
