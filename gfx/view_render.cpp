#include "gfx/view_render.h"

#include <algorithm>
#include <new>

#include <pixman.h>

namespace vorlin::gfx {

void ViewSource::Unref::operator()(pixman_image_t* image) const {
    pixman_image_unref(image);
}

ViewSource::ViewSource(const Bitmap& picture) : width_(picture.width()), height_(picture.height()) {
    if (picture.isEmpty()) {
        width_ = height_ = 0;
        return;
    }
    pixels_.resize(static_cast<std::size_t>(width_) * height_);
    std::uint32_t* out = pixels_.data();
    for (int y = 0; y < height_; ++y) {
        const std::uint8_t* p = picture.scanLine(y);
        for (int x = 0; x < width_; ++x, p += 3)
            *out++ = 0xFF000000u | (std::uint32_t{p[2]} << 16) | (std::uint32_t{p[1]} << 8) | p[0];
    }
    image_.reset(pixman_image_create_bits(PIXMAN_x8r8g8b8, width_, height_, pixels_.data(),
                                          width_ * static_cast<int>(sizeof(std::uint32_t))));
    if (!image_) throw std::bad_alloc();
    pixman_image_set_filter(image_.get(), PIXMAN_FILTER_BILINEAR, nullptr, 0);
    pixman_image_set_repeat(image_.get(), PIXMAN_REPEAT_PAD);
}

namespace {

// `source` drawn into `target` of `dest`: destination pixel centres (relative to target's corner) map
// linearly onto `view`, so target's left edge meets view.x and its right edge view.x + view.width.
void compose(pixman_image_t* source, const ViewRect& view, Bitmap& dest, const Rect& target) {
    if (!source || view.width <= 0 || view.height <= 0 || target.isEmpty() || dest.isEmpty()) return;
    const Rect clipped{std::max(target.Left, 0), std::max(target.Top, 0),
                       std::min(target.Right, dest.width()), std::min(target.Bottom, dest.height())};
    if (clipped.isEmpty()) return;

    pixman_transform_t t;
    pixman_transform_init_identity(&t);
    t.matrix[0][0] = pixman_double_to_fixed(view.width / target.width());
    t.matrix[0][2] = pixman_double_to_fixed(view.x);
    t.matrix[1][1] = pixman_double_to_fixed(view.height / target.height());
    t.matrix[1][2] = pixman_double_to_fixed(view.y);
    pixman_image_set_transform(source, &t);

    pixman_image_t* out =
        pixman_image_create_bits(PIXMAN_r8g8b8, dest.width(), dest.height(),
                                 reinterpret_cast<std::uint32_t*>(dest.bits()), dest.stride());
    if (!out) throw std::bad_alloc();
    pixman_image_composite32(PIXMAN_OP_SRC, source, nullptr, out, clipped.Left - target.Left,
                             clipped.Top - target.Top, 0, 0, clipped.Left, clipped.Top, clipped.width(),
                             clipped.height());
    pixman_image_unref(out);
    pixman_image_set_transform(source, nullptr);
}

} // namespace

void renderView(const ViewSource& source, const ViewRect& view, Bitmap& dest, const Rect& target) {
    compose(source.image(), view, dest, target);
}

void renderScaled(const Bitmap& source, Bitmap& dest, const Rect& target) {
    if (source.isEmpty()) return;
    const ViewSource prepared(source);
    compose(prepared.image(), {0, 0, double(source.width()), double(source.height())}, dest, target);
}

} // namespace vorlin::gfx
