#pragma once
// The pacing worker of a transition canvas. It draws nothing and never calls Qt: for every frame it hands
// the canvas's frame step to the main thread through the dispatcher's synchronous call, then sleeps the
// rest of the canvas's Delay measured from the frame's start (a frame slower than Delay is followed at
// once by the next). It ends itself when a step reports the end of its run, and stops looping when it is
// terminated (the canvas terminates it to stop the run, to hand it to Manual, or to drop it). Its last act
// is to post the canvas's end-of-worker notification to the main thread.
//
// Threads: Start, Terminate, WaitFor, InStep and the destructor belong to the main thread; the
// worker reads only the canvas's Delay (an atomic) and its own FTerminated. The closures it hands over hold
// the canvas's CanvasLink, never the canvas itself, so a call that is still queued when the canvas is gone
// finds no canvas and does nothing; the end notification names the worker by a weak reference, so a
// notification that outlives its worker names nobody.

#include "platform/dispatcher/call_queue.h"
#include "platform/dispatcher/worker_thread.h"

#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>

namespace vorlin::canvas {

struct CanvasLink;

class TAnimateThread {
    struct Private {};

public:
    // Makes a worker and starts it at once with the given priority. `delay` (milliseconds) is read before
    // every sleep and must outlive the worker.
    static std::shared_ptr<TAnimateThread> Start(std::shared_ptr<CanvasLink> link,
                                                 std::shared_ptr<platform::CallQueue> queue,
                                                 const std::atomic<int>& delay, int priority);
    TAnimateThread(Private, std::shared_ptr<CanvasLink> link, std::shared_ptr<platform::CallQueue> queue,
                   const std::atomic<int>& delay, int priority);
    // Terminates the worker and waits for it, serving its calls meanwhile.
    ~TAnimateThread();
    TAnimateThread(const TAnimateThread&) = delete;
    TAnimateThread& operator=(const TAnimateThread&) = delete;

    // Any thread: asks the loop to end (it ends after the frame step in progress) and cuts its sleep short.
    void Terminate();
    bool Terminated() const { return FTerminated.load(); }
    // Main thread: waits until the worker has ended, serving the calls handed to the main thread.
    void WaitFor();
    bool Finished() const { return FWorker.finished(); }
    // Main thread: true while the worker's frame step runs (the worker is then blocked until it returns,
    // so waiting for it from inside the step would never end).
    bool InStep() const { return FInStep; }

private:
    void Execute();
    void WakeUp();

    const std::shared_ptr<CanvasLink> FLink;
    const std::shared_ptr<platform::CallQueue> FQueue;
    const std::atomic<int>& FDelay;
    const int FPriority;
    std::weak_ptr<TAnimateThread> FSelf; // set before the worker starts
    std::atomic<bool> FTerminated{false};
    bool FInStep = false; // main thread only
    std::mutex FSleepMutex;
    std::condition_variable FSleepCv;
    platform::WorkerThread FWorker;
};

// Gives the calling thread a scheduling priority for a TThreadPriority value: SCHED_IDLE for tpIdle,
// otherwise the thread's nice value moved by +10, +5, 0, −5, −10, −20 (tpLowest to tpTimeCritical),
// kept within −20..19. Raising the priority needs a privilege the process may not have; the worker
// ignores a refusal. Returns whether it was applied.
bool applyThreadPriority(int priority);

} // namespace vorlin::canvas
