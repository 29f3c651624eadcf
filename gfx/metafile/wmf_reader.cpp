// WMF playback: after the (optional placeable and) standard header, libUEMF's U_WMRRECSAFE_get frames
// each record against the end of the file; every parameter is then read through an accessor that checks
// it lies inside the record. The window (origin and extent) is mapped onto the
// picture, as a placeable metafile is played into its bounding box.

#include "gfx/metafile/dib.h"
#include "gfx/metafile/player.h"
#include "gfx/metafile/readers.h"

#include <cmath>
#include <optional>

#include <uemf.h>
#include <uwmf.h>

namespace vorlin::gfx::metafile {

namespace {

constexpr std::uint32_t kPlaceableKey = 0x9AC6CDD7u;

// Windows-1252 for the bytes 0x80..0x9F; the rest is Latin-1.
char32_t fromAnsi(std::uint8_t b) {
    static constexpr char16_t k80[32] = {0x20AC, 0x81,   0x201A, 0x192,  0x201E, 0x2026, 0x2020, 0x2021,
                                         0x2C6,  0x2030, 0x160,  0x2039, 0x152,  0x8D,   0x17D,  0x8F,
                                         0x90,   0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                         0x2DC,  0x2122, 0x161,  0x203A, 0x153,  0x9D,   0x17E,  0x178};
    return b >= 0x80 && b < 0xA0 ? k80[b - 0x80] : b;
}

std::string latin1ToUtf8(const std::uint8_t* p, std::size_t n) {
    std::string out;
    for (std::size_t i = 0; i < n && p[i]; ++i) {
        if (p[i] < 0x80) {
            out += static_cast<char>(p[i]);
        } else {
            out += static_cast<char>(0xC0 | (p[i] >> 6));
            out += static_cast<char>(0x80 | (p[i] & 0x3F));
        }
    }
    return out;
}

// One record's parameters: 16-bit words after the 6-byte record header.
struct Params {
    const std::uint8_t* rec;
    std::size_t size; // bytes of the whole record

    std::size_t words() const { return (size - 6) / 2; }
    bool has(std::size_t n) const { return words() >= n; }
    std::int16_t operator[](std::size_t i) const { return has(i + 1) ? readI16(rec + 6 + 2 * i) : 0; }
    std::uint32_t u32(std::size_t i) const { return has(i + 2) ? readU32(rec + 6 + 2 * i) : 0; }
    const std::uint8_t* at(std::size_t i) const { return has(i) ? rec + 6 + 2 * i : nullptr; }
    std::size_t bytesFrom(std::size_t i) const { return has(i) ? size - 6 - 2 * i : 0; }
};

class WmfPlayer {
public:
    WmfPlayer(Player& p, std::size_t slots) : p_(p), objects_(slots) {}
    bool record(std::uint16_t fn, const Params& a);

private:
    void create(GdiObject obj) {
        // A new object takes the lowest free slot; when none is free it is lost, as in GDI. Slots below
        // firstFree_ are all taken, so a full table costs nothing per record.
        for (; firstFree_ < objects_.size(); ++firstFree_)
            if (!objects_[firstFree_]) {
                objects_[firstFree_++] = std::move(obj);
                return;
            }
    }
    const GdiObject* object(std::size_t i) const {
        return i < objects_.size() && objects_[i] ? &*objects_[i] : nullptr;
    }
    std::vector<PointD> points(const Params& a, std::size_t first, std::size_t count) const;
    void dibBlit(std::uint16_t fn, const Params& a);

