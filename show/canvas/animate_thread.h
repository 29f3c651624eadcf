#pragma once
// The pacing worker of a transition canvas. It draws nothing and never calls Qt: for every frame it hands
// the canvas's frame step to the main thread through the dispatcher's synchronous call, then sleeps the
// rest of the canvas's Delay measured from the frame's start (a frame slower than Delay is followed at
// once by the next). It ends itself when a step reports the end of the run, and stops looping when it is
// terminated or the canvas's Manual or FStopping is set. Its last act is to post the canvas's
// end-of-worker notification (FinishTransition) to the main thread.
//
// Threads: the constructor, Terminate, WakeUp, WaitFor and the destructor belong to the main thread; the
// worker reads only the canvas's atomic fields (FManual, FStopping, FDelay) and its own FTerminated.
// The closures it hands over hold the canvas's CanvasLink, never the canvas itself, so a call that is
// still queued when the canvas is gone finds no canvas and does nothing.

#include "platform/dispatcher/call_queue.h"
#include "platform/dispatcher/worker_thread.h"

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>

namespace vorlin::canvas {

class TCustomVorlinscreen;
struct CanvasLink;

class TAnimateThread {
public:
    // Starts running at once with the given priority.
    TAnimateThread(TCustomVorlinscreen& owner, std::shared_ptr<CanvasLink> link,
                   std::shared_ptr<platform::CallQueue> queue, std::uint64_t serial, int priority);
    // Terminates the worker and waits for it, serving its calls meanwhile.
    ~TAnimateThread();
    TAnimateThread(const TAnimateThread&) = delete;
    TAnimateThread& operator=(const TAnimateThread&) = delete;

    // Any thread: asks the loop to end (it ends after the frame step in progress) and cuts its sleep short.
    void Terminate();
    bool Terminated() const { return FTerminated.load(); }
    // Any thread: cuts the sleep short so that the loop tests its conditions again.
    void WakeUp();
    // Main thread: waits until the worker has ended, serving the calls handed to the main thread.
    void WaitFor();
    bool Finished() const { return FWorker.finished(); }
    std::uint64_t Serial() const { return FSerial; }

private:
    void Execute();

    TCustomVorlinscreen& FOwner;
    std::shared_ptr<CanvasLink> FLink;
    std::shared_ptr<platform::CallQueue> FQueue;
    const std::uint64_t FSerial;
    const int FPriority;
    std::atomic<bool> FTerminated{false};
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
