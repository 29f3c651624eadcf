#include "platform/environment.h"

#include <cstdlib>

namespace vorlin::platform {

std::string environmentVariable(const char* name) {
    const char* v = std::getenv(name);
    return v ? std::string(v) : std::string();
}

std::string environmentVariable(const char* name, const std::string& otherwise) {
    std::string v = environmentVariable(name);
    return v.empty() ? otherwise : v;
}

namespace {
std::string withoutFinalSlash(std::string s) {
    while (s.size() > 1 && s.back() == '/') s.pop_back();
    return s;
}
} // namespace

std::string dataHome() {
    return withoutFinalSlash(
        environmentVariable("XDG_DATA_HOME", environmentVariable("HOME") + "/.local/share"));
}

std::string configHome() {
    return withoutFinalSlash(
        environmentVariable("XDG_CONFIG_HOME", environmentVariable("HOME") + "/.config"));
}

} // namespace vorlin::platform
