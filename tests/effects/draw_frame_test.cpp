#include "effect_pictures.h"
#include "effects/catalogue.h"
#include "effects/draw_frame.h"
#include "effects/effect_table.h"

#include "base/random.h"
#include "gfx/blit.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace vorlin::effects {
namespace {

using testing::codedPicture;
using testing::decode;

std::string str(const Rect& r) {
    return std::to_string(r.Left) + "," + std::to_string(r.Top) + "," + std::to_string(r.Right) + "," +
           std::to_string(r.Bottom);
}

// A canvas stand-in that records what the engine calls, in order.
struct Recorder {
    gfx::Bitmap oldFrame, newFrame, screen;
    int progress = 0;
    std::vector<std::string> calls;
    FrameContext ctx;

    Recorder(int w, int h)
        : oldFrame(codedPicture(w, h, false)), newFrame(codedPicture(w, h, true)),
          screen(w, h), ctx{screen, oldFrame, newFrame} {
        ctx.OnBeforeNewFrame = [this](gfx::Bitmap& picture, gfx::Bitmap& scr) {
            calls.push_back(std::string("before") +
                            (&picture == &newFrame && &scr == &screen ? "" : " wrong args") +
                            (scr.samePixels(oldFrame) ? " old" : " not-old"));
        };
        ctx.OnAfterNewFrame = [this](gfx::Bitmap&, gfx::Bitmap&) { calls.push_back("after"); };
        ctx.InvalidateFrameRect = [this](const Rect& r) { calls.push_back("invalidate " + str(r)); };
        ctx.Update = [this] { calls.push_back("update"); };
    }

