#pragma once
// The canvas's pan and zoom while a picture shows: a timer draws the drift's frames, only the picture's
// rectangle, until the drift's end, and then holds that last frame. Each frame is drawn into a 32-bit
// frame (pixman's fast bilinear path, and what the canvas paints from without a conversion) and copied
// into the screen buffer, which so always holds what is shown.
//
// A TDriftPicture is a picture as a drift shows it: converted once to 32-bit pixels for the bilinear
// drawing, where it lies in the composed picture, and the plan chosen for it. The canvas composes the
// picture a transition brings in from the plan's first frame, so the drift starts exactly where the
// transition ended.
//
// Timing: t runs from 0 at Start to 1 after the drift's duration, read from a steady clock (replaceable
// for tests); a frame that comes late draws the moment it comes to, and every frame after the end draws
// the end, once. Frames come at the display's refresh rate, at most 60 a second, on a Qt::PreciseTimer.
// No worker thread: main thread only. No exception leaves the timer's handler.

#include "base/geometry.h"
#include "gfx/bitmap.h"
#include "gfx/view_render.h"
#include "show/canvas/pan_zoom.h"

#include <QTimer>

#include <chrono>
#include <functional>
#include <memory>

namespace vorlin::canvas {

struct TDriftPicture {
    // `placed`: where the whole picture lies in a composed picture of clientWidth × clientHeight (it may
    // reach past it); the drift shows the part inside.
    TDriftPicture(const gfx::Bitmap& picture, const Rect& placed, int clientWidth, int clientHeight);

    gfx::ViewSource source;
    // Where the picture shows in the composed picture (and in the screen buffer showing it), and the
    // part of the picture shown there without zoom; the plan's views lie inside that part.
    Rect target;
    gfx::ViewRect base;
    // The drift chosen for the picture; none yet: it shows whole and does not drift.
    TDriftPlan plan;
    bool planned = false;

    // The picture's view at t of its plan (the whole picture without one).
    gfx::ViewRect viewAt(double t) const;
    // Draws the picture's frame at t into `dest` over `target`.
    void draw(gfx::Bitmap& dest, double t) const;
};

class TDriftPlayer {
public:
    using Clock = std::function<std::chrono::steady_clock::time_point()>;
    // Called after each frame drawn into the screen buffer, with the rectangle drawn.
    using FrameDrawn = std::function<void(const Rect& drawn)>;

    // `screen`: the buffer the frames go into (it outlives the player). Made on the thread the frames
    // run on.
    TDriftPlayer(gfx::Bitmap& screen, FrameDrawn drawn);
    TDriftPlayer(const TDriftPlayer&) = delete;
    TDriftPlayer& operator=(const TDriftPlayer&) = delete;

    // Starts drifting `picture` (which must be planned) over durationMs, at framesPerSecond frames a
    // second. Stops a drift that runs. Nothing when the screen buffer cannot hold the picture's target.
    void Start(std::shared_ptr<const TDriftPicture> picture, int durationMs, int framesPerSecond);
    // Stops at once; the screen buffer keeps the frame last drawn.
    void Stop();
    // A drift runs, or holds its end.
    bool Running() const { return picture_ != nullptr; }
    // The timer's step: draws the frame for the clock's present moment (nothing when no drift runs, or
    // when its end was drawn already). Stops when the screen buffer changed size under the drift.
    void FrameNow();
    // t of the present moment, 0..1 (0 when no drift runs).
    double Progress() const;
    // The running drift's last frame (the size of its target), or null before its first frame.
    const gfx::ViewFrame* Frame() const { return picture_ && framed_ ? &frame_ : nullptr; }
    // Where the running drift draws in the screen buffer (empty when none runs).
    Rect Target() const { return picture_ ? picture_->target : Rect{}; }

    Clock clock = [] { return std::chrono::steady_clock::now(); };

private:
    gfx::Bitmap& screen_;
    FrameDrawn drawn_;
    QTimer timer_;
    std::shared_ptr<const TDriftPicture> picture_;
    std::chrono::steady_clock::time_point start_;
    std::chrono::milliseconds duration_{0};
    int screenWidth_ = 0, screenHeight_ = 0;
    bool endDrawn_ = false;
    gfx::ViewFrame frame_; // kept from drift to drift while the target's size stays
    bool framed_ = false;
};

// Frames a second for a display of refreshRate Hz: the refresh rate, at most 60; 60 when unknown.
int driftFramesPerSecond(double refreshRate);

} // namespace vorlin::canvas
