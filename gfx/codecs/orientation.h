#pragma once
// Turning a photo upright from its EXIF orientation (1..8), and finding that tag in an EXIF block.

#include "gfx/bitmap.h"

#include <cstddef>
#include <cstdint>

namespace vorlin::gfx {

// The orientation tag of an APP1 payload that starts with "Exif\0\0", or 1 when there is none or the
// block is malformed.
int exifOrientation(const std::uint8_t* data, std::size_t size);

// True for the orientations whose upright picture has width and height swapped (5..8).
constexpr bool orientationSwapsSides(int orientation) {
    return orientation >= 5 && orientation <= 8;
}

// The upright picture of `stored` for an orientation 1..8 (other values: a plain copy).
Bitmap applyOrientation(const Bitmap& stored, int orientation);

} // namespace vorlin::gfx
