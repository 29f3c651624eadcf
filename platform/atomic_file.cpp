#include "platform/atomic_file.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>

namespace vorlin::platform {

namespace {

// A writer holds an exclusive lock on its temporary file from its creation until the rename, so a
// temporary of this file whose lock can be taken was left by a writer that died (killed, power cut) and is
// removed; otherwise every interrupted write would leave one more file beside the settings.
void removeAbandonedTemporaries(const std::string& folder, const std::string& target) {
    const auto slash = target.rfind('/');
    const std::string prefix = (slash == std::string::npos ? target : target.substr(slash + 1)) + ".tmp";
    DIR* d = opendir(folder.c_str());
    if (!d) return;
    while (const dirent* e = readdir(d)) {
        const std::string name = e->d_name;
        if (name.size() != prefix.size() + 6 || name.compare(0, prefix.size(), prefix) != 0) continue;
        const std::string full = folder + "/" + name;
        const int fd = open(full.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK);
        if (fd < 0) continue;
        struct stat held {
        }, named{};
        if (fstat(fd, &held) == 0 && S_ISREG(held.st_mode) && flock(fd, LOCK_EX | LOCK_NB) == 0 &&
            lstat(full.c_str(), &named) == 0 && named.st_dev == held.st_dev && named.st_ino == held.st_ino)
            unlink(full.c_str());
        close(fd);
    }
    closedir(d);
}

} // namespace

void replaceFileAtomically(const std::string& path, const std::string& content) {
    std::string target = path;
    // Writing through a symbolic link replaces the file it points to, not the link.
    char resolved[PATH_MAX];
    struct stat lst {};
    if (lstat(path.c_str(), &lst) == 0 && S_ISLNK(lst.st_mode) && realpath(path.c_str(), resolved))
        target = resolved;

    auto fail = [&](const std::string& what, int err) {
        throw WriteError("cannot write " + path + ": " + what + ": " + std::strerror(err));
    };
    struct stat st {};
    const bool existed = stat(target.c_str(), &st) == 0;
    if (existed && S_ISDIR(st.st_mode)) fail("the path is a folder", EISDIR);

    const auto slash = target.rfind('/');
    const std::string folder =
        slash == std::string::npos ? "." : (slash == 0 ? "/" : target.substr(0, slash));
    removeAbandonedTemporaries(folder, target);
    std::string tmp;
    int fd = -1;
    for (int attempt = 0; attempt < 8 && fd < 0; ++attempt) {
        tmp = target + ".tmpXXXXXX";
        fd = mkostemp(tmp.data(), O_CLOEXEC);
        if (fd < 0) fail("cannot create a temporary file in " + folder, errno);
        // Another writer's clean-up may have taken the new file before it was locked: start again then.
        struct stat own {};
        if (flock(fd, LOCK_EX) != 0 || fstat(fd, &own) != 0 || own.st_nlink == 0) {
            close(fd);
            fd = -1;
        }
    }
    if (fd < 0) fail("cannot lock a temporary file in " + folder, EAGAIN);

    auto cleanup = [&](const std::string& what, int err) {
        close(fd);
        unlink(tmp.c_str());
        fail(what, err);
    };
    mode_t mode = 0666;
    if (existed) {
        mode = st.st_mode & 07777;
    } else {
        const mode_t mask = umask(0);
        umask(mask);
        mode &= ~mask;
    }
    fchmod(fd, mode);
    const char* p = content.data();
    std::size_t left = content.size();
    while (left > 0) {
        const ssize_t n = ::write(fd, p, left);
        if (n < 0) {
            if (errno == EINTR) continue;
            cleanup("write failed", errno);
        }
        p += n;
        left -= std::size_t(n);
    }
    if (fsync(fd) != 0) cleanup("fsync failed", errno);
    // The lock (and so the descriptor) is kept until the rename is done.
    if (rename(tmp.c_str(), target.c_str()) != 0) cleanup("rename failed", errno);
    close(fd); // the data is on disk already (fsync above)
    // Make the rename itself durable.
    const int dfd = open(folder.c_str(), O_RDONLY | O_DIRECTORY);
    if (dfd >= 0) {
        fsync(dfd);
        close(dfd);
    }
}

} // namespace vorlin::platform
