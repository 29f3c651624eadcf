// The routines of the region and per-pixel rows: each turns its row's parameters and the frame's values
// into a region or a drawn frame. Regions are built from a whole list of rectangles in one call.
#include "effects/families/family_rows.h"

#include "base/arith.h"
#include "effects/families/pixel_effects.h"
#include "effects/families/strip_regions.h"

#include <vector>

namespace vorlin::effects::families {
namespace {

using gfx::Region;

// Appends the rectangles of a region (already clipped to the picture) to a list, so that many shapes
// become one region in a single build.
void appendRects(std::vector<Rect>& out, const Region& r) {
    for (const pixman_box32_t& b : r.boxes()) out.push_back({b.x1, b.y1, b.x2, b.y2});
}

// The union of the rectangles within the picture, built in one call. Cutting each rectangle to the picture
// first keeps the region small and changes nothing that is drawn.
Region clippedUnion(std::vector<Rect>& rects, const Rect& picture) {
    for (Rect& r : rects) r = intersect(r, picture);
    return Region::fromRects(rects);
}

Rect pictureOf(const FrameValues& v) {
    return {0, 0, v.W, v.H};
}

} // namespace

Region ArcRow::region(const FrameValues& v) const {
    const Rect picture = pictureOf(v);
    const RoundRectShape s = shape(v);
    Region box = Region::roundRect(s.box, s.ellipseWidth, s.ellipseHeight, picture);
    return outsideBox ? Region(picture) ^ box : box;
}

Region TriangleRow::region(const FrameValues& v) const {
    const Rect picture = pictureOf(v);
    const Triangles triangles = shape(v);
    std::vector<Rect> rects;
    for (int k = 0; k < triangles.count; ++k) {
        const auto& p = triangles.corners[k];
        appendRects(rects, Region::triangle(p[0], p[1], p[2], picture));
    }
    return Region::fromRects(rects);
}

Region TriangleGridRow::region(const FrameValues& v) const {
    // A right triangle in each cell of a 10 × 10 grid, legs L = X div 5 across and MulDiv(L, H, W) down,
    // with its right angle at the cell's origin. All hundred are whole-pixel translates of one triangle,
    // and the pixel-centre rule does not change under such a shift: rasterise it once and place its
    // rectangles at every cell origin.
    const int leg = v.X / 5;
    const int down = vorlin::mulDiv(leg, v.H, v.W);
    const Region one = Region::triangle({0, 0}, {leg, 0}, {0, down});
    const auto boxes = one.boxes();
    std::vector<Rect> rects;
    rects.reserve(100 * boxes.size());
    for (int r = 0; r < 10; ++r) {
        const int b = v.H * r / 10;
        for (const pixman_box32_t& box : boxes)
            for (int c = 0; c < 10; ++c) {
                const int a = v.W * c / 10;
                rects.push_back({a + box.x1, b + box.y1, a + box.x2, b + box.y2});
            }
    }
    return clippedUnion(rects, pictureOf(v));
}

Region LineRow::region(const FrameValues& v) const {
    std::vector<Rect> rects;
    makeLineRects(rects, xeTimes * v.X, yeTimes * v.Y, v.W, v.H, rowMode, columnMode, snap ? v.Band : 0);
    return clippedUnion(rects, pictureOf(v));
}

Region LineIntersectionRow::region(const FrameValues& v) const {
    return first.region(v) & second.region(v);
}

Region WaveRow::region(const FrameValues& v) const {
    std::vector<Rect> rects;
    makeWaveRects(rects, v.X, v.Y, v.W, v.H, rowMode, columnMode);
    return clippedUnion(rects, pictureOf(v));
}

Region SwarmRow::region(const FrameValues& v) const {
    std::vector<Rect> rects;
    makeSwarmRects(rects, v.X, v.Y, v.W, rowMode, columnMode, v.H);
    return clippedUnion(rects, pictureOf(v));
}

Region RandomBlockRow::region(const FrameValues& v) const {
    std::vector<Rect> rects;
    makeRandomBlockRects(rects, v.W, v.H, v.progress);
    return clippedUnion(rects, pictureOf(v));
}

void CrossFadeRow::draw(const FrameValues& v, const gfx::Bitmap& newFrame, gfx::Bitmap& screen) const {
    blendBitmaps(screen, newFrame, v.progress);
}

void RotationRow::draw(const FrameValues& v, const gfx::Bitmap& newFrame, gfx::Bitmap& screen) const {
    rotateBitmap(screen, newFrame, right ? v.W : -1, bottom ? v.H : -1, rotationAngle(v.progress));
}

} // namespace vorlin::effects::families
