#pragma once
// Rectangle lists of the strip-shaped regions: 5-pixel lines, jittered wave bands, swarms and random
// blocks. Each builder appends the rectangles whose union is the region to `out`, in the order the
// rectangles are made; a region is then built from the whole list in one call. Rectangles may reach
// outside the picture and may be empty; both are harmless in a region.
//
// Modes of a pass (rows run from the right or left edge, columns from the bottom or top edge):
//   line: 0 none, 1 both passes from the right/bottom, 2 both from the left/top, 3 a comb (alternate lines
//         from both ends at once, single pass), 4 first pass from the left/top and second from the
//         right/bottom, 5 first from the right/bottom and second from the left/top;
//   wave: 0 none, 1 from the right/bottom, 2 from the left/top, 3 outward from the centre line,
//         4 inward from both ends.
// The wave, swarm and random-block builders draw from the shared generator (vorlin::random) in a fixed
// order, so a frame is reproducible from the generator's seed.

#include "base/geometry.h"

#include <vector>

namespace vorlin::effects::families {

// Lines 5 pixels high (rows) or wide (columns) on a 10-pixel pitch. xe and ye are the extents the
// passes reach: past W (or H) a pass is in its second phase, where every first-phase line is full and the
// lines in between grow. A first-phase line within snapBand of the full width jumps to it.
void makeLineRects(std::vector<Rect>& out, int xe, int ye, int w, int h, int rowMode, int columnMode,
                   int snapBand);

// Bands 5 + (H mod 5) pixels high (rows; 5 + (W mod 5) wide for columns) every 5 pixels, reaching the
// extent x (or y) with ends jittered by Random(A) − Random(A), A = W div 7 (H div 7) until the extent
// is complete.
void makeWaveRects(std::vector<Rect>& out, int x, int y, int w, int h, int rowMode, int columnMode);

// A front at the extent x (rows) or y (columns) followed by a swarm of random blocks ahead of it.
// Row mode 1 advances from the right, any other non-zero mode from the left; column mode 1 from the
// bottom, any other from the top.
void makeSwarmRects(std::vector<Rect>& out, int x, int y, int w, int rowMode, int columnMode, int h);

// Squares of side 2B centred on a grid of pitch B over the whole picture, each present with
// probability progress %; B = min(W, H) div 50 + progress div 10, at least 1.
void makeRandomBlockRects(std::vector<Rect>& out, int w, int h, int progress);

} // namespace vorlin::effects::families
