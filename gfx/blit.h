#pragma once
// Rectangle copies between bitmaps, with the platform's SRCCOPY rules. Every source and destination
// rectangle is clipped to its bitmap: parts outside a buffer are simply not drawn.

#include "gfx/bitmap.h"

namespace vorlin::gfx {

// Copies the rectangle s of src unscaled to dst with its top-left at (dx, dy). dst and src may be the same
// bitmap (overlapping areas are handled).
void copyRect(Bitmap& dst, int dx, int dy, const Bitmap& src, const Rect& s);

// Stretch-copies src's rectangle (sx, sy, sw, sh) onto dst's rectangle (dx, dy, dw, dh), nearest
// neighbour as SRCCOPY stretching samples: on each axis, destination pixel j of the span reads source
// pixel floor((2j + 1) · |sw| / (2 |dw|)) of its span (the pixel under its centre). Each span is the
// rectangle side between its two ends, the far end exclusive. A negative dw (or dh) mirrors the copy
// horizontally (vertically): the destination then spans dx + dw .. dx − 1 (inclusive) and its first pixel,
// dx − 1, reads the first source pixel. So the platform's mirrored fold, origin D.Right + 1 and width
// (D.Left − 1) − (D.Right + 1), lands on D.Left − 1 .. D.Right: D widened by one pixel at each mirrored
// edge. A negative sw (sh) likewise reads sx − 1, sx − 2, ..., sx + sw. A destination pixel is drawn when
// it lies in dst and the source pixel it reads lies in src; clipping never changes which source pixel a
// drawn pixel reads. dst and src may be the same bitmap.
void stretchCopy(Bitmap& dst, int dx, int dy, int dw, int dh, const Bitmap& src, int sx, int sy, int sw,
                 int sh);

// The rectangle s of src stretched onto the rectangle d of dst.
inline void stretchCopy(Bitmap& dst, const Rect& d, const Bitmap& src, const Rect& s) {
    stretchCopy(dst, d.Left, d.Top, d.width(), d.height(), src, s.Left, s.Top, s.width(), s.height());
}

} // namespace vorlin::gfx
