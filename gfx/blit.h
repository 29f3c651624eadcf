#pragma once
// Rectangle copies between bitmaps, with the platform's SRCCOPY rules. Every source and destination
// rectangle is clipped to its bitmap: parts outside a buffer are simply not drawn.

#include "gfx/bitmap.h"

namespace vorlin::gfx {

// Copies the rectangle s of src unscaled to dst with its top-left at (dx, dy).
void copyRect(Bitmap& dst, int dx, int dy, const Bitmap& src, const Rect& s);

// Stretch-copies src's rectangle (sx, sy, sw, sh) onto dst's rectangle (dx, dy, dw, dh), nearest
// neighbour as SRCCOPY stretching samples. A negative dw (or dh) mirrors the copy horizontally (vertically):
// the destination then spans dx + dw + 1 .. dx (inclusive), which is how a mirrored fold lands one pixel
// wider at its mirrored edge.
void stretchCopy(Bitmap& dst, int dx, int dy, int dw, int dh, const Bitmap& src, int sx, int sy, int sw, int sh);

// The whole of src stretched onto the rectangle d of dst.
inline void stretchCopy(Bitmap& dst, const Rect& d, const Bitmap& src, const Rect& s) {
    stretchCopy(dst, d.Left, d.Top, d.width(), d.height(), src, s.Left, s.Top, s.width(), s.height());
}

} // namespace vorlin::gfx
