#include "gfx/bitmap.h"

#include <algorithm>
#include <cstring>

namespace vorlin::gfx {

Bitmap::Bitmap(int width, int height) { resize(width, height); }

Bitmap::Bitmap(int width, int height, Color fill) : Bitmap(width, height) { this->fill(fill); }

void Bitmap::resize(int width, int height) {
    width_ = std::max(width, 0);
    height_ = std::max(height, 0);
    if (width_ == 0 || height_ == 0) width_ = height_ = 0;
    stride_ = strideFor(width_);
    pixels_.assign(static_cast<std::size_t>(stride_) * height_, 0);
}

void Bitmap::fill(Color c) { fillRect(rect(), c); }

void Bitmap::fillRect(const Rect& r0, Color c) {
    const Rect r = intersect(r0, rect());
    if (r.isEmpty()) return;
    const int w = r.width();
    if (c.r == c.g && c.g == c.b) {
        for (int y = r.Top; y < r.Bottom; ++y) std::memset(scanLine(y) + 3 * r.Left, c.r, 3 * w);
        return;
    }
    // Fill the first row pixel by pixel, then copy it to the others.
    std::uint8_t* first = scanLine(r.Top) + 3 * r.Left;
    for (int x = 0; x < w; ++x) {
        first[3 * x] = c.b;
        first[3 * x + 1] = c.g;
        first[3 * x + 2] = c.r;
    }
    for (int y = r.Top + 1; y < r.Bottom; ++y) std::memcpy(scanLine(y) + 3 * r.Left, first, 3 * w);
}

bool Bitmap::samePixels(const Bitmap& other) const {
    if (width_ != other.width_ || height_ != other.height_) return false;
    for (int y = 0; y < height_; ++y)
        if (std::memcmp(scanLine(y), other.scanLine(y), 3 * width_) != 0) return false;
    return true;
}

} // namespace vorlin::gfx
