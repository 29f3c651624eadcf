// Wave bands: fronts within their jitter, band geometry, the order of the random draws.

#include "effects/families/strip_regions.h"

#include "base/random.h"
#include "coverage.h"
#include "strip_rules.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>

namespace vorlin::effects::families {
namespace {

using testing::Coverage;
using testing::rowWave;
using testing::Sure;

TEST(WaveRegion, FrontsStayWithinTheirJitter) {
    const int sizes[][2] = {{401, 301}, {300, 401}};
    for (const auto& size : sizes) {
        const int w = size[0], h = size[1];
        for (int mode = 1; mode <= 4; ++mode)
            for (int pct : {10, 25, 50, 75, 99, 100}) {
                const int x = w * pct / 100, y = h * pct / 100;
                for (int colMode : {0, mode}) {
                    vorlin::setRandomSeed(77u + pct);
                    std::vector<Rect> rects;
                    makeWaveRects(rects, x, y, w, h, mode, colMode);
                    const Coverage c(w, h, rects);
                    int wrong = 0;
                    for (int py = 0; py < h; ++py)
                        for (int px = 0; px < w; ++px) {
                            const Sure r = rowWave(mode, x, w, px);
                            const Sure k = colMode ? rowWave(colMode, y, h, py) : Sure{false, true};
                            if ((r.isNew || k.isNew) && !c(px, py)) ++wrong;
                            if (r.isOld && k.isOld && c(px, py)) ++wrong;
                        }
                    EXPECT_EQ(wrong, 0)
                        << w << "x" << h << " mode " << mode << "/" << colMode << " at " << pct;
                }
            }
    }
}

TEST(WaveRegion, JitterSpansItsRangeAndCentresOnZero) {
    const int w = 700, h = 5000, x = 350; // A = 100: j in −99..99
    vorlin::setRandomSeed(5);
    std::vector<Rect> rects;
    makeWaveRects(rects, x, 0, w, h, 1, 0);
    ASSERT_EQ(rects.size(), 1000u);
    int lo = 1000, hi = -1000;
    long sum = 0;
    for (const Rect& r : rects) {
        const int j = r.Left - (w - x);
        lo = std::min(lo, j);
        hi = std::max(hi, j);
        sum += j;
    }
    EXPECT_GE(lo, -99);
    EXPECT_LE(hi, 99);
    EXPECT_LT(lo, -80); // a triangular spread reaches near both ends over 1000 bands
    EXPECT_GT(hi, 80);
    EXPECT_NEAR(static_cast<double>(sum) / rects.size(), 0.0, 6.0);
}

TEST(WaveRegion, AmplitudeIsZeroAtFullExtent) {
    const int w = 401, h = 301;
    for (int mode = 1; mode <= 4; ++mode) {
        vorlin::setRandomSeed(9);
        std::vector<Rect> rows, cols;
        makeWaveRects(rows, w, h, w, h, mode, 0);
        makeWaveRects(cols, w, h, w, h, 0, mode);
        std::set<std::pair<int, int>> rowEnds, colEnds;
        for (const Rect& r : rows) rowEnds.insert({r.Left, r.Right});
        for (const Rect& r : cols) colEnds.insert({r.Top, r.Bottom});
        // Straight ends: every band of a pass ends at the same place (one or two halves per pass).
        EXPECT_LE(rowEnds.size(), 2u) << mode;
        EXPECT_LE(colEnds.size(), 2u) << mode;
        if (mode != 4) { // two inward halves of an odd side leave the middle line to the final frame
            EXPECT_EQ(Coverage(w, h, rows).count(), static_cast<long>(w) * h) << mode;
            EXPECT_EQ(Coverage(w, h, cols).count(), static_cast<long>(w) * h) << mode;
        }
    }
    // One step short of the full extent the ends still ripple.
    vorlin::setRandomSeed(9);
    std::vector<Rect> rects;
    makeWaveRects(rects, w - 1, 0, w, h, 1, 0);
    std::set<int> lefts;
    for (const Rect& r : rects) lefts.insert(r.Left);
    EXPECT_GT(lefts.size(), 10u);
}

TEST(WaveRegion, BandsOverlapByTheRemainderOfFive) {
    for (int h = 300; h <= 304; ++h) {
        std::vector<Rect> rects;
        makeWaveRects(rects, 100, 0, 401, h, 2, 0);
        ASSERT_EQ(static_cast<int>(rects.size()), (h + 4) / 5) << h;
        for (std::size_t k = 0; k < rects.size(); ++k) {
            EXPECT_EQ(rects[k].Top, static_cast<int>(5 * k));
            EXPECT_EQ(rects[k].height(), 5 + h % 5) << h;
        }
        EXPECT_GE(rects.back().Bottom, h); // the last band reaches the bottom (below it when h % 5 != 0)
        EXPECT_EQ(rects.back().Bottom > h, h % 5 != 0);
    }
}

TEST(WaveRegion, DrawsLeftOperandFirstAndFirstJitterForTheFirstHalf) {
    const int w = 350, h = 5, x = 100; // A = 50, one band
    for (std::uint32_t seed : {1u, 2u, 12345u}) {
        vorlin::setRandomSeed(seed);
        const int r1 = vorlin::random(50), r2 = vorlin::random(50), r3 = vorlin::random(50),
                  r4 = vorlin::random(50);
        const int j1 = r1 - r2, j2 = r3 - r4;

        vorlin::setRandomSeed(seed);
        std::vector<Rect> rects;
        makeWaveRects(rects, x, 0, w, h, 3, 0);
        ASSERT_EQ(rects.size(), 2u);
        EXPECT_EQ(rects[0].Left, (w - x + j1) / 2);
        EXPECT_EQ(rects[1].Right, (w + x + j2) / 2);
        EXPECT_EQ(vorlin::randomSeed(), [&] {
            vorlin::setRandomSeed(seed);
            for (int k = 0; k < 4; ++k) vorlin::random(50);
            return vorlin::randomSeed();
        }()); // exactly four draws for one band of two halves
    }
}

} // namespace
} // namespace vorlin::effects::families
