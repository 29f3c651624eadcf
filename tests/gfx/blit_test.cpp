#include "gfx/blit.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <vector>

using namespace vorlin;
using namespace vorlin::gfx;

namespace {

// Every pixel of a test picture has its own colour, so a copied pixel tells where it came from.
Color codeOf(int x, int y) {
    return {static_cast<std::uint8_t>(x), static_cast<std::uint8_t>(y),
            static_cast<std::uint8_t>(0x80 | ((x >> 8) & 7) | (((y >> 8) & 7) << 3))};
}

Bitmap codedPicture(int w, int h) {
    Bitmap b(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) b.setPixel(x, y, codeOf(x, y));
    return b;
}

const Color kBackground{1, 2, 3};

// The reference stretch: walk the whole unclipped span pixel by pixel in floating point, taking the source
// pixel under each destination pixel's centre, and draw it when both ends lie inside their bitmaps.
void referenceStretch(Bitmap& dst, int dx, int dy, int dw, int dh, const Bitmap& src, int sx, int sy, int sw,
                      int sh) {
    if (dw == 0 || dh == 0 || sw == 0 || sh == 0) return;
    const int n = std::abs(dw), m = std::abs(dh);
    for (int j = 0; j < m; ++j) {
        const int ty = dh > 0 ? dy + j : dy - 1 - j;
        const int k = static_cast<int>(std::floor((j + 0.5) * std::abs(sh) / m));
        const int fy = sh > 0 ? sy + k : sy - 1 - k;
        for (int i = 0; i < n; ++i) {
            const int tx = dw > 0 ? dx + i : dx - 1 - i;
            const int l = static_cast<int>(std::floor((i + 0.5) * std::abs(sw) / n));
            const int fx = sw > 0 ? sx + l : sx - 1 - l;
            if (tx < 0 || ty < 0 || tx >= dst.width() || ty >= dst.height()) continue;
            if (fx < 0 || fy < 0 || fx >= src.width() || fy >= src.height()) continue;
            dst.setPixel(tx, ty, src.pixel(fx, fy));
        }
    }
}

::testing::AssertionResult samePictures(const Bitmap& actual, const Bitmap& expected) {
    for (int y = 0; y < expected.height(); ++y)
        for (int x = 0; x < expected.width(); ++x)
            if (!(actual.pixel(x, y) == expected.pixel(x, y)))
                return ::testing::AssertionFailure() << "first difference at (" << x << ", " << y << ")";
    return ::testing::AssertionSuccess();
}

} // namespace

TEST(CopyRect, ClipsSourceAndDestinationWithoutShiftingPixels) {
    const Bitmap src = codedPicture(37, 23);
    struct Row {
        int dx, dy;
        Rect s;
    };
    const Row rows[] = {
        {0, 0, {0, 0, 37, 23}},      {5, 3, {0, 0, 37, 23}},     {-4, -6, {2, 1, 30, 20}},
        {10, 10, {-5, -7, 12, 9}},   {25, 15, {30, 18, 50, 40}}, {-100, 0, {0, 0, 37, 23}},
        {0, 0, {40, 0, 50, 10}},     {3, 2, {10, 10, 10, 20}},   {30, 18, {0, 0, 37, 23}},
        {-3, 4, {-10, -10, 60, 60}},
    };
    for (const Row& r : rows) {
        Bitmap actual(31, 19, kBackground), expected(31, 19, kBackground);
        copyRect(actual, r.dx, r.dy, src, r.s);
        for (int y = r.s.Top; y < r.s.Bottom; ++y)
            for (int x = r.s.Left; x < r.s.Right; ++x) {
                const int tx = r.dx + x - r.s.Left, ty = r.dy + y - r.s.Top;
                if (src.rect().contains(x, y) && expected.rect().contains(tx, ty))
                    expected.setPixel(tx, ty, src.pixel(x, y));
            }
        EXPECT_TRUE(samePictures(actual, expected))
            << "dx " << r.dx << " dy " << r.dy << " s.Left " << r.s.Left;
    }
}

TEST(CopyRect, OverlappingCopyWithinOneBitmapReadsTheOriginalPixels) {
    const Bitmap original = codedPicture(20, 20);
    const int moves[][2] = {{3, 2}, {-3, -2}, {0, 5}, {4, -1}, {0, 0}};
    for (const auto& mv : moves) {
        Bitmap b = original;
        const Rect s{2, 3, 15, 16};
        copyRect(b, s.Left + mv[0], s.Top + mv[1], b, s);
        Bitmap expected = original;
        copyRect(expected, s.Left + mv[0], s.Top + mv[1], original, s);
        EXPECT_TRUE(samePictures(b, expected)) << mv[0] << "," << mv[1];
    }
}

