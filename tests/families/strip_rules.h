#pragma once
// Test helper: which pixels line and wave passes cover, as per-pixel rules read off the effects'
// descriptions (lines every 10 pixels, 5 wide; wave fronts within their jitter).

namespace vorlin::effects::families::testing {

// Whether a row pass covers (x, y): lines start every 10 rows and are 5 rows high; the first phase draws
// the lines at 0, 10, 20, ... from the mode's edge, the second phase keeps them full and grows the ones
// in between from the second pass's edge.
inline bool rowPassCovers(int mode, int e, int w, int snap, int x, int y) {
    const bool firstSet = y % 10 < 5;
    if (mode == 0) return false;
    if (e > w) {
        if (firstSet) return true;
        if (mode == 1 || mode == 4) return x >= w - (e - w);
        if (mode == 2 || mode == 5) return x < e - w;
        return false;
    }
    const int reach = e + snap > w ? w : e;
    const bool fromRight = x >= w - reach;
    const bool fromLeft = x < reach;
    switch (mode) {
    case 1:
    case 5:
        return firstSet && fromRight;
    case 2:
    case 4:
        return firstSet && fromLeft;
    case 3:
        return firstSet ? fromRight : fromLeft;
    default:
        return false;
    }
}

// A column pass is a row pass on the transposed picture.
inline bool columnPassCovers(int mode, int e, int h, int snap, int x, int y) {
    return rowPassCovers(mode, e, h, snap, y, x);
}

// What a row pass must and must not cover at (x, y) whatever the jitter (|j| < a): +1 / −1 slack for
// the halving in modes 3 and 4. Column passes use the same rule on the transposed picture.
struct Sure {
    bool isNew, isOld;
};
inline Sure rowWave(int mode, int e, int w, int x) {
    const int a = e < w ? w / 7 : 0;
    const int m = a > 0 ? a - 1 : 0; // largest |j|
    switch (mode) {
    case 1:
        return {x >= w - e + m, x < w - e - m};
    case 2:
        return {x < e - m, x >= e + m};
    case 3:
        return {x >= (w - e + m) / 2 + 1 && x < (w + e - m) / 2 - 1,
                x < (w - e - m) / 2 - 1 || x >= (w + e + m) / 2 + 1};
    case 4: {
        const int innerNew = (e - m) / 2 - 1, outerOld = (e + m) / 2 + 1;
        return {x < innerNew || x >= w - innerNew, x >= outerOld && x < w - outerOld};
    }
    default:
        return {false, true};
    }
}

} // namespace vorlin::effects::families::testing
