#include "effects/draw_frame.h"

#include "effects/effect_table.h"
#include "effects/frame_values.h"
#include "gfx/blit.h"
#include "gfx/region.h"

#include <algorithm>
#include <array>
#include <optional>
#include <type_traits>
#include <variant>

namespace vorlin::effects {
namespace {

// The canvas rectangle copy: S of the new frame onto D of the screen, stretched when the sizes differ.
// A copy with no area draws nothing; an unscaled one goes through the plain copy.
void canvasCopy(gfx::Bitmap& screen, const Rect& d, const gfx::Bitmap& picture, const Rect& s) {
    if (d.isEmpty() || s.isEmpty()) return;
    if (d.width() == s.width() && d.height() == s.height()) {
        gfx::copyRect(screen, d.Left, d.Top, picture, s);
        return;
    }
    gfx::stretchCopy(screen, d, picture, s);
}

using families::PixelRow;
using families::RegionRow;

// Everything one DrawFrame call works with, so that the family routines share one signature.
struct FrameJob {
    FrameContext& ctx;
    const FrameValues& v;
    Rect D; // destination in the screen buffer; invalidated at the end of the frame
    Rect S; // source in the new frame
    // The clip region of a region effect, built once per frame, released in step 6.
    std::optional<gfx::Region> R;
    bool cut = false;
};

// ---- Step 4 of each kind of row: the effect's own drawing ----------------------------------------------

void drawEffect(const CutRow&, FrameJob& job) {
    FrameContext& ctx = job.ctx;
    if (ctx.OnCustomDraw) {
        ctx.OnCustomDraw(ctx.FNewFrame, ctx.FScreen);
        return;
    }
    gfx::copyRect(ctx.FScreen, 0, 0, ctx.FNewFrame, ctx.FNewFrame.rect());
    ctx.FProgress = 100;
    job.cut = true;
}

void drawEffect(const RectangleRow& row, FrameJob& job) {
    FrameContext& ctx = job.ctx;
    for (int i = 0; i + 1 < row.copyCount; ++i) {
        const RectCopy& c = row.copies[i];
        const Rect d = c.d.eval(job.v);
        const Rect s = c.s.eval(job.v);
        if (c.kind == CopyKind::Stretch)
            canvasCopy(ctx.FScreen, d, ctx.FNewFrame, s);
        else
            MirrorBlt(ctx.FScreen, d, ctx.FNewFrame, c.kind == CopyKind::MirrorVertical,
                      c.kind == CopyKind::MirrorHorizontal, s);
        if (ctx.InvalidateFrameRect) ctx.InvalidateFrameRect(d);
    }
    job.D = row.finalCopy().d.eval(job.v);
    job.S = row.finalCopy().s.eval(job.v);
}

// Builds R at most once per frame. It is built at every progress, 0 and 100 included, although only
// 1..99 draw through it: the random builders draw from the shared generator, and every later frame of a
// run depends on every earlier frame having drawn its numbers.
template <RegionRow Row> void drawEffect(const Row& row, FrameJob& job) {
    if (!job.R) job.R = families::clipRegion(row, job.v);
}

template <PixelRow Row> void drawEffect(const Row& row, FrameJob& job) {
    row.draw(job.v, job.ctx.FNewFrame, job.ctx.FScreen);
}

// ---- Step 5 of each kind of row, for progress strictly between 0 and 100 ----------------------------------

void finishInBetween(const RectangleRow&, FrameJob& job) {
    canvasCopy(job.ctx.FScreen, job.D, job.ctx.FNewFrame, job.S);
}

// An empty region is a frame where nothing of the new picture shows yet, not "no clip".
template <RegionRow Row> void finishInBetween(const Row&, FrameJob& job) {
    gfx::copyThroughRegion(job.ctx.FScreen, job.ctx.FNewFrame, *job.R);
}

// The per-pixel effects have drawn the frame in step 4; a custom-drawn cut composes the frame itself.
template <class Row> void finishInBetween(const Row&, FrameJob&) {}

// ---- Step 1: the old frame, left out where the new picture will cover it ---------------------------------

// The three bitmaps have one size (the skipping of the old frame relies on it).
bool sameSizes(const FrameContext& ctx) {
    const Rect screen = ctx.FScreen.rect();
    return !screen.isEmpty() && screen == ctx.FOldFrame.rect() && screen == ctx.FNewFrame.rect();
}

// The parts of the screen that this frame's copies will certainly draw from the new picture, whatever
// their order: the whole screen at progress 100; otherwise every plain copy (partial or final, the final
// one only past progress 0) whose source lies inside the new frame, clipped to the screen (a copy draws
// every destination pixel whose source pixel lies inside the bitmap). Mirrored copies are left out.
// At progress 100 this holds for every family, since the frame's finish draws the new picture whole.
// Nothing when an OnBeforeNewFrame hook is assigned: it is owed the whole old frame.
struct Covered {
    std::array<Rect, kMaxRectCopies> rects{};
    int count = 0;
};

template <class Row>
Covered coveredByNewPicture(const FrameContext& ctx, const Row& row, const FrameValues& v) {
    Covered c;
    if (ctx.OnBeforeNewFrame || !sameSizes(ctx)) return c;
    const Rect screen = ctx.FScreen.rect();
    if (v.progress >= 100) {
        c.rects[c.count++] = screen;
        return c;
    }
    if constexpr (std::is_same_v<Row, RectangleRow>) {
        const int copies = v.progress > 0 ? row.copyCount : row.copyCount - 1;
        for (int i = 0; i < copies; ++i) {
            const RectCopy& copy = row.copies[i];
            if (copy.kind != CopyKind::Stretch) continue;
            const Rect d = intersect(copy.d.eval(v), screen);
            const Rect s = copy.s.eval(v);
            if (d.isEmpty() || s.isEmpty() || intersect(s, screen) != s) continue;
            c.rects[c.count++] = d;
        }
    }
    return c;
}

// Sorts a handful of values in place (std::sort's large-array path draws a false bounds warning here).
template <typename T, typename Less> void sortFew(T* first, int n, Less less) {
    for (int i = 1; i < n; ++i)
        for (int j = i; j > 0 && less(first[j], first[j - 1]); --j) std::swap(first[j], first[j - 1]);
}

// Draws the old frame onto the screen except where `covered` lies: band by band between the covered
// rectangles' top and bottom edges, the spans of each band that no rectangle covers.
void drawOldFrameAround(gfx::Bitmap& screen, const gfx::Bitmap& oldFrame, const Covered& covered) {
    if (covered.count == 0) {
        gfx::copyRect(screen, 0, 0, oldFrame, oldFrame.rect());
        return;
    }
    const int w = screen.width(), h = screen.height();
    std::array<int, 2 * kMaxRectCopies + 2> edges{};
    int n = 0;
    edges[n++] = 0;
    edges[n++] = h;
    for (int i = 0; i < covered.count; ++i) {
        edges[n++] = covered.rects[i].Top;
        edges[n++] = covered.rects[i].Bottom;
    }
    sortFew(edges.data(), n, [](int a, int b) { return a < b; });
    for (int e = 0; e + 1 < n; ++e) {
        const int top = edges[e], bottom = edges[e + 1];
        if (top >= bottom) continue;
        std::array<Rect, kMaxRectCopies> spans{};
        int m = 0;
        for (int i = 0; i < covered.count; ++i)
            if (covered.rects[i].Top <= top && covered.rects[i].Bottom >= bottom)
                spans[m++] = covered.rects[i];
        sortFew(spans.data(), m, [](const Rect& a, const Rect& b) { return a.Left < b.Left; });
        int x = 0;
        for (int i = 0; i < m; ++i) {
            if (spans[i].Left > x) gfx::copyRect(screen, x, top, oldFrame, {x, top, spans[i].Left, bottom});
            x = std::max(x, spans[i].Right);
        }
        if (x < w) gfx::copyRect(screen, x, top, oldFrame, {x, top, w, bottom});
    }
}

// Step 1 for a region effect drawing through R at progress 1..99: the old frame outside R only, since
// the finish draws the new picture over all of R. R is built here, ahead of step 4, which then reuses
// it; with no OnBeforeNewFrame hook nothing draws random numbers between the two steps, so the frame
// draws the same numbers in the same order. Returns false (drawing nothing) where this does not apply.
template <RegionRow Row> bool drawOldFrameOutsideRegion(const Row& row, FrameJob& job) {
    FrameContext& ctx = job.ctx;
    if (ctx.OnBeforeNewFrame || !sameSizes(ctx) || job.v.progress <= 0 || job.v.progress >= 100) return false;
    drawEffect(row, job);
    gfx::copyThroughRegion(ctx.FScreen, ctx.FOldFrame, gfx::Region(ctx.FScreen.rect()) - *job.R);
    return true;
}

template <class Row> bool drawOldFrameOutsideRegion(const Row&, FrameJob&) {
    return false;
}

// One frame of an effect drawn by rows of type Row: the steps of draw_frame.h.
template <class Row> FrameResult drawFrame(const Row& row, FrameContext& ctx, const FrameValues& v) {
    // 3 (first, see DrawFrame): D and S start as the whole picture, R is not made yet.
    FrameJob job{ctx, v, rectOfSize(v.W, v.H), rectOfSize(v.W, v.H), std::nullopt};

    // 1–2: the old frame underneath, then the caller's hook.
    if (!drawOldFrameOutsideRegion(row, job))
        drawOldFrameAround(ctx.FScreen, ctx.FOldFrame, coveredByNewPicture(ctx, row, v));
    if (ctx.OnBeforeNewFrame) ctx.OnBeforeNewFrame(ctx.FNewFrame, ctx.FScreen);

    // 4: the effect's own drawing.
    drawEffect(row, job);

    // 5: finish by progress (the cut may just have moved it to 100, and has drawn the whole new picture
    // already: drawing it again would change nothing).
    if (ctx.FProgress >= 100) {
        if (!job.cut) gfx::copyRect(ctx.FScreen, 0, 0, ctx.FNewFrame, ctx.FNewFrame.rect());
    } else if (ctx.FProgress > 0) {
        finishInBetween(row, job);
    } else if (ctx.Reverse) {
        // The end of a reversed run shows the old frame whole, as the end of a forward run shows the new
        // one: no sliver of a rectangle effect's partial copies stays behind.
        gfx::copyRect(ctx.FScreen, 0, 0, ctx.FOldFrame, ctx.FOldFrame.rect());
        job.D = ctx.FScreen.rect();
    }

    // 6: release the clip region of a region effect.
    job.R.reset();
    // 7–9: invalidate, the caller's hook, repaint.
    if (ctx.InvalidateFrameRect) ctx.InvalidateFrameRect(job.D);
    if (ctx.OnAfterNewFrame) ctx.OnAfterNewFrame(ctx.FNewFrame, ctx.FScreen);
    if (!ctx.FPainting && ctx.Update) ctx.Update();

    FrameResult result;
    result.progress = ctx.FProgress;
    result.runEnded = job.cut || (ctx.Reverse ? ctx.FProgress <= 0 : ctx.FProgress >= 100);
    return result;
}

} // namespace

void MirrorBlt(gfx::Bitmap& dst, Rect d, const gfx::Bitmap& src, bool mirrorVertically,
               bool mirrorHorizontally, Rect s) {
    s = intersect(s, src.rect());
    if (s.isEmpty()) return;
    if (mirrorHorizontally) {
        const int left = d.Left;
        d.Left = d.Right + 1;
        d.Right = left - 1;
    }
    if (mirrorVertically) {
        const int top = d.Top;
        d.Top = d.Bottom + 1;
        d.Bottom = top - 1;
    }
    gfx::stretchCopy(dst, d.Left, d.Top, d.Right - d.Left, d.Bottom - d.Top, src, s.Left, s.Top, s.width(),
                     s.height());
}

bool exchangesFrames(int style, bool reverse, bool customDraw) {
    return reverse && (customDraw || effectRow(style).family() != Family::Cut);
}

FrameResult DrawFrame(FrameContext& ctx) {
    // The per-frame values come first here (they read no pixels), so that the old frame is not drawn
    // where the new picture is certain to cover it: the frame is the same, and cheaper.
    const int progress = std::clamp(ctx.FProgress, 0, 100);
    const FrameValues v =
        computeFrameValues(ctx.FNewFrame.width(), ctx.FNewFrame.height(), progress, ctx.Step);
    // The one choice by the effect's family in a frame: the row's type picks every step's routine.
    return std::visit([&](const auto& row) { return drawFrame(row, ctx, v); }, effectRow(ctx.Style).routine);
}

} // namespace vorlin::effects
