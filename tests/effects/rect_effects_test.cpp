// Pixel rules for the rectangle effects 1–57. Each effect is described here by what it looks like: for
// every screen pixel, whether it must still show the old picture or which pixels of the new picture may
// land there (a stretch may land one pixel either side of the exact proportional position). The rules
// come from the effects' geometry (where a wipe has reached, where a slide's picture sits, that a squeeze
// holds the whole picture scaled), not from the engine's table.

#include "effect_pictures.h"
#include "effects/draw_frame.h"

#include "base/arith.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

namespace vorlin::effects {
namespace {

using testing::codedPicture;
using testing::decode;

struct Interval {
    int lo = 0, hi = -1; // inclusive
    bool contains(int v) const { return v >= lo && v <= hi; }
};

// What one pixel may show. Old: exactly the old picture's pixel underneath. New: a new-picture pixel
// from the two source intervals. Either: one of those two (an edge whose clipping the looks leave open).
enum class Show { Old, New, Either };

struct AxisResult {
    Show show = Show::Old;
    Interval src;
};

AxisResult exact(int c) {
    return {Show::New, {c, c}};
}

// Destination span [d0, d1) showing source span [s0, s1) in proportion; nothing when the pixel is outside
// the destination or the source span is empty.
AxisResult scaled(int c, int d0, int d1, int s0, int s1) {
    if (c < d0 || c >= d1 || s1 <= s0) return {};
    const double t = s0 + (c - d0 + 0.5) * (s1 - s0) / double(d1 - d0);
    const int k = static_cast<int>(std::floor(t));
    return {Show::New, {std::max(s0, k - 1), std::min(s1 - 1, k + 1)}};
}

// How one axis of an effect looks, on an axis of length L whose extent at this progress is e.
enum class M {
    Id,               // the axis is untouched: the new picture's own row or column
    SqueezeFar,       // the whole picture squeezed into a strip growing from the far edge
    SqueezeNear,      // ... from the near edge
    SlideFar,         // the picture slides in from the far edge
    SlideNear,        // ... from the near edge
    WipeNear,         // wipe from the near edge
    WipeFar,          // wipe from the far edge
    ExtendNear,       // the leading e pixels stretched from the near edge over the whole axis and beyond
    ExtendFar,        // the trailing e pixels ... from the far edge
    CentreStretch,    // the centre strip of width e stretched about the centre
    CentreSqueeze,    // the whole picture squeezed into a centre strip of width e
    CentreWipe,       // wipe outward from the centre
    BothSidesWipe,    // wipe inward from both edges, each side e/2 (+1) deep
    BothSidesSqueeze, // each half squeezed into a strip growing inward from its edge
    FoldNear,         // wipe from the near edge with a mirrored fold beyond it
    FoldFar,          // wipe from the far edge with a mirrored fold before it
    SmearNear,        // wipe from the near edge; the rest shows the next L/20 pixels stretched
    SmearFar,         // wipe from the far edge; the rest shows the L/20 pixels before the edge stretched
};

// The fold's width: grows with the wipe over the first fifth, a tenth of the side in the middle,
// shrinking to nothing over the last fifth.
int foldWidth(int e, int L) {
    if (e < L / 5) return e / 2;
    if (e + L / 5 > L) return (L - e) / 2;
    return L / 10;
}

// finalDrawn: whether the effect's final copy is drawn (at progress 0 only the partial copies are).
AxisResult axis(M m, int c, int L, int e, bool finalDrawn = true) {
    const int half = e / 2;
    switch (m) {
    case M::Id:
        return exact(c);
    case M::SqueezeFar:
        return scaled(c, L - e, L, 0, L);
    case M::SqueezeNear:
        return scaled(c, 0, e, 0, L);
    case M::SlideFar:
        return c >= L - e ? exact(c - (L - e)) : AxisResult{};
    case M::SlideNear:
        return c < e ? exact(c + (L - e)) : AxisResult{};
    case M::WipeNear:
        return c < e ? exact(c) : AxisResult{};
    case M::WipeFar:
        return c >= L - e ? exact(c) : AxisResult{};
    case M::ExtendNear:
        return scaled(c, 0, 2 * L - e, 0, e);
    case M::ExtendFar:
        return scaled(c, e - L, L, L - e, L);
    case M::CentreStretch:
        return scaled(c, e - L, 2 * L - e, (L - e) / 2, (L + e) / 2);
    case M::CentreSqueeze:
        return scaled(c, (L - e) / 2, (L + e) / 2, 0, L);
    case M::CentreWipe:
        return c >= (L - e) / 2 && c < (L + e) / 2 ? exact(c) : AxisResult{};
    case M::BothSidesWipe:
        return c <= half || (finalDrawn && c >= L - half - 1) ? exact(c) : AxisResult{};
    case M::BothSidesSqueeze:
        // The far strip is drawn last and wins where the two meet.
        if (finalDrawn && c >= L - half - 1) return scaled(c, L - half - 1, L, L / 2, L);
        return scaled(c, 0, half + 1, 0, L / 2 + 1);
    case M::FoldNear: {
        if (c < e) return exact(c);
        const int f = foldWidth(e, L);
        if (f == 0) return {};
        const Interval src{e + f, std::min(e + 2 * f, L) - 1};
        if (c < e + f) return {Show::New, src};
        if (c < e + f + 2) return {Show::Either, src}; // the mirrored copy is one pixel wider at an edge
        return {};
    }
    case M::FoldFar: {
        if (c >= L - e) return exact(c);
        const int f = foldWidth(e, L);
        if (f == 0) return {};
        const Interval src{std::max(L - e - 2 * f, 0), L - e - f - 1};
        if (c >= L - e - f) return {Show::New, src};
        if (c >= L - e - f - 1) return {Show::Either, src};
        return {};
    }
    case M::SmearNear: {
        if (c < e) return exact(c);
        AxisResult r = scaled(c, e, L, e, e + L / 20);
        if (e + L / 20 > L) r.show = Show::Either; // the smeared strip runs past the picture's edge
        return r;
    }
    case M::SmearFar: {
        if (c >= L - e) return exact(c);
        AxisResult r = scaled(c, 0, L - e, L - e - L / 20, L - e);
        if (L - e - L / 20 < 0) r.show = Show::Either;
        return r;
    }
    }
    return {};
}

struct Looks {
    int effect;
    M h, v;
};

// Horizontal looks 1–17; the vertical effects 18–34 look the same along y; 35–53 pair one of each.
constexpr M kHorizontal[18] = {M::Id,
                               M::SqueezeFar,
                               M::SqueezeNear,
                               M::SlideFar,
                               M::SlideNear,
                               M::WipeNear,
                               M::WipeFar,
                               M::ExtendNear,
                               M::ExtendFar,
                               M::CentreStretch,
                               M::CentreSqueeze,
                               M::CentreWipe,
                               M::BothSidesWipe,
                               M::BothSidesSqueeze,
                               M::FoldNear,
                               M::FoldFar,
                               M::SmearNear,
                               M::SmearFar};

Looks looksOf(int n) {
    if (n <= 17) return {n, kHorizontal[n], M::Id};
    if (n <= 34) return {n, M::Id, kHorizontal[n - 17]};
    // Two-axis effects: (effect, horizontal look's effect, vertical look's effect).
    static const int pairs[][3] = {{35, 1, 1}, {36, 1, 2}, {37, 2, 2},   {38, 2, 1},  {39, 3, 3},
                                   {40, 3, 4}, {41, 4, 4}, {42, 4, 3},   {43, 5, 5},  {44, 5, 6},
                                   {45, 6, 6}, {46, 6, 5}, {47, 7, 7},   {48, 7, 8},  {49, 8, 8},
                                   {50, 8, 7}, {51, 9, 9}, {52, 10, 10}, {53, 11, 11}};
    for (const auto& p : pairs)
        if (p[0] == n) return {n, kHorizontal[p[1]], kHorizontal[p[2]]};
    return {n, M::Id, M::Id};
}

struct Expected {
    Show show = Show::Old;
    Interval sx, sy;
};

Expected combine(const AxisResult& h, const AxisResult& v) {
    // Outside either axis's copy the old picture stays (one rectangle per effect on these rows).
    if (h.show == Show::Old || v.show == Show::Old) return {};
    const Show s = (h.show == Show::Either || v.show == Show::Either) ? Show::Either : Show::New;
    return {s, h.src, v.src};
}

// Boxes of the four-part effects 54–57, drawn in order (a later box wins), each a destination rectangle
// showing a source rectangle of the new picture in proportion.
struct Box {
    Rect d, s;
};

std::vector<Box> fourPartBoxes(int n, int W, int H, int X, int Y, bool partialOnly) {
    const int HX = X / 2, HY = Y / 2, OW = W / 2, OH = H / 2, MX = (W - X) / 2, MY = (H - Y) / 2;
    std::vector<Box> b;
    switch (n) {
    case 54: // strips from all four sides, each X/2 or Y/2 deep, showing their own pixels
        b = {{{0, 0, W, HY}, {0, 0, W, HY}},
             {{0, H - HY, W, H}, {0, H - HY, W, H}},
             {{0, 0, HX, H}, {0, 0, HX, H}},
             {{W - HX, 0, W, H}, {W - HX, 0, W, H}}};
        break;
    case 55: // corner boxes, each showing its own corner (one pixel more than half the extent)
        b = {{{0, 0, HX + 1, HY + 1}, {0, 0, HX + 1, HY + 1}},
             {{0, H - HY - 1, HX + 1, H}, {0, H - HY - 1, HX + 1, H}},
             {{W - HX - 1, H - HY - 1, W, H}, {W - HX - 1, H - HY - 1, W, H}},
             {{W - HX - 1, 0, W, HY + 1}, {W - HX - 1, 0, W, HY + 1}}};
        break;
    case 56: // corner boxes, each showing its whole quadrant squeezed
        b = {{{0, 0, HX + 1, HY + 1}, {0, 0, OW + 1, OH + 1}},
             {{0, H - HY, HX + 1, H}, {0, OH + 1, OW + 1, H}},
             {{W - HX, H - HY, W, H}, {OW + 1, OH + 1, W, H}},
             {{W - HX, 0, W, HY + 1}, {OW + 1, 0, W, OH + 1}}};
        break;
    case 57: // quadrants sliding in: top-left from the left, top-right from the top, ...
        b = {{{-MX, 0, HX + 1, OH + 1}, {0, 0, OW + 1, OH + 1}},
             {{OW - 1, -MY, W, HY + 1}, {OW - 1, 0, W, OH + 1}},
             {{W - HX, OH - 1, W + MX, H}, {OW + 1, OH - 1, W, H}},
             {{0, H - HY, OW + 1, H + MY}, {0, OH + 1, OW + 1, H}}};
        break;
    }
    if (partialOnly && !b.empty()) b.pop_back(); // the last box is the final copy, not drawn at progress 0
    return b;
}

Expected fromBoxes(const std::vector<Box>& boxes, int x, int y) {
    for (auto it = boxes.rbegin(); it != boxes.rend(); ++it) {
        const AxisResult h = scaled(x, it->d.Left, it->d.Right, it->s.Left, it->s.Right);
        const AxisResult v = scaled(y, it->d.Top, it->d.Bottom, it->s.Top, it->s.Bottom);
        if (h.show != Show::Old && v.show != Show::Old) return combine(h, v);
    }
    return {};
}

// At progress 0 only the one-pixel partial copies of these effects show anything new.
bool drawsAtProgressZero(int n) {
    return n == 12 || n == 13 || n == 29 || n == 30 || n == 55 || n == 56 || n == 57;
}

Expected expectedAt(int n, int x, int y, int W, int H, int X, int Y, int progress) {
    if (progress >= 100) return {Show::New, {x, x}, {y, y}};
    if (n >= 54) return fromBoxes(fourPartBoxes(n, W, H, X, Y, progress == 0), x, y);
    if (progress == 0 && !drawsAtProgressZero(n)) return {};
    const Looks l = looksOf(n);
    return combine(axis(l.h, x, W, X, progress > 0), axis(l.v, y, H, Y, progress > 0));
}

struct Case {
    int effect, w, h, progress;
};

void PrintTo(const Case& c, std::ostream* os) {
    *os << "effect " << c.effect << " on " << c.w << "x" << c.h << " at " << c.progress;
}

class RectangleEffect : public ::testing::TestWithParam<Case> {};

TEST_P(RectangleEffect, ShowsNewPictureExactlyWhereItsGeometrySays) {
    const auto [n, W, H, progress] = GetParam();
    gfx::Bitmap oldFrame = codedPicture(W, H, false);
    gfx::Bitmap newFrame = codedPicture(W, H, true);
    // A screen no picture's pixel decodes to, so that a pixel left undrawn is caught.
    gfx::Bitmap screen(W, H, {255, 255, 0x7F});
    FrameContext ctx{screen, oldFrame, newFrame};
    ctx.FProgress = progress;
    ctx.Style = n;
    DrawFrame(ctx);

    // The extents, longer side first, the other in proportion.
    const int Y0 = H > W ? mulDiv(H, progress, 100) : 0;
    const int X = H > W ? mulDiv(Y0, W, H) : mulDiv(W, progress, 100);
    const int Y = H > W ? Y0 : mulDiv(X, H, W);

    int wrong = 0, newPixels = 0;
    std::string firstWrong;
    for (int y = 0; y < H; ++y) {
        for (int x = 0; x < W; ++x) {
            const Expected e = expectedAt(n, x, y, W, H, X, Y, progress);
            const auto got = decode(screen.pixel(x, y));
            const bool isOld = !got.isNew && got.x == x && got.y == y;
            const bool isNewOk = got.isNew && e.sx.contains(got.x) && e.sy.contains(got.y);
            bool ok = false;
            switch (e.show) {
            case Show::Old:
                ok = isOld;
                break;
            case Show::New:
                ok = isNewOk;
                break;
            case Show::Either:
                ok = isOld || isNewOk;
                break;
            }
            newPixels += got.isNew;
            if (!ok && wrong++ == 0)
                firstWrong = "(" + std::to_string(x) + "," + std::to_string(y) + ") shows " +
                             (got.isNew ? "new " : "old ") + std::to_string(got.x) + "," +
                             std::to_string(got.y);
        }
    }
    EXPECT_EQ(wrong, 0) << "first wrong pixel " << firstWrong << "; X=" << X << " Y=" << Y;
    if (progress > 0) {
        EXPECT_GT(newPixels, 0) << "nothing of the new picture shows";
    }
}

std::vector<Case> allCases() {
    std::vector<Case> cases;
    for (int n = 1; n <= 57; ++n)
        for (auto [w, h] : {std::pair{401, 301}, std::pair{300, 401}})
            for (int p : {0, 1, 37, 50, 99, 100}) cases.push_back({n, w, h, p});
    return cases;
}

INSTANTIATE_TEST_SUITE_P(AllRectangleEffects, RectangleEffect, ::testing::ValuesIn(allCases()),
                         [](const auto& info) {
                             const Case& c = info.param;
                             return "e" + std::to_string(c.effect) + "_" + std::to_string(c.w) + "x" +
                                    std::to_string(c.h) + "_p" + std::to_string(c.progress);
                         });

} // namespace
} // namespace vorlin::effects
