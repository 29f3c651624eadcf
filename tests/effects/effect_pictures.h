#pragma once
// Position-coded test pictures: every pixel tells which picture it came from (old or new) and which
// source pixel it is, so a frame can be read back as "which source pixel landed where".

#include "gfx/bitmap.h"

#include <cstdint>

namespace vorlin::effects::testing {

inline gfx::Color codedColor(int x, int y, bool isNew) {
    const auto b = static_cast<std::uint8_t>((isNew ? 0x80 : 0) | ((x >> 8) & 7) | (((y >> 8) & 7) << 3));
    return {static_cast<std::uint8_t>(x & 0xFF), static_cast<std::uint8_t>(y & 0xFF), b};
}

inline gfx::Bitmap codedPicture(int w, int h, bool isNew) {
    gfx::Bitmap b(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) b.setPixel(x, y, codedColor(x, y, isNew));
    return b;
}

struct Decoded {
    bool isNew;
    int x, y;
};

inline Decoded decode(gfx::Color c) {
    return {(c.b & 0x80) != 0, c.r | ((c.b & 7) << 8), c.g | (((c.b >> 3) & 7) << 8)};
}

} // namespace vorlin::effects::testing
