#pragma once
// Test helper: the set of picture pixels a list of rectangles covers (their union, clipped to the
// picture), answered per pixel.

#include "base/geometry.h"

#include <algorithm>
#include <vector>

namespace vorlin::effects::families::testing {

class Coverage {
public:
    Coverage(int w, int h) : w_(w), h_(h), cells_(static_cast<std::size_t>(w) * h, 0) {}
    Coverage(int w, int h, const std::vector<Rect>& rects) : Coverage(w, h) {
        for (const Rect& r : rects) add(r);
    }

    void add(const Rect& r) {
        for (int y = std::max(r.Top, 0); y < std::min(r.Bottom, h_); ++y)
            for (int x = std::max(r.Left, 0); x < std::min(r.Right, w_); ++x) cells_[y * w_ + x] = 1;
    }
    bool operator()(int x, int y) const { return cells_[static_cast<std::size_t>(y) * w_ + x] != 0; }
    int width() const { return w_; }
    int height() const { return h_; }
    long count() const { return std::count(cells_.begin(), cells_.end(), 1); }

private:
    int w_, h_;
    std::vector<unsigned char> cells_;
};

} // namespace vorlin::effects::families::testing
