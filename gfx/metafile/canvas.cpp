#include "gfx/metafile/canvas.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <numbers>

namespace vorlin::gfx::metafile {

namespace {

// Keeps hostile coordinates in a range where every conversion to int is defined.
constexpr double kCoordLimit = 1e8;

// Work units. A unit is at most about 3 ns of work in an optimised build (a pixel of a solid or hatched
// fill is one unit and takes 0.4 to 2 ns); steps that take longer count several, so that the budget
// bounds the time whatever a file makes us do. The weights were measured per kind of step: an edge on a
// row, a pattern or image pixel ~3, a wide pen's piece point ~4, a pixel of a one-pixel line (each on
// another row: a cache miss) ~8, an alpha-blended pixel ~24, a level of the search for a clipped
// span's rectangles ~8.
constexpr long long kEdgeCost = 3;         // an edge on one row; a step of the crossing sort; a point read
constexpr long long kPiecePointCost = 4;   // a point of the pieces a wide pen is built from
constexpr long long kLinePixelCost = 8;    // a pixel of a one-pixel line, styled or not
constexpr long long kPatternPixelCost = 3; // a pixel filled from a pattern brush
constexpr long long kImagePixelCost = 3;   // a pixel sampled from a source image
constexpr long long kBlendPixelCost = 24;  // a pixel alpha-blended or colour-keyed
constexpr long long kClipSearchCost = 8;   // a level of the binary search for a span's clip rectangles

double clampCoord(double v) {
    if (!std::isfinite(v)) return 0;
    return std::clamp(v, -kCoordLimit, kCoordLimit);
}

bool hatchHit(int hatch, int x, int y) {
    const int hx = x & 7, hy = y & 7;
    switch (hatch) {
    case 0:
        return hy == 0; // HS_HORIZONTAL
    case 1:
        return hx == 0; // HS_VERTICAL
    case 2:
        return ((hx - hy) & 7) == 0; // HS_FDIAGONAL
    case 3:
        return ((hx + hy) & 7) == 0; // HS_BDIAGONAL
    case 4:
        return hx == 0 || hy == 0; // HS_CROSS
    default:
        return ((hx - hy) & 7) == 0 || ((hx + hy) & 7) == 0; // HS_DIAGCROSS
    }
}

double signedArea(const std::vector<PointD>& pts) {
    double a = 0;
    for (std::size_t i = 0, n = pts.size(); i < n; ++i) {
        const PointD& p = pts[i];
        const PointD& q = pts[(i + 1) % n];
        a += p.x * q.y - q.x * p.y;
    }
    return a / 2;
}

// The points of a circle of radius r around the origin (about one per π pixels of radius, 8 to 128); a
// disc at p is p plus each of them.
std::vector<PointD> circleOffsets(double r) {
    const int n = std::clamp(static_cast<int>(std::ceil(std::numbers::pi * r)), 8, 128);
    std::vector<PointD> k;
    k.reserve(n);
    for (int i = 0; i < n; ++i) {
        const double t = 2 * std::numbers::pi * i / n;
        k.push_back({r * std::cos(t), r * std::sin(t)});
    }
    return k;
}

} // namespace

Canvas::Canvas(int width, int height, long long workBudget)
    : pixels_(width, height), coverage_(static_cast<std::size_t>(pixels_.width()) * pixels_.height(), 0),
      budget_(workBudget) {}

void Canvas::writeRun(int y, int x0, int x1, const Paint& paint) {
    std::uint8_t* row = pixels_.scanLine(y);
    std::uint8_t* cov = coverage_.data() + static_cast<std::size_t>(y) * pixels_.width();
    if (paint.pattern && !paint.pattern->isEmpty()) {
        const Bitmap& p = *paint.pattern;
        const std::uint8_t* prow = p.scanLine(y % p.height());
        const int pw = p.width();
        for (int x = x0, px = x0 % pw; x < x1; ++x) {
            const std::uint8_t* s = prow + 3 * px;
            std::copy(s, s + 3, row + 3 * x);
            cov[x] = 255;
            if (++px == pw) px = 0;
        }
        return;
    }
    if (paint.hatch < 0) {
        // A solid run: one pixel, then copies of what is already filled (doubling each time), so that a
        // long run costs a few block copies rather than a store per byte.
        std::uint8_t* d = row + 3 * x0;
        const int n = x1 - x0;
        d[0] = paint.color.b;
        d[1] = paint.color.g;
        d[2] = paint.color.r;
        for (int done = 1; done < n;) {
            const int k = std::min(done, n - done);
            std::memcpy(d + 3 * done, d, 3 * static_cast<std::size_t>(k));
            done += k;
        }
        std::memset(cov + x0, 255, static_cast<std::size_t>(n));
        return;
    }
    for (int x = x0; x < x1; ++x) {
        Color c = paint.color;
        if (paint.hatch >= 0 && !hatchHit(paint.hatch, x, y)) {
            if (!paint.backgroundOpaque) continue;
            c = paint.background;
        }
        row[3 * x] = c.b;
        row[3 * x + 1] = c.g;
        row[3 * x + 2] = c.r;
        cov[x] = 255;
    }
}

void Canvas::paintSpan(int y, int x0, int x1, const Paint& paint) {
    if (y < 0 || y >= height()) return;
    x0 = std::max(x0, 0);
    x1 = std::min(x1, width());
    if (x0 >= x1) return;
    budget_ -= (paint.pattern ? kPatternPixelCost : 1) * (x1 - x0);
    if (clip_) budget_ -= kClipSearchCost * searchDepth(static_cast<std::size_t>(clip_->rectCount()));
    forClippedRuns(y, x0, x1, [&](int a, int b) { writeRun(y, a, b, paint); });
}

template <class F> void Canvas::forClippedRuns(int y, int x0, int x1, F&& f) const {
    if (!clip_) {
        f(x0, x1);
        return;
    }
    const auto boxes = clip_->boxes();
    const pixman_box32_t* r = boxes.data();
    const pixman_box32_t* end = r + boxes.size();
    // Bands are sorted by y: skip to the first rectangle whose bottom lies below this row.
    const pixman_box32_t* it =
        std::partition_point(r, end, [y](const pixman_box32_t& b) { return b.y2 <= y; });
    if (it == end || it->y1 > y) return;
    // The rectangles of row y's band share its top and bottom and are sorted by x: visit only those that
    // meet [x0, x1), so that a one-pixel span costs a search, not a walk over a band of thousands.
    const pixman_box32_t* bandEnd =
        std::partition_point(it, end, [y](const pixman_box32_t& b) { return b.y1 <= y; });
    it = std::partition_point(it, bandEnd, [x0](const pixman_box32_t& b) { return b.x2 <= x0; });
    for (; it != bandEnd && it->x1 < x1; ++it) {
        const int a = std::max(x0, it->x1), b = std::min(x1, it->x2);
        if (a < b) f(a, b);
    }
}

void Canvas::scan(const Outline& outline, FillRule rule, const std::function<void(int, int, int)>& out) {
    // A pixel is inside when the crossings of its row at or left of its centre wind (or count odd): a row
    // takes part when the edge's half-open y range [top, bottom) holds it, and runs between crossings have
    // their ends rounded up, kept within [-1, width + 1].
    //
    // Edges wholly left of the canvas (all of their crossings round to -1) only add to the winding of the
    // rows they span, and edges wholly right of it (all round to width + 1) only end a run there: neither
    // kind is walked row by row. This keeps outlines far larger than the picture (a zoomed-in drawing, a
    // very wide pen) as cheap as what they show.
    //
    // What the walk costs, in edge steps: every outline point, and what the scan converter charges (the
    // sort of the walked edges by their first row, every row, every walked edge on every row, the steps
    // that restore the order of the crossings, the edges that join). Runs are charged by whoever paints
    // them.
    struct Edge {
        double x0, y0, slope;
        int yStart, yEnd, dir;
        double crossing(int y) const { return x0 + (y - y0) * slope; }
    };
    ScanConverter<Edge> walk(rule, &budget_, kEdgeCost);
    const int H = height();
    const double right = static_cast<double>(width()) + 1;
    for (const Contour& k : outline) {
        const std::size_t n = k.pts.size();
        budget_ -= kEdgeCost * static_cast<long long>(n);
        if (n < 2) continue;
        for (std::size_t i = 0; i < n; ++i) {
            PointD p{clampCoord(k.pts[i].x), clampCoord(k.pts[i].y)};
            PointD q{clampCoord(k.pts[(i + 1) % n].x), clampCoord(k.pts[(i + 1) % n].y)};
            if (p.y == q.y) continue;
            int dir = 1;
            if (p.y > q.y) {
                std::swap(p, q);
                dir = -1;
            }
            const int ys = static_cast<int>(std::max(0.0, std::ceil(p.y)));
            const int ye = static_cast<int>(std::min(static_cast<double>(H), std::ceil(q.y)));
            if (ys >= ye) continue;
            // A margin of one pixel keeps rounding in the crossing formula from moving a crossing across.
            if (std::max(p.x, q.x) < -2)
                walk.addEdgeLeft(ys, ye, dir);
            else if (std::min(p.x, q.x) > right + 1)
                walk.addEdgeRight(ys, ye);
            else
                walk.addEdge({p.x, p.y, (q.x - p.x) / (q.y - p.y), ys, ye, dir});
        }
    }
    walk.run(
        [&out](int y, double from, double to) {
            if (from < to) out(y, static_cast<int>(from), static_cast<int>(to));
        },
        [right](double x) { return std::clamp(std::ceil(x), -1.0, right); }, -1.0, right);
}

void Canvas::fill(const Outline& outline, FillRule rule, const Paint& paint) {
    if (exhausted()) return;
    scan(outline, rule, [&](int y, int x0, int x1) { paintSpan(y, x0, x1, paint); });
}

namespace {

// On/off run lengths in pixels of the styled one-pixel pens PS_DASH … PS_DASHDOTDOT (1..4).
constexpr int kDashes[4][6] = {{18, 6}, {3, 3}, {9, 6, 3, 6}, {9, 3, 3, 3, 3, 3}};
constexpr int kDashCount[4] = {2, 2, 4, 6};

} // namespace

bool Canvas::Dash::step() {
    if (style < 1 || style > 4) return true;
    const bool on = index % 2 == 0;
    if (++done >= kDashes[style - 1][index]) {
        done = 0;
        index = (index + 1) % kDashCount[style - 1];
    }
    return on;
}

void Canvas::thinLine(PointD a, PointD b, const Paint& paint, Dash& dash) {
    long long x0 = std::llround(clampCoord(a.x)), y0 = std::llround(clampCoord(a.y));
    const long long x1 = std::llround(clampCoord(b.x)), y1 = std::llround(clampCoord(b.y));
    const long long dx = std::llabs(x1 - x0), dy = -std::llabs(y1 - y0);
    const int sx = x0 < x1 ? 1 : -1, sy = y0 < y1 ? 1 : -1;
    // Walk only the part of the line that can touch the canvas: hostile coordinates may be far off.
    if ((x0 < 0 && x1 < 0) || (y0 < 0 && y1 < 0) || (x0 >= width() && x1 >= width()) ||
        (y0 >= height() && y1 >= height()))
        return;
    const long long steps = std::max(dx, -dy);
    if (steps > 4LL * (width() + height())) {
        // Too long to walk pixel by pixel: draw it as a one-pixel-wide polygon instead.
        wideStroke({Contour{{a, b}, false}}, 1.0, paint);
        return;
    }
    long long err = dx + dy;
    while (!(x0 == x1 && y0 == y1) && budget_ >= 0) {
        // paintSpan charges one of the line pixel's units.
        budget_ -= kLinePixelCost - 1;
        if (dash.step())
            paintSpan(static_cast<int>(y0), static_cast<int>(x0), static_cast<int>(x0) + 1, paint);
        else
            --budget_;
        const long long e2 = 2 * err;
        if (e2 >= dy) {
            err += dy;
            x0 += sx;
        }
        if (e2 <= dx) {
            err += dx;
            y0 += sy;
        }
    }
}

void Canvas::stroke(const Outline& outline, double width, const Paint& paint, int dashStyle) {
    if (exhausted()) return;
    if (!(width > 1.5)) {
        for (const Contour& k : outline) {
            Dash dash{dashStyle};
            const std::size_t n = k.pts.size();
            if (n == 1)
                paintSpan(static_cast<int>(std::lround(clampCoord(k.pts[0].y))),
                          static_cast<int>(std::lround(clampCoord(k.pts[0].x))),
                          static_cast<int>(std::lround(clampCoord(k.pts[0].x))) + 1, paint);
            for (std::size_t i = 0; i + 1 < n; ++i) thinLine(k.pts[i], k.pts[i + 1], paint, dash);
            if (k.closed && n > 2) thinLine(k.pts[n - 1], k.pts[0], paint, dash);
        }
        return;
    }
    wideStroke(outline, width, paint);
}

void Canvas::wideStroke(const Outline& outline, double width, const Paint& paint) {
    // A wide pen: one quadrilateral per segment and a disc at every vertex (round joins and caps), all
    // turned the same way so that the winding fill paints their union. The points of the pieces are
    // charged before they are made: a long outline with a wide pen makes very many.
    const double r = std::min(width, 1e6) / 2;
    const std::vector<PointD> disc = circleOffsets(r);
    long long points = 0;
    for (const Contour& k : outline) points += static_cast<long long>(k.pts.size());
    budget_ -= kPiecePointCost * points * static_cast<long long>(disc.size() + 4);
    if (budget_ < 0) return;
    Outline pieces;
    auto addPiece = [&pieces](Contour c) {
        if (signedArea(c.pts) < 0) std::reverse(c.pts.begin(), c.pts.end());
        pieces.push_back(std::move(c));
    };
    for (const Contour& k : outline) {
        const std::size_t n = k.pts.size();
        const std::size_t segs = k.closed && n > 2 ? n : (n > 0 ? n - 1 : 0);
        for (std::size_t i = 0; i < segs; ++i) {
            const PointD p = k.pts[i], q = k.pts[(i + 1) % n];
            const double len = std::hypot(q.x - p.x, q.y - p.y);
            if (!(len > 0) || !std::isfinite(len)) continue;
            const double nx = -(q.y - p.y) / len * r, ny = (q.x - p.x) / len * r;
            addPiece(Contour{
                {{p.x + nx, p.y + ny}, {q.x + nx, q.y + ny}, {q.x - nx, q.y - ny}, {p.x - nx, p.y - ny}},
                true});
        }
        for (const PointD& p : k.pts) {
            Contour c;
            c.closed = true;
            c.pts.reserve(disc.size());
            for (const PointD& d : disc) c.pts.push_back({p.x + d.x, p.y + d.y});
            addPiece(std::move(c));
        }
    }
    fill(pieces, FillRule::Winding, paint);
}

void Canvas::drawImage(const Bitmap& src, long long sx, long long sy, long long sw, long long sh, double x0,
                       double y0, double x1, double y1, std::uint32_t rop, const ImageBlend* blend) {
    if (exhausted() || src.isEmpty() || sw == 0 || sh == 0) return;
    bool flipX = false, flipY = false;
    if (sw < 0) {
        sx += sw;
        sw = -sw;
        flipX = true;
    }
    if (sh < 0) {
        sy += sh;
        sh = -sh;
        flipY = true;
    }
    x0 = clampCoord(x0), x1 = clampCoord(x1), y0 = clampCoord(y0), y1 = clampCoord(y1);
    if (x1 < x0) {
        std::swap(x0, x1);
        flipX = !flipX;
    }
    if (y1 < y0) {
        std::swap(y0, y1);
        flipY = !flipY;
    }
    if (!(x1 > x0) || !(y1 > y0)) return;
    // A source rectangle far beyond the bitmap samples nothing; this also keeps the arithmetic in range.
    if (sx >= src.width() || sy >= src.height() || sx + sw <= 0 || sy + sh <= 0 || sw > (1LL << 31) ||
        sh > (1LL << 31))
        return;
    const int ix0 = static_cast<int>(std::max(0.0, std::ceil(x0)));
    const int ix1 = static_cast<int>(std::min(static_cast<double>(width()), std::ceil(x1)));
    const int iy0 = static_cast<int>(std::max(0.0, std::ceil(y0)));
    const int iy1 = static_cast<int>(std::min(static_cast<double>(height()), std::ceil(y1)));
    const int op = static_cast<int>((rop >> 16) & 0xFF);

    if (ix0 >= ix1 || iy0 >= iy1) return;
    // The source column of each destination column, once per call.
    budget_ -= ix1 - ix0;
    std::vector<long long> cols(static_cast<std::size_t>(ix1 - ix0));
    for (int x = ix0; x < ix1; ++x) {
        const long long k = clampToInt((x - x0 + 0.5) / (x1 - x0) * sw, 0, static_cast<int>(sw - 1));
        cols[x - ix0] = sx + (flipX ? sw - 1 - k : k);
    }
    for (int y = iy0; y < iy1 && budget_ >= 0; ++y) {
        const long long k = clampToInt((y - y0 + 0.5) / (y1 - y0) * sh, 0, static_cast<int>(sh - 1));
        const long long row = sy + (flipY ? sh - 1 - k : k);
        if (row < 0 || row >= src.height()) continue;
        // Runs of destination pixels go through the clip; within them each pixel samples its column.
        std::uint8_t* line = pixels_.scanLine(y);
        std::uint8_t* cov = coverage_.data() + static_cast<std::size_t>(y) * width();
        budget_ -= (blend ? kBlendPixelCost : kImagePixelCost) * (ix1 - ix0);
        if (clip_) budget_ -= kClipSearchCost * searchDepth(static_cast<std::size_t>(clip_->rectCount()));
        forClippedRuns(y, ix0, ix1, [&](int a, int b) {
            for (int x = a; x < b; ++x) {
                const long long col = cols[x - ix0];
                if (col < 0 || col >= src.width()) continue;
                const Color s = src.pixel(static_cast<int>(col), static_cast<int>(row));
                std::uint8_t* d = line + 3 * x;
                if (blend) {
                    blendPixel(d, cov[x], s, src, col, row, *blend);
                    continue;
                }
                const bool drawn = cov[x] != 0;
                std::uint8_t out[3] = {s.b, s.g, s.r};
                switch (op) {
                case 0x88: // SRCAND: a white source keeps what is below (nothing stays nothing)
                    if (s == Color{255, 255, 255}) continue;
                    if (drawn)
                        for (int i = 0; i < 3; ++i) out[i] &= d[i];
                    break;
                case 0xEE: // SRCPAINT: a black source keeps what is below
                    if (s == Color{}) continue;
                    if (drawn)
                        for (int i = 0; i < 3; ++i) out[i] |= d[i];
                    break;
                case 0x66: // SRCINVERT
                    if (s == Color{}) continue;
                    if (drawn)
                        for (int i = 0; i < 3; ++i) out[i] ^= d[i];
                    break;
                case 0x33: // NOTSRCCOPY
                    for (int i = 0; i < 3; ++i) out[i] = static_cast<std::uint8_t>(~out[i]);
                    break;
                default:
                    break;
                }
                d[0] = out[0], d[1] = out[1], d[2] = out[2];
                cov[x] = 255;
            }
        });
    }
}

void Canvas::blendPixel(std::uint8_t* d, std::uint8_t& cov, Color s, const Bitmap& src, long long col,
                        long long row, const ImageBlend& b) {
    if (b.colorKey) {
        if (s == b.key) return;
        d[0] = s.b, d[1] = s.g, d[2] = s.r;
        cov = 255;
        return;
    }
    // Porter-Duff "over" with premultiplied source colours; the coverage plane is the destination alpha.
    const double k = b.constantAlpha / 255.0;
    double sa = k;
    double sc[3] = {s.b * k, s.g * k, s.r * k};
    if (b.alpha && b.alpha->size() == static_cast<std::size_t>(src.width()) * src.height()) {
        const double a = (*b.alpha)[static_cast<std::size_t>(row) * src.width() + col] / 255.0;
        sa = a * k;
        // Premultiplied colours may not exceed their alpha; a broken picture is clamped rather than trusted.
        for (double& c : sc) c = std::min(c, sa * 255);
    } else {
        // An opaque source: the straight colours times the constant alpha are already premultiplied.
    }
    const double da = cov / 255.0;
    const double outA = sa + da * (1 - sa);
    if (outA <= 0) return;
    for (int i = 0; i < 3; ++i)
        d[i] = static_cast<std::uint8_t>(std::clamp((sc[i] + d[i] * da * (1 - sa)) / outA + 0.5, 0.0, 255.0));
    cov = static_cast<std::uint8_t>(std::clamp(outA * 255 + 0.5, 0.0, 255.0));
}

void Canvas::drawMask(const std::uint8_t* mask, int pitch, int left, int top, int w, int h,
                      const Paint& paint) {
    // The mask's area is charged whether or not it lands on the canvas: making it (a rendered glyph) and
    // reading it cost about as much.
    budget_ -= static_cast<long long>(std::max(w, 0)) * std::max(h, 0);
    for (int j = 0; j < h && budget_ >= 0; ++j) {
        const int y = top + j;
        if (y < 0 || y >= height()) continue;
        const std::uint8_t* m = mask + static_cast<std::ptrdiff_t>(j) * pitch;
        int i = 0;
        while (i < w) {
            while (i < w && m[i] < 128) ++i;
            const int start = i;
            while (i < w && m[i] >= 128) ++i;
            if (start < i) paintSpan(y, left + start, left + i, paint);
        }
    }
}

} // namespace vorlin::gfx::metafile
