#include "gfx/view_render.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <new>

#include <pixman.h>

namespace vorlin::gfx {

ViewFrame::ViewFrame(int width, int height) : width_(std::max(width, 0)), height_(std::max(height, 0)) {
    if (width_ == 0 || height_ == 0) {
        width_ = height_ = 0;
        return;
    }
    pixels_.assign(static_cast<std::size_t>(width_) * height_, 0xFF000000u);
    image_.reset(pixman_image_create_bits(PIXMAN_x8r8g8b8, width_, height_, pixels_.data(), stride()));
    if (!image_) throw std::bad_alloc();
}

void ViewFrame::Unref::operator()(pixman_image_t* image) const {
    pixman_image_unref(image);
}

ViewSource::ViewSource(const Bitmap& picture) : pixels_(picture.width(), picture.height()) {
    if (pixels_.isEmpty()) return;
    for (int y = 0; y < pixels_.height(); ++y) {
        const std::uint8_t* p = picture.scanLine(y);
        std::uint32_t* out = pixels_.scanLine(y);
        for (int x = 0; x < pixels_.width(); ++x, p += 3)
            out[x] = 0xFF000000u | (std::uint32_t{p[2]} << 16) | (std::uint32_t{p[1]} << 8) | p[0];
    }
    pixman_image_set_filter(image(), PIXMAN_FILTER_BILINEAR, nullptr, 0);
    pixman_image_set_repeat(image(), PIXMAN_REPEAT_PAD);
}

namespace {

// pixman's own conversion truncates: a scale a rounding error below 1 (200 / 199.99999999999997) would
// come out one step short and blur a view meant to be drawn pixel for pixel. Nearest instead.
pixman_fixed_t toFixed(double d) {
    return static_cast<pixman_fixed_t>(std::lround(d * 65536.0));
}

// Sets `source`'s transform so that destination pixel centres, relative to target's corner, map linearly
// onto `view`: target's left edge meets view.x and its right edge view.x + view.width. Undone on scope
// exit. The part of target inside a destination of `width` × `height` goes to `clipped` (empty: nothing
// to draw).
class ViewTransform {
public:
    ViewTransform(pixman_image_t* source, const ViewRect& view, const Rect& target, int width, int height)
        : source_(source) {
        if (!source || view.width <= 0 || view.height <= 0 || target.isEmpty()) return;
        clipped = Rect{std::max(target.Left, 0), std::max(target.Top, 0), std::min(target.Right, width),
                       std::min(target.Bottom, height)};
        if (clipped.isEmpty()) return;
        pixman_transform_t t;
        pixman_transform_init_identity(&t);
        t.matrix[0][0] = toFixed(view.width / target.width());
        t.matrix[0][2] = toFixed(view.x);
        t.matrix[1][1] = toFixed(view.height / target.height());
        t.matrix[1][2] = toFixed(view.y);
        pixman_image_set_transform(source, &t);
        set_ = true;
    }
    ~ViewTransform() {
        if (set_) pixman_image_set_transform(source_, nullptr);
    }
    ViewTransform(const ViewTransform&) = delete;
    ViewTransform& operator=(const ViewTransform&) = delete;
    bool drawable() const { return set_; }

    Rect clipped;

private:
    pixman_image_t* source_;
    bool set_ = false;
};

// Rows of 32-bit pixels (0xXXRRGGBB) to the 24-bit Bitmap's blue-green-red bytes, four pixels in three
// words. Writes exactly 3 × width bytes, so it may fill part of a row.
void toBgr(const std::uint32_t* s, std::uint8_t* d, int width) {
    int x = 0;
    for (; x + 4 <= width; x += 4, d += 12) {
        // Built in registers and stored whole: a store of parts read back as one word stalls.
        const std::uint64_t low = (s[x] & 0xFFFFFFu) | (std::uint64_t{s[x + 1] & 0xFFFFFFu} << 24) |
                                  (std::uint64_t{s[x + 2] & 0xFFFFu} << 48);
        const std::uint32_t high = ((s[x + 2] >> 16) & 0xFFu) | (s[x + 3] << 8);
        std::memcpy(d, &low, sizeof low);
        std::memcpy(d + 8, &high, sizeof high);
    }
    for (; x < width; ++x, d += 3) {
        d[0] = static_cast<std::uint8_t>(s[x]);
        d[1] = static_cast<std::uint8_t>(s[x] >> 8);
        d[2] = static_cast<std::uint8_t>(s[x] >> 16);
    }
}

} // namespace

void renderView(const ViewSource& source, const ViewRect& view, ViewFrame& dest, const Rect& target) {
    const ViewTransform transform(source.image(), view, target, dest.width(), dest.height());
    if (!transform.drawable()) return;
    const Rect& c = transform.clipped;
    pixman_image_composite32(PIXMAN_OP_SRC, source.image(), nullptr, dest.image(), c.Left - target.Left,
                             c.Top - target.Top, 0, 0, c.Left, c.Top, c.width(), c.height());
}

void renderView(const ViewSource& source, const ViewRect& view, Bitmap& dest, const Rect& target) {
    const ViewTransform transform(source.image(), view, target, dest.width(), dest.height());
    if (!transform.drawable()) return;
    const Rect& c = transform.clipped;
    // Strips of a few rows: drawn at pixman's fast 32-bit speed, converted while still in the cache.
    constexpr int kStripRows = 16;
    ViewFrame strip(c.width(), std::min(kStripRows, c.height()));
    for (int top = c.Top; top < c.Bottom; top += strip.height()) {
        const int rows = std::min(strip.height(), c.Bottom - top);
        pixman_image_composite32(PIXMAN_OP_SRC, source.image(), nullptr, strip.image(), c.Left - target.Left,
                                 top - target.Top, 0, 0, 0, 0, c.width(), rows);
        for (int y = 0; y < rows; ++y)
            toBgr(strip.scanLine(y), dest.scanLine(top + y) + 3 * c.Left, c.width());
    }
}

void copyFrame(Bitmap& dest, int x, int y, const ViewFrame& frame, const Rect& part) {
    const Rect from = intersect(part, Rect{0, 0, frame.width(), frame.height()});
    const Rect to = intersect(from.translated(x - part.Left, y - part.Top), dest.rect());
    if (to.isEmpty()) return;
    const int dx = to.Left - (x - part.Left), dy = to.Top - (y - part.Top);
    for (int row = to.Top; row < to.Bottom; ++row)
        toBgr(frame.scanLine(row - to.Top + dy) + dx, dest.scanLine(row) + 3 * to.Left, to.width());
}

void renderScaled(const Bitmap& source, Bitmap& dest, const Rect& target) {
    if (source.isEmpty()) return;
    renderView(ViewSource(source), {0, 0, double(source.width()), double(source.height())}, dest, target);
}

} // namespace vorlin::gfx
