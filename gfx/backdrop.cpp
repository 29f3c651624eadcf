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

// The area average of the part `crop` of `picture` at width × height.
Plane averageDown(const Bitmap& picture, const Rect& crop, int width, int height) {
    Plane out{width, height, std::vector<float>(static_cast<std::size_t>(width) * height * 3)};
    const std::vector<int> xs = spanStarts(crop.width(), width);
    const std::vector<int> ys = spanStarts(crop.height(), height);
    std::vector<std::uint32_t> sums(static_cast<std::size_t>(width) * 3);
    for (int oy = 0; oy < height; ++oy) {
        std::fill(sums.begin(), sums.end(), 0u);
        const int y0 = ys[oy], y1 = std::max(ys[oy + 1], y0 + 1);
        for (int y = y0; y < y1; ++y) {
            const std::uint8_t* s = picture.scanLine(crop.Top + y) + 3 * crop.Left;
            for (int ox = 0; ox < width; ++ox) {
                const int x0 = xs[ox], x1 = std::max(xs[ox + 1], x0 + 1);
                std::uint32_t b = 0, g = 0, r = 0;
                for (const std::uint8_t* p = s + 3 * x0; p < s + 3 * x1; p += 3) {
                    b += p[0];
                    g += p[1];
                    r += p[2];
                }
                sums[3 * ox] += b;
                sums[3 * ox + 1] += g;
                sums[3 * ox + 2] += r;
            }
        }
        float* d = out.row(oy);
        for (int ox = 0; ox < width; ++ox) {
            const int x0 = xs[ox], x1 = std::max(xs[ox + 1], x0 + 1);
            const float scale = 1.0f / static_cast<float>((x1 - x0) * (y1 - y0));
            for (int c = 0; c < 3; ++c) d[3 * ox + c] = static_cast<float>(sums[3 * ox + c]) * scale;
        }
    }
    return out;
}

// One box-blur pass of radius r along `count` lines of `length` values each (three channels), `step`
// floats apart within a line and `lineStep` from one line to the next. Past the ends the edge value
// repeats, so the edges keep their brightness.
void boxPass(float* base, int count, int length, std::size_t step, std::size_t lineStep, int r,
             std::vector<float>& line) {
    line.resize(static_cast<std::size_t>(length) * 3);
    const float scale = 1.0f / static_cast<float>(2 * r + 1);
    for (int l = 0; l < count; ++l) {
        float* p = base + l * lineStep;
        for (int i = 0; i < length; ++i)
            for (int c = 0; c < 3; ++c) line[3 * i + c] = p[i * step + c];
        auto at = [&](int i, int c) { return line[3 * std::clamp(i, 0, length - 1) + c]; };
        for (int c = 0; c < 3; ++c) {
            float sum = 0;
            for (int i = -r; i <= r; ++i) sum += at(i, c);
            for (int i = 0; i < length; ++i) {
                p[i * step + c] = sum * scale;
                sum += at(i + r + 1, c) - at(i - r, c);
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
    Bitmap out(width, height);
    renderScaled(dark, out, out.rect());
    return out;
}

} // namespace vorlin::gfx
