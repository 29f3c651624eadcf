#include "show/canvas/transition.h"

#include "platform/dispatcher/dispatcher.h"
#include "show/canvas/animate_thread.h"
#include "show/canvas/vorlinscreen.h"

#include <QCoreApplication>

#include <chrono>
#include <thread>

namespace vorlin::canvas {

// A worker still attached here (a transition dropped without EndWorker) is terminated and joined by its
// own destructor, serving its calls.
TTransition::~TTransition() = default;

bool TTransition::PacedBy(const TAnimateThread& worker) const {
    return Phase == TransitionPhase::Running && Worker.get() == &worker && !worker.Terminated();
}

bool TTransition::PacedByLoop() const {
    return Phase == TransitionPhase::Running && !Worker;
}

void TTransition::EndWorker(std::shared_ptr<TAnimateThread>& retired) {
    // Detached first, so that the worker's own end notification, served during the wait, finds it no
    // longer this transition's worker and does nothing.
    std::shared_ptr<TAnimateThread> worker = std::move(Worker);
    if (!worker) return;
    worker->Terminate();
    if (worker->InStep()) {
        if (auto older = std::move(retired)) older->WaitFor();
        retired = std::move(worker);
        return;
    }
    worker->WaitFor();
}

void TTransition::Pace(bool threaded, int priority) {
    EndWorker(FCanvas.FRetired);
    if (threaded)
        Worker = TAnimateThread::Start(FCanvas.FLink, platform::Dispatcher::forApplication().queue(),
                                       FCanvas.FDelay, priority);
    else
        RunLoop();
}

void TTransition::RunLoop() {
    using Clock = std::chrono::steady_clock;
    // The loop runs events: they may end this transition (kept alive here) or destroy the canvas.
    const std::shared_ptr<TTransition> self = shared_from_this();
    const std::shared_ptr<CanvasLink> link = FCanvas.FLink;
    // Tests `link` first: after an event handler destroyed the canvas, nothing of it may be read.
    auto current = [&] { return link->canvas && link->canvas->FTransition == self && PacedByLoop(); };
    bool ended = false;
    while (current()) {
        const auto frameStart = Clock::now();
        ended = FCanvas.FrameStep();
        if (!link->canvas) return;
        if (ended) break;
        const auto delay = std::chrono::milliseconds(FCanvas.FDelay.load());
        for (;;) {
            QCoreApplication::processEvents(QEventLoop::AllEvents);
            if (!current() || Clock::now() - frameStart > delay) break;
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    }
    if (ended && link->canvas && link->canvas->FTransition == self) FCanvas.FinishTransition();
}

} // namespace vorlin::canvas
