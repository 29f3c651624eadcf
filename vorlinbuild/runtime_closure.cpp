// Walking a program's shared-library dependencies (see runtime_closure.h).
#include "vorlinbuild/runtime_closure.h"

#include <cstdint>
#include <cstring>
#include <deque>
#include <filesystem>
#include <stdexcept>

#include "platform/files.h"
#include "vorlinbuild/system_libraries.h"

namespace fs = std::filesystem;

namespace vorlin::vorlinbuild {
namespace {

// The loader's cache in glibc's current format: a header, entries of (flags, key, value, ...) and a string
// table; key and value are offsets from the start of the header.
std::map<std::string, std::vector<std::string>> readLoaderCache(const std::string& path) {
    std::map<std::string, std::vector<std::string>> cache;
    const std::string data = platform::readWholeFile(path).value_or("");
    constexpr char magic[] = "glibc-ld.so.cache1.1";
    constexpr std::size_t header = 48, entry = 24;
    if (data.size() < header || data.compare(0, sizeof magic - 1, magic) != 0) return cache;
    std::uint32_t count = 0;
    std::memcpy(&count, data.data() + 20, 4);
    for (std::uint32_t i = 0; i < count && header + (i + 1) * entry <= data.size(); ++i) {
        std::uint32_t key = 0, value = 0;
        std::memcpy(&key, data.data() + header + i * entry + 4, 4);
        std::memcpy(&value, data.data() + header + i * entry + 8, 4);
        if (key >= data.size() || value >= data.size()) continue;
        cache[data.c_str() + key].push_back(data.c_str() + value);
    }
    return cache;
}

std::vector<std::string> defaultFolders() {
    std::vector<std::string> folders;
#ifdef VORLIN_MULTIARCH
    for (const char* base : {"/lib/", "/usr/lib/"}) folders.push_back(base + std::string(VORLIN_MULTIARCH));
#endif
    for (const char* d : {"/lib64", "/usr/lib64", "/lib", "/usr/lib"}) folders.push_back(d);
    return folders;
}

bool sameKind(const std::string& path, const ElfInfo& from) {
    const auto info = readElf(path);
    return info && info->is64 == from.is64 && info->machine == from.machine;
}

std::string realFile(const fs::path& p) {
    std::error_code ec;
    if (!fs::is_regular_file(p, ec)) return {};
    return fs::canonical(p, ec).string();
}

std::vector<int> versionParts(const std::string& v) {
    std::vector<int> parts;
    std::size_t i = 0;
    while (i < v.size()) {
        std::size_t j = i;
        while (j < v.size() && v[j] >= '0' && v[j] <= '9') ++j;
        parts.push_back(j > i ? std::stoi(v.substr(i, j - i)) : 0);
        i = j + 1;
    }
    return parts;
}

} // namespace

LibraryResolver::LibraryResolver()
    : cache_(readLoaderCache("/etc/ld.so.cache")), folders_(defaultFolders()) {}

LibraryResolver::LibraryResolver(std::vector<std::string> folders) : folders_(std::move(folders)) {}

std::string LibraryResolver::find(const std::string& soname, const std::string& fromPath,
                                  const ElfInfo& from) const {
    if (soname.find('/') != std::string::npos) return realFile(soname);
    const std::string origin = fs::path(fromPath).parent_path().string();
    for (std::string dir : from.searchPath) {
        for (const char* token : {"$ORIGIN", "${ORIGIN}"})
            for (auto at = dir.find(token); at != std::string::npos; at = dir.find(token))
                dir.replace(at, std::strlen(token), origin);
        const fs::path candidate = fs::path(dir) / soname;
        if (const std::string real = realFile(candidate); !real.empty() && sameKind(real, from)) return real;
    }
    if (const auto it = cache_.find(soname); it != cache_.end())
        for (const auto& candidate : it->second)
            if (const std::string real = realFile(candidate); !real.empty() && sameKind(real, from))
                return real;
    for (const auto& dir : folders_)
        if (const std::string real = realFile(fs::path(dir) / soname); !real.empty() && sameKind(real, from))
            return real;
    return {};
}

RuntimeClosure findClosure(const std::vector<std::string>& roots, const LibraryResolver& resolver) {
    RuntimeClosure closure;
    std::deque<std::pair<std::string, ElfInfo>> queue;
    for (const auto& root : roots) {
        auto info = readElf(root);
        if (!info) throw std::runtime_error(root + " is not a readable program or library");
        queue.emplace_back(root, std::move(*info));
    }
    while (!queue.empty()) {
        const auto [path, info] = std::move(queue.front());
        queue.pop_front();
        for (const auto& [file, versions] : info.versionsNeeded)
            if (isLeftToSystem(file)) closure.systemNeeds[file].insert(versions.begin(), versions.end());
        for (const auto& soname : info.needed) {
            if (isLeftToSystem(soname)) {
                closure.systemNeeds[soname];
                continue;
            }
            if (closure.libraries.count(soname)) continue;
            const std::string found = resolver.find(soname, path, info);
            if (found.empty()) {
                closure.missing[soname].insert(path);
                continue;
            }
            auto dep = readElf(found);
            if (!dep) {
                closure.missing[soname].insert(path);
                continue;
            }
            closure.libraries[soname] = found;
            queue.emplace_back(found, std::move(*dep));
        }
    }
    return closure;
}

int compareVersions(const std::string& a, const std::string& b) {
    const auto pa = versionParts(a), pb = versionParts(b);
    for (std::size_t i = 0; i < std::max(pa.size(), pb.size()); ++i) {
        const int x = i < pa.size() ? pa[i] : 0, y = i < pb.size() ? pb[i] : 0;
        if (x != y) return x < y ? -1 : 1;
    }
    return 0;
}

std::string highestVersion(const std::set<std::string>& versions, const std::string& prefix) {
    std::string best;
    for (const auto& v : versions) {
        if (v.rfind(prefix, 0) != 0) continue;
        const std::string number = v.substr(prefix.size());
        if (number.empty() || number[0] < '0' || number[0] > '9') continue;
        if (best.empty() || compareVersions(number, best) > 0) best = number;
    }
    return best;
}

const std::vector<std::string>& qtPluginsUsed() {
    static const std::vector<std::string> plugins = {
        "platforms/libqxcb.so",
        "platforms/libqwayland-generic.so",
        "platforms/libqoffscreen.so",
        "xcbglintegrations/libqxcb-glx-integration.so",
        "wayland-shell-integration/libxdg-shell.so",
        "wayland-decoration-client/libbradient.so",
    };
    return plugins;
}

std::string qtPluginFolder(const std::string& qtCorePath) {
    const fs::path dir = fs::path(qtCorePath).parent_path();
    std::error_code ec;
    for (const fs::path& candidate : {dir / "qt6/plugins", dir.parent_path() / "plugins"})
        if (fs::is_directory(candidate / "platforms", ec)) return candidate.string();
    return {};
}

} // namespace vorlin::vorlinbuild
