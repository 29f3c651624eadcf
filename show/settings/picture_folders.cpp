#include "show/settings/picture_folders.h"

#include "gfx/codecs/picture_formats.h"

#include <algorithm>
#include <dirent.h>
#include <fcntl.h>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

namespace vorlin::show {

namespace {

unsigned char folded(char c) {
    const auto u = static_cast<unsigned char>(c);
    return u >= 'A' && u <= 'Z' ? static_cast<unsigned char>(u + ('a' - 'A')) : u;
}

std::string joined(const std::string& folder, const std::string& name) {
    return !folder.empty() && folder.back() == '/' ? folder + name : folder + "/" + name;
}

// Closes a directory stream (and with it its descriptor) on every way out.
struct DirCloser {
    void operator()(DIR* d) const {
        if (d) closedir(d);
    }
};

} // namespace

bool folderNameLess(const std::string& a, const std::string& b) {
    const std::size_t n = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < n; ++i) {
        const unsigned char x = folded(a[i]), y = folded(b[i]);
        if (x != y) return x < y;
    }
    if (a.size() != b.size()) return a.size() < b.size();
    return a < b;
}

std::size_t FolderListing::add(const TPictureFolder& folder, std::vector<std::string>& out) {
    if (stopped_ || folder.path.empty()) return 0;
    const std::size_t before = out.size();
    const int fd = open(folder.path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return 0; // missing, unreadable, or not a folder
    listDirectory(fd, folder.path, 0, folder.subfolders, out);
    return out.size() - before;
}

// Takes ownership of `fd`.
void FolderListing::listDirectory(int fd, const std::string& path, int depth, bool subfolders,
                                  std::vector<std::string>& out) {
    struct stat self;
    if (fstat(fd, &self) != 0 || !entered_
                                      .emplace(static_cast<unsigned long long>(self.st_dev),
                                               static_cast<unsigned long long>(self.st_ino))
                                      .second) {
        close(fd);
        return;
    }
    std::unique_ptr<DIR, DirCloser> dir(fdopendir(fd));
    if (!dir) {
        close(fd);
        return;
    }
    std::vector<std::string> files, folders;
    while (const dirent* e = readdir(dir.get())) {
        const char* name = e->d_name;
        if (name[0] == '.') continue; // hidden, and "." and ".."
        if (++entries_ > limits_.entries) {
            stopped_ = true;
            break;
        }
        bool isFile = e->d_type == DT_REG;
        bool isFolder = e->d_type == DT_DIR;
        const bool picture = gfx::isPictureFileName(name);
        if ((e->d_type == DT_LNK || e->d_type == DT_UNKNOWN) && (picture || subfolders)) {
            // The entry's type is not known here: look it up, following a link.
            struct stat st;
            if (fstatat(dirfd(dir.get()), name, &st, 0) != 0) continue;
            isFile = S_ISREG(st.st_mode);
            isFolder = S_ISDIR(st.st_mode);
        }
        if (isFile && picture)
            files.emplace_back(name);
        else if (isFolder && subfolders && depth < limits_.depth)
            folders.emplace_back(name);
    }
    std::sort(files.begin(), files.end(), folderNameLess);
    for (const auto& name : files) {
        if (pictures_ >= limits_.pictures) {
            stopped_ = true;
            return;
        }
        out.push_back(joined(path, name));
        ++pictures_;
    }
    std::sort(folders.begin(), folders.end(), folderNameLess);
    for (const auto& name : folders) {
        if (stopped_) return;
        const int sub = openat(dirfd(dir.get()), name.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (sub >= 0) listDirectory(sub, joined(path, name), depth + 1, true, out);
    }
}

std::vector<std::string> listFolderPictures(const std::vector<TPictureFolder>& folders, FolderLimits limits) {
    FolderListing listing(limits);
    std::vector<std::string> out;
    for (const auto& folder : folders) listing.add(folder, out);
    return out;
}

} // namespace vorlin::show
