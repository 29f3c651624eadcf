// EMF playback: the header gives the picture size and the device → picture map; then every record is
// framed (size at least 8, a multiple of 4, inside the file), checked by libUEMF's U_emf_record_safe and
// by the size checks here before any field is read, and drawn through the Player. A record that fails
// the framing ends playback (the picture so far is kept); one that fails its own checks is skipped.

#include "base/text.h"
#include "gfx/metafile/dib.h"
#include "gfx/metafile/player.h"
#include "gfx/metafile/readers.h"

#include <cmath>
#include <map>
#include <optional>

#include <uemf.h>
#include <uemf_safe.h>

namespace vorlin::gfx::metafile {

namespace {

constexpr std::uint32_t kMaxHandles = 65536;

Color colorOf(const U_COLORREF& c) {
    return {c.Red, c.Green, c.Blue};
}

template <class T> bool load(const std::uint8_t* rec, std::uint32_t size, T& out) {
    if (size < sizeof(T)) return false;
    std::memcpy(&out, rec, sizeof(T));
    return true;
}

std::u32string fromUtf16(const std::uint8_t* p, std::size_t count) {
    std::u32string s;
    s.reserve(count);
    for (std::size_t i = 0; i < count; ++i) {
        char32_t c = readU16(p + 2 * i);
        if (c >= 0xD800 && c < 0xDC00 && i + 1 < count) {
            const char32_t lo = readU16(p + 2 * (i + 1));
            if (lo >= 0xDC00 && lo < 0xE000) {
                c = 0x10000 + ((c - 0xD800) << 10) + (lo - 0xDC00);
                ++i;
            }
        }
        s.push_back(c);
    }
    return s;
}

std::string utf8(const std::u32string& s) {
    std::string out;
    for (char32_t c : s) appendUtf8(out, c);
    return out;
}

class EmfPlayer {
public:
    EmfPlayer(Player& p) : p_(p) {}
    // False when playback should stop (EOF).
    bool record(std::uint32_t type, const std::uint8_t* rec, std::uint32_t size);

private:
    std::vector<PointD> points(const std::uint8_t* rec, std::uint32_t size, std::uint32_t offset,
                               std::uint32_t count, bool small);
    void polyRecord(std::uint32_t type, const std::uint8_t* rec, std::uint32_t size);
    void polyPolyRecord(std::uint32_t type, const std::uint8_t* rec, std::uint32_t size);
    Bitmap dib(const std::uint8_t* rec, std::uint32_t size, std::uint32_t offBmi, std::uint32_t cbBmi,
               std::uint32_t offBits, std::uint32_t cbBits, std::uint32_t usage,
               std::vector<std::uint8_t>* alpha = nullptr);
    void select(std::uint32_t handle);
    void store(std::uint32_t handle, GdiObject obj) {
        if (handle > 0 && handle < kMaxHandles) objects_[handle] = std::move(obj);
    }
    std::vector<Rect> regionRects(const std::uint8_t* data, std::uint64_t avail);

