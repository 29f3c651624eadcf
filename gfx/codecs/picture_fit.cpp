#include "gfx/codecs/picture_fit.h"

#include <algorithm>

namespace vorlin::gfx {

namespace {

// The part of [0, side) that a box of `box` pixels shows: centred (offset (box − side) div 2, toward
// zero, as the canvas places a picture) or from 0.
std::pair<int, int> visibleSpan(int side, int box, bool center) {
    const int offset = center ? (box - side) / 2 : 0;
    const int first = std::max(0, -offset);
    const int last = std::min(side, box - offset);
    return {first, std::max(first + 1, last)};
}

// The largest part of a width × height picture with the box's aspect: the whole height of a picture
// relatively wider than the box, else the whole width; the other side rounded, halves to even.
PictureSize coverCrop(int width, int height, int boxWidth, int boxHeight) {
    const long long wide = static_cast<long long>(width) * boxHeight;
    const long long tall = static_cast<long long>(height) * boxWidth;
    if (wide > tall)
        return {static_cast<int>(std::clamp(mulDivHalfEven(height, boxWidth, boxHeight), 1LL,
                                            static_cast<long long>(width))),
                height};
    return {width, static_cast<int>(std::clamp(mulDivHalfEven(width, boxHeight, boxWidth), 1LL,
                                               static_cast<long long>(height)))};
}

} // namespace

FitPlan planFit(const PictureFit& fit, int width, int height) {
    FitPlan plan{Rect{0, 0, width, height}, PictureSize{width, height}};
    if (fit.boxWidth <= 0 || fit.boxHeight <= 0 || width <= 0 || height <= 0) return plan;
    switch (fit.rule) {
    case PictureFit::Rule::Whole:
        break;
    case PictureFit::Rule::Inside:
        plan.size = fitInsideSize(width, height, fit.boxWidth, fit.boxHeight);
        break;
    case PictureFit::Rule::EachSide:
        plan.size = {std::min(width, fit.boxWidth), std::min(height, fit.boxHeight)};
        break;
    case PictureFit::Rule::Visible: {
        const auto [x0, x1] = visibleSpan(width, fit.boxWidth, fit.center);
        const auto [y0, y1] = visibleSpan(height, fit.boxHeight, fit.center);
        plan.crop = Rect{x0, y0, x1, y1};
        plan.size = {x1 - x0, y1 - y0};
        break;
    }
    case PictureFit::Rule::Cover: {
        const PictureSize kept = coverCrop(width, height, fit.boxWidth, fit.boxHeight);
        const int x0 = (width - kept.width) / 2, y0 = (height - kept.height) / 2;
        plan.crop = Rect{x0, y0, x0 + kept.width, y0 + kept.height};
        plan.size = kept.width > fit.boxWidth ? PictureSize{fit.boxWidth, fit.boxHeight} : kept;
        break;
    }
    }
    return plan;
}

std::vector<int> sampleAxis(int resultLength, int cropStart, int cropLength, int sourceLength,
                            int fullLength) {
    std::vector<int> source(static_cast<std::size_t>(std::max(resultLength, 0)));
    // The crop in source pixels (a reduced-scale source covers the picture at sourceLength / fullLength).
    const long long start = static_cast<long long>(cropStart) * sourceLength / fullLength;
    const long long length = std::max(1LL, static_cast<long long>(cropLength) * sourceLength / fullLength);
    for (int j = 0; j < resultLength; ++j) {
        const long long k = start + (2LL * j + 1) * length / (2LL * resultLength);
        source[static_cast<std::size_t>(j)] = static_cast<int>(std::min<long long>(k, sourceLength - 1));
    }
    return source;
}

void applyPlan(const FitPlan& plan, Bitmap& pixels, std::vector<std::uint8_t>& alpha) {
    const int w = pixels.width(), h = pixels.height();
    if (plan.whole(w, h)) return;
    const int ow = plan.size.width, oh = plan.size.height;
    const std::vector<int> xs = sampleAxis(ow, plan.crop.Left, plan.crop.width(), w, w);
    const std::vector<int> ys = sampleAxis(oh, plan.crop.Top, plan.crop.height(), h, h);
    Bitmap out(ow, oh);
    std::vector<std::uint8_t> outAlpha(alpha.empty() ? 0 : static_cast<std::size_t>(ow) * oh);
    for (int oy = 0; oy < oh; ++oy) {
        const std::uint8_t* s = pixels.scanLine(ys[oy]);
        std::uint8_t* d = out.scanLine(oy);
        for (int ox = 0; ox < ow; ++ox) {
            const std::uint8_t* p = s + 3 * xs[ox];
            d[3 * ox] = p[0];
            d[3 * ox + 1] = p[1];
            d[3 * ox + 2] = p[2];
        }
        if (!alpha.empty()) {
            const std::uint8_t* a = alpha.data() + static_cast<std::size_t>(ys[oy]) * w;
            std::uint8_t* da = outAlpha.data() + static_cast<std::size_t>(oy) * ow;
            for (int ox = 0; ox < ow; ++ox) da[ox] = a[xs[ox]];
        }
    }
    pixels = std::move(out);
    alpha = std::move(outAlpha);
}

} // namespace vorlin::gfx
