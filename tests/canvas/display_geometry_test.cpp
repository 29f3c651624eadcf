// Where the canvas shows its buffer: aspect fit, centring and the mapping of dirty rectangles. Expected
// values are worked out by hand from the rules (MulDiv rounding halves away from zero, div truncating).
#include "show/canvas/display_geometry.h"

#include <gtest/gtest.h>

using vorlin::Rect;
using namespace vorlin::canvas;

TEST(DisplayGeometry, AspectFitRect) {
    struct Row {
        Rect s, t, expected;
    } rows[] = {
        // 100×50 into 200×150: the target is relatively taller (3 > 2), width fills, height 100, top 25.
        {{0, 0, 100, 50}, {0, 0, 200, 150}, {0, 25, 200, 125}},
        // 50×100 into 200×150: height fills, width 75, left (200−75) div 2 = 62.
        {{0, 0, 50, 100}, {0, 0, 200, 150}, {62, 0, 137, 150}},
        // Same aspect: fills exactly (equal ratios take the height branch).
        {{0, 0, 40, 30}, {0, 0, 400, 300}, {0, 0, 400, 300}},
        // 3×3 into 10×4: height fills, width 4, left 3; the target's offset is kept.
        {{5, 5, 8, 8}, {10, 20, 20, 24}, {13, 20, 17, 24}},
        // 640×480 into 101×100: width fills, height 101·480/640 = 75.75 → 76, top (100−76) div 2 = 12.
        {{0, 0, 640, 480}, {0, 0, 101, 100}, {0, 12, 101, 88}},
        // Empty source: nothing at the target's corner.
        {{0, 0, 0, 10}, {3, 4, 50, 50}, {3, 4, 3, 4}},
    };
    for (const Row& r : rows)
        EXPECT_EQ(aspectFitRect(r.s, r.t), r.expected) << r.s.Right << "x" << r.s.Bottom;
}

TEST(DisplayGeometry, DisplayRectCentresWithTruncatingHalves) {
    EXPECT_EQ(displayRect(100, 50, 200, 150, false), (Rect{0, 0, 100, 50}));
    EXPECT_EQ(displayRect(100, 50, 200, 150, true), (Rect{50, 50, 150, 100}));
    EXPECT_EQ(displayRect(100, 50, 201, 151, true), (Rect{50, 50, 150, 100}));
    // Larger than the control: offsets go negative and truncate toward zero ((99−100) div 2 = 0, (10−13) div
    // 2 = −1).
    EXPECT_EQ(displayRect(100, 13, 99, 10, true), (Rect{0, -1, 100, 12}));
}

TEST(DisplayGeometry, MapToClient) {
    const Rect client{0, 0, 200, 150};
    struct Row {
        const char* name;
        Rect r, display;
        bool center, stretch, fine;
        Rect expected;
    } rows[] = {
        {"plain: clipped to the display",
         {-5, 10, 120, 40},
         {0, 0, 100, 50},
         false,
         false,
         false,
         {0, 10, 100, 40}},
        {"centred: moved, then clipped",
         {0, 0, 100, 60},
         {50, 50, 150, 100},
         true,
         false,
         false,
         {50, 50, 150, 100}},
        {"centred part", {10, 5, 20, 15}, {50, 50, 150, 100}, true, false, false, {60, 55, 70, 65}},
        // Stretch over the client: x · 200/100, y · 150/50.
        {"stretch", {10, 5, 21, 15}, {50, 50, 150, 100}, true, true, false, {20, 15, 42, 45}},
        // Fine: onto (0,25)-(200,125), x · 2, y · 2 + 25.
        {"stretch fine", {1, 1, 3, 2}, {0, 0, 100, 50}, false, true, true, {2, 27, 6, 29}},
        {"stretch, empty display", {1, 1, 3, 2}, {0, 0, 0, 0}, false, true, false, {0, 0, 0, 0}},
    };
    for (const Row& r : rows)
        EXPECT_EQ(mapToClient(r.r, r.display, client, r.center, r.stretch, r.fine), r.expected) << r.name;

    // Rounding of the stretched edges: 3 × 150 / 100 = 4.5 → 5 (away from zero).
    EXPECT_EQ(mapToClient({3, 3, 3, 3}, {0, 0, 100, 100}, client, false, true, false).Left, 6);
    EXPECT_EQ(mapToClient({3, 3, 3, 3}, {0, 0, 100, 100}, client, false, true, false).Top, 5);
}
