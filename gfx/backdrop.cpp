#include "gfx/backdrop.h"

#include "gfx/view_render.h"

#include <algorithm>
#include <cstdint>
#include <vector>

namespace vorlin::gfx {
namespace {

// The screen is averaged down by this factor before blurring.
constexpr int kShrink = 8;
// Blur passes; three box passes come close to a Gaussian.
constexpr int kPasses = 3;

// A small picture of three float channels (blue, green, red), rows packed.
struct Plane {
    int width = 0, height = 0;
    std::vector<float> values;
    float* row(int y) { return values.data() + static_cast<std::size_t>(y) * width * 3; }
};

// Span [first, end) of source pixels that target pixel j of `target` covers over `source` pixels; at least
// one pixel, so a source smaller than the target repeats its pixels.
std::vector<int> spanStarts(int source, int target) {
    std::vector<int> starts(static_cast<std::size_t>(target) + 1);
    for (int j = 0; j <= target; ++j)
        starts[static_cast<std::size_t>(j)] = static_cast<int>(static_cast<long long>(j) * source / target);
    return starts;
}

// The area average of the part `crop` of `picture` at width × height. The rows of a target row are summed
// column by column first (a straight loop the compiler vectorises), then each target pixel's columns.
Plane averageDown(const Bitmap& picture, const Rect& crop, int width, int height) {
    Plane out{width, height, std::vector<float>(static_cast<std::size_t>(width) * height * 3)};
    const std::vector<int> xs = spanStarts(crop.width(), width);
    const std::vector<int> ys = spanStarts(crop.height(), height);
    const int values = 3 * crop.width();
    std::vector<std::uint32_t> columns(static_cast<std::size_t>(values));
    for (int oy = 0; oy < height; ++oy) {
        std::fill(columns.begin(), columns.end(), 0u);
        const int y0 = ys[oy], y1 = std::max(ys[oy + 1], y0 + 1);
        for (int y = y0; y < y1; ++y) {
            const std::uint8_t* s = picture.scanLine(crop.Top + y) + 3 * crop.Left;
            std::uint32_t* c = columns.data();
            for (int i = 0; i < values; ++i) c[i] += s[i];
        }
        float* d = out.row(oy);
        for (int ox = 0; ox < width; ++ox) {
            const int x0 = xs[ox], x1 = std::max(xs[ox + 1], x0 + 1);
            std::uint32_t sum[3] = {0, 0, 0};
            for (int x = x0; x < x1; ++x)
                for (int c = 0; c < 3; ++c) sum[c] += columns[3 * x + c];
            const float scale = 1.0f / static_cast<float>((x1 - x0) * (y1 - y0));
            for (int c = 0; c < 3; ++c) d[3 * ox + c] = static_cast<float>(sum[c]) * scale;
        }
    }
    return out;
}

// One box-blur pass of radius r along `count` lines of `length` pixels (three channels each), `step`
// floats apart within a line and `lineStep` from one line to the next. Past the ends the edge pixel
// repeats, so the edges keep their brightness.
void boxPass(float* base, int count, int length, std::size_t step, std::size_t lineStep, int r,
             std::vector<float>& line) {
    // The line with r edge pixels added at each end, then a running sum over it.
    const int padded = length + 2 * r + 1;
    line.resize(static_cast<std::size_t>(padded) * 3);
    const float scale = 1.0f / static_cast<float>(2 * r + 1);
    for (int l = 0; l < count; ++l) {
        float* p = base + l * lineStep;
        for (int i = 0; i < padded; ++i) {
            const float* v = p + std::clamp(i - r, 0, length - 1) * step;
            line[3 * i] = v[0];
            line[3 * i + 1] = v[1];
            line[3 * i + 2] = v[2];
        }
        float sum[3] = {0, 0, 0};
        for (int i = 0; i < 2 * r + 1; ++i)
            for (int c = 0; c < 3; ++c) sum[c] += line[3 * i + c];
        for (int i = 0; i < length; ++i) {
            float* out = p + i * step;
            for (int c = 0; c < 3; ++c) {
                out[c] = sum[c] * scale;
                sum[c] += line[3 * (i + 2 * r + 1) + c] - line[3 * i + c];
            }
        }
    }
}

} // namespace

Bitmap makeBackdrop(const Bitmap& picture, int width, int height) {
    if (picture.isEmpty() || width <= 0 || height <= 0) return {};
    // The centred part of the picture with the screen's aspect: the copy covers the screen.
    const int pw = picture.width(), ph = picture.height();
    Rect crop = picture.rect();
    if (static_cast<long long>(pw) * height > static_cast<long long>(ph) * width) {
        const int w = std::max(1, static_cast<int>(static_cast<long long>(ph) * width / height));
        crop.Left = (pw - w) / 2;
        crop.Right = crop.Left + w;
    } else {
        const int h = std::max(1, static_cast<int>(static_cast<long long>(pw) * height / width));
        crop.Top = (ph - h) / 2;
        crop.Bottom = crop.Top + h;
    }

    const int sw = std::max(1, (width + kShrink - 1) / kShrink);
    const int sh = std::max(1, (height + kShrink - 1) / kShrink);
    Plane small = averageDown(picture, crop, sw, sh);

    // A radius in proportion to the screen, so the look is the same at every resolution (about 5 of the
    // small picture's pixels, 40 screen pixels, at 1080 lines).
    const int radius = std::max(1, std::min(sw, sh) / 27);
    std::vector<float> line;
    for (int pass = 0; pass < kPasses; ++pass) {
        boxPass(small.values.data(), sh, sw, 3, static_cast<std::size_t>(sw) * 3, radius, line);
        boxPass(small.values.data(), sw, sh, static_cast<std::size_t>(sw) * 3, 3, radius, line);
    }

    Bitmap dark(sw, sh);
    constexpr float kDarken = kBackdropBrightness / 256.0f;
    for (int y = 0; y < sh; ++y) {
        const float* s = small.row(y);
        std::uint8_t* d = dark.scanLine(y);
        for (int i = 0; i < 3 * sw; ++i)
            d[i] = static_cast<std::uint8_t>(std::min(255.0f, s[i] * kDarken + 0.5f));
    }
    // Enlarged bilinear through 32-bit strips (pixman's fast path), packed to 24 bits.
    Bitmap out(width, height);
    renderScaled(dark, out, out.rect());
    return out;
}

} // namespace vorlin::gfx
