#include "platform/files.h"

#include "platform/ini_file.h"

#include "base/text.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <system_error>

namespace fs = std::filesystem;

namespace vorlin::platform {

bool fileExists(const std::string& path) {
    struct stat st {};
    return !path.empty() && stat(path.c_str(), &st) == 0 && !S_ISDIR(st.st_mode);
}

bool wildcardMatch(const std::string& pattern, const std::string& name) {
    // Greedy matching with one backtrack point for the last "*": linear in practice, never exponential.
    std::size_t p = 0, n = 0, starP = std::string::npos, starN = 0;
    while (n < name.size()) {
        if (p < pattern.size() && pattern[p] == '*') {
            starP = p++;
            starN = n;
        } else if (p < pattern.size() &&
                   (pattern[p] == '?' || lowerAscii(pattern[p]) == lowerAscii(name[n]))) {
            ++p;
            ++n;
        } else if (starP != std::string::npos) {
            p = starP + 1;
            n = ++starN;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == '*') ++p;
    return p == pattern.size();
}

std::vector<std::string> listFiles(const std::string& folder, const std::string& pattern) {
    std::vector<std::string> names;
    std::error_code ec;
    fs::directory_iterator it(folder.empty() ? fs::path(".") : fs::path(folder), ec);
    for (; !ec && it != fs::directory_iterator(); it.increment(ec)) {
        std::error_code e2;
        if (it->is_directory(e2)) continue;
        const std::string name = it->path().filename().string();
        if (name == "." || name == "..") continue;
        if (wildcardMatch(pattern, name)) names.push_back(name);
    }
    std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
        const auto less = [](char x, char y) { return lowerAscii(x) < lowerAscii(y); };
        if (std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), less)) return true;
        if (std::lexicographical_compare(b.begin(), b.end(), a.begin(), a.end(), less)) return false;
        return a < b;
    });
    return names;
}

bool copyFile(const std::string& from, const std::string& to, bool failIfExists) {
    if (!fileExists(from)) return false;
    if (failIfExists && fileExists(to)) return false;
    const auto content = readWholeFile(from);
    if (!content) return false;
    try {
        replaceFileAtomically(to, *content);
    } catch (const WriteError&) {
        return false;
    }
    return true;
}

std::optional<std::string> readWholeFile(const std::string& path) {
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return std::nullopt;
    std::string content;
    char chunk[65536];
    ssize_t n = 0;
    while ((n = read(fd, chunk, sizeof chunk)) > 0 || (n < 0 && errno == EINTR))
        if (n > 0) content.append(chunk, static_cast<std::size_t>(n));
    close(fd);
    if (n < 0) return std::nullopt;
    return content;
}

bool deleteFile(const std::string& path) {
    struct stat st {};
    if (lstat(path.c_str(), &st) != 0 || S_ISDIR(st.st_mode)) return false;
    return unlink(path.c_str()) == 0;
}

bool sameExistingFile(const std::string& a, const std::string& b) {
    struct stat sa {
    }, sb{};
    return ::stat(a.c_str(), &sa) == 0 && ::stat(b.c_str(), &sb) == 0 && sa.st_dev == sb.st_dev &&
           sa.st_ino == sb.st_ino;
}

} // namespace vorlin::platform
