#pragma once
// The surface a metafile is played onto: 24-bit pixels plus a coverage plane (0 where nothing was drawn,
// 255 where something was), a clip region and a work budget.
//
// Rules the rasteriser keeps, as GDI does: a pixel belongs to a filled outline when its centre lies inside
// it, with left and top edges inclusive and right and bottom edges exclusive (so Rectangle(0,0,10,10)
// covers pixels 0..9); a one-pixel line leaves out its last point. Every operation charges the budget
// for the work it does, painted or not: pixels, edges on every row they cross, the points a wide pen is
// built from, clip searches, glyph masks (the weights are in canvas.cpp). Once the budget is spent the
// canvas ignores further drawing, so that a hostile file ends as a partial picture instead of running
// for minutes.

#include "gfx/bitmap.h"
#include "gfx/metafile/geometry2d.h"
#include "gfx/region.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

namespace vorlin::gfx::metafile {

// How pixels are painted: a solid colour, a hatch (the six GDI hatch styles, 8-pixel period) over an
// optional background, or a tiled pattern bitmap.
struct Paint {
    Color color;
    int hatch = -1; // HS_HORIZONTAL .. HS_DIAGCROSS (0..5), or -1 for solid
    Color background;
    bool backgroundOpaque = false;
    std::shared_ptr<const Bitmap> pattern;
};

// How drawImage combines source pixels other than by a raster operation.
struct ImageBlend {
    // AlphaBlend: source alpha (one byte per source pixel, premultiplied colours) or none (opaque),
    // times a constant alpha.
    const std::vector<std::uint8_t>* alpha = nullptr;
    std::uint8_t constantAlpha = 255;
    bool alphaBlend = false;
    // TransparentBlt: source pixels of this colour are left out.
    bool colorKey = false;
    Color key;
};

class Canvas {
public:
    Canvas(int width, int height, long long workBudget);

    int width() const { return pixels_.width(); }
    int height() const { return pixels_.height(); }
    bool exhausted() const { return budget_ < 0; }
    // The work left; below zero once spent.
    long long budget() const { return budget_; }
    // Charges work done outside the canvas on its behalf (such as clip region algebra).
    void charge(long long units) { budget_ -= units; }

    // Drawing is limited to this region; null means the whole canvas.
    void setClip(std::shared_ptr<const Region> clip) { clip_ = std::move(clip); }

    void fill(const Outline& outline, FillRule rule, const Paint& paint);
    // Strokes each contour (closed ones back to their start) with a round pen of the given width in pixels.
    // One-pixel pens may be styled (PS_DASH, PS_DOT, PS_DASHDOT, PS_DASHDOTDOT: 1..4); wider ones are
    // always solid, as GDI draws them.
    void stroke(const Outline& outline, double width, const Paint& paint, int dashStyle = 0);
    // Draws the source rectangle (sx, sy, sw, sh) of src, stretched nearest-neighbour, onto the device
    // rectangle from (x0, y0) to (x1, y1); a reversed destination or a negative source extent mirrors.
    // rop is a ternary raster operation; the source-only ones are honoured, others copy. With `blend`, the
    // pixels are alpha-blended (coverage becomes the composite alpha) or colour-keyed instead.
    void drawImage(const Bitmap& src, long long sx, long long sy, long long sw, long long sh, double x0,
                   double y0, double x1, double y1, std::uint32_t rop, const ImageBlend* blend = nullptr);
    // Paints the pixels of an 8-bit coverage mask (rows of `pitch` bytes) whose coverage is at least half.
    void drawMask(const std::uint8_t* mask, int pitch, int left, int top, int w, int h, const Paint& paint);

    // Calls out(y, x0, x1) for each run of pixels [x0, x1) of row y inside the outline (ignores the clip).
    void scan(const Outline& outline, FillRule rule, const std::function<void(int, int, int)>& out);

    // The drawn picture; coverage 0 marks what nothing painted.
    Bitmap& pixels() { return pixels_; }
    std::vector<std::uint8_t>& coverage() { return coverage_; }

private:
    void paintSpan(int y, int x0, int x1, const Paint& paint);
    // Calls f(a, b) for each part [a, b) of row y's run [x0, x1) inside the clip.
    template <class F> void forClippedRuns(int y, int x0, int x1, F&& f) const;
    void writeRun(int y, int x0, int x1, const Paint& paint);
    // Where a styled pen is in its pattern; the pattern runs on along a whole figure.
    struct Dash {
        int style = 0;
        int index = 0;
        int done = 0;
        bool step(); // true when the next pixel is drawn
    };
    void thinLine(PointD a, PointD b, const Paint& paint, Dash& dash);
    void wideStroke(const Outline& outline, double width, const Paint& paint);
    void blendPixel(std::uint8_t* d, std::uint8_t& cov, Color s, const Bitmap& src, long long col,
                    long long row, const ImageBlend& b);

    Bitmap pixels_;
    std::vector<std::uint8_t> coverage_;
    std::shared_ptr<const Region> clip_;
    long long budget_;
};

} // namespace vorlin::gfx::metafile
