#pragma once
// Device-independent bitmaps as metafiles embed them: a BITMAPINFOHEADER (or V4/V5, or the old
// BITMAPCOREHEADER), a colour table, then the pixel rows bottom-up (top-down for a negative height).
// Every size and offset is checked against the bytes actually present before anything is read.

#include "gfx/bitmap.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace vorlin::gfx::metafile {

// Decodes a DIB whose header (and colour table) lie in [info, info + infoSize) and whose pixel rows lie in
// [bits, bits + bitsSize). With bits == nullptr the rows follow the colour table inside the info bytes (a
// packed DIB, as WMF records carry them). usage is DIB_RGB_COLORS (0) or DIB_PAL_COLORS (1). 1, 4, 8, 16,
// 24 and 32 bits per pixel, uncompressed or with bit fields. Returns an empty bitmap for a header it cannot
// use or rows that the data does not hold.
// With `alpha`, a 32-bit DIB's fourth byte (or its alpha mask) is stored there, one byte per pixel in the
// bitmap's top-down order; other depths leave it empty.
Bitmap decodeDib(const std::uint8_t* info, std::size_t infoSize, const std::uint8_t* bits,
                 std::size_t bitsSize, std::uint32_t usage, std::vector<std::uint8_t>* alpha = nullptr);

// Width and height of a DIB header (0, 0 when it is not a usable header).
void dibSize(const std::uint8_t* info, std::size_t infoSize, int& width, int& height);

} // namespace vorlin::gfx::metafile
