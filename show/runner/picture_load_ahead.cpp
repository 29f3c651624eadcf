#include "show/runner/picture_load_ahead.h"

#include "gfx/codecs/codecs.h"
#include "gfx/codecs/picture_loader.h"

#include <cstdlib>
#include <malloc.h>
#include <mutex>
#include <utility>
#include <vector>

namespace vorlin::runner {

namespace {

// Workers whose owner went while they ran. They were told to stop and end within a row of their decode.
struct AbandonedWorkers {
    std::mutex mutex;
    std::vector<std::pair<std::thread, std::shared_ptr<const std::atomic<bool>>>> workers;
};

AbandonedWorkers& abandoned() {
    static auto* list = new AbandonedWorkers; // never destroyed: the exit handler below uses it
    return *list;
}

void joinAbandoned(bool onlyEnded) {
    auto& list = abandoned();
    std::lock_guard lock(list.mutex);
    std::erase_if(list.workers, [&](auto& w) {
        if (onlyEnded && !*w.second) return false;
        w.first.join();
        return true;
    });
}

// Keeps a worker to be joined later: by the next call once it has ended, at the latest by the process's
// ordinary exit (a process that ends at once with _Exit never waits for it).
void abandon(std::thread worker, std::shared_ptr<const std::atomic<bool>> ended) {
    static const bool joinedAtExit = std::atexit([] { joinAbandoned(false); }) == 0;
    (void)joinedAtExit;
    joinAbandoned(true);
    auto& list = abandoned();
    std::lock_guard lock(list.mutex);
    list.workers.emplace_back(std::move(worker), std::move(ended));
}

} // namespace

gfx::PhotoMetadata readPictureMetadata(const std::string& path) noexcept {
    try {
        return gfx::readPhotoMetadata(gfx::readPictureFile(path));
    } catch (...) {
        return {};
    }
}

void releaseFreedMemory() {
    // glibc raises its mmap threshold after a large block is freed (up to 32 MB), after which pictures
    // come from the heap and their pages stay with the process; a fixed threshold keeps every picture's
    // pixels in blocks of their own that go back to the system when freed.
    static const bool fixedThreshold = mallopt(M_MMAP_THRESHOLD, 1 << 20) == 1;
    (void)fixedThreshold;
    malloc_trim(0);
}

PictureLoadAhead::PictureLoadAhead(std::shared_ptr<platform::CallQueue> queue, Handler handler)
    : queue_(std::move(queue)), handler_(std::move(handler)), link_(std::make_shared<Link>(Link{this})) {}

PictureLoadAhead::~PictureLoadAhead() {
    link_->self = nullptr; // a result already posted, or posted from now on, is dropped
    if (!job_) return;
    job_->cancel = true;
    if (thread_.joinable())
        abandon(std::move(thread_), std::shared_ptr<const std::atomic<bool>>(job_, &job_->ended));
}

void PictureLoadAhead::cancel() {
    if (job_) job_->cancel = true;
    // The worker never waits for the main thread, so a plain join cannot deadlock.
    if (thread_.joinable()) thread_.join();
    job_.reset();
    ++serial_; // a result already posted is dropped
    busy_ = false;
}

void PictureLoadAhead::start(PictureRequest request) {
    cancel();
    job_ = std::make_shared<Job>();
    job_->request = std::move(request);
    busy_ = true;
    thread_ = std::thread([job = job_, queue = queue_, link = link_, serial = serial_] {
        releaseFreedMemory();
        LoadedPicture result;
        result.request = job->request;
        try {
            result.picture =
                gfx::loadFittedPicture(job->request.path, job->request.fill, job->request.fit, &job->cancel);
            result.ok = true;
        } catch (const std::exception& e) {
            result.error = e.what();
        } catch (...) {
            result.error = job->request.path + ": cannot be loaded";
        }
        if (result.ok && job->request.metadata && !job->cancel)
            result.metadata = readPictureMetadata(job->request.path);
        if (!job->cancel)
            queue->post([link, serial, result = std::move(result)]() mutable {
                if (link->self) link->self->deliver(serial, std::move(result));
            });
        job->ended = true;
    });
}

void PictureLoadAhead::deliver(std::uint64_t serial, LoadedPicture result) {
    if (serial != serial_) return;
    busy_ = false;
    if (thread_.joinable()) thread_.join(); // it has just posted this and ends
    job_.reset();
    if (handler_) handler_(std::move(result));
}

} // namespace vorlin::runner
