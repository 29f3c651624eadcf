#include "builder/thumbnail_pool.h"

#include "gfx/codecs/picture_loader.h"

namespace vorlin::builder {

namespace {

gfx::Bitmap decode(const ThumbnailJob& job) {
    return gfx::loadPicture(job.path, job.fill, gfx::PictureSize{job.width, job.height});
}

} // namespace

ThumbnailPool::ThumbnailPool(std::shared_ptr<platform::CallQueue> queue, Handler handler, int threads)
    : JobWorkers(std::move(queue), decode, std::move(handler), threads) {}

void ThumbnailPool::add(std::uint64_t id, std::string path, int width, int height, gfx::Color fill,
                        Place place) {
    JobWorkers::add(id, {std::move(path), width, height, fill}, place);
}

} // namespace vorlin::builder
