#include "show/canvas/animate_thread.h"

#include "platform/logging/logging.h"
#include "show/canvas/vorlinscreen.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <exception>
#include <pthread.h>
#include <sched.h>
#include <sys/resource.h>
#include <unistd.h>

namespace vorlin::canvas {

bool applyThreadPriority(int priority) {
    if (priority == tpIdle) {
        sched_param param{};
        param.sched_priority = 0;
        return pthread_setschedparam(pthread_self(), SCHED_IDLE, &param) == 0;
    }
    if (priority < tpLowest || priority > tpTimeCritical || priority == tpNormal) return true;
    static constexpr int kNiceStep[] = {0, 10, 5, 0, -5, -10, -20};
    // Relative to the thread's present nice value (inherited from the process), within -20..19. On
    // Linux a nice value set for a thread id applies to that thread only.
    const auto tid = static_cast<id_t>(gettid());
    errno = 0;
    const int base = getpriority(PRIO_PROCESS, tid);
    if (base == -1 && errno != 0) return false;
    return setpriority(PRIO_PROCESS, tid, std::clamp(base + kNiceStep[priority], -20, 19)) == 0;
}

std::shared_ptr<TAnimateThread> TAnimateThread::Start(std::shared_ptr<CanvasLink> link,
                                                      std::shared_ptr<platform::CallQueue> queue,
                                                      const std::atomic<int>& delay, int priority) {
    auto worker =
        std::make_shared<TAnimateThread>(Private{}, std::move(link), std::move(queue), delay, priority);
    worker->FSelf = worker;
    worker->FWorker.start(worker->FQueue, [raw = worker.get()] { raw->Execute(); });
    return worker;
}

TAnimateThread::TAnimateThread(Private, std::shared_ptr<CanvasLink> link,
                               std::shared_ptr<platform::CallQueue> queue, const std::atomic<int>& delay,
                               int priority)
    : FLink(std::move(link)), FQueue(std::move(queue)), FDelay(delay), FPriority(priority) {}

TAnimateThread::~TAnimateThread() {
    Terminate();
    WaitFor();
}

void TAnimateThread::Terminate() {
    FTerminated = true;
    WakeUp();
}

void TAnimateThread::WakeUp() {
    // Taking the lock orders the wake-up after a sleeper's test of its condition: no lost notification.
    { std::lock_guard lock(FSleepMutex); }
    FSleepCv.notify_all();
}

void TAnimateThread::WaitFor() {
    if (FWorker.started()) FQueue->waitServing([this] { return FWorker.finished(); });
    FWorker.join();
}

void TAnimateThread::Execute() {
    using Clock = std::chrono::steady_clock;
    applyThreadPriority(FPriority);
    std::exception_ptr failure;
    try {
        while (!FTerminated) {
            const auto frameStart = Clock::now();
            bool ended = true;
            // Runs on the main thread while this worker waits, so the worker object is alive.
            FQueue->runSync([this, &ended] {
                FInStep = true;
                struct Leave {
                    bool& flag;
                    ~Leave() { flag = false; }
                } leave{FInStep};
                ended = FLink->canvas ? FLink->canvas->AnimateStep(*this) : true;
            });
            if (ended) {
                FTerminated = true;
                break;
            }
            // The rest of Delay from the frame's start: drawing time is part of the frame, not added.
            const auto wakeAt = frameStart + std::chrono::milliseconds(FDelay.load());
            std::unique_lock lock(FSleepMutex);
            FSleepCv.wait_until(lock, wakeAt, [this] { return FTerminated.load(); });
        }
    } catch (...) {
        // A failed frame step, or a dispatcher closed under us, ends the run as its end would. The error
        // is reported on the main thread (no Qt here).
        failure = std::current_exception();
    }
    FQueue->post([link = FLink, self = FSelf, failure] {
        if (failure) logging::dropped(lcShow(), "a transition frame", failure);
        const std::shared_ptr<TAnimateThread> worker = self.lock();
        if (worker && link->canvas) link->canvas->AnimateThreadEnded(*worker);
    });
}

} // namespace vorlin::canvas
