#pragma once
// Counts the pictures of picture folders on a worker thread, so that adding a folder of thousands of
// photos keeps the builder window responsive.
//
// One worker lists each folder as a show would (show/settings/picture_folders.h, with the show's limits)
// and the owner's thread receives the count (see JobWorkers for threads, cancelling and the end). Jobs
// run one at a time, so counts arrive in the order added. A listing in progress when the counter is
// destroyed ends first; the show's limits bound it. A listing that fails (out of memory for the names)
// counts no pictures.

#include "builder/job_workers.h"
#include "show/settings/show_settings.h"

#include <cstddef>

namespace vorlin::builder {

struct FolderCount {
    std::size_t pictures = 0;
    bool limitReached = false; // the folder holds more than a show takes
};

// add(id, folder) queues one count of `folder` (its path as the file system takes it).
class FolderCounter : public JobWorkers<show::TPictureFolder, FolderCount> {
public:
    FolderCounter(std::shared_ptr<platform::CallQueue> queue, Handler handler);
};

} // namespace vorlin::builder
