#include "gfx/view_render.h"

#include <gtest/gtest.h>

#include <cstdlib>

using namespace vorlin;
using namespace vorlin::gfx;

namespace {

const Color kBlack{0, 0, 0}, kWhite{255, 255, 255}, kUntouched{1, 2, 3};

// A picture whose left half is black and right half white.
Bitmap halves(int w, int h) {
    Bitmap b(w, h, kBlack);
    b.fillRect({w / 2, 0, w, h}, kWhite);
    return b;
}

int grey(const Bitmap& b, int x, int y = 0) {
    return b.pixel(x, y).g;
}

} // namespace

TEST(ViewRender, WholeViewAtItsOwnSizeCopiesExactlyAndTouchesNothingElse) {
    Bitmap picture(7, 5);
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 7; ++x) picture.setPixel(x, y, {std::uint8_t(30 * x), std::uint8_t(40 * y), 9});
    Bitmap dest(12, 9, kUntouched);
    renderView(ViewSource(picture), {0, 0, 7, 5}, dest, {3, 2, 10, 7});
    for (int y = 0; y < 9; ++y)
        for (int x = 0; x < 12; ++x) {
            const bool inside = x >= 3 && x < 10 && y >= 2 && y < 7;
            EXPECT_EQ(dest.pixel(x, y), inside ? picture.pixel(x - 3, y - 2) : kUntouched) << x << "," << y;
        }
}

// Pixel centres map linearly: doubling a 2-pixel black/white row samples the source at 0.25, 0.75, 1.25 and
// 1.75, i.e. black (padded edge), a quarter white, three quarters white, white.
TEST(ViewRender, EnlargingInterpolatesBetweenPixelCentres) {
    Bitmap dest(4, 1, kUntouched);
    renderScaled(halves(2, 1), dest, {0, 0, 4, 1});
    EXPECT_EQ(grey(dest, 0), 0);
    EXPECT_NEAR(grey(dest, 1), 64, 2);
    EXPECT_NEAR(grey(dest, 2), 191, 2);
    EXPECT_EQ(grey(dest, 3), 255);
}

// A view moved by half a pixel averages the two pixels at the black/white edge, which nearest-neighbour
// sampling (all black or all white) cannot.
TEST(ViewRender, HalfPixelShiftAveragesTheEdge) {
    const ViewSource source(halves(8, 2));
    Bitmap dest(8, 2, kUntouched);
    renderView(source, {0.5, 0, 8, 2}, dest, {0, 0, 8, 2});
    EXPECT_EQ(grey(dest, 0, 0), 0);
    EXPECT_NEAR(grey(dest, 3, 0), 128, 2);
    EXPECT_EQ(grey(dest, 4, 0), 255);
    EXPECT_EQ(grey(dest, 7, 1), 255) << "past the right edge the edge pixel repeats";
}

TEST(ViewRender, ViewsPastTheEdgesRepeatTheEdgeInsteadOfBlack) {
    const ViewSource source(Bitmap(4, 4, {200, 10, 10}));
    Bitmap dest(10, 10, kUntouched);
    renderView(source, {-3, -3, 10, 10}, dest, {0, 0, 10, 10});
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 10; ++x) ASSERT_EQ(dest.pixel(x, y), (Color{200, 10, 10})) << x << "," << y;
}

TEST(ViewRender, TargetsReachingOutsideTheDestinationDrawTheirVisiblePartUnchanged) {
    Bitmap picture(16, 16);
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x) picture.setPixel(x, y, {std::uint8_t(16 * x), std::uint8_t(16 * y), 50});
    const ViewSource source(picture);
    const ViewRect view{2.25, 1.5, 9.5, 11};
    Bitmap whole(40, 40, kUntouched);
    renderView(source, view, whole, {10, 10, 35, 38});
    Bitmap cut(20, 20, kUntouched);
    renderView(source, view, cut, {-5, -3, 20, 25}); // the same target moved up-left by (15, 13)
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 20; ++x) ASSERT_EQ(cut.pixel(x, y), whole.pixel(x + 15, y + 13)) << x << "," << y;

    Bitmap none(5, 5, kUntouched);
    renderView(source, view, none, {6, 0, 20, 5});
    renderView(ViewSource(), view, none, {0, 0, 5, 5});
    renderView(source, {0, 0, 0, 3}, none, {0, 0, 5, 5});
    EXPECT_TRUE(none.samePixels(Bitmap(5, 5, kUntouched)));
}
