#pragma once
// What every picture decoder gives: 24-bit pixels plus, for formats that can be transparent (GIF, ICO,
// PNG, WebP, metafiles), an alpha plane that the flatten step uses to draw the picture onto a colour.

#include "gfx/bitmap.h"

#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

namespace vorlin::gfx {

// A picture that cannot be loaded. The message names the file and what was wrong with it.
struct PictureError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

struct DecodedPicture {
    Bitmap pixels;
    // width × height bytes, row by row, no padding: 0 transparent … 255 opaque. Empty: fully opaque.
    std::vector<std::uint8_t> alpha;
    // The picture's own size when the decoder gave it at a reduced scale (a JPEG decoded for a small
    // box); 0 when `pixels` has the full size.
    int fullWidth = 0;
    int fullHeight = 0;
};

// Limits that keep a hostile file from taking the machine; decoders check them before allocating.
inline constexpr int kMaxPictureSide = 32768;
inline constexpr long long kMaxPicturePixels = 200'000'000;
// Files beyond this size are not read at all (an uncompressed 32-bit picture at the pixel limit is 800 MB).
inline constexpr long long kMaxPictureFileBytes = 1LL << 30;

} // namespace vorlin::gfx
