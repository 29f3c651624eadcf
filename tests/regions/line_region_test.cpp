// Lines of the line effects: which rows and columns a pass covers, read per pixel.

#include "effects/regions/strip_regions.h"

#include "coverage.h"
#include "strip_rules.h"

#include <gtest/gtest.h>

namespace vorlin::effects::regions {
namespace {

using testing::columnPassCovers;
using testing::Coverage;
using testing::rowPassCovers;

void expectCoverage(const Coverage& got, int xe, int ye, int rowMode, int colMode, int snap) {
    const int w = got.width(), h = got.height();
    int wrong = 0;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const bool want =
                rowPassCovers(rowMode, xe, w, snap, x, y) || columnPassCovers(colMode, ye, h, snap, x, y);
            if (got(x, y) != want && ++wrong <= 3)
                ADD_FAILURE() << "pixel (" << x << ", " << y << ") covered=" << got(x, y) << " on " << w
                              << "x" << h << " xe=" << xe << " ye=" << ye << " modes " << rowMode << "/"
                              << colMode << " snap " << snap;
        }
    EXPECT_EQ(wrong, 0);
}

TEST(LineRegion, QuarterProgressOfEffect60ShowsEveryOtherLineFromTheMiddle) {
    // 400 × 300 at 25 %: X = 100, the pass reaches 2X = 200, Band = MulDiv(400, 4, 90) = 18 (no snap).
    std::vector<Rect> rects;
    makeLineRects(rects, 200, 0, 400, 300, 1, 0, 18);
    const Coverage c(400, 300, rects);
    for (int y = 0; y < 300; ++y) {
        const bool newRow = (y / 5) % 2 == 0; // rows 0–4, 10–14, ... ; 5–9, 15–19, ... stay old
        for (int x = 0; x < 400; ++x) ASSERT_EQ(c(x, y), newRow && x >= 200) << x << "," << y;
    }
    EXPECT_EQ(c.count(), 30L * 5 * 200);
}

TEST(LineRegion, RowAndColumnPassesOverExtentsAndModes) {
    const int sizes[][2] = {{401, 301}, {300, 401}, {37, 23}};
    for (const auto& size : sizes) {
        const int w = size[0], h = size[1];
        const int extents[] = {0, 1, w / 3, w - 19, w - 18, w - 1, w, w + 1, w + w / 2, 2 * w - 1, 2 * w};
        for (int snap : {0, 18})
            for (int mode = 1; mode <= 5; ++mode)
                for (int e : extents) {
                    if (mode == 3 && e > w) continue; // a comb only ever runs its first phase
                    std::vector<Rect> rows;
                    makeLineRects(rows, e, 0, w, h, mode, 0, snap);
                    expectCoverage(Coverage(w, h, rows), e, 0, mode, 0, snap);
                    // The same pass on columns, with the extent scaled to the height.
                    const int ye = e * h / w;
                    std::vector<Rect> cols;
                    makeLineRects(cols, 0, ye, w, h, 0, mode, snap);
                    expectCoverage(Coverage(w, h, cols), 0, ye, 0, mode, snap);
                }
    }
}

TEST(LineRegion, RowsAndColumnsShareOneAccumulator) {
    const int w = 401, h = 301;
    for (int rowMode = 1; rowMode <= 5; ++rowMode)
        for (int colMode = 1; colMode <= 5; ++colMode) {
            const int xe = rowMode == 3 ? 150 : 500, ye = colMode == 3 ? 120 : 90;
            std::vector<Rect> rects;
            makeLineRects(rects, xe, ye, w, h, rowMode, colMode, 18);
            expectCoverage(Coverage(w, h, rects), xe, ye, rowMode, colMode, 18);
        }
}

TEST(LineRegion, SecondPhaseKeepsFirstLinesFullWhateverTheDirection) {
    const int w = 401, h = 301;
    for (int mode : {1, 2, 4, 5}) {
        std::vector<Rect> rects;
        makeLineRects(rects, w + 1, 0, w, h, mode, 0, 0);
        const Coverage c(w, h, rects);
        for (int y = 0; y < h; y += 10)
            for (int dy = 0; dy < 5 && y + dy < h; ++dy)
                for (int x = 0; x < w; ++x)
                    ASSERT_TRUE(c(x, y + dy)) << "mode " << mode << " (" << x << "," << y + dy << ")";
    }
}

TEST(LineRegion, SnapJumpsOnlyWithinTheBand) {
    const int w = 400, h = 50;
    for (int e : {381, 382, 383}) {
        std::vector<Rect> rects;
        makeLineRects(rects, e, 0, w, h, 2, 0, 18);
        const Coverage c(w, h, rects);
        // 382 + 18 = 400 is not past the width: no snap; 383 + 18 is.
        EXPECT_EQ(c(w - 1, 0), e == 383) << e;
        EXPECT_TRUE(c(e - 1, 0));
    }
}

TEST(LineRegion, FullExtentCoversThePicture) {
    for (const auto& [w, h] : {std::pair{401, 301}, std::pair{300, 401}, std::pair{3, 2}})
        for (int mode : {1, 2, 4, 5}) {
            std::vector<Rect> rects;
            makeLineRects(rects, 2 * w, 2 * h, w, h, mode, mode, 0);
            EXPECT_EQ(Coverage(w, h, rects).count(), static_cast<long>(w) * h);
        }
}

} // namespace
} // namespace vorlin::effects::regions
