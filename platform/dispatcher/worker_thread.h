#pragma once
// A worker thread that a main-thread wait can serve while it waits for the worker's end.
//
// The body runs on a std::thread and must never call Qt: it reaches the main thread through the
// dispatcher's runSync/post. When the body returns (or throws; the exception is dropped) the worker
// marks itself finished and wakes the dispatcher, so that Dispatcher::waitServing(worker) returns at once.
// start, finished and the destructor belong to the thread that owns the worker object.

#include "platform/dispatcher/call_queue.h"

#include <atomic>
#include <functional>
#include <memory>
#include <thread>

namespace vorlin::platform {

class WorkerThread {
public:
    WorkerThread() = default;
    WorkerThread(const WorkerThread&) = delete;
    WorkerThread& operator=(const WorkerThread&) = delete;
    // Joins a worker still running: serve it first (Dispatcher::waitServing) if it may call runSync.
    ~WorkerThread() { join(); }

    // Starts body on a new thread; the queue is woken when it ends. A previous body must have ended.
    void start(std::shared_ptr<CallQueue> queue, std::function<void()> body) {
        join();
        finished_ = std::make_shared<std::atomic<bool>>(false);
        thread_ = std::thread([queue = std::move(queue), body = std::move(body), done = finished_] {
            try {
                body();
            } catch (...) {
            }
            done->store(true, std::memory_order_release);
            queue->wake();
        });
    }

    bool started() const { return thread_.joinable(); }
    // True once the body has returned (also true for a worker never started).
    bool finished() const { return !finished_ || finished_->load(std::memory_order_acquire); }
    void join() {
        if (thread_.joinable()) thread_.join();
    }

private:
    std::shared_ptr<std::atomic<bool>> finished_;
    std::thread thread_;
};

} // namespace vorlin::platform