    FrameResult draw(int style, int p, bool reverse = false) {
        calls.clear();
        ctx.FProgress = p;
        ctx.Style = style;
        ctx.Reverse = reverse;
        const FrameResult r = DrawFrame(ctx);
        progress = r.progress;
        EXPECT_EQ(ctx.FProgress, r.progress);
        return r;
    }
};

TEST(DrawFrame, CallsHooksInvalidatesAndRepaintsInOrder) {
    struct Row {
        int effect, progress;
        std::vector<std::string> calls;
    };
    // 400×300: at 50 X = 200, Y = 150, the fold is 40 wide.
    const Row rows[] = {
        {5, 50, {"before old", "invalidate 0,0,200,300", "after", "update"}},
        {12, 50, {"before old", "invalidate 0,0,101,300", "invalidate 299,0,400,300", "after", "update"}},
        {14, 50, {"before old", "invalidate 200,0,240,300", "invalidate 0,0,200,300", "after", "update"}},
        {3,
         50,
         {"before old", "invalidate 200,0,600,300", "after", "update"}}, // the whole of D, past the edge
        {54,
         50,
         {"before old", "invalidate 0,0,400,75", "invalidate 0,225,400,300", "invalidate 0,0,100,300",
          "invalidate 300,0,400,300", "after", "update"}},
        {0, 50, {"before old", "invalidate 0,0,400,300", "after", "update"}},
        {5, 100, {"before old", "invalidate 0,0,400,300", "after", "update"}},
    };
    for (const Row& r : rows) {
        Recorder rec(400, 300);
        rec.draw(r.effect, r.progress);
        EXPECT_EQ(rec.calls, r.calls) << "effect " << r.effect << " at " << r.progress;
    }
}

TEST(DrawFrame, NoRepaintWhilePaintingAndUnassignedHooksAreSkipped) {
    Recorder rec(40, 30);
    rec.ctx.FPainting = true;
    rec.draw(5, 50);
    EXPECT_EQ(rec.calls.back(), "after");

    gfx::Bitmap o = codedPicture(40, 30, false), n = codedPicture(40, 30, true), s(40, 30);
    FrameContext bare{s, o, n};
    bare.FProgress = 50;
    bare.Style = 5;
    DrawFrame(bare); // no hooks at all
    EXPECT_TRUE(decode(s.pixel(0, 0)).isNew);
    EXPECT_FALSE(decode(s.pixel(39, 0)).isNew);
}

TEST(DrawFrame, CutShowsNewPictureAndEndsTheRunInEitherDirection) {
    for (bool reverse : {false, true}) {
        Recorder rec(31, 17);
        const int start = reverse ? 96 : 4;
        const FrameResult r = rec.draw(0, start, reverse);
        EXPECT_TRUE(rec.screen.samePixels(rec.newFrame)) << "reverse " << reverse;
        EXPECT_EQ(rec.progress, 100);
        EXPECT_TRUE(r.runEnded) << "reverse " << reverse;
    }
}

TEST(DrawFrame, CustomDrawReplacesTheCut) {
    Recorder rec(20, 10);
    int calls = 0;
    rec.ctx.OnCustomDraw = [&](gfx::Bitmap& picture, gfx::Bitmap& screen) {
        ++calls;
        EXPECT_EQ(&picture, &rec.newFrame);
        screen.fillRect({0, 0, 5, 5}, {1, 2, 3});
    };
    const FrameResult r = rec.draw(0, 40);
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(rec.progress, 40); // the run goes on
    EXPECT_FALSE(r.runEnded);
    EXPECT_EQ(rec.screen.pixel(2, 2), (gfx::Color{1, 2, 3})); // nothing drawn over the handler's frame
    EXPECT_EQ(decode(rec.screen.pixel(10, 5)).isNew, false);  // the rest is the old frame
}

TEST(DrawFrame, RunEndsAtTheEndOfItsDirection) {
    struct Row {
        int progress;
        bool reverse, ended;
    };
    const Row rows[] = {
        {100, false, true}, {96, false, false}, {0, true, true}, {4, true, false}, {100, true, false}};
    for (const Row& r : rows) {
        Recorder rec(10, 10);
        EXPECT_EQ(rec.draw(5, r.progress, r.reverse).runEnded, r.ended)
            << r.progress << (r.reverse ? " reverse" : " forward");
    }
}

TEST(DrawFrame, ReversedRunEndsOnTheOldPicture) {
    Recorder rec(41, 23);
    FrameResult r;
    for (int p = 100; !r.runEnded; p = std::max(p - 6, 0)) {
        r = rec.draw(45, p, true);
        if (p == 100) {
            EXPECT_TRUE(rec.screen.samePixels(rec.newFrame));
        }
    }
    EXPECT_EQ(rec.progress, 0);
    EXPECT_TRUE(rec.screen.samePixels(rec.oldFrame));
}

TEST(DrawFrame, EveryEffectEndsOnTheNewPictureAtAnySize) {
    // Tiny and odd pictures reach every formula's corner cases (W div 20 = 0, one-pixel halves); the
    // sanitizer builds check that nothing is drawn outside a buffer.
    const std::pair<int, int> sizes[] = {{1, 1}, {2, 3}, {19, 7}, {7, 19}, {64, 48}};
    for (auto [w, h] : sizes) {
        for (int n = 0; n < kEffectCount; ++n) {
            Recorder rec(w, h);
            for (int p = 0; p < 100; p += 11) rec.draw(n, p);
            rec.draw(n, 100);
            EXPECT_TRUE(rec.screen.samePixels(rec.newFrame)) << "effect " << n << " on " << w << "x" << h;
        }
    }
}

// The end of a reversed run (progress 0) is the old frame whole, for every effect: the partial copies
// some rectangle effects make at 0 (a row or a column of the new frame) do not stay on screen.
TEST(DrawFrame, EveryReversedRunEndsOnTheWholeOldFrame) {
    const std::pair<int, int> sizes[] = {{1, 1}, {19, 7}, {7, 19}, {64, 48}};
    for (auto [w, h] : sizes) {
        for (int n = 1; n < kEffectCount; ++n) {
            Recorder rec(w, h);
            for (int p = 100; p > 0; p -= 11) rec.draw(n, p, true);
            EXPECT_TRUE(rec.draw(n, 0, true).runEnded);
            EXPECT_TRUE(rec.screen.samePixels(rec.oldFrame)) << "effect " << n << " on " << w << "x" << h;
        }
    }
}

TEST(DrawFrame, StyleOutsideTheTableIsACut) {
    Recorder rec(12, 8);
    EXPECT_TRUE(rec.draw(200, 30).runEnded);
    EXPECT_TRUE(rec.screen.samePixels(rec.newFrame));
    EXPECT_TRUE(rec.draw(-1, 30).runEnded);
}

TEST(MirrorBlt, MirrorsIntoTheDestinationAndClipsTheSource) {
    const gfx::Bitmap src = codedPicture(100, 20, true);
    gfx::Bitmap dst(100, 20);
    MirrorBlt(dst, {10, 0, 20, 20}, src, false, true, {30, 0, 40, 20});
    // Inside the destination the columns run backwards through the source span.
    int previous = 1000;
    for (int x = 10; x < 20; ++x) {
        const auto d = decode(dst.pixel(x, 5));
        ASSERT_TRUE(d.isNew) << x;
        EXPECT_GE(d.x, 30);
        EXPECT_LT(d.x, 40);
        EXPECT_LE(d.x, previous);
        EXPECT_EQ(d.y, 5);
        previous = d.x;
    }
    EXPECT_GT(decode(dst.pixel(10, 5)).x, decode(dst.pixel(19, 5)).x);
    EXPECT_FALSE(decode(dst.pixel(5, 5)).isNew);
    EXPECT_FALSE(decode(dst.pixel(25, 5)).isNew);

    // Vertically, with a source running past the bitmap: only rows 15..19 are read.
    gfx::Bitmap dst2(100, 20);
    MirrorBlt(dst2, {0, 2, 100, 8}, src, true, false, {0, 15, 100, 30});
    for (int y = 2; y < 8; ++y) {
        const auto d = decode(dst2.pixel(50, y));
        ASSERT_TRUE(d.isNew) << y;
        EXPECT_GE(d.y, 15);
        EXPECT_LE(d.y, 19);
    }
    EXPECT_GT(decode(dst2.pixel(50, 2)).y, decode(dst2.pixel(50, 7)).y);
}

// (That every number 0..127 has one row is checked where the table is built, at compile time.)
TEST(Catalogue, FamiliesMatchTheGroups) {
    int count[10] = {};
    for (int n = 0; n < kEffectCount; ++n) ++count[static_cast<int>(effectRow(n).family())];
    auto of = [&](Family f) { return count[static_cast<int>(f)]; };
    auto group = [](std::string_view caption) {
        for (const auto& g : kEffectGroups)
            if (g.caption == caption) return g.leafCount;
        return -1;
    };
    EXPECT_EQ(of(Family::Rectangle),
              group("Regular Wiping") + group("Slide Wiping") + group("Expand Show") + group("Corner Slide"));
    EXPECT_EQ(of(Family::Arc), group("Arc Wiping"));
    EXPECT_EQ(of(Family::Triangle), group("Cross Wiping") + 1); // the triangle grid sits in Miscellaneous
    EXPECT_EQ(of(Family::Wave), group("Random Wave"));
    EXPECT_EQ(of(Family::Line), group("Box Line") + group("Blind Show"));
    EXPECT_EQ(of(Family::Rotation), group("Splash Show"));
    EXPECT_EQ(of(Family::Swarm), group("Swarm Show"));
    EXPECT_EQ(of(Family::CrossFade) + of(Family::RandomBlock) + 1, group("Miscellaneous"));
    int leaves = 0;
    for (const auto& g : kEffectGroups) leaves += g.leafCount;
    EXPECT_EQ(leaves, 127);
}

} // namespace
} // namespace vorlin::effects
