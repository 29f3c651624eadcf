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

std::string environmentFolder(const char* name, const std::string& otherwise) {
    std::string folder = environmentVariable(name, otherwise);
    while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
    return folder;
}

std::string dataHome() {
    return environmentFolder("XDG_DATA_HOME", environmentVariable("HOME") + "/.local/share");
}

std::string configHome() {
    return environmentFolder("XDG_CONFIG_HOME", environmentVariable("HOME") + "/.config");
}

} // namespace vorlin::platform
