#pragma once
// Scaled drawing of a picture with bilinear filtering, for views that move over a picture (a slow zoom
// and pan) and for enlarging a small picture smoothly (a blurred backdrop). Nearest-neighbour stretching
// (the blits' rule) shows steps and shimmer when a view moves by fractions of a pixel; these do not.
//
// The source is converted once to 32-bit pixels, because pixman filters 32-bit sources on its fast paths
// and a 24-bit source on its slow per-pixel path; the destination is the show's 24-bit Bitmap, written in
// place. Past the source's edges its edge pixels repeat, so a view that reaches the edge never shows a
// black seam.

#include "gfx/bitmap.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

typedef union pixman_image pixman_image_t;

namespace vorlin::gfx {

// A rectangle in source pixels; fractions are meaningful.
struct ViewRect {
    double x = 0, y = 0, width = 0, height = 0;
    bool operator==(const ViewRect&) const = default;
};

// A 32-bit frame that views are drawn into on pixman's fast path, for frames drawn many times a second
// (a 24-bit destination costs several times as much per frame). x8r8g8b8: one 0xFFRRGGBB per pixel,
// rows of width pixels, so that a QImage of Format_RGB32 wraps its rows without a copy.
class ViewFrame {
public:
    ViewFrame() = default;
    // A width × height frame (black).
    ViewFrame(int width, int height);
    ViewFrame(ViewFrame&&) noexcept = default;
    ViewFrame& operator=(ViewFrame&&) noexcept = default;

    int width() const { return width_; }
    int height() const { return height_; }
    bool isEmpty() const { return width_ <= 0 || height_ <= 0; }
    // Bytes from one row to the next.
    int stride() const { return width_ * 4; }
    const std::uint32_t* scanLine(int y) const {
        return pixels_.data() + static_cast<std::size_t>(y) * width_;
    }
    std::uint32_t* scanLine(int y) { return pixels_.data() + static_cast<std::size_t>(y) * width_; }
    pixman_image_t* image() const { return image_.get(); }

private:
    struct Unref {
        void operator()(pixman_image_t* image) const;
    };
    int width_ = 0;
    int height_ = 0;
    std::vector<std::uint32_t> pixels_;
    std::unique_ptr<pixman_image_t, Unref> image_;
};

// A picture prepared for repeated scaled drawing: its own 32-bit copy, sampled bilinear, its edge pixels
// repeated past its edges.
class ViewSource {
public:
    ViewSource() = default;
    explicit ViewSource(const Bitmap& picture);

    int width() const { return pixels_.width(); }
    int height() const { return pixels_.height(); }
    bool isEmpty() const { return pixels_.isEmpty(); }
    pixman_image_t* image() const { return pixels_.image(); }

private:
    ViewFrame pixels_;
};

// Draws the part `view` of `source` scaled to cover `target` of `dest` (bilinear). Only the part of
// `target` inside `dest` is written. Nothing happens for an empty source, view or target. A 24-bit
// destination is drawn through 32-bit strips (pixman's 24-bit path is its slow per-pixel one).
void renderView(const ViewSource& source, const ViewRect& view, Bitmap& dest, const Rect& target);
void renderView(const ViewSource& source, const ViewRect& view, ViewFrame& dest, const Rect& target);

// Copies the part `part` of `frame` (clipped to it) into `dest` with its top-left at (x, y), clipped to
// `dest`.
void copyFrame(Bitmap& dest, int x, int y, const ViewFrame& frame, const Rect& part);

// Draws all of `source` scaled to cover `target` of `dest` (bilinear): a one-off enlargement.
void renderScaled(const Bitmap& source, Bitmap& dest, const Rect& target);

} // namespace vorlin::gfx
