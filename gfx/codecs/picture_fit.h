#pragma once
// How much of a picture is decoded, and at what size, for the place it will be shown. A picture bigger
// than where it goes is never held at its full size when a smaller one shows the same: the decoders
// sample rows into the result as they arrive (the stretch rule of the blits: each result pixel takes the
// source pixel under its centre), and a JPEG is decoded at the strongest DCT scaling that still covers
// the result.
//
// The rules, for a picture of its own (upright) size W × H and a box of the control's client size:
//   Whole     the picture as it is;
//   Inside    shrunk into the box by the fit-inside rule (a preview, a thumbnail);
//   EachSide  each side shrunk to at most the box's side (a picture that is stretched over the box shows
//             the same pixels whether it is stretched from its full size or from this one);
//   Visible   shown unscaled: only the part inside the box is kept, where the box would show it (centred
//             or at the top-left), so a picture larger than the screen keeps the screen's size;
//   Cover     scaled to cover the box keeping its aspect, centre kept: the largest centred part with the
//             box's aspect, shrunk to the box's size (never enlarged: what is smaller is enlarged where it
//             is shown, with a smoother filter than the decoders' sampling).

#include "base/geometry.h"
#include "gfx/bitmap.h"
#include "gfx/codecs/fit_inside.h"

#include <cstdint>
#include <vector>

namespace vorlin::gfx {

struct PictureFit {
    enum class Rule { Whole, Inside, EachSide, Visible, Cover };
    Rule rule = Rule::Whole;
    int boxWidth = 0;
    int boxHeight = 0;
    bool center = true; // Visible: where the box shows the picture
    constexpr bool operator==(const PictureFit&) const = default;

    static PictureFit inside(int w, int h) { return {Rule::Inside, w, h, true}; }
};

// What the rule keeps of a W × H picture: the part `crop` (in the upright picture's pixels), sampled to
// `size`. A box without area keeps the whole picture.
struct FitPlan {
    Rect crop;
    PictureSize size;
    bool whole(int width, int height) const {
        return crop == Rect{0, 0, width, height} && size == PictureSize{width, height};
    }
};
FitPlan planFit(const PictureFit& fit, int width, int height);

// Source coordinates of a plan's result over a source of sourceLength pixels that stands for
// fullLength pixels of the picture (less when decoded at a reduced scale): entry j is the source pixel
// under the centre of result pixel j, for the crop from cropStart over cropLength picture pixels.
std::vector<int> sampleAxis(int resultLength, int cropStart, int cropLength, int sourceLength,
                            int fullLength);

// The plan applied to a decoded picture at full size: the kept part sampled into a new bitmap (and
// alpha plane, when there is one). Returns the inputs themselves when the plan keeps everything.
void applyPlan(const FitPlan& plan, Bitmap& pixels, std::vector<std::uint8_t>& alpha);

} // namespace vorlin::gfx
