#pragma once
// Decodes small thumbnails of picture files on worker threads, so that adding hundreds of pictures keeps
// the builder window responsive.
//
// The workers are std::threads that never call Qt: each takes a job (an id, a path, a box and a
// background colour), decodes the file with the picture codecs, and hands the result to the owner's
// thread through the call queue's post. The result handler therefore runs on the thread that serves the
// queue (the main thread), never on a worker. A job whose file cannot be decoded reports an empty bitmap.
//
// cancelAll() drops the jobs not yet started; results of jobs already running still arrive, so the
// handler must ignore ids it no longer knows. Destroying the pool stops and joins the workers; results
// posted after that are dropped by the handler's own liveness guard (see ThumbnailPool::Handler).

#include "gfx/bitmap.h"
#include "platform/dispatcher/call_queue.h"

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace vorlin::builder {

class ThumbnailPool {
public:
    // Runs on the queue's owning thread with the job's id and its thumbnail (empty when decoding failed).
    using Handler = std::function<void(std::uint64_t id, gfx::Bitmap thumbnail)>;

    ThumbnailPool(std::shared_ptr<platform::CallQueue> queue, Handler handler, int threads);
    ~ThumbnailPool();
    ThumbnailPool(const ThumbnailPool&) = delete;
    ThumbnailPool& operator=(const ThumbnailPool&) = delete;

    // Where a job joins the queue: after those queued (Last), or before them (First: what a person is
    // looking at).
    enum class Place { Last, First };
    // Owner's thread. Queues one decode of `path` shrunk into width × height on `fill`.
    void add(std::uint64_t id, std::string path, int width, int height, gfx::Color fill,
             Place place = Place::Last);
    // Owner's thread. Forgets every job not yet started.
    void cancelAll();
    // Jobs queued or running (for tests and benchmarks).
    std::size_t pending() const;

private:
    struct Job {
        std::uint64_t id;
        std::string path;
        int width, height;
        gfx::Color fill;
    };
    void work();

    std::shared_ptr<platform::CallQueue> queue_;
    // Shared with the posted closures, which may run after the pool is gone.
    std::shared_ptr<Handler> handler_;
    mutable std::mutex mutex_;
    std::condition_variable wake_;
    std::deque<Job> jobs_;
    std::size_t running_ = 0;
    bool stopping_ = false;
    std::vector<std::thread> threads_;
};

} // namespace vorlin::builder
