// Pan and zoom plans without Qt: every view stays inside its picture and zooms within 1..1.15, a drift
// ends on the framing its plan names, and the chooser covers every drift with two draws of the shared
// generator.
#include "show/canvas/pan_zoom.h"

#include "base/random.h"

#include <gtest/gtest.h>

#include <cmath>
#include <set>
#include <tuple>

using namespace vorlin;
using namespace vorlin::canvas;

namespace {

void expectInside(const gfx::ViewRect& v, int w, int h, const char* what, double t) {
    constexpr double eps = 1e-9;
    EXPECT_GE(v.x, -eps) << what << " t=" << t;
    EXPECT_GE(v.y, -eps) << what << " t=" << t;
    EXPECT_LE(v.x + v.width, w + eps) << what << " t=" << t;
    EXPECT_LE(v.y + v.height, h + eps) << what << " t=" << t;
    // Zoom 1..1.15, the same in both directions (the picture keeps its proportions).
    EXPECT_GE(w / v.width, 1 - eps) << what << " t=" << t;
    EXPECT_LE(w / v.width, kDriftZoomMax + eps) << what << " t=" << t;
    EXPECT_NEAR(w / v.width, h / v.height, 1e-9) << what << " t=" << t;
}

TEST(PanZoomPlan, EveryViewStaysInsideThePictureAndZoomsWithinRange) {
    struct Row {
        const char* name;
        TDriftPlan plan;
    };
    const Row rows[] = {
        {"zoom in to a corner", {1, kDriftZoomMax, 0.5, 0.5, 1, 1}},
        {"zoom out from a corner", {kDriftZoomMax, 1, 0, 0, 1, 1}},
        {"pan at the deepest zoom", {kDriftZoomMax, kDriftZoomMax, 0, 1, 1, 0}},
        {"out of range: clamped", {0.5, 3.0, -2, 7, 9, -1}},
        {"not a number: clamped", {NAN, NAN, NAN, 0, 1, NAN}},
    };
    for (const Row& row : rows)
        for (const auto& [w, h] : {std::pair{1920, 1080}, std::pair{3, 1000}, std::pair{1, 1}})
            for (int i = -2; i <= 102; ++i) {
                const double t = i / 100.0;
                expectInside(viewAt(row.plan, w, h, t), w, h, row.name, t);
            }
    EXPECT_EQ(viewAt(rows[0].plan, 0, 10, 0.5), gfx::ViewRect{});
}

TEST(PanZoomPlan, StartsAndEndsOnThePlansFramingsAtRestAndMovesBetween) {
    // 230 × 115: the deepest zoom shows 200 × 100 of it.
    const TDriftPlan in{1, kDriftZoomMax, 0.5, 0.5, 1, 1};
    const gfx::ViewRect start = viewAt(in, 230, 115, 0), end = viewAt(in, 230, 115, 1);
    EXPECT_NEAR(start.x, 0, 1e-9);
    EXPECT_NEAR(start.width, 230, 1e-9);
    EXPECT_NEAR(start.height, 115, 1e-9);
    EXPECT_NEAR(end.x, 30, 1e-9); // bottom-right corner of the spare area
    EXPECT_NEAR(end.y, 15, 1e-9);
    EXPECT_NEAR(end.width, 200, 1e-9);
    EXPECT_NEAR(end.height, 100, 1e-9);
    // Times past either end hold it.
    EXPECT_EQ(viewAt(in, 230, 115, -1), start);
    EXPECT_EQ(viewAt(in, 230, 115, 5), end);

    // Eased: the first and the last hundredth move far less than one in the middle; the zoom grows all
    // the way (never back), and halfway it is halfway on a geometric scale.
    auto width = [&](double t) { return viewAt(in, 230, 115, t).width; };
    const double edgeStep = width(0) - width(0.01), middleStep = width(0.495) - width(0.505);
    EXPECT_LT(edgeStep, middleStep / 10);
    EXPECT_LT(width(1) - width(0.99), middleStep / 10);
    for (int i = 1; i <= 100; ++i) EXPECT_LT(width(i / 100.0), width((i - 1) / 100.0));
    EXPECT_NEAR(230 / width(0.5), std::sqrt(kDriftZoomMax), 1e-9);
}

TEST(PanZoomPlan, ChooserDrawsTwiceAndCoversEveryDirectionBothWays) {
    std::set<std::tuple<double, double, double, double, double, double>> seen;
    setRandomSeed(12345);
    for (int i = 0; i < 400; ++i) {
        const std::uint32_t before = randomSeed();
        const TDriftPlan plan = chooseDrift();
        const std::uint32_t after = randomSeed();
        // Exactly two draws: the generator is where two calls of random() leave it.
        setRandomSeed(before);
        random(2);
        random(8);
        EXPECT_EQ(randomSeed(), after);
        // One end whole, the other at the deepest zoom, on opposite sides of the centre.
        EXPECT_TRUE((plan.zoomFrom == 1 && plan.zoomTo == kDriftZoomMax) ||
                    (plan.zoomFrom == kDriftZoomMax && plan.zoomTo == 1));
        EXPECT_DOUBLE_EQ(plan.fromX + plan.toX, 1);
        EXPECT_DOUBLE_EQ(plan.fromY + plan.toY, 1);
        EXPECT_FALSE(plan.fromX == 0.5 && plan.fromY == 0.5) << "a drift that only zooms to the centre";
        seen.insert({plan.zoomFrom, plan.zoomTo, plan.fromX, plan.fromY, plan.toX, plan.toY});
    }
    EXPECT_EQ(seen.size(), 16u); // in or out × eight directions
}

} // namespace