TEST(StretchCopy, MatchesThePixelCentreRuleUnderScalingMirroringAndClipping) {
    const Bitmap src = codedPicture(40, 30);
    struct Row {
        int dx, dy, dw, dh, sx, sy, sw, sh;
    };
    const Row rows[] = {
        {0, 0, 40, 30, 0, 0, 40, 30},      // identity
        {0, 0, 64, 48, 0, 0, 40, 30},      // enlarge
        {3, 2, 13, 7, 0, 0, 40, 30},       // shrink
        {5, 5, 17, 11, 10, 5, 3, 2},       // enlarge a small part
        {-20, -10, 90, 70, 0, 0, 40, 30},  // destination beyond every edge
        {10, 10, 30, 20, -10, -5, 60, 40}, // source beyond every edge
        {40, 0, -40, 30, 0, 0, 40, 30},    // mirrored horizontally in place
        {0, 30, 40, -30, 0, 0, 40, 30},    // mirrored vertically in place
        {50, 40, -61, -47, 4, 3, 21, 17},  // both mirrored, clipped
        {12, 4, 9, 9, 30, 20, -15, -12},   // source read backwards
        {-7, 3, 25, 13, 35, 25, 20, 20},   // both clipped
        {0, 0, 7, 5, 0, 0, 1, 1},          // one pixel spread out
        {0, 0, 1, 1, 0, 0, 40, 30},        // everything into one pixel
        {100, 0, 10, 10, 0, 0, 40, 30},    // entirely outside the destination
        {0, 0, 10, 10, 40, 0, 10, 10},     // entirely outside the source
    };
    for (const Row& r : rows) {
        Bitmap actual(45, 35, kBackground), expected(45, 35, kBackground);
        stretchCopy(actual, r.dx, r.dy, r.dw, r.dh, src, r.sx, r.sy, r.sw, r.sh);
        referenceStretch(expected, r.dx, r.dy, r.dw, r.dh, src, r.sx, r.sy, r.sw, r.sh);
        EXPECT_TRUE(samePictures(actual, expected))
            << "d " << r.dx << "," << r.dy << " " << r.dw << "x" << r.dh << "  s " << r.sx << "," << r.sy
            << " " << r.sw << "x" << r.sh;
    }
}

TEST(StretchCopy, SamplesAsStated) {
    const Bitmap src = codedPicture(8, 1);
    Bitmap dst(16, 1, kBackground);
    // Doubling repeats every column twice.
    stretchCopy(dst, 0, 0, 16, 1, src, 0, 0, 8, 1);
    for (int x = 0; x < 16; ++x) EXPECT_EQ(dst.pixel(x, 0), codeOf(x / 2, 0)) << x;
    // Halving reads the second column of each pair (its centre lies on the boundary: the right one wins).
    dst.fill(kBackground);
    stretchCopy(dst, 0, 0, 4, 1, src, 0, 0, 8, 1);
    for (int x = 0; x < 4; ++x) EXPECT_EQ(dst.pixel(x, 0), codeOf(2 * x + 1, 0)) << x;
    EXPECT_EQ(dst.pixel(4, 0), kBackground);
    // Zero extents draw nothing.
    dst.fill(kBackground);
    stretchCopy(dst, 0, 0, 0, 1, src, 0, 0, 8, 1);
    stretchCopy(dst, 0, 0, 4, 1, src, 0, 0, 0, 1);
    stretchCopy(dst, 0, 0, 4, 1, src, 3, 0, 4, 0);
    for (int x = 0; x < 16; ++x) EXPECT_EQ(dst.pixel(x, 0), kBackground);
}

