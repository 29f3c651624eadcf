#pragma once
// Decodes small thumbnails of picture files on worker threads, so that adding hundreds of pictures keeps
// the builder window responsive.
//
// Each job is a path, a box and a background colour; a worker decodes the file with the picture codecs
// and the owner's thread receives the thumbnail (see JobWorkers for threads, order, cancelling and the
// end). A file that cannot be decoded gives an empty bitmap: the list shows its path alone.

#include "builder/job_workers.h"
#include "gfx/bitmap.h"

#include <string>

namespace vorlin::builder {

struct ThumbnailJob {
    std::string path;
    int width = 0, height = 0;
    gfx::Color fill;
};

class ThumbnailPool : public JobWorkers<ThumbnailJob, gfx::Bitmap> {
public:
    // `handler` runs on the queue's owning thread with the job's id and its thumbnail (empty when decoding
    // failed); it must guard its owner's liveness, as results may arrive after the pool is gone.
    ThumbnailPool(std::shared_ptr<platform::CallQueue> queue, Handler handler, int threads);

    // Owner's thread. Queues one decode of `path` shrunk into width × height on `fill`.
    void add(std::uint64_t id, std::string path, int width, int height, gfx::Color fill,
             Place place = Place::Last);
};

} // namespace vorlin::builder
