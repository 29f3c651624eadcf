#pragma once
// The device-independent bitmap reader that BMP files and BMP icon entries share (internal).

#include "gfx/codecs/codecs.h"

#include <cstddef>
#include <optional>

namespace vorlin::gfx::detail {

// Decodes a DIB that starts with its info header at the start of `dib`. `bitsOffset` is where the pixel
// data starts within `dib` (a BMP file header says so); without it the pixels follow the colour table.
// An icon entry's header counts the AND mask in its height; the mask then becomes the alpha plane.
DecodedPicture decodeDib(ByteSpan dib, std::optional<std::size_t> bitsOffset, bool iconEntry,
                         const std::string& name, const DecodeLimits& limits);

// Width, height and bits per pixel from a DIB's info header, for choosing among icon entries.
struct DibShape {
    int width = 0;
    int height = 0;
    int bitCount = 0;
};
std::optional<DibShape> peekDib(ByteSpan dib, bool iconEntry);

} // namespace vorlin::gfx::detail
