#pragma once
// Test helpers: the committed test pictures and ImageMagick's reference decodes of them.

#include "gfx/codecs/codecs.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

namespace vorlin::gfx::test {

inline std::string picturePath(const std::string& file) {
    return std::string(VORLIN_TEST_DATA_DIR) + "/pictures/" + file;
}

inline std::vector<std::uint8_t> pictureBytes(const std::string& file) {
    return readPictureFile(picturePath(file));
}

// A little-endian 16/32-bit store into a byte vector, for hand-made headers.
inline void put16(std::vector<std::uint8_t>& v, std::size_t at, unsigned x) {
    v[at] = x & 0xFF;
    v[at + 1] = (x >> 8) & 0xFF;
}
inline void put32(std::vector<std::uint8_t>& v, std::size_t at, std::uint32_t x) {
    for (int i = 0; i < 4; ++i) v[at + i] = (x >> (8 * i)) & 0xFF;
}

// A bottom-up BMP file with a 40-byte info header: width, height, bit count, compression, colour table
// (BGRA quads) and the pixel bytes as given.
inline std::vector<std::uint8_t> makeBmp(int width, int height, int bits, std::uint32_t compression,
                                         const std::vector<std::uint8_t>& table,
                                         const std::vector<std::uint8_t>& pixels) {
    std::vector<std::uint8_t> f(54, 0);
    f[0] = 'B';
    f[1] = 'M';
    put32(f, 10, static_cast<std::uint32_t>(54 + table.size()));
    put32(f, 14, 40);
    put32(f, 18, static_cast<std::uint32_t>(width));
    put32(f, 22, static_cast<std::uint32_t>(height));
    put16(f, 26, 1);
    put16(f, 28, static_cast<unsigned>(bits));
    put32(f, 30, compression);
    put32(f, 46, static_cast<std::uint32_t>(table.size() / 4));
    f.insert(f.end(), table.begin(), table.end());
    f.insert(f.end(), pixels.begin(), pixels.end());
    put32(f, 2, static_cast<std::uint32_t>(f.size()));
    return f;
}

// The mean difference of two same-sized bitmaps per colour channel, 0 to 255.
inline double meanDifference(const Bitmap& a, const Bitmap& b) {
    long long sum = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x) {
            const Color p = a.pixel(x, y), q = b.pixel(x, y);
            sum += std::abs(p.r - q.r) + std::abs(p.g - q.g) + std::abs(p.b - q.b);
        }
    return static_cast<double>(sum) / (3.0 * a.width() * a.height());
}

} // namespace vorlin::gfx::test
