#pragma once
// The pictures of a show's folders ([Folders]): which files of a folder join the show, and in which order.
//
// A folder gives its pictures (by extension, gfx::isPictureFileName) sorted by name, ASCII letters
// compared without case and ties broken by the bytes, so the order does not depend on the file system;
// then, with sub-folders, each sub-folder's pictures the same way, the sub-folders in that order,
// depth-first. Names starting with "." are hidden and skipped. Links are followed, but every directory is
// entered at most once per listing (by device and inode), so a link loop ends, and no deeper than
// kMaxFolderDepth levels below its folder. One listing (a show) takes at most kMaxFolderPictures pictures
// and reads at most kMaxFolderEntries directory entries; then it stops. A missing or unreadable folder, or
// a file named as a folder, adds nothing and stops nothing.
//
// Nothing is opened but the directories: a picture is known by its name and the entry's type, and only an
// entry whose type the directory does not tell (a link, or a file system without types) is looked up. No
// Qt; any thread (a listing object is used by one thread at a time).

#include "show/settings/show_settings.h"

#include <cstddef>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace vorlin::show {

constexpr std::size_t kMaxFolderPictures = 20000;
constexpr std::size_t kMaxFolderEntries = 200000;
constexpr int kMaxFolderDepth = 16;

struct FolderLimits {
    std::size_t pictures = kMaxFolderPictures;
    std::size_t entries = kMaxFolderEntries;
    int depth = kMaxFolderDepth;
};

// One listing: its limits and the directories it entered are shared by every folder added to it.
class FolderListing {
public:
    explicit FolderListing(FolderLimits limits = {}) : limits_(limits) {}

    // Appends the pictures of `folder` (full paths: the folder's path, "/", the names) to `out`; returns
    // how many it appended.
    std::size_t add(const TPictureFolder& folder, std::vector<std::string>& out);

    // True once a limit cut the listing short: later folders add nothing.
    bool limitReached() const { return stopped_; }
    std::size_t pictures() const { return pictures_; }

private:
    void listDirectory(int fd, const std::string& path, int depth, bool subfolders,
                       std::vector<std::string>& out);

    FolderLimits limits_;
    std::set<std::pair<unsigned long long, unsigned long long>> entered_;
    std::size_t pictures_ = 0;
    std::size_t entries_ = 0;
    bool stopped_ = false;
};

// The pictures of `folders` in their order, in one listing.
std::vector<std::string> listFolderPictures(const std::vector<TPictureFolder>& folders,
                                            FolderLimits limits = {});

// The order of names inside one folder: ASCII case folded, then the bytes.
bool folderNameLess(const std::string& a, const std::string& b);

} // namespace vorlin::show
