#include "effects/frame_values.h"

#include <gtest/gtest.h>

namespace vorlin::effects {
namespace {

TEST(FrameValues, ExtentsScaleTheLongerSideFirst) {
    struct Row {
        int w, h, progress, step, x, y, band;
    };
    const Row rows[] = {
        {640, 480, 37, 4, 237, 178, 28}, // 236.8 → 237, then 237·480/640 = 177.75 → 178
        {480, 640, 37, 4, 178, 237, 28}, // portrait: Y first
        {400, 400, 50, 4, 200, 200, 18}, // square counts as landscape; 400·4/90 = 17.8
        {640, 480, 0, 4, 0, 0, 28},       {640, 480, 100, 4, 640, 480, 28},
        {640, 480, 37, 10, 237, 178, 71}, {301, 401, 1, 1, 3, 4, 4}, // 4.01 → 4, then 4·301/401 = 3.0
        {1, 1, 50, 4, 1, 1, 0},                                      // halves go away from zero
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(::testing::Message()
                     << r.w << "x" << r.h << " at " << r.progress << ", step " << r.step);
        const FrameValues v = computeFrameValues(r.w, r.h, r.progress, r.step);
        EXPECT_EQ(v.X, r.x);
        EXPECT_EQ(v.Y, r.y);
        EXPECT_EQ(v.Band, r.band);
        EXPECT_EQ(v[Q::X], r.x);
        EXPECT_EQ(v[Q::Y], r.y);
    }
}

TEST(FrameValues, FoldGrowsHoldsAndShrinks) {
    // On a 400-wide picture the fold is half the wipe for the first fifth (X < 80), a tenth of the width
    // in the middle, and half of what is left over the last fifth.
    struct Row {
        int progress, fold;
    };
    const Row rows[] = {{0, 0},   {10, 20}, {19, 38}, {20, 40}, {50, 40},
                        {80, 40}, {81, 38}, {95, 10}, {100, 0}};
    for (const Row& r : rows) {
        const FrameValues v = computeFrameValues(400, 300, r.progress, 4);
        EXPECT_EQ(v[Q::E], r.fold) << "progress " << r.progress;
    }
    // The vertical fold follows Y and H the same way.
    EXPECT_EQ(computeFrameValues(300, 400, 50, 4)[Q::EV], 40);
    EXPECT_EQ(computeFrameValues(300, 400, 10, 4)[Q::EV], 20);
}

} // namespace
} // namespace vorlin::effects
