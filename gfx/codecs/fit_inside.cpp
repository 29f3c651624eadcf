#include "gfx/codecs/fit_inside.h"

#include "gfx/blit.h"

#include <algorithm>

namespace vorlin::gfx {

long long mulDivHalfEven(long long a, long long b, long long c) {
    const long long p = a * b;
    long long q = p / c;
    const long long twiceRest = 2 * (p % c);
    if (twiceRest > c || (twiceRest == c && (q & 1))) ++q;
    return q;
}

PictureSize fitInsideSize(int width, int height, int boxWidth, int boxHeight) {
    if (boxWidth <= 0 || boxHeight <= 0 || width <= 0 || height <= 0) return {width, height};
    if (width <= boxWidth && height <= boxHeight) return {width, height};
    // (width − W) / W > (height − H) / H, compared exactly by cross-multiplying.
    const long long overW = static_cast<long long>(width - boxWidth) * boxHeight;
    const long long overH = static_cast<long long>(height - boxHeight) * boxWidth;
    if (overW > overH)
        return {boxWidth, static_cast<int>(std::max(1LL, mulDivHalfEven(height, boxWidth, width)))};
    return {static_cast<int>(std::max(1LL, mulDivHalfEven(width, boxHeight, height))), boxHeight};
}

void fitInside(Bitmap& picture, int boxWidth, int boxHeight, Color fill) {
    const PictureSize s = fitInsideSize(picture.width(), picture.height(), boxWidth, boxHeight);
    if (s.width == picture.width() && s.height == picture.height()) return;
    Bitmap shrunk(s.width, s.height, fill);
    stretchCopy(shrunk, 0, 0, s.width, s.height, picture, 0, 0, picture.width(), picture.height());
    picture = std::move(shrunk);
}

} // namespace vorlin::gfx
