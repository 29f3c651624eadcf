// Where a built screen saver's runtime lies (see runtime_folder.h).
#include "platform/runtime_folder.h"

#include <filesystem>

#include "platform/program_path.h"

namespace vorlin::platform {

const char* runtimeVersion() {
    return VORLIN_VERSION;
}

std::string bundledRuntimeFolder() {
    const std::filesystem::path folder =
        std::filesystem::path(programPath()).parent_path() / "runtime" / runtimeVersion();
    std::error_code ec;
    return std::filesystem::is_directory(folder, ec) ? folder.string() : std::string();
}

} // namespace vorlin::platform