    Player& p_;
    std::map<std::uint32_t, GdiObject> objects_;
    std::size_t patternBytes_ = 0; // pixels kept by pattern brushes, bounded by kMaxPatternBytes
};

std::vector<PointD> EmfPlayer::points(const std::uint8_t* rec, std::uint32_t size, std::uint32_t offset,
                                      std::uint32_t count, bool small) {
    std::vector<PointD> pts;
    const std::uint32_t unit = small ? 4 : 8;
    if (!fits(offset, count, unit, size)) return pts;
    pts.reserve(count);
    for (std::uint32_t i = 0; i < count; ++i) {
        const std::uint8_t* q = rec + offset + static_cast<std::size_t>(i) * unit;
        if (small)
            pts.push_back({double(readI16(q)), double(readI16(q + 2))});
        else
            pts.push_back({double(readI32(q)), double(readI32(q + 4))});
    }
    return pts;
}

void EmfPlayer::polyRecord(std::uint32_t type, const std::uint8_t* rec, std::uint32_t size) {
    // rclBounds (8..24), count (24), points (28..): the same for the 32- and 16-bit forms.
    if (size < 28) return;
    const bool small = type >= U_EMR_POLYBEZIER16;
    const auto pts = points(rec, size, 28, readU32(rec + 24), small);
    if (pts.empty()) return;
    switch (small ? type - U_EMR_POLYBEZIER16 + U_EMR_POLYBEZIER : type) {
    case U_EMR_POLYBEZIER:
        p_.polyBezier(pts, false);
        break;
    case U_EMR_POLYGON:
        p_.polygon(pts);
        break;
    case U_EMR_POLYLINE:
        p_.polyline(pts);
        break;
    case U_EMR_POLYBEZIERTO:
        p_.polyBezier(pts, true);
        break;
    case U_EMR_POLYLINETO:
        p_.polylineTo(pts);
        break;
    default:
        break;
    }
}

void EmfPlayer::polyPolyRecord(std::uint32_t type, const std::uint8_t* rec, std::uint32_t size) {
    // rclBounds, nPolys (24), total points (28), counts (32..), points.
    if (size < 32) return;
    const bool small = type >= U_EMR_POLYPOLYLINE16;
    const std::uint32_t nPolys = readU32(rec + 24), total = readU32(rec + 28);
    if (!fits(32, nPolys, 4, size)) return;
    const std::uint64_t ptsOff = 32 + std::uint64_t{nPolys} * 4;
    const auto pts = points(rec, size, static_cast<std::uint32_t>(ptsOff), total, small);
    if (pts.size() != total) return;
    std::vector<std::vector<PointD>> polys;
    std::uint64_t at = 0;
    for (std::uint32_t i = 0; i < nPolys; ++i) {
        const std::uint32_t n = readU32(rec + 32 + 4 * i);
        if (n > total - at) return; // counts must add up within the points given
        polys.emplace_back(pts.begin() + at, pts.begin() + at + n);
        at += n;
    }
    if (type == U_EMR_POLYPOLYGON || type == U_EMR_POLYPOLYGON16)
        p_.polyPolygon(polys);
    else
        p_.polyPolyline(polys);
}

Bitmap EmfPlayer::dib(const std::uint8_t* rec, std::uint32_t size, std::uint32_t offBmi, std::uint32_t cbBmi,
                      std::uint32_t offBits, std::uint32_t cbBits, std::uint32_t usage,
                      std::vector<std::uint8_t>* alpha) {
    if (cbBmi == 0 || !fits(offBmi, cbBmi, 1, size) || !fits(offBits, cbBits, 1, size)) return {};
    return decodeDib(rec + offBmi, cbBmi, rec + offBits, cbBits, usage, alpha);
}

std::vector<Rect> EmfPlayer::regionRects(const std::uint8_t* data, std::uint64_t avail) {
    // RGNDATAHEADER: dwSize, iType, nCount, nRgnSize, rclBounds; then nCount rectangles.
    std::vector<Rect> rects;
    if (avail < 32) return rects;
    const std::uint32_t headerSize = readU32(data), count = readU32(data + 8);
    if (headerSize < 32 || !fits(headerSize, count, 16, avail)) return rects;
    rects.reserve(count);
    for (std::uint32_t i = 0; i < count; ++i) {
        const std::uint8_t* r = data + headerSize + 16 * static_cast<std::size_t>(i);
        rects.push_back({readI32(r), readI32(r + 4), readI32(r + 8), readI32(r + 12)});
    }
    return rects;
}

void EmfPlayer::select(std::uint32_t handle) {
    GdiObject obj;
    if (handle & 0x80000000u) {
        obj = stockObject(handle & 0x7FFFFFFFu);
    } else {
        auto it = objects_.find(handle);
        if (it == objects_.end()) return;
        obj = it->second;
    }
    if (auto* pen = std::get_if<PenObject>(&obj))
        p_.dc.pen = *pen;
    else if (auto* brush = std::get_if<BrushObject>(&obj))
        p_.dc.brush = *brush;
    else if (auto* font = std::get_if<FontObject>(&obj))
        p_.dc.font = *font;
}

bool EmfPlayer::record(std::uint32_t type, const std::uint8_t* rec, std::uint32_t size) {
    auto u32at = [&](std::uint32_t off) -> std::optional<std::uint32_t> {
        if (!fits(off, 1, 4, size)) return std::nullopt;
        return readU32(rec + off);
    };
    auto pairAt = [&](std::uint32_t off) -> std::optional<PointD> {
        if (!fits(off, 1, 8, size)) return std::nullopt;
        return PointD{double(readI32(rec + off)), double(readI32(rec + off + 4))};
    };
    auto rectAt = [&](std::uint32_t off) -> std::optional<std::array<double, 4>> {
        if (!fits(off, 1, 16, size)) return std::nullopt;
        return std::array<double, 4>{double(readI32(rec + off)), double(readI32(rec + off + 4)),
                                     double(readI32(rec + off + 8)), double(readI32(rec + off + 12))};
    };

    switch (type) {
    case U_EMR_EOF:
        return false;
    case U_EMR_POLYBEZIER:
    case U_EMR_POLYGON:
    case U_EMR_POLYLINE:
    case U_EMR_POLYBEZIERTO:
    case U_EMR_POLYLINETO:
    case U_EMR_POLYBEZIER16:
    case U_EMR_POLYGON16:
    case U_EMR_POLYLINE16:
    case U_EMR_POLYBEZIERTO16:
    case U_EMR_POLYLINETO16:
        polyRecord(type, rec, size);
        break;
    case U_EMR_POLYPOLYLINE:
    case U_EMR_POLYPOLYGON:
    case U_EMR_POLYPOLYLINE16:
    case U_EMR_POLYPOLYGON16:
        polyPolyRecord(type, rec, size);
        break;

    case U_EMR_SETWINDOWEXTEX:
    case U_EMR_SETWINDOWORGEX:
    case U_EMR_SETVIEWPORTEXTEX:
    case U_EMR_SETVIEWPORTORGEX:
    case U_EMR_MOVETOEX:
    case U_EMR_LINETO:
    case U_EMR_OFFSETCLIPRGN: {
        const auto v = pairAt(8);
        if (!v) break;
        if (type == U_EMR_SETWINDOWEXTEX)
            p_.dc.windowExt = *v;
        else if (type == U_EMR_SETWINDOWORGEX)
            p_.dc.windowOrg = *v;
        else if (type == U_EMR_SETVIEWPORTEXTEX)
            p_.dc.viewportExt = *v;
        else if (type == U_EMR_SETVIEWPORTORGEX)
            p_.dc.viewportOrg = *v;
        else if (type == U_EMR_MOVETOEX)
            p_.moveTo(*v);
        else if (type == U_EMR_LINETO)
            p_.lineTo(*v);
        else
            p_.offsetClip(v->x, v->y);
        p_.invalidateMapping();
        break;
    }
    case U_EMR_SCALEVIEWPORTEXTEX:
    case U_EMR_SCALEWINDOWEXTEX: {
        if (size < 24) break;
        const double xn = readI32(rec + 8), xd = readI32(rec + 12), yn = readI32(rec + 16),
                     yd = readI32(rec + 20);
        if (xd == 0 || yd == 0) break;
        PointD& ext = type == U_EMR_SCALEWINDOWEXTEX ? p_.dc.windowExt : p_.dc.viewportExt;
        ext = {ext.x * xn / xd, ext.y * yn / yd};
        p_.invalidateMapping();
        break;
    }
    case U_EMR_SETPIXELV: {
        const auto pt = pairAt(8);
        const auto c = u32at(16);
        if (pt && c) p_.setPixel(*pt, Color::fromColorRef(*c));
        break;
    }
    case U_EMR_SETMAPMODE:
    case U_EMR_SETBKMODE:
    case U_EMR_SETPOLYFILLMODE:
    case U_EMR_SETROP2:
    case U_EMR_SETTEXTALIGN:
    case U_EMR_SETTEXTCOLOR:
    case U_EMR_SETBKCOLOR:
    case U_EMR_SETARCDIRECTION:
    case U_EMR_SAVEDC:
    case U_EMR_RESTOREDC:
    case U_EMR_SELECTOBJECT:
    case U_EMR_DELETEOBJECT:
    case U_EMR_SELECTCLIPPATH: {
        if (type == U_EMR_SAVEDC) {
            p_.saveDC();
            break;
        }
        const auto v = u32at(8);
        if (!v) break;
        const int iv = static_cast<int>(*v);
        switch (type) {
        case U_EMR_SETMAPMODE:
            if (iv >= 1 && iv <= 8) p_.dc.mapMode = iv;
            p_.invalidateMapping();
            break;
        case U_EMR_SETBKMODE:
            p_.dc.bkMode = iv;
            break;
        case U_EMR_SETPOLYFILLMODE:
            p_.dc.polyFillMode = iv;
            break;
        case U_EMR_SETROP2:
            p_.dc.rop2 = iv;
            break;
        case U_EMR_SETTEXTALIGN:
            p_.dc.textAlign = iv;
            break;
        case U_EMR_SETTEXTCOLOR:
            p_.dc.textColor = Color::fromColorRef(*v);
            break;
        case U_EMR_SETBKCOLOR:
            p_.dc.bkColor = Color::fromColorRef(*v);
            break;
        case U_EMR_SETARCDIRECTION:
            p_.dc.arcDirection = iv == 2 ? 2 : 1;
            break;
        case U_EMR_RESTOREDC:
            p_.restoreDC(iv);
            break;
        case U_EMR_SELECTOBJECT:
            select(*v);
            break;
        case U_EMR_DELETEOBJECT:
            objects_.erase(*v);
            break;
        case U_EMR_SELECTCLIPPATH:
            p_.selectClipPath(iv);
            break;
        default:
            break;
        }
        break;
    }
    case U_EMR_EXCLUDECLIPRECT:
    case U_EMR_INTERSECTCLIPRECT: {
        const auto r = rectAt(8);
        if (!r) break;
        if (type == U_EMR_EXCLUDECLIPRECT)
            p_.excludeClipRect((*r)[0], (*r)[1], (*r)[2], (*r)[3]);
        else
            p_.intersectClipRect((*r)[0], (*r)[1], (*r)[2], (*r)[3]);
        break;
    }
    case U_EMR_SETWORLDTRANSFORM:
    case U_EMR_MODIFYWORLDTRANSFORM: {
        U_XFORM x;
        if (!fits(8, 1, sizeof(U_XFORM), size)) break;
        std::memcpy(&x, rec + 8, sizeof x);
        const Affine m{x.eM11, x.eM12, x.eM21, x.eM22, x.eDx, x.eDy};
        if (!m.finite()) break;
        std::uint32_t mode = 4; // MWT_SET for SETWORLDTRANSFORM
        if (type == U_EMR_MODIFYWORLDTRANSFORM) {
            const auto v = u32at(8 + sizeof(U_XFORM));
            if (!v) break;
            mode = *v;
        }
        switch (mode) {
        case 1:
            p_.dc.world = Affine{};
            break; // MWT_IDENTITY
        case 2:
            p_.dc.world = p_.dc.world.after(m);
            break; // MWT_LEFTMULTIPLY: m first
        case 3:
            p_.dc.world = m.after(p_.dc.world);
            break; // MWT_RIGHTMULTIPLY
        case 4:
            p_.dc.world = m;
            break; // MWT_SET
        default:
            break;
        }
        p_.invalidateMapping();
        break;
    }
    case U_EMR_CREATEPEN: {
        U_EMRCREATEPEN r;
        if (!load(rec, size, r)) break;
        PenObject pen;
        pen.style = static_cast<int>(r.lopn.lopnStyle & 0xF);
        pen.width = r.lopn.lopnWidth.x;
        pen.color = colorOf(r.lopn.lopnColor);
        store(r.ihPen, pen);
        break;
    }
    case U_EMR_EXTCREATEPEN: {
        if (size < 48) break;
        const std::uint32_t style = readU32(rec + 28);
        PenObject pen;
        pen.style = static_cast<int>(style & 0xF);
        pen.cosmetic = (style & 0xF0000) == 0; // PS_COSMETIC
        pen.width = readU32(rec + 32);
        if (readU32(rec + 36) == 1) pen.style = 5; // a BS_NULL brush draws nothing
        pen.color = Color::fromColorRef(readU32(rec + 40));
        store(readU32(rec + 8), pen);
        break;
    }
    case U_EMR_CREATEBRUSHINDIRECT: {
        U_EMRCREATEBRUSHINDIRECT r;
        if (!load(rec, size, r)) break;
        BrushObject b;
        b.style = r.lb.lbStyle == 1 ? 1 : r.lb.lbStyle == 2 ? 2 : 0;
        b.color = colorOf(r.lb.lbColor);
        b.hatch = static_cast<int>(std::min<std::uint32_t>(r.lb.lbHatch, 5));
        store(r.ihBrush, b);
        break;
    }
    case U_EMR_CREATEDIBPATTERNBRUSHPT:
    case U_EMR_CREATEMONOBRUSH: {
        if (size < 32) break;
        BrushObject b;
        Bitmap pattern = dib(rec, size, readU32(rec + 16), readU32(rec + 20), readU32(rec + 24),
                             readU32(rec + 28), readU32(rec + 12));
        patternBytes_ += pattern.byteCount();
        if (pattern.isEmpty() || patternBytes_ > kMaxPatternBytes) {
            b.style = 0;
            b.color = {128, 128, 128};
        } else {
            b.style = 3;
            b.pattern = std::make_shared<const Bitmap>(std::move(pattern));
        }
        store(readU32(rec + 8), b);
        break;
    }
    case U_EMR_EXTCREATEFONTINDIRECTW: {
        if (size < 12 + sizeof(U_LOGFONT)) break;
        U_LOGFONT lf;
        std::memcpy(&lf, rec + 12, sizeof lf);
        FontObject f;
        f.height = lf.lfHeight;
        f.escapement = lf.lfEscapement;
        f.weight = lf.lfWeight;
        f.italic = lf.lfItalic;
        f.underline = lf.lfUnderline;
        f.strikeOut = lf.lfStrikeOut;
        f.charset = lf.lfCharSet;
        std::size_t n = 0;
        while (n < U_LF_FACESIZE && lf.lfFaceName[n]) ++n;
        f.face = utf8(fromUtf16(reinterpret_cast<const std::uint8_t*>(lf.lfFaceName), n));
        store(readU32(rec + 8), f);
        break;
    }
    case U_EMR_ELLIPSE:
    case U_EMR_RECTANGLE: {
        const auto r = rectAt(8);
        if (!r) break;
        if (type == U_EMR_ELLIPSE)
            p_.ellipse((*r)[0], (*r)[1], (*r)[2], (*r)[3]);
        else
            p_.rectangle((*r)[0], (*r)[1], (*r)[2], (*r)[3]);
        break;
    }
    case U_EMR_ROUNDRECT: {
        const auto r = rectAt(8);
        const auto c = pairAt(24);
        if (r && c) p_.roundRect((*r)[0], (*r)[1], (*r)[2], (*r)[3], c->x, c->y);
        break;
    }
    case U_EMR_ARC:
    case U_EMR_CHORD:
    case U_EMR_PIE:
    case U_EMR_ARCTO: {
        const auto r = rectAt(8);
        const auto s = pairAt(24), e = pairAt(32);
        if (!r || !s || !e) break;
        const auto kind = type == U_EMR_ARC     ? Player::ArcKind::Arc
                          : type == U_EMR_CHORD ? Player::ArcKind::Chord
                          : type == U_EMR_PIE   ? Player::ArcKind::Pie
                                                : Player::ArcKind::ArcTo;
        p_.arc(kind, (*r)[0], (*r)[1], (*r)[2], (*r)[3], *s, *e);
        break;
    }
    case U_EMR_POLYDRAW:
    case U_EMR_POLYDRAW16: {
        // rclBounds, count (24), points, then one type byte per point.
        if (size < 28) break;
        const bool small = type == U_EMR_POLYDRAW16;
        const std::uint32_t n = readU32(rec + 24);
        const auto pts = points(rec, size, 28, n, small);
        if (pts.size() != n || !fits(28 + std::uint64_t{n} * (small ? 4 : 8), n, 1, size)) break;
        const std::uint8_t* types = rec + 28 + static_cast<std::size_t>(n) * (small ? 4 : 8);
        PointD figureStart = p_.dc.current;
        for (std::uint32_t i = 0; i < n; ++i) {
            const int t = types[i] & ~1; // PT_CLOSEFIGURE is bit 0
            if (t == 6) {                // PT_MOVETO
                p_.moveTo(pts[i]);
                figureStart = pts[i];
            } else if (t == 4 && i + 2 < n) { // PT_BEZIERTO: three points
                p_.polyBezier({pts[i], pts[i + 1], pts[i + 2]}, true);
                i += 2;
            } else { // PT_LINETO
                p_.lineTo(pts[i]);
            }
            if (types[i] & 1) {
                p_.lineTo(figureStart);
                p_.closeFigure();
            }
        }
        break;
    }
    case U_EMR_ANGLEARC: {
        U_EMRANGLEARC r;
        if (!load(rec, size, r)) break;
        p_.angleArc({double(r.ptlCenter.x), double(r.ptlCenter.y)}, r.nRadius, r.eStartAngle, r.eSweepAngle);
        break;
    }
    case U_EMR_BEGINPATH:
        p_.beginPath();
        break;
    case U_EMR_ENDPATH:
        p_.endPath();
        break;
    case U_EMR_CLOSEFIGURE:
        p_.closeFigure();
        break;
    case U_EMR_FILLPATH:
        p_.fillPath();
        break;
    case U_EMR_STROKEANDFILLPATH:
        p_.strokeAndFillPath();
        break;
    case U_EMR_STROKEPATH:
        p_.strokePath();
        break;
    case U_EMR_ABORTPATH:
        p_.abortPath();
        break;

    case U_EMR_EXTSELECTCLIPRGN: {
        if (size < 16) break;
        const std::uint32_t cb = readU32(rec + 8), mode = readU32(rec + 12);
        if (!fits(16, cb, 1, size)) break;
        p_.selectClipRects(regionRects(rec + 16, cb), static_cast<int>(mode), false);
        break;
    }
    case U_EMR_FILLRGN:
    case U_EMR_PAINTRGN: {
        // FILLRGN: rclBounds, cbRgnData (24), ihBrush (28), region (32..); PAINTRGN: rclBounds, cbRgnData,
        // region (28..) with the current brush. Region rectangles are in device units.
        const bool fillRgn = type == U_EMR_FILLRGN;
        const std::uint32_t at = fillRgn ? 32 : 28;
        if (size < at) break;
        const std::uint32_t cb = readU32(rec + 24);
        if (!fits(at, cb, 1, size)) break;
        BrushObject brush = p_.dc.brush;
        if (fillRgn) {
            const std::uint32_t ih = readU32(rec + 28);
            GdiObject obj = (ih & 0x80000000u) ? stockObject(ih & 0x7FFFFFFFu)
                                               : (objects_.count(ih) ? objects_[ih] : GdiObject{});
            const auto* b = std::get_if<BrushObject>(&obj);
            if (!b) break;
            brush = *b;
        }
        p_.fillRegion(regionRects(rec + at, cb), brush, true);
        break;
    }
    case U_EMR_BITBLT:
    case U_EMR_STRETCHBLT:
    case U_EMR_ALPHABLEND:
    case U_EMR_TRANSPARENTBLT: {
        U_EMRBITBLT r;
        if (!load(rec, size, r)) break;
        const double x = r.Dest.x, y = r.Dest.y, w = r.cDest.x, h = r.cDest.y;
        if (r.cbBmiSrc == 0) {
            if (type == U_EMR_BITBLT || type == U_EMR_STRETCHBLT) p_.patBlt(x, y, w, h, r.dwRop);
            break;
        }
        std::vector<std::uint8_t> alpha;
        Bitmap src = dib(rec, size, r.offBmiSrc, r.cbBmiSrc, r.offBitsSrc, r.cbBitsSrc, r.iUsageSrc,
                         type == U_EMR_ALPHABLEND ? &alpha : nullptr);
        if (src.isEmpty()) break;
        int sw = static_cast<int>(w), sh = static_cast<int>(h);
        if (type != U_EMR_BITBLT) {
            U_EMRSTRETCHBLT s;
            if (!load(rec, size, s)) break;
            sw = s.cSrc.x;
            sh = s.cSrc.y;
        }
        ImageBlend blend;
        if (type == U_EMR_ALPHABLEND) {
            // The BLENDFUNCTION takes dwRop's place: op, flags, constant alpha, AC_SRC_ALPHA.
            blend.alphaBlend = true;
            blend.constantAlpha = static_cast<std::uint8_t>(r.dwRop >> 16);
            if ((r.dwRop >> 24) & 1) blend.alpha = &alpha;
        } else if (type == U_EMR_TRANSPARENTBLT) {
            blend.colorKey = true; // dwRop holds the transparent colour
            blend.key = Color::fromColorRef(r.dwRop);
        }
        const bool blended = blend.alphaBlend || blend.colorKey;
        p_.image(src, r.Src.x, r.Src.y, sw, sh, x, y, w, h, blended ? 0x00CC0020u : r.dwRop,
                 blended ? &blend : nullptr);
        break;
    }
    case U_EMR_STRETCHDIBITS:
    case U_EMR_SETDIBITSTODEVICE: {
        // Both start with rclBounds, Dest, Src, cSrc, offBmiSrc, cbBmiSrc, offBitsSrc, cbBitsSrc, iUsageSrc.
        U_EMRSETDIBITSTODEVICE r;
        if (!load(rec, size, r)) break;
        Bitmap src = dib(rec, size, r.offBmiSrc, r.cbBmiSrc, r.offBitsSrc, r.cbBitsSrc, r.iUsageSrc);
        if (src.isEmpty()) break;
        double w = r.cSrc.x, h = r.cSrc.y;
        std::uint32_t rop = 0x00CC0020u;
        if (type == U_EMR_STRETCHDIBITS) {
            U_EMRSTRETCHDIBITS s;
            if (!load(rec, size, s)) break;
            w = s.cDest.x;
            h = s.cDest.y;
            rop = s.dwRop;
        }
        // The source rectangle's y counts from the bottom row of a bottom-up DIB.
        const bool bottomUp = static_cast<std::int32_t>(readU32(rec + r.offBmiSrc + 8)) > 0;
        const long long sy = bottomUp ? src.height() - static_cast<long long>(r.Src.y) - r.cSrc.y : r.Src.y;
        p_.image(src, r.Src.x, sy, r.cSrc.x, r.cSrc.y, r.Dest.x, r.Dest.y, w, h, rop);
        break;
    }
    case U_EMR_EXTTEXTOUTA:
    case U_EMR_EXTTEXTOUTW: {
        // rclBounds, iGraphicsMode, exScale, eyScale, then EMRTEXT at 36: reference point, nChars,
        // offString, fOptions, [rcl unless ETO_NO_RECT], offDx.
        if (size < 56) break;
        const PointD at{double(readI32(rec + 36)), double(readI32(rec + 40))};
        const std::uint32_t n = readU32(rec + 44), offString = readU32(rec + 48), options = readU32(rec + 52);
        std::optional<std::array<double, 4>> rect;
        std::uint32_t offDxAt = 56;
        if (!(options & 0x100)) { // ETO_NO_RECT
            rect = rectAt(56);
            offDxAt = 72;
        }
        const bool wide = type == U_EMR_EXTTEXTOUTW;
        if (!fits(offString, n, wide ? 2 : 1, size)) break;
        std::u32string s;
        if (wide) {
            s = fromUtf16(rec + offString, n);
        } else {
            for (std::uint32_t i = 0; i < n; ++i) s.push_back(rec[offString + i]);
        }
        std::vector<double> dx;
        if (const auto offDx = u32at(offDxAt); offDx && *offDx && fits(*offDx, n, 4, size)) {
            // With ETO_PDY the array holds x and y advances for each character.
            const bool pdy = options & 0x2000;
            if (!pdy || fits(*offDx, n, 8, size))
                for (std::uint32_t i = 0; i < n; ++i) dx.push_back(readI32(rec + *offDx + (pdy ? 8 : 4) * i));
        }
        p_.text(at, s, dx, options, rect);
        break;
    }
    default:
        break; // comments (nested metafiles are not followed), palettes, and the rest
    }
    return true;
}

} // namespace

DecodedPicture playEmf(const std::uint8_t* data, std::size_t size, const std::string& name,
                       const MetafileLimits& limits) {
    if (size < 88) throw PictureError(name + ": too short for an EMF header");
    const std::uint32_t headerSize = readU32(data + 4);
    if (readU32(data) != U_EMR_HEADER || readU32(data + 40) != U_ENHMETA_SIGNATURE)
        throw PictureError(name + ": not an EMF file");
    if (headerSize < 88 || headerSize > size || headerSize % 4 != 0)
        throw PictureError(name + ": EMF header has a bad size");
    U_EMRHEADER h{};
    std::memcpy(&h, data, std::min<std::size_t>(headerSize, sizeof h));

    // Device units per millimetre of the reference device; the frame (0.01 mm) in device units.
    PointD upm{96 / 25.4, 96 / 25.4};
    if (h.szlDevice.cx > 0 && h.szlDevice.cy > 0) {
        if (headerSize >= sizeof(U_EMRHEADER) && h.szlMicrometers.cx > 0 && h.szlMicrometers.cy > 0)
            upm = {h.szlDevice.cx * 1000.0 / h.szlMicrometers.cx,
                   h.szlDevice.cy * 1000.0 / h.szlMicrometers.cy};
        else if (h.szlMillimeters.cx > 0 && h.szlMillimeters.cy > 0)
            upm = {double(h.szlDevice.cx) / h.szlMillimeters.cx,
                   double(h.szlDevice.cy) / h.szlMillimeters.cy};
    }
    const double fw = double(h.rclFrame.right) - h.rclFrame.left,
                 fh = double(h.rclFrame.bottom) - h.rclFrame.top;
    long long W, H;
    Affine devToPic;
    if (fw > 0 && fh > 0) {
        W = std::llround(fw * 96 / 2540);
        H = std::llround(fh * 96 / 2540);
        checkPictureSize(W, H, name, limits);
        const double dl = h.rclFrame.left / 100.0 * upm.x, dt = h.rclFrame.top / 100.0 * upm.y;
        const double sx = W / (fw / 100.0 * upm.x), sy = H / (fh / 100.0 * upm.y);
        devToPic = {sx, 0, 0, sy, -dl * sx, -dt * sy};
    } else {
        W = static_cast<long long>(h.rclBounds.right) - h.rclBounds.left + 1;
        H = static_cast<long long>(h.rclBounds.bottom) - h.rclBounds.top + 1;
        checkPictureSize(W, H, name, limits);
        devToPic = {1, 0, 0, 1, -double(h.rclBounds.left), -double(h.rclBounds.top)};
    }

    Canvas canvas(static_cast<int>(W), static_cast<int>(H), workBudget(W, H, limits));
    Player player(canvas, devToPic, false);
    player.deviceUnitsPerMm = upm;
    EmfPlayer emf(player);

    std::size_t off = headerSize;
    while (size - off >= 8 && !canvas.exhausted()) {
        const std::uint8_t* rec = data + off;
        const std::uint32_t type = readU32(rec), n = readU32(rec + 4);
        if (n < 8 || n % 4 != 0 || n > size - off) break; // broken framing: keep what was drawn
        // Only the types drawn here are handed to libUEMF's checker (it complains about the others, which
        // are skipped anyway).
        const bool drawn = (type >= U_EMR_HEADER && type <= U_EMR_EXTCREATEPEN && type != U_EMR_UNDEF69) ||
                           type == U_EMR_ALPHABLEND || type == U_EMR_TRANSPARENTBLT;
        if (drawn && U_emf_record_safe(reinterpret_cast<const char*>(rec)) && !emf.record(type, rec, n))
            break;
        off += n;
    }
    return finishPicture(canvas);
}

} // namespace vorlin::gfx::metafile
