#pragma once
// Regions: sets of pixels kept as y-x-banded rectangles (pixman_region32), with the algebra of clip
// regions (union, intersection, exclusive-or, difference, and these as the modes a drawing file combines its
// clip with), and drawing one bitmap onto another through a region.
//
// Pixel rules of the shapes, as the platform's regions have them: a rectangle (L, T, R, B) holds the
// pixels L..R−1 × T..B−1 (right and bottom edges exclusive). Rounded rectangles and polygons are
// rasterised by our own code: a pixel belongs when its centre (x + ½, y + ½) lies inside the ideal shape or
// on its boundary, and a span of zero length (a collinear polygon, two edges meeting at a point) holds no
// pixel. Both rules treat left and right (top and bottom) alike, so mirror-symmetric shapes give
// mirror-symmetric regions, and shapes with integer vertices on pixel edges keep their right and bottom
// edges exclusive. (The metafile canvas paints outlines through the same scan converter but leaves a
// centre on a right-hand edge out: a painted pixel on an edge two shapes share must belong to one of
// them, while the union of clip shapes must leave no gap and mirrored effects must stay mirror images.)
//
// Coordinates are limited to ±kLimit (values beyond are clamped) so that no arithmetic on them overflows.
// A Region is a value: copies are independent, moves are cheap, a single rectangle needs no allocation.
// Operations that run out of memory throw std::bad_alloc.

#include "base/geometry.h"
#include "gfx/bitmap.h"
#include "gfx/scan_converter.h"

#include <pixman.h>

#include <cstdint>
#include <span>
#include <vector>

namespace vorlin::gfx {

struct Point {
    int x = 0;
    int y = 0;
    constexpr bool operator==(const Point&) const = default;
};

// How combine joins another region into this one.
enum class CombineMode {
    And,  // intersection
    Or,   // union
    Xor,  // exclusive-or
    Diff, // this minus the other
    Copy, // the other
};

class Region {
public:
    static constexpr int kLimit = 1 << 28;
    // A clip that keeps everything representable.
    static constexpr Rect everywhere() { return {-kLimit, -kLimit, kLimit, kLimit}; }

    // The empty region.
    Region() noexcept;
    // The pixels of r; empty when r is (Right <= Left or Bottom <= Top).
    explicit Region(const Rect& r);
    Region(const Region& other);
    Region(Region&& other) noexcept;
    Region& operator=(const Region& other);
    Region& operator=(Region&& other) noexcept;
    ~Region();

    // The rectangle between two corners given in any order (what the platform's rectangle region does with
    // a rectangle whose right lies left of its left).
    static Region fromCorners(int x1, int y1, int x2, int y2);
    // The union of many rectangles, built in one pass (empty rectangles are skipped).
    static Region fromRects(std::span<const Rect> rects);
    // The rectangle r with its four corners cut by quarter-ellipses of the given width and height (the
    // full ellipse's extents). Extents larger than the rectangle's are limited to it; an extent of 0 or
    // less gives square corners. An empty r gives the empty region. Only the rows and columns inside clip
    // are rasterised (the result is the shape intersected with clip).
    static Region roundRect(const Rect& r, int ellipseWidth, int ellipseHeight,
                            const Rect& clip = everywhere());
    // The closed polygon through the points (the last joins back to the first; repeating the first point at
    // the end changes nothing). Fewer than three points give the empty region. Only the rows and columns
    // inside clip are rasterised.
    static Region polygon(std::span<const Point> points, FillRule rule = FillRule::Winding,
                          const Rect& clip = everywhere());
    static Region triangle(Point a, Point b, Point c, const Rect& clip = everywhere()) {
        const Point p[] = {a, b, c};
        return polygon(p, FillRule::Winding, clip);
    }

    bool isEmpty() const;
    // The smallest rectangle holding every pixel; {0,0,0,0} when empty.
    Rect boundingBox() const;
    int rectCount() const;
    // The rectangles, y-x banded: sorted by top then left, no two overlapping.
    std::vector<Rect> rects() const;
    std::span<const pixman_box32_t> boxes() const;
    bool contains(int x, int y) const;
    // The number of pixels.
    std::int64_t area() const;

    void translate(int dx, int dy);
    void clear();

    Region& operator|=(const Region& other); // union
    Region& operator&=(const Region& other); // intersection
    Region& operator^=(const Region& other); // exclusive-or
    Region& operator-=(const Region& other); // difference
    friend Region operator|(Region a, const Region& b) { return a |= b; }
    friend Region operator&(Region a, const Region& b) { return a &= b; }
    friend Region operator^(Region a, const Region& b) { return a ^= b; }
    friend Region operator-(Region a, const Region& b) { return a -= b; }
    void combine(const Region& other, CombineMode mode);

    // Same set of pixels.
    bool operator==(const Region& other) const;

    const pixman_region32_t* native() const { return &region_; }

private:
    pixman_region32_t region_;
};

// Copies the pixels of src that lie in region to the same places in dst: one memcpy per row of each
// rectangle, clipped to both bitmaps. dst and src may differ in size.
void copyThroughRegion(Bitmap& dst, const Bitmap& src, const Region& region);

} // namespace vorlin::gfx
