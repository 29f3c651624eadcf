#include "platform/dispatcher/call_queue.h"

#include <cerrno>
#include <sys/eventfd.h>
#include <system_error>
#include <unistd.h>

namespace vorlin::platform {

CallQueue::CallQueue() : owner_(std::this_thread::get_id()) {
    fd_ = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (fd_ < 0) throw std::system_error(errno, std::generic_category(), "eventfd");
}

CallQueue::~CallQueue() {
    close();
    ::close(fd_);
}

void CallQueue::signal() {
    std::uint64_t one = 1;
    // A full counter (EAGAIN) still leaves the fd readable, which is all the watcher needs.
    [[maybe_unused]] auto n = ::write(fd_, &one, sizeof one);
}

void CallQueue::runSync(std::function<void()> fn) {
    if (onOwnerThread()) {
        // The owner would wait for itself: run the call in place.
        if (closed()) throw CallQueueClosed();
        fn();
        return;
    }
    auto state = std::make_shared<SyncState>();
    {
        std::unique_lock lock(mutex_);
        if (closed_) throw CallQueueClosed();
        calls_.push_back(Call{std::move(fn), state});
        ++wakeups_;
    }
    wakeCv_.notify_all();
    signal();
    std::unique_lock lock(mutex_);
    doneCv_.wait(lock, [&] { return state->done; });
    if (state->error) std::rethrow_exception(state->error);
}

bool CallQueue::post(std::function<void()> fn) {
    {
        std::lock_guard lock(mutex_);
        if (closed_) return false;
        calls_.push_back(Call{std::move(fn), nullptr});
        ++wakeups_;
    }
    wakeCv_.notify_all();
    signal();
    return true;
}

void CallQueue::wake() {
    {
        std::lock_guard lock(mutex_);
        ++wakeups_;
    }
    wakeCv_.notify_all();
}

bool CallQueue::closed() const {
    std::lock_guard lock(mutex_);
    return closed_;
}

std::size_t CallQueue::pending() const {
    std::lock_guard lock(mutex_);
    return calls_.size();
}

void CallQueue::drainWakeup() {
    std::uint64_t count;
    [[maybe_unused]] auto n = ::read(fd_, &count, sizeof count);
}

bool CallQueue::popOne(Call& call) {
    std::lock_guard lock(mutex_);
    if (calls_.empty() || closed_) return false;
    call = std::move(calls_.front());
    calls_.pop_front();
    return true;
}

int CallQueue::serve() {
    std::size_t budget;
    {
        std::lock_guard lock(mutex_);
        budget = calls_.size();
    }
    int served = 0;
    // One call at a time, so that a call which itself serves (a nested wait) keeps the order.
    for (; budget > 0; --budget) {
        Call call;
        if (!popOne(call)) break;
        std::exception_ptr error;
        try {
            call.fn();
        } catch (...) {
            error = std::current_exception();
        }
        ++served;
        if (call.sync) {
            {
                std::lock_guard lock(mutex_);
                call.sync->error = std::move(error);
                call.sync->done = true;
                // The waiting worker holds the other reference, so the state (and the exception in it)
                // is freed on the worker's side, after it has read it.
                call.sync.reset();
            }
            doneCv_.notify_all();
        }
        // A post's exception has nobody to go to: it is dropped.
    }
    return served;
}

void CallQueue::waitServing(const std::function<bool()>& done, std::chrono::milliseconds pollInterval) {
    for (;;) {
        std::uint64_t seen;
        {
            std::lock_guard lock(mutex_);
            seen = wakeups_;
        }
        serve();
        if (done()) return;
        std::unique_lock lock(mutex_);
        wakeCv_.wait_for(lock, pollInterval, [&] { return wakeups_ != seen || closed_; });
        if (closed_) {
            lock.unlock();
            if (done()) return;
            // Nothing can be served any more; keep testing the predicate.
            std::this_thread::sleep_for(pollInterval);
        }
    }
}

void CallQueue::close() {
    std::deque<Call> dropped;
    {
        std::lock_guard lock(mutex_);
        if (closed_) return;
        closed_ = true;
        dropped.swap(calls_);
        for (auto& call : dropped) {
            if (call.sync) {
                call.sync->error = std::make_exception_ptr(CallQueueClosed());
                call.sync->done = true;
            }
        }
    }
    doneCv_.notify_all();
    wakeCv_.notify_all();
    // The dropped functions are destroyed here, outside the lock.
}

} // namespace vorlin::platform
