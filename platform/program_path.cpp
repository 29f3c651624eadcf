#include "platform/program_path.h"

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <mutex>
#include <system_error>

namespace fs = std::filesystem;

namespace vorlin::platform {

namespace {
std::mutex mutex;
std::string current;
} // namespace

std::string findOnPath(const std::string& name) {
    const char* path = std::getenv("PATH");
    std::string list = path ? path : "/usr/local/bin:/usr/bin:/bin";
    std::size_t start = 0;
    while (start <= list.size()) {
        auto end = list.find(':', start);
        if (end == std::string::npos) end = list.size();
        // An empty $PATH entry means the current folder.
        const std::string dir = end > start ? list.substr(start, end - start) : std::string(1, '.');
        const fs::path candidate = fs::path(dir) / name;
        std::error_code ec;
        if (fs::is_regular_file(candidate, ec) && access(candidate.c_str(), X_OK) == 0)
            return fs::absolute(candidate, ec).lexically_normal().string();
        start = end + 1;
    }
    return {};
}

std::string resolveProgramPath(const std::string& argv0) {
    if (argv0.empty()) return {};
    std::error_code ec;
    if (argv0.find('/') == std::string::npos) {
        if (auto found = findOnPath(argv0); !found.empty()) return found;
    }
    const fs::path abs = fs::absolute(fs::path(argv0), ec);
    return ec ? argv0 : abs.lexically_normal().string();
}

void setProgramPath(const std::string& path) {
    std::lock_guard lock(mutex);
    current = path;
}

std::string programPath() {
    {
        std::lock_guard lock(mutex);
        if (!current.empty()) return current;
    }
    return executablePath();
}

std::string executablePath() {
    std::error_code ec;
    auto exe = fs::read_symlink("/proc/self/exe", ec);
    return ec ? std::string() : exe.string();
}

} // namespace vorlin::platform
