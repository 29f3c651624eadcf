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

// A picture prepared for repeated scaled drawing. Holds its own copy of the pixels.
class ViewSource {
public:
    ViewSource() = default;
    explicit ViewSource(const Bitmap& picture);
    ViewSource(ViewSource&&) noexcept = default;
    ViewSource& operator=(ViewSource&&) noexcept = default;

    int width() const { return width_; }
    int height() const { return height_; }
    bool isEmpty() const { return width_ <= 0 || height_ <= 0; }
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

// Draws the part `view` of `source` scaled to cover `target` of `dest` (bilinear). Only the part of
// `target` inside `dest` is written. Nothing happens for an empty source, view or target.
void renderView(const ViewSource& source, const ViewRect& view, Bitmap& dest, const Rect& target);

// Draws all of `source` scaled to cover `target` of `dest` (bilinear): a one-off enlargement.
void renderScaled(const Bitmap& source, Bitmap& dest, const Rect& target);

} // namespace vorlin::gfx