    Player& p_;
    std::vector<std::optional<GdiObject>> objects_;
    std::size_t firstFree_ = 0;
    std::size_t patternBytes_ = 0; // pixels kept by pattern brushes, bounded by kMaxPatternBytes
};

std::vector<PointD> WmfPlayer::points(const Params& a, std::size_t first, std::size_t count) const {
    std::vector<PointD> pts;
    if (!a.has(first + 2 * count)) return pts;
    pts.reserve(count);
    for (std::size_t i = 0; i < count; ++i)
        pts.push_back({double(a[first + 2 * i]), double(a[first + 2 * i + 1])});
    return pts;
}

void WmfPlayer::dibBlit(std::uint16_t fn, const Params& a) {
    // Parameter layouts (words): STRETCHDIB rop(2) usage srcH srcW ySrc xSrc dH dW yD xD dib;
    // DIBSTRETCHBLT rop(2) srcH srcW ySrc xSrc dH dW yD xD dib; DIBBITBLT rop(2) ySrc xSrc h w yD xD dib;
    // SETDIBTODEV usage scans start ySrc xSrc h w yD xD dib.
    int sx, sy, sw, sh;
    double dx, dy, dw, dh;
    std::uint32_t rop = 0x00CC0020u, usage = 0;
    std::size_t dibAt;
    switch (fn) {
    case 0x0F43:
        if (!a.has(11)) return;
        rop = a.u32(0), usage = static_cast<std::uint16_t>(a[2]);
        sh = a[3], sw = a[4], sy = a[5], sx = a[6], dh = a[7], dw = a[8], dy = a[9], dx = a[10];
        dibAt = 11;
        break;
    case 0x0B41:
        if (!a.has(10)) return;
        rop = a.u32(0);
        sh = a[2], sw = a[3], sy = a[4], sx = a[5], dh = a[6], dw = a[7], dy = a[8], dx = a[9];
        dibAt = 10;
        break;
    case 0x0940:
        if (!a.has(8)) return;
        rop = a.u32(0);
        sy = a[2], sx = a[3], sh = a[4], sw = a[5], dy = a[6], dx = a[7];
        dh = sh, dw = sw;
        dibAt = 8;
        break;
    default: // 0x0D33
        if (!a.has(9)) return;
        usage = static_cast<std::uint16_t>(a[0]);
        sy = a[3], sx = a[4], sh = a[5], sw = a[6], dy = a[7], dx = a[8];
        dh = sh, dw = sw;
        dibAt = 9;
        break;
    }
    const std::size_t avail = a.bytesFrom(dibAt);
    if (avail == 0) {
        // The forms without a bitmap carry one more (reserved) word and paint with the brush.
        if (fn == 0x0940 && a.has(9)) p_.patBlt(a[8], a[7], a[6], a[5], rop);
        if (fn == 0x0B41 && a.has(11)) p_.patBlt(a[10], a[9], a[8], a[7], rop);
        return;
    }
    Bitmap src = decodeDib(a.at(dibAt), avail, nullptr, 0, usage);
    if (src.isEmpty()) return;
    const bool bottomUp = avail >= 12 && (readU32(a.at(dibAt)) == 12 || readI32(a.at(dibAt) + 8) > 0);
    if (bottomUp) sy = src.height() - sy - sh;
    p_.image(src, sx, sy, sw, sh, dx, dy, dw, dh, rop);
}

bool WmfPlayer::record(std::uint16_t fn, const Params& a) {
    DcState& dc = p_.dc;
    switch (fn) {
    case 0x0000:
        return false; // EOF
    case 0x0201:      // SETBKCOLOR
        if (a.has(2)) dc.bkColor = Color::fromColorRef(a.u32(0));
        break;
    case 0x0209: // SETTEXTCOLOR
        if (a.has(2)) dc.textColor = Color::fromColorRef(a.u32(0));
        break;
    case 0x0102:
        dc.bkMode = a[0];
        break;
    case 0x0103: // SETMAPMODE: kept, but the window is always mapped onto the picture
        dc.mapMode = a[0];
        break;
    case 0x0104:
        dc.rop2 = a[0];
        break;
    case 0x0106:
        dc.polyFillMode = a[0];
        break;
    case 0x012E:
        dc.textAlign = static_cast<std::uint16_t>(a[0]);
        break;
    case 0x020B: // SETWINDOWORG y, x
        if (a.has(2)) dc.windowOrg = {double(a[1]), double(a[0])};
        p_.invalidateMapping();
        break;
    case 0x020C: // SETWINDOWEXT y, x
        if (a.has(2)) dc.windowExt = {double(a[1]), double(a[0])};
        p_.invalidateMapping();
        break;
    case 0x020D:
        if (a.has(2)) dc.viewportOrg = {double(a[1]), double(a[0])};
        break;
    case 0x020E:
        if (a.has(2)) dc.viewportExt = {double(a[1]), double(a[0])};
        break;
    case 0x020F: // OFFSETWINDOWORG y, x
        if (a.has(2)) dc.windowOrg = {dc.windowOrg.x + a[1], dc.windowOrg.y + a[0]};
        p_.invalidateMapping();
        break;
    case 0x0410: // SCALEWINDOWEXT yDenom, yNum, xDenom, xNum
        if (a.has(4) && a[0] != 0 && a[2] != 0)
            dc.windowExt = {dc.windowExt.x * a[3] / a[2], dc.windowExt.y * a[1] / a[0]};
        p_.invalidateMapping();
        break;
    case 0x0213: // LINETO y, x
        if (a.has(2)) p_.lineTo({double(a[1]), double(a[0])});
        break;
    case 0x0214: // MOVETO y, x
        if (a.has(2)) p_.moveTo({double(a[1]), double(a[0])});
        break;
    case 0x0415: // EXCLUDECLIPRECT b, r, t, l
        if (a.has(4)) p_.excludeClipRect(a[3], a[2], a[1], a[0]);
        break;
    case 0x0416: // INTERSECTCLIPRECT
        if (a.has(4)) p_.intersectClipRect(a[3], a[2], a[1], a[0]);
        break;
    case 0x0220: // OFFSETCLIPRGN y, x
        if (a.has(2)) p_.offsetClip(a[1], a[0]);
        break;
    case 0x0418: // ELLIPSE b, r, t, l
        if (a.has(4)) p_.ellipse(a[3], a[2], a[1], a[0]);
        break;
    case 0x041B: // RECTANGLE
        if (a.has(4)) p_.rectangle(a[3], a[2], a[1], a[0]);
        break;
    case 0x061C: // ROUNDRECT h, w, b, r, t, l
        if (a.has(6)) p_.roundRect(a[5], a[4], a[3], a[2], a[1], a[0]);
        break;
    case 0x0817:   // ARC  yEnd, xEnd, yStart, xStart, b, r, t, l
    case 0x081A:   // PIE
    case 0x0830: { // CHORD
        if (!a.has(8)) break;
        const auto kind = fn == 0x0817   ? Player::ArcKind::Arc
                          : fn == 0x081A ? Player::ArcKind::Pie
                                         : Player::ArcKind::Chord;
        p_.arc(kind, a[7], a[6], a[5], a[4], {double(a[3]), double(a[2])}, {double(a[1]), double(a[0])});
        break;
    }
    case 0x041F: // SETPIXEL color(2), y, x
        if (a.has(4)) p_.setPixel({double(a[3]), double(a[2])}, Color::fromColorRef(a.u32(0)));
        break;
    case 0x061D: // PATBLT rop(2), h, w, y, x
        if (a.has(6)) p_.patBlt(a[5], a[4], a[3], a[2], a.u32(0));
        break;
    case 0x0324:   // POLYGON n, points
    case 0x0325: { // POLYLINE
        const auto n = static_cast<std::uint16_t>(a[0]);
        const auto pts = points(a, 1, n);
        if (pts.size() != n) break;
        if (fn == 0x0324)
            p_.polygon(pts);
        else
            p_.polyline(pts);
        break;
    }
    case 0x0538: { // POLYPOLYGON n, counts[n], points
        const auto n = static_cast<std::uint16_t>(a[0]);
        if (!a.has(1 + std::size_t{n})) break;
        std::vector<std::vector<PointD>> polys;
        std::size_t at = 1 + n;
        bool ok = true;
        for (std::size_t i = 0; i < n && ok; ++i) {
            const auto count = static_cast<std::uint16_t>(a[1 + i]);
            auto pts = points(a, at, count);
            ok = pts.size() == count;
            polys.push_back(std::move(pts));
            at += 2 * std::size_t{count};
        }
        if (ok) p_.polyPolygon(polys);
        break;
    }
    case 0x001E:
        p_.saveDC();
        break;
    case 0x0127:
        p_.restoreDC(a[0]);
        break;
    case 0x012D: { // SELECTOBJECT
        const GdiObject* obj = object(static_cast<std::uint16_t>(a[0]));
        if (!obj) break;
        if (auto* pen = std::get_if<PenObject>(obj))
            dc.pen = *pen;
        else if (auto* brush = std::get_if<BrushObject>(obj))
            dc.brush = *brush;
        else if (auto* font = std::get_if<FontObject>(obj))
            dc.font = *font;
        else if (auto* rgn = std::get_if<RegionObject>(obj))
            p_.selectClipRects(rgn->rects, 5, true);
        break;
    }
    case 0x012C: { // SELECTCLIPREGION: the region's rectangles, or none to remove the clip
        const GdiObject* obj = object(static_cast<std::uint16_t>(a[0]));
        const auto* rgn = obj ? std::get_if<RegionObject>(obj) : nullptr;
        if (rgn)
            p_.selectClipRects(rgn->rects, 5, true);
        else
            p_.resetClip();
        break;
    }
    case 0x0228: { // FILLREGION region, brush
        const GdiObject* r = object(static_cast<std::uint16_t>(a[0]));
        const GdiObject* b = object(static_cast<std::uint16_t>(a[1]));
        const auto* rgn = r ? std::get_if<RegionObject>(r) : nullptr;
        const auto* brush = b ? std::get_if<BrushObject>(b) : nullptr;
        if (rgn && brush && a.has(2)) p_.fillRegion(rgn->rects, *brush, false);
        break;
    }
    case 0x01F0: { // DELETEOBJECT
        const auto i = static_cast<std::uint16_t>(a[0]);
        if (a.has(1) && i < objects_.size()) {
            objects_[i].reset();
            firstFree_ = std::min(firstFree_, std::size_t{i});
        }
        break;
    }
    case 0x02FA: { // CREATEPENINDIRECT style, width.x, width.y, color(2)
        PenObject pen;
        if (a.has(5)) {
            pen.style = a[0] & 0xF;
            pen.width = static_cast<std::uint16_t>(a[1]);
            pen.color = Color::fromColorRef(a.u32(3));
        }
        create(pen);
        break;
    }
    case 0x02FC: { // CREATEBRUSHINDIRECT style, color(2), hatch
        BrushObject b;
        if (a.has(4)) {
            const int style = a[0];
            b.style = style == 1 ? 1 : style == 2 ? 2 : 0;
            b.color = Color::fromColorRef(a.u32(1));
            b.hatch = std::clamp<int>(a[3], 0, 5);
        }
        create(b);
        break;
    }
    case 0x0142: { // DIBCREATEPATTERNBRUSH style, usage, dib
        BrushObject b;
        Bitmap pattern = decodeDib(a.at(2), a.bytesFrom(2), nullptr, 0, static_cast<std::uint16_t>(a[1]));
        patternBytes_ += pattern.byteCount();
        if (pattern.isEmpty() || patternBytes_ > kMaxPatternBytes) {
            b.color = {128, 128, 128};
        } else {
            b.style = 3;
            b.pattern = std::make_shared<const Bitmap>(std::move(pattern));
        }
        create(b);
        break;
    }
    case 0x02FB: { // CREATEFONTINDIRECT: U_FONT (9 words) then the face name
        FontObject f;
        if (a.has(9)) {
            f.height = a[0];
            f.escapement = a[2];
            f.weight = a[4];
            const std::uint8_t* b = a.at(5);
            f.italic = b[0];
            f.underline = b[1];
            f.strikeOut = b[2];
            f.charset = b[3];
            f.face = latin1ToUtf8(a.at(9), std::min<std::size_t>(a.bytesFrom(9), 32));
        }
        create(f);
        break;
    }
    case 0x06FF: { // CREATEREGION: U_REGION; its bounding rectangle is used
        RegionObject r;
        if (a.has(10)) r.rects.push_back({a[6], a[7], a[8], a[9]});
        create(r);
        break;
    }
    case 0x00F7: // CREATEPALETTE, CREATEPATTERNBRUSH, CREATEBITMAP(INDIRECT): they take a slot too
    case 0x01F9:
    case 0x02FD:
    case 0x06FE:
        create(GdiObject{});
        break;
    case 0x0521: { // TEXTOUT count, string (padded to words), y, x
        const auto n = static_cast<std::uint16_t>(a[0]);
        const std::size_t strWords = (std::size_t{n} + 1) / 2;
        if (!a.has(1 + strWords + 2)) break;
        std::u32string s;
        for (std::size_t i = 0; i < n; ++i) s.push_back(fromAnsi(a.at(1)[i]));
        p_.text({double(a[1 + strWords + 1]), double(a[1 + strWords])}, s, {}, 0, std::nullopt);
        break;
    }
    case 0x0A32: { // EXTTEXTOUT y, x, count, options, [rect], string, [dx]
        if (!a.has(4)) break;
        const auto n = static_cast<std::uint16_t>(a[2]);
        const auto options = static_cast<std::uint16_t>(a[3]);
        std::size_t at = 4;
        std::optional<std::array<double, 4>> rect;
        if (options & 6) { // ETO_OPAQUE | ETO_CLIPPED carry a rectangle
            if (!a.has(8)) break;
            rect = std::array<double, 4>{double(a[4]), double(a[5]), double(a[6]), double(a[7])};
            at = 8;
        }
        const std::size_t strWords = (std::size_t{n} + 1) / 2;
        if (!a.has(at + strWords)) break;
        std::u32string s;
        for (std::size_t i = 0; i < n; ++i) s.push_back(fromAnsi(a.at(at)[i]));
        std::vector<double> dx;
        if (a.has(at + strWords + n))
            for (std::size_t i = 0; i < n; ++i) dx.push_back(a[at + strWords + i]);
        p_.text({double(a[1]), double(a[0])}, s, dx, options, rect);
        break;
    }
    case 0x0F43:
    case 0x0B41:
    case 0x0940:
    case 0x0D33:
        dibBlit(fn, a);
        break;
    default:
        break; // escapes (embedded metafiles are not followed), palettes, flood fills, the rest
    }
    return true;
}

// The first SETWINDOWORG / SETWINDOWEXT of a plain metafile: its picture size and origin.
bool findWindow(const std::uint8_t* data, std::size_t size, std::size_t off, PointD& org, PointD& ext) {
    bool haveExt = false;
    while (size - off >= 6 && !haveExt) {
        const std::uint32_t words = readU32(data + off);
        if (words < 3 || words > (size - off) / 2) break;
        const std::uint16_t fn = readU16(data + off + 4);
        if (fn == 0) break;
        if (words >= 5 && (fn == 0x020B || fn == 0x020C)) {
            const PointD v{double(readI16(data + off + 8)), double(readI16(data + off + 6))};
            if (fn == 0x020B)
                org = v;
            else
                ext = v, haveExt = true;
        }
        off += 2 * std::size_t{words};
    }
    return haveExt;
}

} // namespace

DecodedPicture playWmf(const std::uint8_t* data, std::size_t size, const std::string& name,
                       const MetafileLimits& limits) {
    const bool placeable = size >= 4 && readU32(data) == kPlaceableKey;
    const std::size_t headerAt = placeable ? 22 : 0;
    if (size < headerAt + 18) throw PictureError(name + ": too short for a WMF header");
    // The header is checked here rather than by libUEMF's wmfheader_get, which refuses complete files
    // shorter than 62 bytes (a picture with few records).
    const std::uint16_t type = readU16(data + headerAt), headerWords = readU16(data + headerAt + 2);
    if ((type != 1 && type != 2) || headerWords != 9)
        throw PictureError(name + ": not a WMF file (bad header)");
    const char* base = reinterpret_cast<const char*>(data);
    const std::size_t firstRecord = headerAt + 18;
    const std::uint16_t nObjects = readU16(data + headerAt + 10);

    PointD org{0, 0}, ext{0, 0};
    long long W = 0, H = 0;
    if (placeable) {
        const double l = readI16(data + 6), t = readI16(data + 8), r = readI16(data + 10),
                     b = readI16(data + 12);
        const double inch = readU16(data + 14) ? readU16(data + 14) : 1440;
        org = {std::min(l, r), std::min(t, b)};
        ext = {std::fabs(r - l), std::fabs(b - t)};
        W = std::llround(ext.x * 96 / inch);
        H = std::llround(ext.y * 96 / inch);
    }
    if (W <= 0 || H <= 0) {
        if (!findWindow(data, size, firstRecord, org, ext))
            throw PictureError(name + ": WMF has neither a bounding box nor a window extent");
        W = std::llabs(std::llround(ext.x));
        H = std::llabs(std::llround(ext.y));
    }
    checkPictureSize(W, H, name, limits);

    Canvas canvas(static_cast<int>(W), static_cast<int>(H), workBudget(W, H, limits));
    Player player(canvas, Affine{}, true);
    player.dc.windowOrg = org;
    player.dc.windowExt = ext;
    player.dc.mapMode = 8;
    WmfPlayer wmf(player, nObjects);

    std::size_t off = firstRecord;
    while (size - off >= 6 && !canvas.exhausted()) {
        const char* rec = base + off;
        const std::size_t bytes = U_WMRRECSAFE_get(rec, base + size);
        const std::uint32_t words = readU32(data + off);
        // Broken framing (size below the 3-word header or past the end) ends playback.
        if (bytes == 0 || words < 3 || words > (size - off) / 2) break;
        const std::size_t n = 2 * std::size_t{words};
        if (!wmf.record(readU16(data + off + 4), Params{data + off, n})) break;
        off += n;
    }
    return finishPicture(canvas);
}

} // namespace vorlin::gfx::metafile
