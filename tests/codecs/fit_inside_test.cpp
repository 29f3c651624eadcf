// The fit-inside rule and the padding offsets, from worked examples.

#include "gfx/codecs/fit_inside.h"
#include "gfx/codecs/picture_loader.h"

#include <gtest/gtest.h>

namespace vorlin::gfx {
namespace {

TEST(FitInside, SizesFromTheRule) {
    struct Row {
        int w, h, boxW, boxH, wantW, wantH;
    };
    const Row rows[] = {
        {640, 480, 152, 112, 149, 112}, // height limits: 368/112 > 488/152; 640 × 112 / 480 = 149.33
        {100, 100, 152, 112, 100, 100}, // fits: unchanged
        {152, 112, 152, 112, 152, 112}, // exactly the box: unchanged
        {800, 100, 200, 200, 200, 25},  // only too wide: width limits
        {100, 800, 200, 200, 25, 200},  // only too tall: height limits
        {400, 5, 200, 100, 200, 2},     // 2.5 rounds to the even 2
        {400, 7, 200, 100, 200, 4},     // 3.5 rounds to the even 4
        {5, 400, 100, 200, 2, 200},     // the same on the other side
        {400, 9, 200, 100, 200, 4},     // 4.5 → 4
        {400, 11, 200, 100, 200, 6},    // 5.5 → 6
        {300, 201, 200, 100, 149, 100}, // 100/200 < 101/100: height limits; 300 × 100 / 201 = 149.25
        {10000, 1, 100, 100, 100, 1},   // 0.01 would be an empty picture: kept at 1
        {640, 480, 0, 112, 640, 480},   // a box without area changes nothing
    };
    for (const Row& r : rows) {
        const PictureSize got = fitInsideSize(r.w, r.h, r.boxW, r.boxH);
        EXPECT_EQ(got, (PictureSize{r.wantW, r.wantH}))
            << r.w << "x" << r.h << " in " << r.boxW << "x" << r.boxH;
    }
}

TEST(FitInside, ShrinksThePictureAndKeepsItsRegions) {
    // Left half red, right half blue, top row marked green: halving keeps each half on its side.
    Bitmap pic(8, 4, Color{255, 0, 0});
    pic.fillRect({4, 0, 8, 4}, Color{0, 0, 255});
    fitInside(pic, 4, 4, Color{9, 9, 9});
    ASSERT_EQ(pic.width(), 4);
    ASSERT_EQ(pic.height(), 2);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 4; ++x)
            EXPECT_EQ(pic.pixel(x, y), x < 2 ? (Color{255, 0, 0}) : (Color{0, 0, 255}));

    Bitmap small(3, 3, Color{1, 2, 3});
    fitInside(small, 10, 10, Color{9, 9, 9});
    EXPECT_TRUE(small.samePixels(Bitmap(3, 3, Color{1, 2, 3})));
}

TEST(Padding, OffsetIsHalfTheDifferenceHalvesToEvenPlusOne) {
    struct Row {
        int padded, picture, want;
    };
    const Row rows[] = {
        {303, 100, 103},                // 101.5 → 102, + 1
        {203, 100, 53},                 // 51.5 → 52, + 1
        {103, 100, 3},                  // a difference of 3 gives 3
        {105, 100, 3},                  // 2.5 → 2, + 1
        {107, 100, 5},                  // 3.5 → 4, + 1
        {100, 100, 1},   {101, 100, 1}, // 0.5 → 0
        {100, 103, 3},                  // the difference counts without its sign
    };
    for (const Row& r : rows)
        EXPECT_EQ(padOffset(r.padded, r.picture), r.want) << r.padded << " " << r.picture;
}

TEST(Padding, SmallPictureAfterALargerOneIsCentredOnTheFill) {
    const Color fill{10, 20, 30}, ink{200, 100, 0};
    const Bitmap padded = padPicture(Bitmap(100, 100, ink), 300, 200, fill);
    ASSERT_EQ(padded.width(), 303);
    ASSERT_EQ(padded.height(), 203);
    for (int y = 0; y < padded.height(); ++y)
        for (int x = 0; x < padded.width(); ++x) {
            const bool inside = x >= 103 && x < 203 && y >= 53 && y < 153;
            ASSERT_EQ(padded.pixel(x, y), inside ? ink : fill) << x << "," << y;
        }
}

} // namespace
} // namespace vorlin::gfx
