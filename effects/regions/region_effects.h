#pragma once
// The entry points through which the effect engine draws effects 58–127:
//   - region effects (arcs 58, 59, 69, 70, 80–85; lines 60–64, 71–75, 86–99; waves 65–68, 76–79,
//     100–109; triangles 110–117; swarms 123–126; random blocks 127): buildRegion gives the clip region
//     R for the frame, and the engine draws the new frame through it (gfx::copyThroughRegion) for
//     progress 1..99;
//   - per-pixel effects (cross-fade 118, rotations 119–122): drawPixelEffect writes the frame into the
//     screen buffer, which must hold the old frame when it is called.
// Every effect is one row of a table (region_effects.cpp): a family routine and its parameters.
// The random effects draw from the shared generator (vorlin::random) in a fixed order, so a frame is
// reproducible from the generator's seed. Main thread only, like the rest of the engine.

#include "effects/frame_values.h"
#include "gfx/bitmap.h"
#include "gfx/region.h"

#include <optional>

namespace vorlin::effects::regions {

inline constexpr int kFirstEffect = 58;
inline constexpr int kLastEffect = 127;

bool isRegionEffect(int effect);
bool isPixelEffect(int effect);

// The clip region of a region effect for this frame (W, H, X, Y, Band and progress are read), clipped
// to the picture; std::nullopt for any other effect number. A frame whose builder makes no rectangle (a
// random-block frame where no block came up) gets the empty region: nothing of the new picture shows.
std::optional<gfx::Region> buildRegion(int effect, const FrameValues& v);

// Draws a per-pixel effect for this frame's progress into screen (which holds the old frame) from
// newFrame; returns false, drawing nothing, for any other effect number.
bool drawPixelEffect(int effect, const FrameValues& v, const gfx::Bitmap& newFrame, gfx::Bitmap& screen);

} // namespace vorlin::effects::regions