// The fold of a wipe: destination rectangle (L, 0, R, H) mirrored horizontally becomes origin R + 1 and
// width (L − 1) − (R + 1): the rectangle between columns L − 1 and R + 1, so the copy covers columns
// L − 1 .. R (D widened by one pixel at each side) and reads the source right to left.
TEST(StretchCopy, MirroredFoldLandsOnePixelWiderAtEachEdge) {
    const int W = 30, H = 6, L = 10, R = 16; // fold width 6
    const Bitmap src = codedPicture(W, H);
    Bitmap dst(W, H, kBackground);
    const Rect s{R, 0, R + (R - L), H};
    stretchCopy(dst, R + 1, 0, (L - 1) - (R + 1), H, src, s.Left, s.Top, s.width(), s.height());
    const int n = (R + 1) - (L - 1); // destination pixels: 8 for a 6-pixel source
    for (int y = 0; y < H; ++y) {
        for (int x = 0; x < W; ++x) {
            if (x < L - 1 || x > R) {
                EXPECT_EQ(dst.pixel(x, y), kBackground) << x;
                continue;
            }
            // Column R is the first of the mirrored span, column L − 1 its last.
            const int j = R - x;
            const int k = (2 * j + 1) * s.width() / (2 * n);
            EXPECT_EQ(dst.pixel(x, y), codeOf(s.Left + k, y)) << x;
        }
    }
    // The outermost columns show the two ends of the source strip.
    EXPECT_EQ(dst.pixel(R, 0), codeOf(s.Left, 0));
    EXPECT_EQ(dst.pixel(L - 1, 0), codeOf(s.Right - 1, 0));
    // Mirrored both ways at once, the same rule holds on each axis: the box (2, 1, 6, 4) becomes the
    // rectangle between (7, 5) and (1, 0), and its corner pixels swap.
    Bitmap box(10, 8, kBackground);
    stretchCopy(box, 7, 5, 1 - 7, 0 - 5, src, 0, 0, 6, 5);
    EXPECT_EQ(box.pixel(6, 4), codeOf(0, 0));
    EXPECT_EQ(box.pixel(1, 0), codeOf(5, 4));
    EXPECT_EQ(box.pixel(0, 0), kBackground);
    EXPECT_EQ(box.pixel(7, 4), kBackground);
    EXPECT_EQ(box.pixel(6, 5), kBackground);
}

TEST(StretchCopy, ClippingKeepsTheSourcePixelOfEveryVisiblePixel) {
    // The same stretch drawn into a large buffer and, shifted, into a small one that cuts it on all sides.
    const Bitmap src = codedPicture(50, 40);
    Bitmap big(200, 200, kBackground), small(60, 50, kBackground);
    stretchCopy(big, 20, 30, 157, 133, src, 3, 2, 41, 33);
    stretchCopy(small, 20 - 70, 30 - 60, 157, 133, src, 3, 2, 41, 33);
    for (int y = 0; y < small.height(); ++y)
        for (int x = 0; x < small.width(); ++x) ASSERT_EQ(small.pixel(x, y), big.pixel(x + 70, y + 60));
}

TEST(StretchCopy, SameBitmapAsSourceAndDestination) {
    const Bitmap original = codedPicture(24, 16);
    Bitmap b = original;
    stretchCopy(b, 24, 0, -24, 16, b, 0, 0, 24, 16);
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 24; ++x) ASSERT_EQ(b.pixel(x, y), original.pixel(23 - x, y));
}

TEST(Blits, ExtremeArgumentsDrawOnlyWhatIsVisible) {
    const Bitmap src = codedPicture(16, 16);
    Bitmap dst(16, 16, kBackground);
    copyRect(dst, INT_MAX, INT_MAX, src, src.rect());
    copyRect(dst, INT_MIN, INT_MIN, src, src.rect());
    copyRect(dst, 0, 0, src, {INT_MIN, INT_MIN, INT_MIN + 5, INT_MIN + 5});
    stretchCopy(dst, INT_MAX, INT_MAX, INT_MAX, INT_MAX, src, 0, 0, 16, 16);
    stretchCopy(dst, INT_MIN, 0, INT_MIN, 16, src, 0, 0, 16, 16);
    stretchCopy(dst, 0, 0, 16, 16, src, INT_MIN, INT_MIN, INT_MIN, INT_MIN);
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x) ASSERT_EQ(dst.pixel(x, y), kBackground) << x << "," << y;
    // Both spans mirrored over the whole integer range: the two mirrorings cancel, pixel for pixel.
    stretchCopy(dst, INT_MAX, INT_MAX, INT_MIN, INT_MIN, src, INT_MAX, INT_MAX, INT_MIN, INT_MIN);
    EXPECT_TRUE(samePictures(dst, src));
    dst.fill(kBackground);
    // A whole source rectangle far larger than both bitmaps lands pixel for pixel.
    copyRect(dst, -1000, -1000, src, {-1000, -1000, INT_MAX, INT_MAX});
    EXPECT_TRUE(samePictures(dst, src));
    // An enormous enlargement of one pixel: the visible part is that pixel's colour.
    dst.fill(kBackground);
    stretchCopy(dst, -1000000000, -1000000000, 2000000000, 2000000000, src, 5, 6, 1, 1);
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x) ASSERT_EQ(dst.pixel(x, y), codeOf(5, 6)) << x << "," << y;
}
