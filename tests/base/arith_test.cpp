#include "base/arith.h"
#include "base/geometry.h"

#include <gtest/gtest.h>

#include <climits>

using namespace vorlin;

TEST(MulDiv, RoundsHalvesAwayFromZero) {
    struct Row { int a, b, c, expected; };
    const Row rows[] = {
        {640, 37, 100, 237},   // 236.8
        {480, 37, 100, 178},   // 177.6
        {5, 1, 2, 3},          // 2.5 → 3
        {-5, 1, 2, -3},        // -2.5 → -3
        {5, -1, 2, -3},
        {-5, -1, 2, 3},
        {7, 1, 2, 4},          // 3.5 → 4
        {3, 1, 2, 2},          // 1.5 → 2
        {1, 1, 3, 0},
        {2, 1, 3, 1},
        {0, 1000, 7, 0},
        {INT_MAX, INT_MAX, INT_MAX, INT_MAX}, // needs the 64-bit intermediate
        {INT_MAX, 2, 1, -1},                  // overflow
        {1, 1, 0, -1},                        // division by zero
        {INT_MIN, 1, 1, INT_MIN},
    };
    for (const Row& r : rows)
        EXPECT_EQ(mulDiv(r.a, r.b, r.c), r.expected) << r.a << "*" << r.b << "/" << r.c;
}

TEST(RoundHalfEven, TakesHalvesToEvenNeighbour) {
    EXPECT_EQ(roundHalfEven(101.5), 102);
    EXPECT_EQ(roundHalfEven(51.5), 52);
    EXPECT_EQ(roundHalfEven(1.5), 2);
    EXPECT_EQ(roundHalfEven(2.5), 2);
    EXPECT_EQ(roundHalfEven(-2.5), -2);
    EXPECT_EQ(roundHalfEven(-3.5), -4);
    EXPECT_EQ(roundHalfEven(149.33), 149);
    EXPECT_EQ(roundHalfEven(2.5000001), 3);
}

TEST(DivTrunc, TruncatesTowardZero) {
    EXPECT_EQ(divTrunc(-7, 2), -3);
    EXPECT_EQ(divTrunc(7, -2), -3);
    EXPECT_EQ(modTrunc(-7, 2), -1);
}

TEST(Rect, EmptyIntersectionAndSize) {
    const Rect a{0, 0, 10, 10}, b{5, 5, 20, 20};
    EXPECT_EQ(intersect(a, b), (Rect{5, 5, 10, 10}));
    EXPECT_TRUE(intersect(a, Rect{10, 0, 20, 10}).isEmpty()); // right edge exclusive
    EXPECT_TRUE((Rect{3, 3, 3, 9}).isEmpty());
    EXPECT_FALSE(a.contains(10, 5));
    EXPECT_TRUE(a.contains(9, 9));
}
