// DrawFrame with the region and per-pixel effects (58–127) joined: the first and last frames of every
// effect, frames in between equal to "old outside the region, new inside", the shared generator drawn in
// every frame, and the mirrored copy's columns.
#include "effect_pictures.h"
#include "effects/catalogue.h"
#include "effects/draw_frame.h"
#include "effects/effect_table.h"
#include "effects/frame_values.h"

#include "base/random.h"
#include "gfx/blit.h"
#include "gfx/region.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>

namespace vorlin::effects {
namespace {

using testing::codedPicture;
using testing::decode;

struct Canvas {
    gfx::Bitmap oldFrame, newFrame, screen;
    FrameContext ctx;

    Canvas(int w, int h)
        : oldFrame(codedPicture(w, h, false)), newFrame(codedPicture(w, h, true)),
          screen(w, h), ctx{screen, oldFrame, newFrame} {}
    Canvas(gfx::Bitmap o, gfx::Bitmap n)
        : oldFrame(std::move(o)), newFrame(std::move(n)),
          screen(oldFrame.width(), oldFrame.height()), ctx{screen, oldFrame, newFrame} {}

    void draw(int style, int progress) {
        ctx.Style = style;
        ctx.FProgress = progress;
        DrawFrame(ctx);
    }
};

// How many pixels of the screen show the new picture (and how many of those lie off the picture's
// outer rows and columns), and how many show the old picture's pixel of another place.
struct Census {
    int fresh = 0, offBorder = 0, oldMisplaced = 0;
};

Census census(const gfx::Bitmap& screen) {
    Census c;
    for (int y = 0; y < screen.height(); ++y)
        for (int x = 0; x < screen.width(); ++x) {
            const auto d = decode(screen.pixel(x, y));
            if (d.isNew) {
                ++c.fresh;
                const bool border = x == 0 || y == 0 || x == screen.width() - 1 || y == screen.height() - 1;
                if (!border) ++c.offBorder;
            } else if (d.x != x || d.y != y)
                ++c.oldMisplaced;
        }
    return c;
}

TEST(RegionJoin, EveryEffectStartsOnTheOldPictureAndEndsOnTheNew) {
    const std::pair<int, int> sizes[] = {{401, 301}, {300, 401}};
    for (auto [w, h] : sizes) {
        Canvas canvas(w, h);
        for (int n = 0; n < kEffectCount; ++n) {
            // The cut shows the new picture at its first frame.
            if (n == 0) continue;
            setRandomSeed(1234u + n);
            canvas.draw(n, 0);
            const Census at0 = census(canvas.screen);
            // Nothing moves at progress 0; what shows of the new picture is at most the one-pixel
            // copies some rectangle effects make along the picture's edges.
            EXPECT_EQ(at0.oldMisplaced, 0) << "effect " << n << " on " << w << "x" << h;
            EXPECT_EQ(at0.offBorder, 0) << "effect " << n << " on " << w << "x" << h;
            if (n > kLastRectangleEffect) {
                EXPECT_EQ(at0.fresh, 0) << "effect " << n << " on " << w << "x" << h;
            }

            canvas.draw(n, 100);
            EXPECT_TRUE(canvas.screen.samePixels(canvas.newFrame))
                << "effect " << n << " on " << w << "x" << h;
        }
    }
}

// The expected frame of a region effect: the old picture with the new one copied through R.
gfx::Bitmap oldOutsideNewInside(const gfx::Bitmap& oldFrame, const gfx::Bitmap& newFrame,
                                const gfx::Region& r) {
    gfx::Bitmap expected(oldFrame.width(), oldFrame.height());
    for (int y = 0; y < expected.height(); ++y)
        for (int x = 0; x < expected.width(); ++x)
            expected.setPixel(x, y, r.contains(x, y) ? newFrame.pixel(x, y) : oldFrame.pixel(x, y));
    return expected;
}

TEST(RegionJoin, FrameShowsTheNewPictureExactlyInsideTheRegion) {
    // One or two of each region family: arcs, lines, waves, triangles, swarms, random blocks.
    const int effects[] = {58, 83, 62, 93, 66, 104, 111, 117, 124, 127};
    const std::pair<int, int> sizes[] = {{401, 301}, {300, 401}};
    for (auto [w, h] : sizes)
        for (int n : effects)
            for (int progress : {13, 50, 87}) {
                Canvas canvas(w, h);
                canvas.ctx.Step = 4;
                const FrameValues v = computeFrameValues(w, h, progress, canvas.ctx.Step);
                setRandomSeed(99);
                const auto r = buildRegion(n, v);
                ASSERT_TRUE(r.has_value()) << n;
                const std::uint32_t seedAfterRegion = randomSeed();
                const gfx::Bitmap expected = oldOutsideNewInside(canvas.oldFrame, canvas.newFrame, *r);

                // Both ways of laying the old frame: outside the region only, and whole under a hook.
                for (bool hook : {false, true}) {
                    if (hook) canvas.ctx.OnBeforeNewFrame = [](gfx::Bitmap&, gfx::Bitmap&) {};
                    canvas.screen.fill({1, 2, 3});
                    setRandomSeed(99);
                    canvas.draw(n, progress);
                    EXPECT_TRUE(canvas.screen.samePixels(expected))
                        << "effect " << n << " at " << progress << " on " << w << "x" << h << " hook "
                        << hook;
                    // The frame drew the region's numbers once, no more.
                    EXPECT_EQ(randomSeed(), seedAfterRegion) << "effect " << n << " hook " << hook;
                }
            }
}

TEST(RegionJoin, RandomEffectsDrawFromTheGeneratorInEveryFrame) {
    const int randomEffects[] = {65, 79, 100, 109, 123, 124, 125, 126, 127};
    for (int n : randomEffects)
        for (int progress : {0, 50, 100}) {
            Canvas canvas(160, 120);
            const FrameValues v = computeFrameValues(160, 120, progress, canvas.ctx.Step);
            setRandomSeed(7);
            buildRegion(n, v);
            const std::uint32_t seedAfterRegion = randomSeed();
            // (A swarm whose front has reached the far edge has no swarm left to draw.)
            if (progress < 100) {
                ASSERT_NE(seedAfterRegion, 7u) << "effect " << n << " drew no number at " << progress;
            }
            setRandomSeed(7);
            canvas.draw(n, progress);
            EXPECT_EQ(randomSeed(), seedAfterRegion) << "effect " << n << " at " << progress;
        }
}

TEST(RegionJoin, SameSeedGivesTheSameFrameAndAnotherSeedAnother) {
    for (int n = 123; n <= 127; ++n) {
        Canvas a(401, 301), b(401, 301), c(401, 301);
        setRandomSeed(2026);
        a.draw(n, 40);
        setRandomSeed(2026);
        b.draw(n, 40);
        setRandomSeed(4052);
        c.draw(n, 40);
        EXPECT_TRUE(a.screen.samePixels(b.screen)) << "effect " << n;
        EXPECT_FALSE(a.screen.samePixels(c.screen)) << "effect " << n;
        EXPECT_GT(census(a.screen).fresh, 0) << "effect " << n;
    }
}

TEST(RegionJoin, PixelEffectsHalfWay) {
    // Cross-fade: each byte is old div 2 + new div 2, so white over white gives 254.
    gfx::Bitmap white(33, 17), grey(33, 17);
    white.fill({255, 255, 255});
    grey.fill({101, 7, 200});
    Canvas fade(white, white);
    fade.draw(118, 50);
    for (int y = 0; y < 17; ++y)
        for (int x = 0; x < 33; ++x) ASSERT_EQ(fade.screen.pixel(x, y), (gfx::Color{254, 254, 254}));
    Canvas mixed(white, grey);
    mixed.draw(118, 50);
    EXPECT_EQ(mixed.screen.pixel(5, 5), (gfx::Color{127 + 50, 127 + 3, 127 + 100}));

    // A rotation half-way shows both pictures, each pixel either old or some new source pixel.
    for (int n = kFirstRotationEffect; n <= kLastRotationEffect; ++n) {
        Canvas canvas(200, 150);
        canvas.draw(n, 50);
        int fresh = 0, old = 0;
        for (int y = 0; y < 150; ++y)
            for (int x = 0; x < 200; ++x) {
                const auto d = decode(canvas.screen.pixel(x, y));
                d.isNew ? ++fresh : ++old;
                if (!d.isNew) {
                    ASSERT_TRUE(d.x == x && d.y == y) << n;
                }
            }
        EXPECT_GT(fresh, 0) << n;
        EXPECT_GT(old, 0) << n;
    }
}

// Which columns a mirrored fold lands on: MirrorBlt onto D = (10, 0, 20, 1) of a 40-pixel row.
TEST(MirrorBltColumns, FoldLandsOnTheDestinationWidenedByOneAtTheMirroredEdge) {
    const gfx::Bitmap src = codedPicture(40, 1, true);
    gfx::Bitmap dst = codedPicture(40, 1, false);
    MirrorBlt(dst, {10, 0, 20, 1}, src, false, true, {0, 0, 10, 1});
    int first = -1, last = -1;
    for (int x = 0; x < 40; ++x)
        if (decode(dst.pixel(x, 0)).isNew) {
            if (first < 0) first = x;
            last = x;
        }
    std::printf("MirrorBlt onto [10, 20) covers columns [%d, %d)\n", first, last + 1);
    EXPECT_EQ(first, 9);
    EXPECT_EQ(last + 1, 21);
}

} // namespace
} // namespace vorlin::effects
