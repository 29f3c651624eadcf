// Regions on pixman_region32, and our own rasterisers for rounded rectangles and polygons.
//
// The rasterisers work in doubled coordinates, where pixel x has its centre at 2x + 1 and every vertex,
// edge end and ellipse centre is an integer, so each inside test is exact integer (128-bit) arithmetic and
// the left and right ends of a span come out of mirror-image formulas. Rows with the same spans are
// merged into one rectangle, and the rectangles become a region in one pixman call.

#include "gfx/region.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstring>
#include <new>
#include <stdexcept>

namespace vorlin::gfx {

namespace {

using i64 = std::int64_t;
using i128 = __int128;

int clampCoord(i64 v) {
    return static_cast<int>(std::clamp<i64>(v, -Region::kLimit, Region::kLimit));
}

Rect clampRect(const Rect& r) {
    return {clampCoord(r.Left), clampCoord(r.Top), clampCoord(r.Right), clampCoord(r.Bottom)};
}

i64 floorDiv(i128 a, i128 b) { // b > 0
    i128 q = a / b;
    if ((a % b != 0) && (a < 0)) --q;
    return static_cast<i64>(q);
}

i64 ceilDiv(i128 a, i128 b) { // b > 0
    i128 q = a / b;
    if ((a % b != 0) && (a > 0)) ++q;
    return static_cast<i64>(q);
}

void check(pixman_bool_t ok) {
    if (!ok) throw std::bad_alloc();
}

// Collects the spans of consecutive rows and merges rows whose spans are the same into one rectangle.
class SpanCollector {
public:
    explicit SpanCollector(const Rect& clip) : clip_(clip) {}

    // A row is beginRow, then its spans ([left, right) pixel intervals in any order; pixman merges any that
    // touch or overlap), then endRow.
    void beginRow(int y) { rowY_ = y; }
    void addSpan(i64 left, i64 right) {
        left = std::max<i64>(left, clip_.Left);
        right = std::min<i64>(right, clip_.Right);
        if (left < right) row_.push_back({static_cast<int>(left), static_cast<int>(right)});
    }
    void endRow() {
        std::sort(row_.begin(), row_.end(), [](const Span& a, const Span& b) { return a.left < b.left; });
        if (!(row_ == open_ && openBottom_ == rowY_)) {
            flushOpen();
            open_.swap(row_);
            openTop_ = rowY_;
        }
        openBottom_ = rowY_ + 1;
        row_.clear();
    }
    // Rows y0..y1−1 all hold the one span [left, right).
    void addBlock(i64 y0, i64 y1, i64 left, i64 right) {
        flushOpen();
        left = std::max<i64>(left, clip_.Left);
        right = std::min<i64>(right, clip_.Right);
        if (left < right && y0 < y1)
            boxes_.push_back({static_cast<int>(left), static_cast<int>(y0), static_cast<int>(right),
                              static_cast<int>(y1)});
    }
    std::vector<pixman_box32_t> finish() {
        flushOpen();
        return std::move(boxes_);
    }

private:
    struct Span {
        int left, right;
        bool operator==(const Span&) const = default;
    };

    void flushOpen() {
        for (const Span& s : open_) boxes_.push_back({s.left, openTop_, s.right, openBottom_});
        open_.clear();
    }

