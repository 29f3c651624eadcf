// Swarms and random blocks: fronts, swarm depth, block sizes and the statistics of the random choices.

#include "effects/families/strip_regions.h"

#include "base/random.h"
#include "coverage.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>

namespace vorlin::effects::families {
namespace {

using testing::Coverage;

struct SwarmCase {
    int w, h, rowMode, colMode;
};

// The front covers everything behind it; nothing lies further ahead than the swarm depth (a tenth of
// the side along the motion, rounded down to whole blocks).
TEST(SwarmRegion, FrontBehindAndNothingBeyondTheDepth) {
    const SwarmCase cases[] = {{401, 301, 1, 0}, {401, 301, 2, 0}, {401, 301, 0, 1}, {401, 301, 0, 2},
                               {300, 401, 1, 0}, {300, 401, 2, 0}, {300, 401, 0, 1}, {300, 401, 0, 2},
                               {2500, 60, 1, 0}, {60, 2500, 0, 2}};
    for (const auto& c : cases)
        for (int pct : {5, 25, 50, 75, 99}) {
            const int x = c.w * pct / 100, y = c.h * pct / 100;
            const int len = c.rowMode ? c.w : c.h, e = c.rowMode ? x : y;
            const int depth = len / 10;
            const int block = std::max(depth / 20, 2);
            const int reach = depth / block * block;
            vorlin::setRandomSeed(pct);
            std::vector<Rect> rects;
            makeSwarmRects(rects, x, y, c.w, c.rowMode, c.colMode, c.h);
            const Coverage cov(c.w, c.h, rects);
            int wrong = 0;
            for (int py = 0; py < c.h; ++py)
                for (int px = 0; px < c.w; ++px) {
                    const int along = c.rowMode ? px : py;
                    const bool fromFar = (c.rowMode ? c.rowMode : c.colMode) == 1;
                    const int ahead = fromFar ? (len - e) - 1 - along : along - e; // 0 = first pixel ahead
                    if (ahead < 0 && !cov(px, py)) ++wrong;
                    if (ahead >= reach && cov(px, py)) ++wrong;
                }
            EXPECT_EQ(wrong, 0) << c.w << "x" << c.h << " modes " << c.rowMode << "/" << c.colMode << " at "
                                << pct;
        }
}

TEST(SwarmRegion, BlocksAreAtLeastTwoPixelsAndStripsOverlap) {
    for (int w : {150, 199, 401, 4000}) {
        const int block = std::max(w / 10 / 20, 2);
        vorlin::setRandomSeed(3);
        std::vector<Rect> rects;
        makeSwarmRects(rects, w / 2, 0, w, 2, 0, 97);
        int blocks = 0, strips = 0;
        for (const Rect& r : rects) {
            EXPECT_EQ(r.height(), block);
            if (r.Left == 0) {
                EXPECT_EQ(r.Top, strips * (block / 2)); // strips advance by half a block
                ++strips;
            } else {
                EXPECT_EQ(r.width(), block);
                EXPECT_EQ((r.Left - w / 2) % block, 0); // whole slots ahead of the front
                ++blocks;
            }
        }
        EXPECT_GE(block, 2);
        EXPECT_EQ(strips, (97 + block / 2 - 1) / (block / 2));
        EXPECT_GT(blocks, 0) << w;
    }
}

TEST(SwarmRegion, BlockChanceFallsWithDistance) {
    // 2000 wide: depth 200, blocks of 10, 20 slots; the near three quarters are slots 1–15, where a block
    // appears with chance 2/i (capped at 1), beyond them with 1/i.
    const int w = 2000, h = 1000, x = 1000;
    std::map<int, int> hits;
    int strips = 0;
    for (std::uint32_t seed = 1; seed <= 10; ++seed) {
        vorlin::setRandomSeed(seed);
        std::vector<Rect> rects;
        makeSwarmRects(rects, x, 0, w, 1, 0, h);
        for (const Rect& r : rects) {
            if (r.Right == w) {
                ++strips;
                continue;
            }
            ++hits[(w - x - r.Left) / 10];
        }
    }
    ASSERT_EQ(strips, 10 * 200);
    EXPECT_EQ(hits.begin()->first, 1);
    EXPECT_EQ(hits.rbegin()->first, 20);
    for (int i = 1; i <= 20; ++i) {
        const double want = i <= 15 ? std::min(1.0, 2.0 / i) : 1.0 / i;
        const double got = static_cast<double>(hits[i]) / strips;
        const double sd = std::sqrt(want * (1 - want) / strips);
        EXPECT_NEAR(got, want, 4 * sd + 1e-9) << "slot " << i;
    }
}

TEST(SwarmRegion, FullExtentIsTheFrontAlone) {
    for (const auto& c : {SwarmCase{401, 301, 1, 0}, SwarmCase{300, 401, 0, 2}}) {
        vorlin::setRandomSeed(1);
        const std::uint32_t before = vorlin::randomSeed();
        std::vector<Rect> rects;
        makeSwarmRects(rects, c.w, c.h, c.w, c.rowMode, c.colMode, c.h);
        EXPECT_EQ(vorlin::randomSeed(), before); // no slots, no draws
        EXPECT_EQ(Coverage(c.w, c.h, rects).count(), static_cast<long>(c.w) * c.h);
    }
}

TEST(RandomBlockRegion, BlockSizeGrowsWithProgress) {
    const struct {
        int w, h, p, half;
    } rows[] = {{100, 100, 1, 2}, {100, 100, 99, 11}, {401, 301, 50, 11}, {10, 10, 5, 1}, {3, 200, 0, 1}};
    for (const auto& r : rows) {
        vorlin::setRandomSeed(8);
        std::vector<Rect> rects;
        for (int frame = 0; frame < 50 && rects.empty(); ++frame)
            makeRandomBlockRects(rects, r.w, r.h, std::max(r.p, 1));
        ASSERT_FALSE(rects.empty());
        for (const Rect& b : rects) {
            EXPECT_EQ(b.width(), 2 * r.half) << r.w << "x" << r.h << " at " << r.p;
            EXPECT_EQ(b.height(), 2 * r.half);
            EXPECT_EQ((b.Left + r.half) % r.half, 0); // centred on the grid
        }
    }
}

TEST(RandomBlockRegion, DensityFollowsProgress) {
    for (int p : {1, 10, 50, 90, 99}) {
        const int w = 100, h = 100;
        const int half = std::max(std::min(w, h) / 50 + p / 10, 1);
        const int grid = ((w + half - 1) / half) * ((h + half - 1) / half);
        long blocks = 0, covered = 0, inner = 0;
        vorlin::setRandomSeed(1000u + p);
        const int frames = 200;
        for (int f = 0; f < frames; ++f) {
            std::vector<Rect> rects;
            makeRandomBlockRects(rects, w, h, p);
            blocks += static_cast<long>(rects.size());
            const Coverage c(w, h, rects);
            // Pixels away from the edges lie in exactly four blocks' squares.
            for (int y = 2 * half; y < h - 2 * half; ++y)
                for (int x = 2 * half; x < w - 2 * half; ++x, ++inner) covered += c(x, y);
        }
        const double density = static_cast<double>(blocks) / (static_cast<double>(grid) * frames);
        EXPECT_NEAR(density, p / 100.0, 0.01) << p;
        const double wantCovered = 1 - std::pow(1 - p / 100.0, 4);
        EXPECT_NEAR(static_cast<double>(covered) / inner, wantCovered, 0.02) << p;
    }
}

TEST(RandomBlockRegion, SameSeedSameBlocksAndNothingAtZero) {
    std::vector<Rect> a, b, none;
    vorlin::setRandomSeed(31);
    makeRandomBlockRects(a, 401, 301, 37);
    vorlin::setRandomSeed(31);
    makeRandomBlockRects(b, 401, 301, 37);
    EXPECT_EQ(a, b);
    makeRandomBlockRects(none, 401, 301, 0);
    EXPECT_TRUE(none.empty());
}

} // namespace
} // namespace vorlin::effects::families
