#include "platform/system_folder.h"

#include "platform/environment.h"

namespace vorlin::platform {

namespace {

std::string withoutTrailingSlash(std::string s) {
    while (s.size() > 1 && s.back() == '/') s.pop_back();
    return s;
}
} // namespace

std::string systemFolder() {
    if (auto dir = environmentVariable("VORLIN_SYSTEM_DIR"); !dir.empty()) return withoutTrailingSlash(dir);
    return dataHome() + "/vorlinsaver/system";
}

} // namespace vorlin::platform
