#include "gfx/metafile/player.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>

namespace vorlin::gfx::metafile {

namespace {

constexpr std::size_t kMaxSavedStates = 4096;
// Points a path may hold (256 MB); what a hostile file adds beyond that is dropped.
constexpr std::size_t kMaxPathPoints = 16'000'000;
// Points one bézier record may flatten into: segments get fewer points when a record has very many.
constexpr std::size_t kMaxBezierPoints = 4'000'000;
constexpr double kPi = std::numbers::pi;
// Work units (about one pixel written each) one clip rectangle costs in region algebra.
constexpr long long kRegionRectCost = 4;

// The logical unit of the fixed map modes MM_LOMETRIC … MM_TWIPS (2..6): `mm` millimetres per `per` units,
// y growing upwards.
struct UnitSize {
    double mm, per;
};
constexpr std::array<UnitSize, 5> kFixedUnits = {
    {{0.1, 1}, {0.01, 1}, {0.254, 1}, {0.0254, 1}, {25.4, 1440}}};

// The clip combination of a file's mode (RGN_AND … RGN_COPY, 1..5); anything else replaces the clip.
CombineMode combineMode(int mode) {
    switch (mode) {
    case 1:
        return CombineMode::And;
    case 2:
        return CombineMode::Or;
    case 3:
        return CombineMode::Xor;
    case 4:
        return CombineMode::Diff;
    default:
        return CombineMode::Copy;
    }
}

PenObject pen(int style, Color c) {
    PenObject p;
    p.style = style;
    p.color = c;
    return p;
}

BrushObject brush(int style, Color c) {
    BrushObject b;
    b.style = style;
    b.color = c;
    return b;
}

double nonZero(double v) {
    return v == 0 ? 1 : v;
}

} // namespace

GdiObject stockObject(std::uint32_t index) {
    // WHITE_BRUSH, LTGRAY_BRUSH, GRAY_BRUSH, DKGRAY_BRUSH, BLACK_BRUSH: solid greys.
    constexpr std::array<std::uint8_t, 5> kBrushGreys = {255, 192, 128, 64, 0};
    if (index < kBrushGreys.size()) {
        const std::uint8_t grey = kBrushGreys[index];
        return brush(0, {grey, grey, grey});
    }
    switch (index) {
    case 5: // NULL_BRUSH
        return brush(1, {});
    case 6: // WHITE_PEN
        return pen(0, {255, 255, 255});
    case 7: // BLACK_PEN
        return pen(0, {0, 0, 0});
    case 8: // NULL_PEN
        return pen(5, {});
    case 10:
    case 11:
    case 12:
    case 13:
    case 14:
    case 16:
    case 17: {
        FontObject f;
        f.height = 16;
        if (index == 11 || index == 10) f.face = "monospace";
        return f;
    }
    default:
        return {};
    }
}

Player::Player(Canvas& canvas, const Affine& deviceToPicture, bool windowToPicture)
    : canvas_(canvas), deviceToPicture_(deviceToPicture), windowToPicture_(windowToPicture) {
    dc.brush = brush(0, {255, 255, 255});
    dc.pen = pen(0, {0, 0, 0});
}

const Affine& Player::logicalToPicture() {
    if (mappingValid_) return mapping_;
    const PointD wo = dc.windowOrg, we{nonZero(dc.windowExt.x), nonZero(dc.windowExt.y)};
    if (windowToPicture_) {
        const double sx = canvas_.width() / we.x, sy = canvas_.height() / we.y;
        mapping_ = Affine{sx, 0, 0, sy, -wo.x * sx, -wo.y * sy}.after(dc.world);
    } else {
        double sx = 1, sy = 1;
        const PointD u = deviceUnitsPerMm;
        switch (dc.mapMode) {
        case 2:   // MM_LOMETRIC
        case 3:   // MM_HIMETRIC
        case 4:   // MM_LOENGLISH
        case 5:   // MM_HIENGLISH
        case 6: { // MM_TWIPS
            const UnitSize unit = kFixedUnits[std::size_t(dc.mapMode - 2)];
            sx = u.x * unit.mm / unit.per, sy = -u.y * unit.mm / unit.per;
            break;
        }
        case 7: // MM_ISOTROPIC
        case 8: // MM_ANISOTROPIC
            sx = dc.viewportExt.x / we.x;
            sy = dc.viewportExt.y / we.y;
            if (dc.mapMode == 7) {
                const double m = std::min(std::fabs(sx), std::fabs(sy));
                sx = std::copysign(m, sx);
                sy = std::copysign(m, sy);
            }
            break;
        default:
            break; // MM_TEXT
        }
        const Affine page{sx, 0, 0, sy, dc.viewportOrg.x - wo.x * sx, dc.viewportOrg.y - wo.y * sy};
        mapping_ = deviceToPicture_.after(page).after(dc.world);
    }
    if (!mapping_.finite()) mapping_ = Affine{0, 0, 0, 0, 0, 0};
    mappingValid_ = true;
    return mapping_;
}

PointD Player::toPicture(PointD p) {
    return logicalToPicture().map(p);
}

Contour Player::mapContour(const std::vector<PointD>& logical, bool closed) {
    const Affine& m = logicalToPicture();
    Contour c;
    c.closed = closed;
    c.pts.reserve(logical.size());
    for (const PointD& p : logical) c.pts.push_back(m.map(p));
    return c;
}

double Player::penPixels() {
    // Cosmetic pens and width 0 are one pixel whatever the mapping; others scale with it.
    if (dc.pen.cosmetic || dc.pen.width <= 0) return 1;
    return std::max(1.0, dc.pen.width * logicalToPicture().scale());
}

Paint Player::brushPaint(const BrushObject& b) const {
    Paint p;
    p.color = b.color;
    if (b.style == 2) {
        p.hatch = std::clamp(b.hatch, 0, 5);
        p.background = dc.bkColor;
        p.backgroundOpaque = dc.bkMode == 2;
    } else if (b.style == 3) {
        p.pattern = b.pattern;
    }
    return p;
}

void Player::fillOutline(const Outline& o) {
    if (dc.brush.style == 1 || dc.rop2 == 11) return; // BS_NULL, R2_NOP
    canvas_.setClip(dc.clip);
    canvas_.fill(o, dc.polyFillMode == 2 ? FillRule::Winding : FillRule::Alternate, brushPaint(dc.brush));
}

void Player::strokeOutline(const Outline& o) {
    if (dc.pen.style == 5 || dc.rop2 == 11) return; // PS_NULL, R2_NOP
    canvas_.setClip(dc.clip);
    Paint p;
    p.color = dc.pen.color;
    canvas_.stroke(o, penPixels(), p, dc.pen.style >= 1 && dc.pen.style <= 4 ? dc.pen.style : 0);
}

void Player::emit(Outline outline, bool fillable) {
    if (inPath_) {
        for (Contour& c : outline) {
            pathPoints_ += c.pts.size();
            if (pathPoints_ > kMaxPathPoints) break;
            path_.push_back(std::move(c));
        }
        figureOpen_ = false;
        return;
    }
    if (fillable) fillOutline(outline);
    strokeOutline(outline);
}

std::vector<PointD> Player::ellipsePoints(double l, double t, double r, double b, double a0, double sweep,
                                          bool full) {
    const double cx = (l + r) / 2, cy = (t + b) / 2, rx = std::fabs(r - l) / 2, ry = std::fabs(b - t) / 2;
    const double px = std::max(rx, ry) * logicalToPicture().scale();
    const double frac = full ? 1.0 : std::fabs(sweep) / (2 * kPi);
    const int n = clampToInt(std::ceil(kPi * px * frac), 8, 720);
    std::vector<PointD> pts;
    pts.reserve(n + 1);
    const int count = full ? n : n + 1;
    for (int i = 0; i < count; ++i) {
        const double a = a0 + sweep * i / n;
        pts.push_back({cx + rx * std::cos(a), cy - ry * std::sin(a)});
    }
    return pts;
}

std::vector<PointD> Player::bezierPoints(PointD p0, PointD p1, PointD p2, PointD p3, int maxPoints) {
    const Affine& m = logicalToPicture();
    auto dist = [&m](PointD a, PointD b) {
        const PointD v = m.mapVector({b.x - a.x, b.y - a.y});
        return std::hypot(v.x, v.y);
    };
    const double len = dist(p0, p1) + dist(p1, p2) + dist(p2, p3);
    const int n = std::min(clampToInt(len / 3, 4, 128), maxPoints);
    std::vector<PointD> pts;
    for (int i = 1; i <= n; ++i) {
        const double s = static_cast<double>(i) / n, u = 1 - s;
        const double a = u * u * u, b = 3 * u * u * s, c = 3 * u * s * s, d = s * s * s;
        pts.push_back({a * p0.x + b * p1.x + c * p2.x + d * p3.x, a * p0.y + b * p1.y + c * p2.y + d * p3.y});
    }
    return pts;
}

void Player::rectangle(double l, double t, double r, double b) {
    emit({mapContour({{l, t}, {r, t}, {r, b}, {l, b}}, true)}, true);
}

void Player::roundRect(double l, double t, double r, double b, double w, double h) {
    if (l > r) std::swap(l, r);
    if (t > b) std::swap(t, b);
    const double rx = std::min(std::fabs(w) / 2, (r - l) / 2), ry = std::min(std::fabs(h) / 2, (b - t) / 2);
    if (rx <= 0 || ry <= 0) {
        rectangle(l, t, r, b);
        return;
    }
    std::vector<PointD> pts;
    auto corner = [&](double cx, double cy, double a0) {
        auto q = ellipsePoints(cx - rx, cy - ry, cx + rx, cy + ry, a0, kPi / 2, false);
        pts.insert(pts.end(), q.begin(), q.end());
    };
    corner(r - rx, t + ry, 0);
    corner(l + rx, t + ry, kPi / 2);
    corner(l + rx, b - ry, kPi);
    corner(r - rx, b - ry, 3 * kPi / 2);
    emit({mapContour(pts, true)}, true);
}

void Player::ellipse(double l, double t, double r, double b) {
    emit({mapContour(ellipsePoints(l, t, r, b, 0, 2 * kPi, true), true)}, true);
}

void Player::arc(ArcKind kind, double l, double t, double r, double b, PointD start, PointD end) {
    const double cx = (l + r) / 2, cy = (t + b) / 2;
    const double rx = nonZero(std::fabs(r - l) / 2), ry = nonZero(std::fabs(b - t) / 2);
    const double a0 = std::atan2(-(start.y - cy) / ry, (start.x - cx) / rx);
    const double a1 = std::atan2(-(end.y - cy) / ry, (end.x - cx) / rx);
    // Angles grow counter-clockwise as seen on screen when the mapping keeps y pointing down.
    const Affine& m = logicalToPicture();
    const bool flipped = m.a * m.d - m.b * m.c < 0;
    const bool increasing = (dc.arcDirection == 1) != flipped;
    double sweep = increasing ? a1 - a0 : a0 - a1;
    while (sweep <= 0) sweep += 2 * kPi;
    if (!std::isfinite(sweep)) return;
    std::vector<PointD> pts = ellipsePoints(l, t, r, b, a0, increasing ? sweep : -sweep, false);
    switch (kind) {
    case ArcKind::Arc:
        emit({mapContour(pts, false)}, false);
        break;
    case ArcKind::ArcTo: // a line to the arc's start, the arc, all in the current figure
        polylineTo(pts);
        break;
    case ArcKind::Pie:
        pts.push_back({cx, cy});
        emit({mapContour(pts, true)}, true);
        break;
    case ArcKind::Chord:
        emit({mapContour(pts, true)}, true);
        break;
    }
}

void Player::angleArc(PointD c, double r, double startDeg, double sweepDeg) {
    if (!std::isfinite(startDeg) || !std::isfinite(sweepDeg) || !(r >= 0)) return;
    const double a0 = startDeg * kPi / 180, sweep = std::clamp(sweepDeg, -3600.0, 3600.0) * kPi / 180;
    polylineTo(ellipsePoints(c.x - r, c.y - r, c.x + r, c.y + r, a0, sweep, false));
}

void Player::polygon(const std::vector<PointD>& pts) {
    if (pts.size() < 2) return;
    emit({mapContour(pts, true)}, true);
}

void Player::polyPolygon(const std::vector<std::vector<PointD>>& polys) {
    Outline o;
    for (const auto& p : polys)
        if (p.size() >= 2) o.push_back(mapContour(p, true));
    emit(std::move(o), true);
}

void Player::polyline(const std::vector<PointD>& pts) {
    if (pts.empty()) return;
    emit({mapContour(pts, false)}, false);
}

void Player::polyPolyline(const std::vector<std::vector<PointD>>& lines) {
    Outline o;
    for (const auto& p : lines)
        if (!p.empty()) o.push_back(mapContour(p, false));
    emit(std::move(o), false);
}

void Player::polylineTo(const std::vector<PointD>& pts) {
    if (pts.empty()) return;
    if (inPath_) {
        if (!figureOpen_ || path_.empty()) {
            path_.push_back(mapContour({dc.current}, false));
            figureOpen_ = true;
        }
        pathPoints_ += pts.size();
        if (pathPoints_ <= kMaxPathPoints)
            for (const PointD& p : pts) path_.back().pts.push_back(toPicture(p));
    } else {
        std::vector<PointD> all{dc.current};
        all.insert(all.end(), pts.begin(), pts.end());
        strokeOutline({mapContour(all, false)});
    }
    dc.current = pts.back();
}

void Player::polyBezier(const std::vector<PointD>& pts, bool to) {
    std::vector<PointD> flat;
    PointD p0;
    std::size_t i = 0;
    if (to) {
        p0 = dc.current;
    } else {
        if (pts.empty()) return;
        p0 = pts[0];
        flat.push_back(p0);
        i = 1;
    }
    const int perSegment =
        static_cast<int>(std::clamp<std::size_t>(kMaxBezierPoints / (pts.size() / 3 + 1), 1, 128));
    for (; i + 3 <= pts.size(); i += 3) {
        auto seg = bezierPoints(p0, pts[i], pts[i + 1], pts[i + 2], perSegment);
        flat.insert(flat.end(), seg.begin(), seg.end());
        p0 = pts[i + 2];
        if (canvas_.exhausted()) break;
    }
    if (to) {
        polylineTo(flat);
    } else {
        polyline(flat);
    }
}

void Player::moveTo(PointD p) {
    dc.current = p;
    figureOpen_ = false;
}

void Player::lineTo(PointD p) {
    polylineTo({p});
}

void Player::setPixel(PointD p, Color c) {
    const PointD q = toPicture(p);
    canvas_.setClip(dc.clip);
    Paint paint;
    paint.color = c;
    canvas_.stroke({Contour{{q}, false}}, 1, paint);
}

void Player::clearPath() {
    path_.clear();
    pathPoints_ = 0;
}

void Player::beginPath() {
    inPath_ = true;
    clearPath();
    figureOpen_ = false;
}

void Player::abortPath() {
    inPath_ = false;
    clearPath();
    figureOpen_ = false;
}

void Player::closeFigure() {
    if (inPath_ && !path_.empty()) path_.back().closed = true;
    figureOpen_ = false;
}

void Player::fillPath() {
    inPath_ = false;
    fillOutline(path_);
    clearPath();
}

void Player::strokePath() {
    inPath_ = false;
    strokeOutline(path_);
    clearPath();
}

void Player::strokeAndFillPath() {
    inPath_ = false;
    fillOutline(path_);
    strokeOutline(path_);
    clearPath();
}

void Player::applyClip(const Region& region, CombineMode mode) {
    Region current = dc.clip ? *dc.clip : Region(Rect{0, 0, canvas_.width(), canvas_.height()});
    // Region algebra is linear in the rectangles of both sides, the copy above included.
    canvas_.charge(kRegionRectCost * (2LL * current.rectCount() + region.rectCount() + 1));
    current.combine(region, mode);
    dc.clip = std::make_shared<const Region>(std::move(current));
}

void Player::selectClipPath(int mode) {
    inPath_ = false;
    std::vector<Rect> runs;
    canvas_.scan(path_, dc.polyFillMode == 2 ? FillRule::Winding : FillRule::Alternate,
                 [&runs](int y, int x0, int x1) {
                     runs.push_back({x0, y, x1, y + 1});
                 });
    clearPath();
    applyClip(Region::fromRects(runs), combineMode(mode));
}

Rect Player::pictureRect(double l, double t, double r, double b) {
    const PointD p = toPicture({l, t}), q = toPicture({r, b});
    auto edge = [](double v) { return static_cast<int>(std::clamp(std::ceil(v), -1e8, 1e8)); };
    return {edge(std::min(p.x, q.x)), edge(std::min(p.y, q.y)), edge(std::max(p.x, q.x)),
            edge(std::max(p.y, q.y))};
}

void Player::intersectClipRect(double l, double t, double r, double b) {
    applyClip(Region(pictureRect(l, t, r, b)), CombineMode::And);
}

void Player::excludeClipRect(double l, double t, double r, double b) {
    applyClip(Region(pictureRect(l, t, r, b)), CombineMode::Diff);
}

void Player::offsetClip(double dx, double dy) {
    if (!dc.clip) return;
    const PointD v = logicalToPicture().mapVector({dx, dy});
    canvas_.charge(kRegionRectCost * (dc.clip->rectCount() + 1LL));
    auto moved = std::make_shared<Region>(*dc.clip);
    moved->translate(static_cast<int>(std::lround(std::clamp(v.x, -1e8, 1e8))),
                     static_cast<int>(std::lround(std::clamp(v.y, -1e8, 1e8))));
    dc.clip = std::move(moved);
}

void Player::selectClipRects(const std::vector<Rect>& rects, int mode, bool logicalUnits) {
    if (rects.empty()) {
        if (mode == 5) resetClip();
        return;
    }
    std::vector<Rect> boxes;
    boxes.reserve(rects.size());
    for (const Rect& r : rects) {
        Rect p;
        if (logicalUnits) {
            p = pictureRect(r.Left, r.Top, r.Right, r.Bottom);
        } else {
            const PointD a = deviceToPicture_.map({double(r.Left), double(r.Top)});
            const PointD b = deviceToPicture_.map({double(r.Right), double(r.Bottom)});
            auto edge = [](double v) { return static_cast<int>(std::clamp(std::ceil(v), -1e8, 1e8)); };
            p = {edge(std::min(a.x, b.x)), edge(std::min(a.y, b.y)), edge(std::max(a.x, b.x)),
                 edge(std::max(a.y, b.y))};
        }
        boxes.push_back(p);
    }
    applyClip(Region::fromRects(boxes), combineMode(mode));
}

void Player::text(PointD at, const std::u32string& s, const std::vector<double>& dx, std::uint32_t options,
                  std::optional<std::array<double, 4>> rect) {
    const Affine& m = logicalToPicture();
    const double sx = std::hypot(m.a, m.b), sy = std::hypot(m.c, m.d);
    canvas_.setClip(dc.clip);
    // ETO_OPAQUE: the rectangle is filled with the background colour first.
    if ((options & 2) && rect) {
        Paint bg;
        bg.color = dc.bkColor;
        const auto& r = *rect;
        canvas_.fill({mapContour({{r[0], r[1]}, {r[2], r[1]}, {r[2], r[3]}, {r[0], r[3]}}, true)},
                     FillRule::Alternate, bg);
    }
    if (s.empty()) return;

    TextRun run;
    run.text = s;
    run.font = {dc.font.face, dc.font.weight, dc.font.italic};
    run.height = dc.font.height == 0 ? 16 : std::fabs(static_cast<double>(dc.font.height)) * sy;
    run.cellHeight = dc.font.height > 0;
    run.glyphIndices = options & 0x10; // ETO_GLYPH_INDEX
    // Escapement turns the baseline counter-clockwise as seen on the picture, whichever way y points.
    run.angle = dc.font.escapement / 10.0 * kPi / 180;
    for (double d : dx) run.advances.push_back(d * sx);
    TextMetrics tm;
    if (!text_.measure(run, tm)) return;

    const bool useCurrent = dc.textAlign & 1; // TA_UPDATECP
    PointD origin = m.map(useCurrent ? dc.current : at);
    const double cs = std::cos(run.angle), sn = std::sin(run.angle);
    double along = 0, down = 0;
    switch (dc.textAlign & 6) {
    case 6:
        along = -tm.width / 2;
        break; // TA_CENTER
    case 2:
        along = -tm.width;
        break; // TA_RIGHT
    default:
        break;
    }
    switch (dc.textAlign & 24) {
    case 24:
        break; // TA_BASELINE
    case 8:
        down = -tm.descent;
        break; // TA_BOTTOM
    default:
        down = tm.ascent;
        break; // TA_TOP
    }
    origin = {origin.x + along * cs + down * sn, origin.y - along * sn + down * cs};

    std::shared_ptr<const Region> saved = dc.clip;
    if ((options & 4) && rect) { // ETO_CLIPPED
        const auto& r = *rect;
        intersectClipRect(r[0], r[1], r[2], r[3]);
        canvas_.setClip(dc.clip);
    }
    Paint paint;
    paint.color = dc.textColor;
    auto box = [&](double from, double to) {
        // A band under the baseline from `from` to `to` pixels (negative: above), along the whole run.
        const PointD d{sn, cs}, a{cs, -sn};
        const PointD p0{origin.x + d.x * from, origin.y + d.y * from};
        const PointD p1{origin.x + d.x * to, origin.y + d.y * to};
        return Outline{Contour{{p0,
                                {p0.x + a.x * tm.width, p0.y + a.y * tm.width},
                                {p1.x + a.x * tm.width, p1.y + a.y * tm.width},
                                p1},
                               true}};
    };
    if (dc.bkMode == 2 && !(options & 2)) {
        Paint bg;
        bg.color = dc.bkColor;
        canvas_.fill(box(-tm.ascent, tm.descent), FillRule::Alternate, bg);
    }
    text_.draw(canvas_, run, origin, paint);
    const double thick = std::max(1.0, run.height / 14);
    if (dc.font.underline) canvas_.fill(box(thick, 2 * thick), FillRule::Alternate, paint);
    if (dc.font.strikeOut)
        canvas_.fill(box(-tm.ascent / 3 - thick / 2, -tm.ascent / 3 + thick / 2), FillRule::Alternate, paint);
    dc.clip = saved;
    if (useCurrent && sx > 0) dc.current.x += (dc.textAlign & 6) == 0 ? tm.width / sx : 0;
}

void Player::image(const Bitmap& src, long long sx, long long sy, long long sw, long long sh, double x,
                   double y, double w, double h, std::uint32_t rop, const ImageBlend* blend) {
    if (inPath_) return;
    const PointD p = toPicture({x, y}), q = toPicture({x + w, y + h});
    canvas_.setClip(dc.clip);
    canvas_.drawImage(src, sx, sy, sw, sh, p.x, p.y, q.x, q.y, rop, blend);
}

void Player::patBlt(double x, double y, double w, double h, std::uint32_t rop) {
    const int op = static_cast<int>((rop >> 16) & 0xFF);
    Paint paint;
    switch (op) {
    case 0x00:
        paint.color = {0, 0, 0};
        break; // BLACKNESS
    case 0xFF:
        paint.color = {255, 255, 255};
        break; // WHITENESS
    case 0xF0: // PATCOPY
    case 0x5A: // PATINVERT (drawn as a copy)
        if (dc.brush.style == 1) return;
        paint = brushPaint(dc.brush);
        break;
    default:
        return;
    }
    canvas_.setClip(dc.clip);
    canvas_.fill({mapContour({{x, y}, {x + w, y}, {x + w, y + h}, {x, y + h}}, true)}, FillRule::Alternate,
                 paint);
}

void Player::fillRegion(const std::vector<Rect>& rects, const BrushObject& b, bool deviceUnits) {
    if (b.style == 1) return;
    const Affine& m = deviceUnits ? deviceToPicture_ : logicalToPicture();
    Outline o;
    for (const Rect& r : rects) {
        const double l = r.Left, t = r.Top, rt = r.Right, bt = r.Bottom;
        o.push_back(Contour{{m.map({l, t}), m.map({rt, t}), m.map({rt, bt}), m.map({l, bt})}, true});
    }
    canvas_.setClip(dc.clip);
    canvas_.fill(o, FillRule::Winding, brushPaint(b));
}

void Player::saveDC() {
    if (saved_.size() < kMaxSavedStates) saved_.push_back(dc);
}

void Player::restoreDC(int which) {
    std::size_t keep; // states that stay saved after the restore
    if (which < 0) {
        const std::size_t back = static_cast<std::size_t>(-static_cast<long long>(which));
        if (back > saved_.size()) return;
        keep = saved_.size() - back;
    } else {
        if (which == 0 || static_cast<std::size_t>(which) > saved_.size()) return;
        keep = static_cast<std::size_t>(which) - 1;
    }
    dc = saved_[keep];
    saved_.resize(keep);
    mappingValid_ = false;
}

} // namespace vorlin::gfx::metafile
