#pragma once
// The per-pixel effects: the cross-fade (118) and the rotations about a corner (119–122). Both write
// straight into the screen buffer, which holds the old frame when they are called, and read the new
// frame; both walk only the part the two bitmaps have in common.

#include "gfx/bitmap.h"

namespace vorlin::effects::families {

// Every byte: screen := screen · (100 − p) div 100 + new · p div 100, each product divided on its own
// (so 255 and 255 at 50 % give 254). progress is clamped to 0..100.
void blendBitmaps(gfx::Bitmap& screen, const gfx::Bitmap& newFrame, int progress);

// Every screen pixel (o, i) takes the new frame's pixel (u, v) with
//   u = cx + Round(dx·cos θ − dy·sin θ),  v = cy + Round(dx·sin θ + dy·cos θ),  dx = o − cx, dy = i − cy,
// Round to the nearest integer with ties to even, when (u, v) lies inside the screen buffer; other
// pixels keep the old frame.
void rotateBitmap(gfx::Bitmap& screen, const gfx::Bitmap& newFrame, int cx, int cy, double angle);

// The rotation's angle at a progress: (100 − p)·π/200, a quarter turn at 0 and none at 100.
double rotationAngle(int progress);

} // namespace vorlin::effects::families
