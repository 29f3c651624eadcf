#include "builder/folder_counter.h"

#include "show/settings/picture_folders.h"

#include <string>
#include <vector>

namespace vorlin::builder {

namespace {

FolderCount count(const show::TPictureFolder& folder) {
    show::FolderListing listing;
    std::vector<std::string> pictures;
    FolderCount result;
    result.pictures = listing.add(folder, pictures);
    result.limitReached = listing.limitReached();
    return result;
}

} // namespace

FolderCounter::FolderCounter(std::shared_ptr<platform::CallQueue> queue, Handler handler)
    : JobWorkers(std::move(queue), count, std::move(handler), 1) {}

} // namespace vorlin::builder
