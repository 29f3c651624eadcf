#pragma once
// Writes a 24-bit BMP of one solid colour (bottom-up rows padded to 4 bytes), for tests that need picture
// files of known colours.
#include <cstdint>
#include <fstream>
#include <string>
#include <vector>

namespace vorlin::testing {

inline void writeSolidBmp(const std::string& path, int width, int height, std::uint8_t r, std::uint8_t g,
                          std::uint8_t b) {
    const int stride = (width * 3 + 3) & ~3;
    const std::uint32_t imageSize = static_cast<std::uint32_t>(stride * height);
    std::vector<std::uint8_t> out;
    auto put16 = [&](std::uint32_t v) {
        out.push_back(v & 0xFF);
        out.push_back((v >> 8) & 0xFF);
    };
    auto put32 = [&](std::uint32_t v) {
        put16(v & 0xFFFF);
        put16(v >> 16);
    };
    out.push_back('B');
    out.push_back('M');
    put32(54 + imageSize);
    put32(0);
    put32(54);
    put32(40);
    put32(static_cast<std::uint32_t>(width));
    put32(static_cast<std::uint32_t>(height));
    put16(1);
    put16(24);
    put32(0);
    put32(imageSize);
    put32(2835);
    put32(2835);
    put32(0);
    put32(0);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            out.push_back(b);
            out.push_back(g);
            out.push_back(r);
        }
        for (int p = width * 3; p < stride; ++p) out.push_back(0);
    }
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(out.data()), static_cast<std::streamsize>(out.size()));
}

} // namespace vorlin::testing
