#pragma once
// A built screen saver loads Qt plugins only from its own runtime folder, never from the system's Qt or
// from $QT_PLUGIN_PATH / $QT_QPA_PLATFORM_PLUGIN_PATH (plugins of another Qt version would not load, or
// worse, would). The environment is left as it was for the programs the saver starts.
//
// Call useBundledQtPlugins() before the application object exists, and restoreEnvironment() right after.
#include <optional>
#include <string>

namespace vorlin::startup {

class BundledQtPlugins {
public:
    // Nothing changes when the program carries no runtime (the builder, a development build).
    static BundledQtPlugins use();
    void restoreEnvironment();

private:
    std::optional<std::string> platformPluginPath_;
};

} // namespace vorlin::startup
