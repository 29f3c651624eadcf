#include "builder/project_check.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace vorlin::builder {
namespace {

std::string cannotRead(int err) {
    if (err == ENOENT) return "The file does not exist.";
    return std::string("The file cannot be read (") + std::strerror(err) + ").";
}

std::string tooLarge() {
    return "It is larger than " + std::to_string(kProjectSizeLimit >> 20) + " MB, far more than any project.";
}

class Fd {
public:
    explicit Fd(int fd) : fd_(fd) {}
    ~Fd() {
        if (fd_ >= 0) ::close(fd_);
    }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    int get() const { return fd_; }

private:
    int fd_;
};

} // namespace

bool looksLikeText(std::string_view bytes) {
    for (const char ch : bytes) {
        const auto c = static_cast<unsigned char>(ch);
        if (c >= 0x20) continue;
        if ((c >= 0x09 && c <= 0x0D) || c == 0x1A) continue;
        return false;
    }
    return true;
}

ProjectRead readProjectFile(const std::string& path) {
    ProjectRead r;
    struct stat st {};
    if (path.empty() || ::stat(path.c_str(), &st) != 0) {
        r.fault = cannotRead(path.empty() ? ENOENT : errno);
        return r;
    }
    if (S_ISDIR(st.st_mode)) {
        r.fault = "It is a folder, not a file.";
        return r;
    }
    if (!S_ISREG(st.st_mode)) {
        // Opening a pipe waits for a writer; a device such as /dev/zero never ends.
        r.fault = "It is not a plain file.";
        return r;
    }
    if (std::uint64_t(st.st_size) > kProjectSizeLimit) {
        r.fault = tooLarge();
        return r;
    }
    // O_NONBLOCK: should the path have become a pipe since the stat, the open must not wait for a writer.
    Fd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY));
    if (fd.get() < 0) {
        r.fault = cannotRead(errno);
        return r;
    }
    if (::fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode)) {
        r.fault = "It is not a plain file.";
        return r;
    }
    // The size may change while we read: read at most one byte past the limit and judge what was read.
    std::string content;
    content.resize(std::min<std::uint64_t>(std::uint64_t(st.st_size), kProjectSizeLimit) + 1);
    size_t used = 0;
    for (;;) {
        if (used == content.size()) {
            if (used > kProjectSizeLimit) break;
            content.resize(std::min<size_t>(content.size() * 2, size_t(kProjectSizeLimit) + 1));
        }
        const ssize_t n = ::read(fd.get(), content.data() + used, content.size() - used);
        if (n < 0) {
            if (errno == EINTR) continue;
            r.fault = cannotRead(errno);
            return r;
        }
        if (n == 0) break;
        used += size_t(n);
    }
    content.resize(used);
    if (used > kProjectSizeLimit) {
        r.fault = tooLarge();
        return r;
    }
    if (!looksLikeText(content)) {
        r.fault = "It is not a project: it holds binary data, not text.";
        return r;
    }
    r.content = std::move(content);
    return r;
}

} // namespace vorlin::builder
