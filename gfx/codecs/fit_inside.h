#pragma once
// The fit-inside rule: a picture larger than a box in either direction is shrunk, keeping its aspect,
// so that it fits the box; the side that limits is the one whose overshoot (picture − box) / box is the
// larger (width wins only when strictly larger), and the other side is rounded, halves to even.

#include "gfx/bitmap.h"

namespace vorlin::gfx {

struct PictureSize {
    int width = 0;
    int height = 0;
    constexpr bool operator==(const PictureSize&) const = default;
};

// The size a width × height picture gets in a boxWidth × boxHeight box. Unchanged when it already fits
// or when the box has no area. A side that would round to 0 becomes 1, so a very thin picture never
// becomes empty.
PictureSize fitInsideSize(int width, int height, int boxWidth, int boxHeight);

// Applies the rule to a picture: stretches it into a new bitmap of the fitted size, first filled with
// `fill`. Does nothing when the picture fits.
void fitInside(Bitmap& picture, int boxWidth, int boxHeight, Color fill);

// a × b / c rounded to the nearest integer, halves to even (a, b, c > 0).
long long mulDivHalfEven(long long a, long long b, long long c);

} // namespace vorlin::gfx
