// Regions on pixman_region32, and the exact arithmetic our rasterisers give rounded rectangles and
// polygons.
//
// The rasterisers work in doubled coordinates, where pixel x has its centre at 2x + 1 and every vertex,
// edge end and ellipse centre is an integer, so each inside test is exact integer (128-bit) arithmetic and
// the left and right ends of a span come out of mirror-image formulas. Polygons are walked by the shared
// scan converter with crossings kept as exact fractions. Rows with the same spans are merged into one
// rectangle, and the rectangles become a region in one pixman call.

#include "gfx/region.h"

#include "gfx/scan_converter.h"

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

// Collects the spans of rows and merges rows whose spans are the same into one rectangle.
class SpanCollector {
public:
    explicit SpanCollector(const Rect& clip) : clip_(clip) {}

    // The pixels [left, right) of row y, clipped. Rows come in increasing order and the spans of a row from
    // left to right; a span that touches or overlaps the one before it joins it.
    void addSpan(i64 y, i64 left, i64 right) {
        if (!rowStarted_ || y != rowY_) {
            endRow();
            rowY_ = static_cast<int>(y);
            rowStarted_ = true;
        }
        left = std::max<i64>(left, clip_.Left);
        right = std::min<i64>(right, clip_.Right);
        if (left >= right) return;
        if (!row_.empty() && left <= row_.back().right)
            row_.back().right = std::max(row_.back().right, static_cast<int>(right));
        else
            row_.push_back({static_cast<int>(left), static_cast<int>(right)});
    }
    // Rows y0..y1−1 all hold the one span [left, right).
    void addBlock(i64 y0, i64 y1, i64 left, i64 right) {
        endRow();
        flushOpen();
        left = std::max<i64>(left, clip_.Left);
        right = std::min<i64>(right, clip_.Right);
        if (left < right && y0 < y1)
            boxes_.push_back({static_cast<int>(left), static_cast<int>(y0), static_cast<int>(right),
                              static_cast<int>(y1)});
    }
    std::vector<pixman_box32_t> finish() {
        endRow();
        flushOpen();
        return std::move(boxes_);
    }

private:
    struct Span {
        int left, right;
        bool operator==(const Span&) const = default;
    };

    void endRow() {
        if (!rowStarted_) return;
        rowStarted_ = false;
        if (!(row_ == open_ && openBottom_ == rowY_)) {
            flushOpen();
            open_.swap(row_);
            openTop_ = rowY_;
        }
        openBottom_ = rowY_ + 1;
        row_.clear();
    }
    void flushOpen() {
        for (const Span& s : open_) boxes_.push_back({s.left, openTop_, s.right, openBottom_});
        open_.clear();
    }

    Rect clip_;
    std::vector<Span> row_, open_;
    bool rowStarted_ = false;
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
        spans.addSpan(y, std::max<i64>(L, ceilDiv(leftCentre - 1 - dMax, 2)),
                      std::min<i64>(R, floorDiv(rightCentre + dMax - 1, 2) + 1));
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

namespace {

// Where an edge crosses a row's centre line: at doubled x = num / den (den > 0).
struct Crossing {
    i128 num;
    i64 den;
    bool operator<(const Crossing& o) const { return num * o.den < o.num * den; }
    bool operator==(const Crossing& o) const { return num * o.den == o.num * den; }
};

// A polygon edge between integer vertices, oriented downward.
struct PolygonEdge {
    i64 x0, y0, x1, y1;
    int yStart, yEnd, dir;
    // Row y's centre line is 2y + 1 in doubled coordinates; vertices are integers, so it never passes
    // through one.
    Crossing crossing(int y) const {
        const i64 den = y1 - y0;
        return {i128{2 * x0} * den + i128{2 * i64{y} + 1 - 2 * y0} * (x1 - x0), den};
    }
};

} // namespace

Region Region::polygon(std::span<const Point> points, FillRule rule, const Rect& clip0) {
    const Rect clip = intersect(clampRect(clip0), everywhere());
    if (points.size() < 3 || clip.isEmpty()) return {};

    // An edge crosses the centre line of row y when y0 <= y < y1; horizontal edges cross none.
    ScanConverter<PolygonEdge> scan(rule);
    for (std::size_t i = 0; i < points.size(); ++i) {
        const Point a = points[i], b = points[(i + 1) % points.size()];
        if (a.y == b.y) continue;
        const bool down = a.y < b.y;
        const Point top = down ? a : b, bottom = down ? b : a;
        const int yStart = std::max(top.y, clip.Top), yEnd = std::min(bottom.y, clip.Bottom);
        if (yStart < yEnd) scan.addEdge({top.x, top.y, bottom.x, bottom.y, yStart, yEnd, down ? 1 : -1});
    }

    SpanCollector spans(clip);
    scan.run(
        [&](int y, const Crossing* from, const Crossing* to) {
            // Pixel centres 2x + 1 in [from, to]; a stretch of zero length holds nothing. Without an end
            // (never for a closed polygon with every edge walked) the stretch runs to the clip's side.
            if (from && to && *from == *to) return;
            spans.addSpan(y, from ? ceilDiv(from->num - from->den, 2 * i128{from->den}) : i64{clip.Left},
                          to ? floorDiv(to->num - to->den, 2 * i128{to->den}) + 1 : i64{clip.Right});
        },
        [](const Crossing& c) { return &c; }, static_cast<const Crossing*>(nullptr),
        static_cast<const Crossing*>(nullptr));

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

void Region::combine(const Region& other, CombineMode mode) {
    switch (mode) {
    case CombineMode::And:
        *this &= other;
        break;
    case CombineMode::Or:
        *this |= other;
        break;
    case CombineMode::Xor:
        *this ^= other;
        break;
    case CombineMode::Diff:
        *this -= other;
        break;
    case CombineMode::Copy:
        *this = other;
        break;
    }
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
