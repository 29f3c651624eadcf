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

} // namespace vorlin::platform
