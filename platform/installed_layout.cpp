#include "platform/installed_layout.h"

#include "platform/environment.h"
#include "platform/files.h"
#include "platform/ini_file.h"

#include <cstdlib>
#include <filesystem>

namespace fs = std::filesystem;

namespace vorlin::platform {

namespace {
std::string withSlash(std::string s) {
    if (s.empty() || s.back() != '/') s += '/';
    return s;
}
} // namespace

std::optional<InstalledLayout> installedLayout(const std::string& programFolder) {
    const std::string marker = programFolder + kInstalledMarker;
    if (!fileExists(marker)) return std::nullopt;
    const std::string data = IniFile(marker).snapshot().readString("Installed", "Data", "");
    InstalledLayout layout;
    if (data.empty())
        layout.dataFolder = programFolder;
    else if (data.front() == '/')
        layout.dataFolder = withSlash(data);
    else
        layout.dataFolder = withSlash((fs::path(programFolder) / data).lexically_normal().string());
    return layout;
}

std::string builderWorkingFolder() {
    return dataHome() + "/vorlinsaver/builder/";
}

} // namespace vorlin::platform
