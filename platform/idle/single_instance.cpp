#include "platform/idle/single_instance.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

namespace vorlin::idle {

std::string SingleInstance::lockPath() {
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (runtime && *runtime) return std::string(runtime) + "/vorlinsaver-watch.lock";
    return "/tmp/vorlinsaver-watch-" + std::to_string(::getuid()) + ".lock";
}

SingleInstance::~SingleInstance() {
    if (fd_ >= 0) ::close(fd_); // also drops the lock
}

bool SingleInstance::acquire(long& holder) {
    const int fd = ::open(lockPath().c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0) {
        holder = -1;
        return false;
    }
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        char text[32] = {};
        const auto n = ::pread(fd, text, sizeof text - 1, 0);
        holder = n > 0 ? std::strtol(text, nullptr, 10) : 0;
        ::close(fd);
        return false;
    }
    const std::string pid = std::to_string(::getpid()) + "\n";
    if (::ftruncate(fd, 0) == 0) [[maybe_unused]]
        const auto w = ::pwrite(fd, pid.data(), pid.size(), 0);
    fd_ = fd;
    return true;
}

} // namespace vorlin::idle
