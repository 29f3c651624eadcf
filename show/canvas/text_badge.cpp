#include "show/canvas/text_badge.h"

#include <QFont>
#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>
#include <QPen>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

namespace vorlin::canvas {
namespace {

// One pass of a box blur of `radius` along rows (step 1) or columns (step = row length) of an alpha plane.
void boxBlurPass(std::vector<int>& plane, int width, int height, int radius, bool alongRows) {
    const int lines = alongRows ? height : width;
    const int length = alongRows ? width : height;
    const int step = alongRows ? 1 : width;
    const int span = 2 * radius + 1;
    std::vector<int> line(static_cast<std::size_t>(length));
    for (int l = 0; l < lines; ++l) {
        int* first = plane.data() + (alongRows ? static_cast<std::ptrdiff_t>(l) * width : l);
        for (int i = 0; i < length; ++i) line[i] = first[static_cast<std::ptrdiff_t>(i) * step];
        // A running sum over the window; outside the plane counts as transparent.
        int sum = 0;
        for (int i = 0; i < std::min(radius, length); ++i) sum += line[i];
        for (int i = 0; i < length; ++i) {
            if (i + radius < length) sum += line[i + radius];
            if (i - radius - 1 >= 0) sum -= line[i - radius - 1];
            first[static_cast<std::ptrdiff_t>(i) * step] = sum / span;
        }
    }
}

} // namespace

int badgeFontPixels(int screenHeight) {
    return std::max(11, static_cast<int>(std::lround(screenHeight / 36.0)));
}

int badgeMargin(int screenHeight) {
    return std::max(4, badgeFontPixels(screenHeight) / 2);
}

QImage renderTextBadge(const QString& text, int screenHeight, int maxWidth) {
    if (text.trimmed().isEmpty()) return {};
    const int px = badgeFontPixels(screenHeight);
    QFont font;
    font.setPixelSize(px);
    font.setWeight(QFont::DemiBold);
    const QFontMetricsF metrics(font);
    // Room for the shadow on every side: the blur spreads it by three radii at most.
    const int blur = std::max(1, px / 10);
    const int pad = 3 * blur + std::max(1, px / 12);
    const int textRoom = maxWidth - 2 * pad;
    if (textRoom < px) return {};
    const QString shown = metrics.elidedText(text, Qt::ElideRight, textRoom);
    if (shown.isEmpty()) return {};
    const int width =
        std::min(maxWidth, static_cast<int>(std::ceil(metrics.horizontalAdvance(shown))) + 2 * pad);
    const int height = static_cast<int>(std::ceil(metrics.height())) + 2 * pad;

    QPainterPath glyphs;
    glyphs.addText(QPointF(pad, pad + metrics.ascent()), font, shown);

    // The shadow: the glyphs with a widened outline, blurred, its alpha raised so that the band next to
    // each stroke stays dark enough to set white glyphs off a white picture.
    QImage mask(width, height, QImage::Format_ARGB32_Premultiplied);
    mask.fill(Qt::transparent);
    {
        QPainter p(&mask);
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(QPen(Qt::black, std::max(2.0, px / 6.0), Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.setBrush(Qt::black);
        p.drawPath(glyphs);
    }
    std::vector<int> alpha(static_cast<std::size_t>(width) * height);
    for (int y = 0; y < height; ++y) {
        const auto* row = reinterpret_cast<const QRgb*>(mask.constScanLine(y));
        for (int x = 0; x < width; ++x) alpha[static_cast<std::size_t>(y) * width + x] = qAlpha(row[x]);
    }
    for (int pass = 0; pass < 3; ++pass) {
        boxBlurPass(alpha, width, height, blur, true);
        boxBlurPass(alpha, width, height, blur, false);
    }
    QImage badge(width, height, QImage::Format_ARGB32_Premultiplied);
    for (int y = 0; y < height; ++y) {
        auto* row = reinterpret_cast<QRgb*>(badge.scanLine(y));
        for (int x = 0; x < width; ++x) {
            const int a = std::min(200, alpha[static_cast<std::size_t>(y) * width + x] * 2);
            row[x] = qRgba(0, 0, 0, a); // black: premultiplied as it is
        }
    }
    QPainter p(&badge);
    p.setRenderHint(QPainter::Antialiasing);
    p.fillPath(glyphs, Qt::white);
    return badge;
}

void stampTextBadge(gfx::Bitmap& target, const QImage& badge, int x, int y) {
    if (badge.isNull() || target.isEmpty()) return;
    const QImage source = badge.format() == QImage::Format_ARGB32_Premultiplied
                              ? badge
                              : badge.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    const int left = std::max(0, x), top = std::max(0, y);
    const int right = std::min(target.width(), x + source.width());
    const int bottom = std::min(target.height(), y + source.height());
    for (int ty = top; ty < bottom; ++ty) {
        const auto* src = reinterpret_cast<const QRgb*>(source.constScanLine(ty - y));
        std::uint8_t* dst = target.scanLine(ty) + 3 * left;
        for (int tx = left; tx < right; ++tx, dst += 3) {
            const QRgb s = src[tx - x];
            const int keep = 255 - qAlpha(s);
            if (keep == 255) continue;
            // Premultiplied "source over": the badge's colour plus what shows through it.
            dst[0] = static_cast<std::uint8_t>(qBlue(s) + (dst[0] * keep + 127) / 255);
            dst[1] = static_cast<std::uint8_t>(qGreen(s) + (dst[1] * keep + 127) / 255);
            dst[2] = static_cast<std::uint8_t>(qRed(s) + (dst[2] * keep + 127) / 255);
        }
    }
}

} // namespace vorlin::canvas
