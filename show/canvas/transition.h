#pragma once
// One transition of a canvas, from StartTransition to its end: its two frames, its phase, and the worker
// that paces it (none while the event-pumping loop paces it or the owner drives it by hand).
//
// The canvas holds its current transition (none while idle) and drops it when the transition ends; a
// worker is detached from it (and terminated) before it is ended or replaced. So whoever acts for a
// transition later asks one question: "does the canvas's transition still run by me?" For an
// event-pumping loop whose events started a new transition or handed this one to a worker, that is its
// transition compared with the canvas's; for a worker's frame step or end notification, the worker
// compared with the canvas's transition's worker (PacedBy). A late call from a detached or dead worker
// finds another (or no) worker there and does nothing.
//
// Threads: main thread only. The worker reads nothing of this object.

#include "gfx/bitmap.h"

#include <memory>

namespace vorlin::canvas {

class TCustomVorlinscreen;
class TAnimateThread;

enum class TransitionPhase {
    Running,  // a worker or the event-pumping loop advances the progress
    Manual,   // the owner advances it with SetProgress; the frames stay
    Stopping, // StopTransition is ending it (no OnComplete)
};

class TTransition : public std::enable_shared_from_this<TTransition> {
public:
    TTransition(TCustomVorlinscreen& canvas, TransitionPhase phase) : Phase(phase), FCanvas(canvas) {}
    ~TTransition();
    TTransition(const TTransition&) = delete;
    TTransition& operator=(const TTransition&) = delete;

    // What the screen showed where the new picture appears, and the new picture (exchanged for a reversed
    // run). Shared so that a frame in progress keeps them while an event handler ends the transition.
    std::shared_ptr<gfx::Bitmap> OldFrame;
    std::shared_ptr<gfx::Bitmap> NewFrame;
    TransitionPhase Phase;
    // The worker pacing the transition now, if any.
    std::shared_ptr<TAnimateThread> Worker;

    // True while `worker` paces this transition: it is its worker, not told to end, and the phase runs.
    bool PacedBy(const TAnimateThread& worker) const;
    // Starts pacing from the present progress: a new worker, or the event-pumping loop run here until the
    // transition ends, stops running or is no longer the canvas's one. A worker still winding down (from
    // a switch to Manual) is ended first, so that it cannot finish the continued run.
    void Pace(bool threaded, int priority);
    // Detaches the worker and ends it: terminated, then waited for while its calls are served. Asked from
    // inside the worker's own frame step (the worker is blocked until the step returns), it is handed to
    // `retired` instead, which keeps it until its end notification (an older one there is waited for).
    void EndWorker(std::shared_ptr<TAnimateThread>& retired);

private:
    void RunLoop();
    bool PacedByLoop() const;

    TCustomVorlinscreen& FCanvas;
};

} // namespace vorlin::canvas
