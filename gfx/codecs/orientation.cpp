#include "gfx/codecs/orientation.h"

#include <cstring>

namespace vorlin::gfx {

int exifOrientation(const std::uint8_t* data, std::size_t size) {
    if (size < 14 || std::memcmp(data, "Exif\0\0", 6) != 0) return 1;
    const std::uint8_t* t = data + 6; // the TIFF header; offsets count from here
    const std::size_t n = size - 6;
    const bool little = t[0] == 'I' && t[1] == 'I';
    if (!little && !(t[0] == 'M' && t[1] == 'M')) return 1;
    auto u16 = [&](std::size_t at) -> unsigned {
        return little ? t[at] | (t[at + 1] << 8) : (t[at] << 8) | t[at + 1];
    };
    auto u32 = [&](std::size_t at) -> std::uint32_t {
        return little ? (std::uint32_t{t[at + 3]} << 24) | (t[at + 2] << 16) | (t[at + 1] << 8) | t[at]
                      : (std::uint32_t{t[at]} << 24) | (t[at + 1] << 16) | (t[at + 2] << 8) | t[at + 3];
    };
    if (u16(2) != 42) return 1;
    const std::uint32_t ifd = u32(4);
    if (ifd > n || n - ifd < 2) return 1;
    const unsigned entries = u16(ifd);
    for (unsigned i = 0; i < entries; ++i) {
        const std::size_t e = ifd + 2 + std::size_t{12} * i;
        if (e + 12 > n) return 1;
        if (u16(e) == 0x0112 && u16(e + 2) == 3 /* SHORT */) {
            const unsigned v = u16(e + 8);
            return (v >= 1 && v <= 8) ? static_cast<int>(v) : 1;
        }
    }
    return 1;
}

Bitmap applyOrientation(const Bitmap& src, int orientation) {
    if (orientation < 2 || orientation > 8) return src;
    const int w = src.width(), h = src.height();
    const bool swap = orientationSwapsSides(orientation);
    Bitmap out(swap ? h : w, swap ? w : h);
    for (int y = 0; y < out.height(); ++y) {
        std::uint8_t* d = out.scanLine(y);
        for (int x = 0; x < out.width(); ++x, d += 3) {
            int sx = x, sy = y;
            switch (orientation) {
            case 2:
                sx = w - 1 - x;
                break; // mirrored left-right
            case 3:
                sx = w - 1 - x, sy = h - 1 - y;
                break; // turned half round
            case 4:
                sy = h - 1 - y;
                break; // mirrored top-bottom
            case 5:
                sx = y, sy = x;
                break; // transposed
            case 6:
                sx = y, sy = h - 1 - x;
                break; // needs a quarter turn clockwise
            case 7:
                sx = w - 1 - y, sy = h - 1 - x;
                break; // transversed
            case 8:
                sx = w - 1 - y, sy = x;
                break; // needs a quarter turn anticlockwise
            }
            const std::uint8_t* s = src.scanLine(sy) + 3 * sx;
            d[0] = s[0];
            d[1] = s[1];
            d[2] = s[2];
        }
    }
    return out;
}

} // namespace vorlin::gfx
