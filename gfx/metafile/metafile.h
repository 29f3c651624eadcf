#pragma once
// WMF (placeable and plain) and EMF pictures, drawn from their records by our own rasteriser onto a
// transparent canvas: what the metafile does not paint has alpha 0, so that the picture loader's
// flatten step shows the control's colour there.
//
// Picture size: a placeable WMF's bounding box converted from its units per inch at 96 dpi; a plain
// WMF's window extent; an EMF's frame (0.01 mm) at 96 dpi, or its bounds when the frame is empty.
//
// A bad file gives a PictureError naming the file and the fault. A file that goes bad part of the way
// through (a truncated or broken record) gives the picture drawn up to there. Nested metafiles (in
// comments and escapes) are not followed. Decoding is safe on any thread; nothing is shared but the
// font look-up cache.

#include "gfx/codecs/decoded_picture.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace vorlin::gfx {

struct MetafileLimits {
    // Largest picture (in pixels) the decoder allocates; larger ones are a PictureError.
    long long maxPixels = kMaxPicturePixels;
    // Work the rasteriser may do before it stops drawing, leaving a partial picture: workBudget units plus
    // workPerPixel for each pixel of the picture, so that a large picture can be painted over several
    // times while a small one cannot keep the decoder busy for long. A unit is about one pixel filled
    // (at most about 3 ns in an optimised build); edges, line pixels, blends and the like count several. With
    // the defaults a file of a few million pixels takes at most about half a second in an optimised build
    // (several seconds under the sanitizers), the largest picture a few seconds; real drawings use well
    // under the budget (about one unit a pixel).
    long long workBudget = 200'000'000;
    long long workPerPixel = 5;
};

// Reads and decodes the file. Throws PictureError.
DecodedPicture decodeMetafile(const std::string& path);

// Decodes a metafile held in memory; `name` is used in error messages. Throws PictureError.
DecodedPicture decodeMetafileData(const std::uint8_t* data, std::size_t size, const std::string& name,
                                  const MetafileLimits& limits = {});

// True when the bytes start like a WMF (placeable or plain) or an EMF.
bool looksLikeMetafile(const std::uint8_t* data, std::size_t size);

} // namespace vorlin::gfx
