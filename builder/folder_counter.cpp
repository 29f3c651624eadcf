#include "builder/folder_counter.h"

#include "show/settings/picture_folders.h"

namespace vorlin::builder {

FolderCounter::FolderCounter(std::shared_ptr<platform::CallQueue> queue, Handler handler)
    : queue_(std::move(queue)), handler_(std::make_shared<Handler>(std::move(handler))),
      thread_([this] { work(); }) {}

FolderCounter::~FolderCounter() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
        jobs_.clear();
    }
    wake_.notify_all();
    thread_.join();
}

void FolderCounter::add(std::uint64_t id, show::TPictureFolder folder) {
    {
        std::lock_guard lock(mutex_);
        jobs_.push_back({id, std::move(folder)});
    }
    wake_.notify_one();
}

std::size_t FolderCounter::pending() const {
    std::lock_guard lock(mutex_);
    return jobs_.size() + running_;
}

void FolderCounter::work() {
    for (;;) {
        Job job;
        {
            std::unique_lock lock(mutex_);
            wake_.wait(lock, [this] { return stopping_ || !jobs_.empty(); });
            if (stopping_) return;
            job = std::move(jobs_.front());
            jobs_.pop_front();
            ++running_;
        }
        FolderCount count;
        try {
            show::FolderListing listing;
            std::vector<std::string> pictures;
            count.pictures = listing.add(job.folder, pictures);
            count.limitReached = listing.limitReached();
        } catch (...) {
            // Out of memory for the names: the folder counts as empty.
        }
        {
            // Done before the hand-over, so that an owner holding the result sees the job finished.
            std::lock_guard lock(mutex_);
            --running_;
        }
        queue_->post([handler = handler_, id = job.id, count] { (*handler)(id, count); });
    }
}

} // namespace vorlin::builder
