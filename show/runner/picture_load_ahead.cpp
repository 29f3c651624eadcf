#include "show/runner/picture_load_ahead.h"

#include "gfx/codecs/picture_loader.h"

#include <malloc.h>

namespace vorlin::runner {

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
    cancel();
    link_->self = nullptr;
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
        if (job->cancel) return;
        queue->post([link, serial, result = std::move(result)]() mutable {
            if (link->self) link->self->deliver(serial, std::move(result));
        });
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
