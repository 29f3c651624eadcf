#pragma once
// The hand-over of calls from worker threads to the main thread, without Qt.
//
// A worker hands a function over with runSync (blocks until the main thread has run it, and rethrows
// what it threw) or post (returns at once; what it throws is dropped). Each hand-over writes to an
// eventfd, which the main thread watches (see Dispatcher) and answers with serve(). A main-thread wait
// for a worker goes through waitServing, which keeps serving while it waits: a plain join would
// deadlock a worker blocked in runSync.
//
// Threads: runSync, post, wake and closed may be called from any thread. serve, waitServing and close
// belong to the owning (main) thread, the one that constructed the queue. runSync called on the owning
// thread runs the function at once. Calls are served in the order they were handed over.
//
// After close (the owner goes away) nothing is served any more: pending synchronous calls are released
// with CallQueueClosed thrown in their workers, pending posts are dropped, and later runSync calls throw
// at once while later posts are dropped.

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>
#include <stdexcept>
#include <thread>

namespace vorlin::platform {

class CallQueueClosed : public std::runtime_error {
public:
    CallQueueClosed() : std::runtime_error("The main-thread dispatcher is closed") {}
};

class CallQueue {
public:
    CallQueue();
    ~CallQueue();
    CallQueue(const CallQueue&) = delete;
    CallQueue& operator=(const CallQueue&) = delete;

    // Any thread. Blocks until the owning thread has run fn; rethrows its exception.
    void runSync(std::function<void()> fn);
    // Any thread. Queues fn and returns; false when the queue is closed (fn is then dropped).
    bool post(std::function<void()> fn);
    // Any thread. Wakes a waitServing so that it tests its predicate again (a worker calls it after
    // changing what the predicate reads).
    void wake();
    bool closed() const;

    // The eventfd that becomes readable when calls are pending (for a socket notifier).
    int wakeupFd() const { return fd_; }
    // Owning thread. Resets the eventfd's counter.
    void drainWakeup();
    // Owning thread. Runs the calls pending now (not those they hand over themselves); returns how many.
    int serve();
    // Owning thread. Serves calls until done() holds; done is tested after every wake-up, at least every
    // pollInterval.
    void waitServing(const std::function<bool()>& done,
                     std::chrono::milliseconds pollInterval = std::chrono::milliseconds(5));
    // Owning thread. Releases pending and later calls as described at the top.
    void close();

    bool onOwnerThread() const { return std::this_thread::get_id() == owner_; }
    std::size_t pending() const;

private:
    struct SyncState {
        bool done = false;
        std::exception_ptr error;
    };
    struct Call {
        std::function<void()> fn;
        std::shared_ptr<SyncState> sync; // null for a post
    };

    void signal();
    bool popOne(Call& call);

    const std::thread::id owner_;
    int fd_ = -1;
    mutable std::mutex mutex_;
    std::condition_variable doneCv_; // a synchronous call finished (or the queue closed)
    std::condition_variable wakeCv_; // a call was handed over, or wake() was called
    std::deque<Call> calls_;
    std::uint64_t wakeups_ = 0;
    bool closed_ = false;
};

} // namespace vorlin::platform
