#include "effects/draw_frame.h"

#include "effects/effect_table.h"
#include "effects/frame_values.h"
#include "gfx/blit.h"

#include <algorithm>

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

// Everything one DrawFrame call works with, so that the family routines share one signature.
struct FrameJob {
    FrameContext& ctx;
    const FrameValues& v;
    Rect D; // destination in the screen buffer; invalidated at the end of the frame
    Rect S; // source in the new frame
    bool cut = false;
};

void drawCut(const EffectRow&, FrameJob& job) {
    FrameContext& ctx = job.ctx;
    if (ctx.OnCustomDraw) {
        ctx.OnCustomDraw(ctx.FNewFrame, ctx.FScreen);
        return;
    }
    gfx::copyRect(ctx.FScreen, 0, 0, ctx.FNewFrame, ctx.FNewFrame.rect());
    ctx.FProgress = 100;
    job.cut = true;
}

void drawRectangles(const EffectRow& row, FrameJob& job) {
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

void dispatch(const EffectRow& row, FrameJob& job) {
    switch (row.family) {
    case Family::Rectangle:
        drawRectangles(row, job);
        return;
    case Family::Cut:
    default:
        drawCut(row, job);
        return;
    }
}

// Step 5 of a frame for progress strictly between 0 and 100.
void finishInBetween(const EffectRow& row, FrameJob& job) {
    switch (row.family) {
    case Family::Rectangle:
        canvasCopy(job.ctx.FScreen, job.D, job.ctx.FNewFrame, job.S);
        return;
    // A custom-drawn cut composes the frame itself; nothing is drawn over it.
    default:
        return;
    }
}

// Whether this frame ends with every screen pixel drawn from the new picture, so that the old frame
// drawn first would not show anywhere: a rectangle effect at progress 100, or one whose final copy
// covers the screen from a source inside the new frame (a stretch draws every destination pixel whose
// source pixel lies inside the bitmap). Never with an OnBeforeNewFrame hook, which is owed the old frame.
bool newPictureCoversFrame(const FrameContext& ctx, const EffectRow& row, const FrameValues& v) {
    if (ctx.OnBeforeNewFrame || row.family != Family::Rectangle) return false;
    const Rect screen = ctx.FScreen.rect();
    if (screen.isEmpty() || screen != ctx.FOldFrame.rect() || screen != ctx.FNewFrame.rect()) return false;
    if (v.progress >= 100) return true;
    if (v.progress <= 0) return false;
    const Rect d = row.finalCopy().d.eval(v);
    const Rect s = row.finalCopy().s.eval(v);
    return !s.isEmpty() && intersect(d, screen) == screen && intersect(s, screen) == s;
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

FrameResult DrawFrame(FrameContext& ctx) {
    // The per-frame values come first here (they read no pixels) so that a frame the new picture will
    // cover whole can skip drawing the old frame underneath it.
    const int progress = std::clamp(ctx.FProgress, 0, 100);
    const FrameValues v =
        computeFrameValues(ctx.FNewFrame.width(), ctx.FNewFrame.height(), progress, ctx.Step);
    const EffectRow& row = effectRow(ctx.Style);

    // 1–2: the old frame underneath, then the caller's hook.
    if (!newPictureCoversFrame(ctx, row, v))
        gfx::copyRect(ctx.FScreen, 0, 0, ctx.FOldFrame, ctx.FOldFrame.rect());
    if (ctx.OnBeforeNewFrame) ctx.OnBeforeNewFrame(ctx.FNewFrame, ctx.FScreen);

    // 3: D and S start as the whole picture.
    FrameJob job{ctx, v, rectOfSize(v.W, v.H), rectOfSize(v.W, v.H)};

    // 4: the effect's own drawing.
    dispatch(row, job);

    // 5: finish by progress (the cut may just have moved it to 100, and has drawn the whole new picture
    // already: drawing it again would change nothing).
    if (ctx.FProgress >= 100) {
        if (!job.cut) gfx::copyRect(ctx.FScreen, 0, 0, ctx.FNewFrame, ctx.FNewFrame.rect());
    } else if (ctx.FProgress > 0)
        finishInBetween(row, job);

    // 6: no family the table draws yet makes a clip region, so there is none to release.
    // 7–9: invalidate, the caller's hook, repaint.
    if (ctx.InvalidateFrameRect) ctx.InvalidateFrameRect(job.D);
    if (ctx.OnAfterNewFrame) ctx.OnAfterNewFrame(ctx.FNewFrame, ctx.FScreen);
    if (!ctx.FPainting && ctx.Update) ctx.Update();

    FrameResult result;
    result.progress = ctx.FProgress;
    result.runEnded = job.cut || (ctx.Reverse ? ctx.FProgress <= 0 : ctx.FProgress >= 100);
    return result;
}

} // namespace vorlin::effects
