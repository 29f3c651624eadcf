#pragma once
// A 24-bit picture: blue-green-red bytes, rows top-down, each row padded to a multiple of 4 bytes (as a
// device-independent bitmap), so that a QImage of Format_BGR888 can wrap the bytes without a copy.
// A Bitmap owns its pixels; copies are deep. An empty bitmap has width and height 0 and no pixels.

#include "base/geometry.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace vorlin::gfx {

// A colour as the show stores it: 0x00BBGGRR (a Windows colour value).
struct Color {
    std::uint8_t r = 0, g = 0, b = 0;

    static constexpr Color fromColorRef(std::uint32_t v) {
        return {static_cast<std::uint8_t>(v & 0xFF), static_cast<std::uint8_t>((v >> 8) & 0xFF),
                static_cast<std::uint8_t>((v >> 16) & 0xFF)};
    }
    constexpr std::uint32_t toColorRef() const {
        return std::uint32_t{r} | (std::uint32_t{g} << 8) | (std::uint32_t{b} << 16);
    }
    constexpr bool operator==(const Color&) const = default;
};

class Bitmap {
public:
    Bitmap() = default;
    // A width × height bitmap filled with black. Negative sizes count as 0.
    Bitmap(int width, int height);
    Bitmap(int width, int height, Color fill);

    int width() const { return width_; }
    int height() const { return height_; }
    // Bytes from one row to the next: 3 × width rounded up to a multiple of 4.
    int stride() const { return stride_; }
    bool isEmpty() const { return width_ <= 0 || height_ <= 0; }
    Rect rect() const { return {0, 0, width_, height_}; }

    std::uint8_t* bits() { return pixels_.data(); }
    const std::uint8_t* bits() const { return pixels_.data(); }
    std::uint8_t* scanLine(int y) { return pixels_.data() + static_cast<std::size_t>(y) * stride_; }
    const std::uint8_t* scanLine(int y) const { return pixels_.data() + static_cast<std::size_t>(y) * stride_; }
    std::size_t byteCount() const { return pixels_.size(); }

    Color pixel(int x, int y) const {
        const std::uint8_t* p = scanLine(y) + 3 * x;
        return {p[2], p[1], p[0]};
    }
    void setPixel(int x, int y, Color c) {
        std::uint8_t* p = scanLine(y) + 3 * x;
        p[0] = c.b;
        p[1] = c.g;
        p[2] = c.r;
    }

    // Changes the size; the pixels are black afterwards (nothing of the old content is kept).
    void resize(int width, int height);
    void fill(Color c);
    void fillRect(const Rect& r, Color c); // clipped to the bitmap

    // Pixel-for-pixel equality of size and visible pixels (row padding is not compared).
    bool samePixels(const Bitmap& other) const;

    static int strideFor(int width) { return (3 * width + 3) & ~3; }

private:
    int width_ = 0;
    int height_ = 0;
    int stride_ = 0;
    std::vector<std::uint8_t> pixels_;
};

} // namespace vorlin::gfx
