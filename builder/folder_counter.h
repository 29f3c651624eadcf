#pragma once
// Counts the pictures of picture folders on a worker thread, so that adding a folder of thousands of
// photos keeps the builder window responsive.
//
// The worker is a std::thread that never calls Qt: it takes a job (an id and a folder), lists the folder
// as a show would (show/settings/picture_folders.h, with the show's limits) and hands the count to the
// owner's thread through the call queue's post; the handler therefore runs on the thread that serves the
// queue. Jobs run one at a time in the order added. Destroying the counter drops the jobs not started and
// joins the worker (a listing in progress ends first; the show's limits bound it); results posted after
// that go to a handler that must check the owner's liveness itself.

#include "platform/dispatcher/call_queue.h"
#include "show/settings/show_settings.h"

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

namespace vorlin::builder {

struct FolderCount {
    std::size_t pictures = 0;
    bool limitReached = false; // the folder holds more than a show takes
};

class FolderCounter {
public:
    using Handler = std::function<void(std::uint64_t id, FolderCount count)>;

    FolderCounter(std::shared_ptr<platform::CallQueue> queue, Handler handler);
    ~FolderCounter();
    FolderCounter(const FolderCounter&) = delete;
    FolderCounter& operator=(const FolderCounter&) = delete;

    // Owner's thread. Queues one count of `folder` (its path as the file system takes it).
    void add(std::uint64_t id, show::TPictureFolder folder);
    // Jobs queued or running.
    std::size_t pending() const;

private:
    struct Job {
        std::uint64_t id;
        show::TPictureFolder folder;
    };
    void work();

    std::shared_ptr<platform::CallQueue> queue_;
    std::shared_ptr<Handler> handler_;
    mutable std::mutex mutex_;
    std::condition_variable wake_;
    std::deque<Job> jobs_;
    std::size_t running_ = 0;
    bool stopping_ = false;
    std::thread thread_;
};

} // namespace vorlin::builder
