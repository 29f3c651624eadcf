#pragma once
// The effect engine's single entry: DrawFrame composes one frame of a transition in the screen buffer
// from the old frame and the new frame, for the canvas's effect number (Style) and progress. It keeps no
// state of its own; everything it reads or writes belongs to the caller and is reached through a
// FrameContext. Main thread only (the canvas's thread); it takes no locks.
//
// The steps of a frame, in order:
//   1. the old frame onto the screen;            2. OnBeforeNewFrame;
//   3. the per-frame values, D and S;            4. the effect's routine (rectangle effects may make
//                                                   partial copies, each invalidated at once);
//   5. the finish by progress: 100 the whole new picture, 0 nothing more (the whole old frame when the
//      run is reversed: its end), otherwise the effect's final drawing (S stretched onto D for the
//      rectangle effects);
//   6. a clip region made by the effect is released (region families);
//   7. InvalidateFrameRect with D;               8. OnAfterNewFrame;
//   9. Update, unless the canvas is painting.
// Where the new picture is certain to cover the frame, step 1 leaves the old frame out (unless an
// OnBeforeNewFrame hook is there to see it): the result is the same, and the copy is saved.
//
// How a canvas drives a run: after preparing the frames, for every tick it sets FProgress to the tick's
// value, calls DrawFrame, stores FrameResult::progress as its own progress and stops the run when
// FrameResult::runEnded is set.

#include "base/geometry.h"
#include "gfx/bitmap.h"

#include <functional>

namespace vorlin::effects {

// A frame hook: Picture is always the new frame, Screen always the screen buffer. The canvas binds its
// own object as the sender when it makes the hook.
using TCustomDrawEvent = std::function<void(gfx::Bitmap& Picture, gfx::Bitmap& Screen)>;

// What the engine needs from its caller (the transition canvas, the frame tool, tests). The three bitmaps
// have the picture's size. An empty hook counts as unassigned.
struct FrameContext {
    FrameContext(gfx::Bitmap& screen, const gfx::Bitmap& oldFrame, gfx::Bitmap& newFrame)
        : FScreen(screen), FOldFrame(oldFrame), FNewFrame(newFrame) {}

    gfx::Bitmap& FScreen;
    const gfx::Bitmap& FOldFrame;
    gfx::Bitmap& FNewFrame;
    // 0..100, the value the frame is drawn for. Held by value, so that the canvas can keep its own
    // field atomic for its pacing worker: the cut sets this to 100, and the caller stores
    // FrameResult::progress back.
    int FProgress = 0;
    int Style = 101;
    int Step = 4;
    bool Reverse = false;
    bool FPainting = false;

    TCustomDrawEvent OnBeforeNewFrame;
    TCustomDrawEvent OnAfterNewFrame;
    TCustomDrawEvent OnCustomDraw;
    // Marks a rectangle of the screen buffer (picture coordinates, possibly reaching outside it) dirty.
    std::function<void(const Rect&)> InvalidateFrameRect;
    // Repaints the control at once.
    std::function<void()> Update;
};

struct FrameResult {
    // The progress after the frame: FProgress as it came in, or 100 after a cut.
    int progress = 0;
    // The run is over after this frame: progress reached the end of its direction (100 forward, 0 in
    // reverse), or the frame was a cut, which ends its run at the tick it is drawn in either direction
    // (in a reversed run progress would never reach 0 otherwise). The caller's frame loop stops on it.
    bool runEnded = false;
};

FrameResult DrawFrame(FrameContext& ctx);

// Whether a run gives the old and new frames exchanged roles. A reversed run plays the effect backwards:
// its old frame is the incoming picture and its new frame what the screen showed, so that the run, going
// from 100 down to 0, starts on the picture shown and ends on the incoming one, as a forward run does.
// A plain cut (effect 0, or a number outside the table, without an OnCustomDraw hook) has no direction:
// it shows the new frame at once either way, so its frames keep their roles.
bool exchangesFrames(int style, bool reverse, bool customDraw);

// The stretch-copy with a mirrored destination that the fold effects use: clips S to the source,
// mirrors horizontally and/or vertically, and lands on D widened by one pixel at each mirrored edge.
void MirrorBlt(gfx::Bitmap& dst, Rect d, const gfx::Bitmap& src, bool mirrorVertically,
               bool mirrorHorizontally, Rect s);

} // namespace vorlin::effects
