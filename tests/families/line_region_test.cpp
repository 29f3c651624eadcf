// Lines of the line effects: which rows and columns a pass covers, read per pixel.

#include "effects/families/strip_regions.h"

#include "coverage.h"
#include "strip_rules.h"

#include <gtest/gtest.h>

namespace vorlin::effects::families {
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

} // namespace
} // namespace vorlin::effects::families
