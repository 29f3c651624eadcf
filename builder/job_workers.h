#pragma once
// Worker threads that run queued jobs and hand each result to the owner's thread; the thumbnail pool and
// the folder counter are two of them, over their own job and work.
//
// The workers are std::threads that never call Qt: each takes the next job, runs the work on it and hands
// (id, result) to the owner's thread through the call queue's post, so the result handler runs on the
// thread that serves the queue, never on a worker. Jobs start in the order they are queued, a job placed
// First before those already queued; with one worker the results arrive in that order too. A job whose
// work throws gives a default result (an empty bitmap, a count of none).
//
// cancel() and cancelAll() drop jobs not yet started; a running job still reports, so the handler must
// ignore ids it no longer knows. Destroying the workers drops the jobs not started and joins the threads (a
// running job ends first); results posted before that reach a handler that must check its owner's liveness
// itself.

#include "platform/dispatcher/call_queue.h"

#include <algorithm>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <utility>
#include <vector>

namespace vorlin::builder {

// Where a job joins the queue: after those queued (Last), or before them (First: what a person is
// looking at).
enum class JobPlace { Last, First };

template <class Job, class Result> class JobWorkers {
public:
    // Runs on a worker thread; touches nothing but the job.
    using Work = Result (*)(const Job& job);
    // Runs on the queue's owning thread with the job's id and its result.
    using Handler = std::function<void(std::uint64_t id, Result result)>;
    using Place = JobPlace;

    JobWorkers(std::shared_ptr<platform::CallQueue> queue, Work work, Handler handler, int threads)
        : queue_(std::move(queue)), work_(work), handler_(std::make_shared<Handler>(std::move(handler))) {
        const int count = std::max(1, threads);
        threads_.reserve(count);
        for (int i = 0; i < count; ++i) threads_.emplace_back([this] { run(); });
    }
    ~JobWorkers() {
        {
            std::lock_guard lock(mutex_);
            stopping_ = true;
            jobs_.clear();
        }
        wake_.notify_all();
        for (auto& t : threads_) t.join();
    }
    JobWorkers(const JobWorkers&) = delete;
    JobWorkers& operator=(const JobWorkers&) = delete;

    // Owner's thread. Queues one job.
    void add(std::uint64_t id, Job job, Place place = Place::Last) {
        {
            std::lock_guard lock(mutex_);
            if (place == Place::First)
                jobs_.push_front({id, std::move(job)});
            else
                jobs_.push_back({id, std::move(job)});
        }
        wake_.notify_one();
    }
    // Owner's thread. Forgets the job `id` if it has not started; false when it has (or is unknown).
    bool cancel(std::uint64_t id) {
        std::lock_guard lock(mutex_);
        return std::erase_if(jobs_, [id](const Queued& q) { return q.id == id; }) > 0;
    }
    // Owner's thread. Forgets every job not yet started.
    void cancelAll() {
        std::lock_guard lock(mutex_);
        jobs_.clear();
    }
    // Jobs queued or running.
    std::size_t pending() const {
        std::lock_guard lock(mutex_);
        return jobs_.size() + running_;
    }

private:
    struct Queued {
        std::uint64_t id;
        Job job;
    };

    void run() {
        for (;;) {
            Queued next;
            {
                std::unique_lock lock(mutex_);
                wake_.wait(lock, [this] { return stopping_ || !jobs_.empty(); });
                if (stopping_) return;
                next = std::move(jobs_.front());
                jobs_.pop_front();
                ++running_;
            }
            Result result{};
            try {
                result = work_(next.job);
            } catch (...) {
                result = Result{};
            }
            {
                // Done before the hand-over, so that an owner holding the result sees the job finished.
                std::lock_guard lock(mutex_);
                --running_;
            }
            queue_->post([handler = handler_, id = next.id, r = std::move(result)]() mutable {
                (*handler)(id, std::move(r));
            });
        }
    }

    std::shared_ptr<platform::CallQueue> queue_;
    const Work work_;
    // Shared with the posted closures, which may run after the workers are gone.
    std::shared_ptr<Handler> handler_;
    mutable std::mutex mutex_;
    std::condition_variable wake_;
    std::deque<Queued> jobs_;
    std::size_t running_ = 0;
    bool stopping_ = false;
    std::vector<std::thread> threads_;
};

} // namespace vorlin::builder
