// Monitor geometry of a show on several monitors: the spanning box, each monitor's part of it, and which
// monitor a host's window lies on, in which place.
#include "show/windows/monitor_layout.h"

#include <gtest/gtest.h>

#include <vector>

using namespace vorlin;
using namespace vorlin::showwindows;

namespace {
Rect at(int x, int y, int w, int h) {
    return Rect{x, y, x + w, y + h};
}
} // namespace

TEST(MonitorLayout, BoxHoldsEveryMonitorAndPartsTileIt) {
    // A 1280×720 monitor left of a taller 1024×768 one, and one above the second at an offset.
    const std::vector<Rect> monitors = {at(0, 100, 1280, 720), at(1280, 0, 1024, 768),
                                        at(1400, -600, 800, 600)};
    const Rect box = boundingBox(monitors);
    EXPECT_EQ(box, (Rect{0, -600, 2304, 820}));
    EXPECT_EQ(spanPart(monitors[0], box), at(0, 700, 1280, 720));
    EXPECT_EQ(spanPart(monitors[1], box), at(1280, 600, 1024, 768));
    EXPECT_EQ(spanPart(monitors[2], box), at(1400, 0, 800, 600));
    // Parts lie inside the box's canvas and keep the monitors' sizes and relative places.
    for (const Rect& m : monitors) {
        const Rect part = spanPart(m, box);
        EXPECT_EQ(intersect(part, rectOfSize(box.width(), box.height())), part);
    }
    EXPECT_TRUE(boundingBox({}).isEmpty());
    EXPECT_EQ(boundingBox({Rect{}, at(5, 5, 10, 10)}), at(5, 5, 10, 10)); // an empty monitor is no monitor
}

TEST(MonitorLayout, PlacesRunLeftToRightThenTopToBottom) {
    // Listed out of order: right, left-bottom, left-top.
    const std::vector<Rect> monitors = {at(1920, 0, 1920, 1080), at(0, 1080, 1920, 1080),
                                        at(0, 0, 1920, 1080)};
    EXPECT_EQ(positionRank(monitors, 2), 0);
    EXPECT_EQ(positionRank(monitors, 1), 1);
    EXPECT_EQ(positionRank(monitors, 0), 2);
    // Two monitors at one place (mirrored outputs) keep the listed order.
    const std::vector<Rect> mirrored = {at(0, 0, 800, 600), at(0, 0, 800, 600)};
    EXPECT_EQ(positionRank(mirrored, 0), 0);
    EXPECT_EQ(positionRank(mirrored, 1), 1);
}

TEST(MonitorLayout, WindowBelongsToTheMonitorHoldingItsCentre) {
    const std::vector<Rect> monitors = {at(0, 0, 1280, 720), at(1280, 0, 1280, 720)};
    struct Row {
        Rect window;
        int monitor;
    };
    for (const Row& r : {Row{at(0, 0, 1280, 720), 0}, Row{at(1280, 0, 1280, 720), 1},
                         Row{at(1000, 0, 600, 400), 1},    // centre at x 1300
                         Row{at(-500, -500, 600, 600), 0}, // centre off every monitor: most overlap
                         Row{at(5000, 5000, 10, 10), -1}}) // meets none
        EXPECT_EQ(monitorOf(r.window, monitors), r.monitor)
            << r.window.Left << "," << r.window.Top << " " << r.window.width() << "x" << r.window.height();
    EXPECT_EQ(monitorOf(at(0, 0, 10, 10), {}), -1);
}