    Rect clip_;
    std::vector<Span> row_, open_;
    int rowY_ = 0, openTop_ = 0, openBottom_ = 0;
    std::vector<pixman_box32_t> boxes_;
};

void initFromBoxes(pixman_region32_t* r, const std::vector<pixman_box32_t>& boxes) {
    if (boxes.empty()) {
        pixman_region32_init(r);
        return;
    }
    if (boxes.size() > static_cast<std::size_t>(INT_MAX))
        throw std::length_error("too many rectangles for a region");
    check(pixman_region32_init_rects(r, boxes.data(), static_cast<int>(boxes.size())));
}

} // namespace

Region::Region() noexcept {
    pixman_region32_init(&region_);
}

Region::Region(const Rect& r0) {
    const Rect r = clampRect(r0);
    if (r.isEmpty()) {
        pixman_region32_init(&region_);
        return;
    }
    pixman_box32_t box{r.Left, r.Top, r.Right, r.Bottom};
    pixman_region32_init_with_extents(&region_, &box);
}

Region::Region(const Region& other) {
    pixman_region32_init(&region_);
    check(pixman_region32_copy(&region_, &other.region_));
}

// A pixman region owns at most one heap block and never points into itself, so moving is a bitwise copy
// followed by re-initialising the source.
Region::Region(Region&& other) noexcept {
    std::memcpy(static_cast<void*>(&region_), &other.region_, sizeof region_);
    pixman_region32_init(&other.region_);
}

Region& Region::operator=(const Region& other) {
    if (this != &other) check(pixman_region32_copy(&region_, &other.region_));
    return *this;
}

Region& Region::operator=(Region&& other) noexcept {
    if (this != &other) {
        pixman_region32_fini(&region_);
        std::memcpy(static_cast<void*>(&region_), &other.region_, sizeof region_);
        pixman_region32_init(&other.region_);
    }
    return *this;
}

Region::~Region() {
    pixman_region32_fini(&region_);
}

Region Region::fromCorners(int x1, int y1, int x2, int y2) {
    return Region(Rect{std::min(x1, x2), std::min(y1, y2), std::max(x1, x2), std::max(y1, y2)});
}

Region Region::fromRects(std::span<const Rect> rects) {
    std::vector<pixman_box32_t> boxes;
    boxes.reserve(rects.size());
    for (const Rect& r0 : rects) {
        const Rect r = clampRect(r0);
        if (!r.isEmpty()) boxes.push_back({r.Left, r.Top, r.Right, r.Bottom});
    }
    Region out;
    pixman_region32_fini(&out.region_);
    initFromBoxes(&out.region_, boxes);
    return out;
}

Region Region::roundRect(const Rect& r0, int ellipseWidth, int ellipseHeight, const Rect& clip0) {
    const Rect r = clampRect(r0);
    const Rect clip = intersect(clampRect(clip0), everywhere());
    if (r.isEmpty() || clip.isEmpty()) return {};
    const i64 ew = std::clamp<i64>(ellipseWidth, 0, r.width());
    const i64 eh = std::clamp<i64>(ellipseHeight, 0, r.height());
    if (ew == 0 || eh == 0) return Region(intersect(r, clip));

    const i64 L = r.Left, T = r.Top, R = r.Right, B = r.Bottom;
    // Doubled coordinates of the corner ellipses' centres.
    const i64 leftCentre = 2 * L + ew, rightCentre = 2 * R - ew;
    const i64 topCentre = 2 * T + eh, bottomCentre = 2 * B - eh;
    const i128 ew2 = i128{ew} * ew, eh2 = i128{eh} * eh;

    SpanCollector spans(clip);
    // A row in a corner band, at doubled vertical distance dy from the ellipses' centre line: a pixel
    // belongs when its doubled horizontal distance d from the centre satisfies (d/ew)² + (dy/eh)² <= 1,
    // i.e. d² · eh² <= ew² · (eh² − dy²). dMax is the largest such d.
    auto cornerRow = [&](i64 y, i64 dy) {
        const i128 q = ew2 * (eh2 - i128{dy} * dy);
        i64 dMax = static_cast<i64>(std::sqrt(static_cast<long double>(q)) / eh);
        while (i128{dMax + 1} * (dMax + 1) * eh2 <= q) ++dMax;
        while (dMax > 0 && i128{dMax} * dMax * eh2 > q) --dMax;
        // Left end: leftCentre − (2x + 1) <= dMax; right end: (2x + 1) − rightCentre <= dMax.
        spans.beginRow(static_cast<int>(y));
        spans.addSpan(std::max<i64>(L, ceilDiv(leftCentre - 1 - dMax, 2)),
                      std::min<i64>(R, floorDiv(rightCentre + dMax - 1, 2) + 1));
        spans.endRow();
    };

    const i64 yFrom = std::max<i64>(T, clip.Top), yTo = std::min<i64>(B, clip.Bottom);
    // Rows whose centre lies between the top and the bottom ellipses' centre lines are full.
    const i64 midFrom = std::clamp<i64>(ceilDiv(topCentre - 1, 2), yFrom, yTo);
    const i64 midTo = std::clamp<i64>(floorDiv(bottomCentre - 1, 2) + 1, midFrom, yTo);
    for (i64 y = yFrom; y < midFrom; ++y) cornerRow(y, topCentre - (2 * y + 1));
    spans.addBlock(midFrom, midTo, L, R);
    for (i64 y = midTo; y < yTo; ++y) cornerRow(y, (2 * y + 1) - bottomCentre);

    Region out;
    pixman_region32_fini(&out.region_);
    initFromBoxes(&out.region_, spans.finish());
    return out;
}

Region Region::polygon(std::span<const Point> points, FillRule rule, const Rect& clip0) {
    const Rect clip = intersect(clampRect(clip0), everywhere());
    if (points.size() < 3 || clip.isEmpty()) return {};

    // Edges oriented downward; dir remembers whether the outline ran down (+1) or up (−1).
    struct Edge {
        i64 x0, y0, x1, y1;
        int dir;
    };
    std::vector<Edge> edges;
    edges.reserve(points.size());
    i64 minY = points[0].y, maxY = points[0].y;
    for (std::size_t i = 0; i < points.size(); ++i) {
        const Point a = points[i], b = points[(i + 1) % points.size()];
        minY = std::min<i64>(minY, a.y);
        maxY = std::max<i64>(maxY, a.y);
        if (a.y == b.y) continue; // horizontal edges cross no row centre
        if (a.y < b.y)
            edges.push_back({a.x, a.y, b.x, b.y, +1});
        else
            edges.push_back({b.x, b.y, a.x, a.y, -1});
    }
    if (edges.empty()) return {};
    std::sort(edges.begin(), edges.end(), [](const Edge& a, const Edge& b) { return a.y0 < b.y0; });

    // A crossing of an edge with a row's centre line, at doubled x = num / den (den > 0).
    struct Crossing {
        i128 num;
        i64 den;
        int dir;
    };
    auto less = [](const Crossing& a, const Crossing& b) { return a.num * b.den < b.num * a.den; };
    auto same = [](const Crossing& a, const Crossing& b) { return a.num * b.den == b.num * a.den; };

    SpanCollector spans(clip);
    std::vector<Crossing> crossings;
    std::vector<const Edge*> active;
    std::size_t nextEdge = 0;
    const i64 yFrom = std::max<i64>(minY, clip.Top), yTo = std::min<i64>(maxY, clip.Bottom);
    for (i64 y = yFrom; y < yTo; ++y) {
        // An edge crosses the centre line 2y + 1 of row y when y0 <= y < y1 (vertices are integers, so a
        // centre line never passes through one).
        while (nextEdge < edges.size() && edges[nextEdge].y0 <= y) active.push_back(&edges[nextEdge++]);
        std::erase_if(active, [y](const Edge* e) { return e->y1 <= y; });
        crossings.clear();
        for (const Edge* e : active) {
            const i64 den = e->y1 - e->y0;
            const i128 num = i128{2 * e->x0} * den + i128{2 * y + 1 - 2 * e->y0} * (e->x1 - e->x0);
            crossings.push_back({num, den, e->dir});
        }
        std::sort(crossings.begin(), crossings.end(), less);

        spans.beginRow(static_cast<int>(y));
        int winding = 0;
        const Crossing* start = nullptr;
        for (const Crossing& c : crossings) {
            const bool wasInside = rule == FillRule::Winding ? winding != 0 : (winding & 1) != 0;
            winding += c.dir;
            const bool inside = rule == FillRule::Winding ? winding != 0 : (winding & 1) != 0;
            if (!wasInside && inside) {
                start = &c;
            } else if (wasInside && !inside && start != nullptr) {
                // Pixel centres 2x + 1 in [start, c]; a span of zero length holds nothing.
                if (!same(*start, c))
                    spans.addSpan(ceilDiv(start->num - start->den, 2 * i128{start->den}),
                                  floorDiv(c.num - c.den, 2 * i128{c.den}) + 1);
                start = nullptr;
            }
        }
        spans.endRow();
    }

    Region out;
    pixman_region32_fini(&out.region_);
    initFromBoxes(&out.region_, spans.finish());
    return out;
}

bool Region::isEmpty() const {
    return !pixman_region32_not_empty(&region_);
}

Rect Region::boundingBox() const {
    if (isEmpty()) return {};
    const pixman_box32_t* e = pixman_region32_extents(&region_);
    return {e->x1, e->y1, e->x2, e->y2};
}

int Region::rectCount() const {
    return pixman_region32_n_rects(&region_);
}

std::span<const pixman_box32_t> Region::boxes() const {
    int n = 0;
    const pixman_box32_t* b = pixman_region32_rectangles(&region_, &n);
    return {b, static_cast<std::size_t>(n)};
}

std::vector<Rect> Region::rects() const {
    std::vector<Rect> out;
    for (const pixman_box32_t& b : boxes()) out.push_back({b.x1, b.y1, b.x2, b.y2});
    return out;
}

bool Region::contains(int x, int y) const {
    return pixman_region32_contains_point(&region_, x, y, nullptr);
}

std::int64_t Region::area() const {
    std::int64_t sum = 0;
    for (const pixman_box32_t& b : boxes()) sum += std::int64_t{b.x2 - b.x1} * (b.y2 - b.y1);
    return sum;
}

void Region::translate(int dx, int dy) {
    if (isEmpty()) return;
    // Keep every coordinate within the limit: shift by at most what keeps the extents representable.
    const Rect box = boundingBox();
    dx = static_cast<int>(std::clamp<i64>(dx, i64{-kLimit} - box.Left, i64{kLimit} - box.Right));
    dy = static_cast<int>(std::clamp<i64>(dy, i64{-kLimit} - box.Top, i64{kLimit} - box.Bottom));
    pixman_region32_translate(&region_, dx, dy);
}

void Region::clear() {
    pixman_region32_fini(&region_);
    pixman_region32_init(&region_);
}

Region& Region::operator|=(const Region& other) {
    check(pixman_region32_union(&region_, &region_, &other.region_));
    return *this;
}

Region& Region::operator&=(const Region& other) {
    check(pixman_region32_intersect(&region_, &region_, &other.region_));
    return *this;
}

Region& Region::operator-=(const Region& other) {
    check(pixman_region32_subtract(&region_, &region_, &other.region_));
    return *this;
}

Region& Region::operator^=(const Region& other) {
    // (a − b) ∪ (b − a)
    Region onlyOther = other;
    check(pixman_region32_subtract(&onlyOther.region_, &other.region_, &region_));
    check(pixman_region32_subtract(&region_, &region_, &other.region_));
    check(pixman_region32_union(&region_, &region_, &onlyOther.region_));
    return *this;
}

bool Region::operator==(const Region& other) const {
    return pixman_region32_equal(&region_, &other.region_);
}

namespace {

// Copies n bytes. Spans of line and grid effects are a few pixels wide and come by the hundred per row,
// where a library call costs more than the copy: up to 32 bytes are moved by two fixed-size copies that
// overlap in the middle, which the compiler turns into plain loads and stores.
inline void copySpan(std::uint8_t* d, const std::uint8_t* s, std::size_t n) {
    if (n >= 16 && n <= 32) {
        std::memcpy(d, s, 16);
        std::memcpy(d + n - 16, s + n - 16, 16);
    } else if (n >= 8 && n < 16) {
        std::memcpy(d, s, 8);
        std::memcpy(d + n - 8, s + n - 8, 8);
    } else if (n >= 4 && n < 8) {
        std::memcpy(d, s, 4);
        std::memcpy(d + n - 4, s + n - 4, 4);
    } else if (n == 3) {
        std::memcpy(d, s, 2);
        d[2] = s[2];
    } else {
        std::memcpy(d, s, n);
    }
}

} // namespace

void copyThroughRegion(Bitmap& dst, const Bitmap& src, const Region& region) {
    if (&dst == &src) return;
    const Rect bounds = intersect(dst.rect(), src.rect());
    if (bounds.isEmpty()) return;
    // Boxes come in bands of equal top and bottom, sorted by x inside a band. Walking each band row by
    // row, its boxes inner, reads and writes memory in address order: a band of hundreds of narrow
    // columns costs about what a whole row copy costs instead of one pass down the frame per column.
    const auto boxes = region.boxes();
    const std::size_t n = boxes.size();
    for (std::size_t first = 0; first < n;) {
        const pixman_box32_t& lead = boxes[first];
        std::size_t last = first + 1;
        while (last < n && boxes[last].y1 == lead.y1 && boxes[last].y2 == lead.y2) ++last;
        if (lead.y1 >= bounds.Bottom) break; // bands are sorted by top
        const int y0 = std::max(lead.y1, bounds.Top), y1 = std::min(lead.y2, bounds.Bottom);
        for (int y = y0; y < y1; ++y) {
            std::uint8_t* d = dst.scanLine(y);
            const std::uint8_t* s = src.scanLine(y);
            for (std::size_t i = first; i < last; ++i) {
                const int x0 = std::max(boxes[i].x1, bounds.Left), x1 = std::min(boxes[i].x2, bounds.Right);
                if (x0 < x1) copySpan(d + 3 * x0, s + 3 * x0, 3 * static_cast<std::size_t>(x1 - x0));
            }
        }
        first = last;
    }
}

} // namespace vorlin::gfx
