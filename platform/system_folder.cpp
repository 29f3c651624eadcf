#include "platform/system_folder.h"

#include <cstdlib>

namespace vorlin::platform {

namespace {
std::string env(const char* name) {
    const char* v = std::getenv(name);
    return v ? std::string(v) : std::string();
}

std::string withoutTrailingSlash(std::string s) {
    while (s.size() > 1 && s.back() == '/') s.pop_back();
    return s;
}
} // namespace

std::string systemFolder() {
    if (auto dir = env("VORLIN_SYSTEM_DIR"); !dir.empty()) return withoutTrailingSlash(dir);
    if (auto data = env("XDG_DATA_HOME"); !data.empty())
        return withoutTrailingSlash(data) + "/vorlinsaver/system";
    return withoutTrailingSlash(env("HOME")) + "/.local/share/vorlinsaver/system";
}

} // namespace vorlin::platform
