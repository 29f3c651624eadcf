// The cross-fade and the rotations against the per-pixel formulas, written here the straightforward way.

#include "effects/families/pixel_effects.h"

#include "base/arith.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <random>

namespace vorlin::effects::families {
namespace {

using gfx::Bitmap;
using gfx::Color;

Bitmap noise(int w, int h, unsigned seed) {
    Bitmap b(w, h);
    std::mt19937 gen(seed);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < 3 * w; ++x) b.scanLine(y)[x] = static_cast<std::uint8_t>(gen());
    return b;
}

TEST(BlendBitmaps, EveryByteFollowsTheIntegerFormula) {
    for (const auto& [w, h] : {std::pair{401, 301}, std::pair{300, 401}, std::pair{1, 1}, std::pair{17, 3}})
        for (int p : {0, 1, 25, 37, 50, 75, 99, 100}) {
            const Bitmap old = noise(w, h, 1), fresh = noise(w, h, 2);
            Bitmap screen = old;
            blendBitmaps(screen, fresh, p);
            int wrong = 0;
            for (int y = 0; y < h; ++y)
                for (int x = 0; x < 3 * w; ++x) {
                    const int want = old.scanLine(y)[x] * (100 - p) / 100 + fresh.scanLine(y)[x] * p / 100;
                    wrong += screen.scanLine(y)[x] != want;
                }
            EXPECT_EQ(wrong, 0) << w << "x" << h << " at " << p;
        }
}

TEST(BlendBitmaps, HalfOfWhiteAndWhiteIsTwoFiftyFour) {
    Bitmap screen(5, 2, Color{255, 255, 255});
    const Bitmap fresh(5, 2, Color{255, 255, 255});
    blendBitmaps(screen, fresh, 50);
    EXPECT_TRUE(screen.samePixels(Bitmap(5, 2, Color{254, 254, 254})));
    // The ends of the run: nothing of the new picture at 0, all of it at 100.
    const Bitmap old = noise(9, 4, 3), other = noise(9, 4, 4);
    Bitmap s0 = old, s100 = old;
    blendBitmaps(s0, other, 0);
    blendBitmaps(s100, other, 100);
    EXPECT_TRUE(s0.samePixels(old));
    EXPECT_TRUE(s100.samePixels(other));
}

// The rotation as written: every pixel on its own, both products in double, ties to even.
void referenceRotate(Bitmap& screen, const Bitmap& fresh, int cx, int cy, double theta) {
    const double s = std::sin(theta), c = std::cos(theta);
    for (int i = 0; i < fresh.height(); ++i)
        for (int o = 0; o < fresh.width(); ++o) {
            const int dx = o - cx, dy = i - cy;
            const auto u = cx + vorlin::roundHalfEven(dx * c - dy * s);
            const auto v = cy + vorlin::roundHalfEven(dx * s + dy * c);
            if (u >= 0 && u < screen.width() && v >= 0 && v < screen.height())
                screen.setPixel(o, i, fresh.pixel(static_cast<int>(u), static_cast<int>(v)));
        }
}

TEST(RotateBitmap, MatchesThePerPixelFormulaExactly) {
    for (const auto& [w, h] : {std::pair{401, 301}, std::pair{300, 401}, std::pair{1, 1}, std::pair{64, 2}})
        for (int p : {0, 1, 13, 25, 50, 67, 75, 99, 100})
            for (int corner = 0; corner < 4; ++corner) {
                const int cx = corner & 1 ? w : -1, cy = corner & 2 ? h : -1;
                const Bitmap old = noise(w, h, 5), fresh = noise(w, h, 6);
                Bitmap got = old, want = old;
                rotateBitmap(got, fresh, cx, cy, rotationAngle(p));
                referenceRotate(want, fresh, cx, cy, (100 - p) * std::numbers::pi / 200);
                EXPECT_TRUE(got.samePixels(want))
                    << w << "x" << h << " at " << p << " pivot " << cx << "," << cy;
            }
}

TEST(RotateBitmap, AnyAngleAndPivotMatchesTheFormula) {
    // Angles past a quarter turn make the source coordinates fall along a row instead of rising.
    const Bitmap old = noise(97, 61, 11), fresh = noise(97, 61, 12);
    for (double theta : {-0.7, 0.3, 2.0, 3.5, 5.9})
        for (const auto& [cx, cy] : {std::pair{48, 30}, std::pair{-20, 70}, std::pair{0, 0}}) {
            Bitmap got = old, want = old;
            rotateBitmap(got, fresh, cx, cy, theta);
            referenceRotate(want, fresh, cx, cy, theta);
            EXPECT_TRUE(got.samePixels(want)) << theta << " about " << cx << "," << cy;
        }
}

TEST(RotateBitmap, EndsOfTheTurn) {
    const Bitmap old = noise(41, 31, 7), fresh = noise(41, 31, 8);
    for (const auto& [cx, cy] :
         {std::pair{-1, -1}, std::pair{-1, 31}, std::pair{41, -1}, std::pair{41, 31}}) {
        Bitmap atStart = old, atEnd = old;
        rotateBitmap(atStart, fresh, cx, cy, rotationAngle(0)); // a quarter turn away: all outside
        rotateBitmap(atEnd, fresh, cx, cy, rotationAngle(100));
        EXPECT_TRUE(atStart.samePixels(old));
        EXPECT_TRUE(atEnd.samePixels(fresh));
    }
}

TEST(RotateBitmap, ChosenPixelsAtHalfTurn) {
    // At 50 % the picture is turned by 45° about (−1, −1). Screen pixel (29, 0) is 30 right of and 1
    // below the pivot: turned back it comes from (−1 + Round(29·√½), −1 + Round(31·√½)) = (20, 21).
    // Screen pixel (9, 9) lies on the diagonal: it comes from (−1, 13), outside, so it stays old.
    Bitmap fresh(50, 40), screen(50, 40, Color{1, 2, 3});
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 50; ++x)
            fresh.setPixel(x, y, Color{static_cast<std::uint8_t>(x), static_cast<std::uint8_t>(y), 200});
    rotateBitmap(screen, fresh, -1, -1, rotationAngle(50));
    EXPECT_EQ(screen.pixel(29, 0), (Color{20, 21, 200}));
    EXPECT_EQ(screen.pixel(9, 9), (Color{1, 2, 3}));
}

// A new frame smaller than the screen buffer (or larger) is read and written only where both have pixels.
TEST(PixelEffects, DifferentSizesStayInsideBothBitmaps) {
    const Bitmap old = noise(30, 20, 13);
    for (const auto& [w, h] : {std::pair{12, 7}, std::pair{45, 33}}) {
        const Bitmap fresh = noise(w, h, 14);
        Bitmap blended = old, turned = old;
        blendBitmaps(blended, fresh, 50);
        rotateBitmap(turned, fresh, 30, 20, rotationAngle(60));
        for (int y = 0; y < 20; ++y)
            for (int x = 0; x < 30; ++x)
                if (x >= w || y >= h) {
                    ASSERT_EQ(blended.pixel(x, y), old.pixel(x, y));
                    ASSERT_EQ(turned.pixel(x, y), old.pixel(x, y));
                }
    }
}

} // namespace
} // namespace vorlin::effects::families
