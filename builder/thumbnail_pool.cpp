#include "builder/thumbnail_pool.h"

#include "gfx/codecs/picture_loader.h"

#include <algorithm>

namespace vorlin::builder {

ThumbnailPool::ThumbnailPool(std::shared_ptr<platform::CallQueue> queue, Handler handler, int threads)
    : queue_(std::move(queue)), handler_(std::make_shared<Handler>(std::move(handler))) {
    const int count = std::max(1, threads);
    threads_.reserve(count);
    for (int i = 0; i < count; ++i) threads_.emplace_back([this] { work(); });
}

ThumbnailPool::~ThumbnailPool() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
        jobs_.clear();
    }
    wake_.notify_all();
    for (auto& t : threads_) t.join();
}

void ThumbnailPool::add(std::uint64_t id, std::string path, int width, int height, gfx::Color fill,
                        Place place) {
    {
        std::lock_guard lock(mutex_);
        Job job{id, std::move(path), width, height, fill};
        if (place == Place::First)
            jobs_.push_front(std::move(job));
        else
            jobs_.push_back(std::move(job));
    }
    wake_.notify_one();
}

void ThumbnailPool::cancelAll() {
    std::lock_guard lock(mutex_);
    jobs_.clear();
}

std::size_t ThumbnailPool::pending() const {
    std::lock_guard lock(mutex_);
    return jobs_.size() + running_;
}

void ThumbnailPool::work() {
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
        gfx::Bitmap thumbnail;
        try {
            thumbnail = gfx::loadPicture(job.path, job.fill, gfx::PictureSize{job.width, job.height});
        } catch (...) {
            // An unreadable picture gets no thumbnail; the list shows its path alone.
        }
        {
            // Done before the hand-over, so that an owner holding the result sees the job finished.
            std::lock_guard lock(mutex_);
            --running_;
        }
        queue_->post([handler = handler_, id = job.id, bmp = std::move(thumbnail)]() mutable {
            (*handler)(id, std::move(bmp));
        });
    }
}

} // namespace vorlin::builder
