#pragma once
// Rectangles in pixels: (Left, Top, Right, Bottom), right and bottom exclusive, as everywhere in the
// show and the effects. A rectangle with Right <= Left or Bottom <= Top covers no pixel.

#include <algorithm>

namespace vorlin {

struct Rect {
    int Left = 0;
    int Top = 0;
    int Right = 0;
    int Bottom = 0;

    constexpr int width() const { return Right - Left; }
    constexpr int height() const { return Bottom - Top; }
    constexpr bool isEmpty() const { return Right <= Left || Bottom <= Top; }
    constexpr bool contains(int x, int y) const { return x >= Left && x < Right && y >= Top && y < Bottom; }
    constexpr Rect translated(int dx, int dy) const { return {Left + dx, Top + dy, Right + dx, Bottom + dy}; }
    constexpr bool operator==(const Rect&) const = default;
};

// The common part of two rectangles; empty rectangles come back as {0,0,0,0}.
constexpr Rect intersect(const Rect& a, const Rect& b) {
    Rect r{std::max(a.Left, b.Left), std::max(a.Top, b.Top), std::min(a.Right, b.Right),
           std::min(a.Bottom, b.Bottom)};
    return r.isEmpty() ? Rect{} : r;
}

constexpr Rect rectOfSize(int width, int height) { return {0, 0, width, height}; }

} // namespace vorlin
