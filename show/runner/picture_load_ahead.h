#pragma once
// Loads one picture on a worker thread, so that the show's main thread never waits for a decode.
//
// start() hands a request (a file and how it will be shown) to a new std::thread, which decodes it with
// the picture codecs (never Qt) and hands the result to the queue's owning thread through post(); the
// handler given to the constructor receives it there. A request that asks for the photo's metadata (for
// a caption) has the worker read it too, after the picture loaded. One load runs at a time: start() and
// cancel() first give up the load in flight (the decoder stops at its next row) and join its thread, and the
// result of a load given up never reaches the handler, even when it was already posted. The destructor gives
// up the load too but does not wait for its worker (a show that ends must not wait for a decode to notice):
// the worker holds what it uses (its job, the queue) itself and never reaches the destroyed object. Such
// workers are joined by the next destructor once they have ended, and by the process's ordinary exit.
//
// Threads: everything here belongs to the queue's owning (main) thread; the worker touches only its own
// job (request, cancel flag) and the queue. The worker first gives freed memory back to the system
// (malloc_trim), away from the main thread: the pictures it replaced were released there.

#include "gfx/bitmap.h"
#include "gfx/codecs/photo_metadata.h"
#include "gfx/codecs/picture_fit.h"
#include "platform/dispatcher/call_queue.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <thread>

namespace vorlin::runner {

struct PictureRequest {
    std::string path;
    gfx::Color fill;
    gfx::PictureFit fit;
    bool metadata = false; // also read the photo's metadata (captions that need it; a second file read)
    bool operator==(const PictureRequest&) const = default;
};

struct LoadedPicture {
    PictureRequest request;
    bool ok = false;
    gfx::Bitmap picture;         // empty unless ok
    std::string error;           // why it failed, naming the file
    gfx::PhotoMetadata metadata; // read when the request asked for it and the picture loaded
};

class PictureLoadAhead {
public:
    using Handler = std::function<void(LoadedPicture result)>;

    PictureLoadAhead(std::shared_ptr<platform::CallQueue> queue, Handler handler);
    ~PictureLoadAhead();
    PictureLoadAhead(const PictureLoadAhead&) = delete;
    PictureLoadAhead& operator=(const PictureLoadAhead&) = delete;

    // Gives up a load in flight, then starts loading `request`.
    void start(PictureRequest request);
    // Gives up a load in flight (its result is never handled). Nothing when none runs.
    void cancel();
    // A load was started and its result has not been handled yet.
    bool busy() const { return busy_; }

private:
    struct Job {
        PictureRequest request;
        std::atomic<bool> cancel{false};
        std::atomic<bool> ended{false}; // the worker has nothing left to do but return
    };
    struct Link {
        PictureLoadAhead* self;
    };
    void deliver(std::uint64_t serial, LoadedPicture result);

    std::shared_ptr<platform::CallQueue> queue_;
    Handler handler_;
    std::shared_ptr<Link> link_;
    std::shared_ptr<Job> job_;
    std::thread thread_;
    std::uint64_t serial_ = 0;
    bool busy_ = false;
};

// The metadata of the picture file at `path` (read once more: the decoders keep none); empty when the file
// cannot be read. Any thread.
gfx::PhotoMetadata readPictureMetadata(const std::string& path) noexcept;

// Hands freed memory back to the system: the heap's free pages (glibc keeps them otherwise), and from now
// on large blocks (a picture's pixels) come straight from mmap, so freeing one returns it at once. Any
// thread.
void releaseFreedMemory();

} // namespace vorlin::runner
