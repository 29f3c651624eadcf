// Qt plugins from the saver's own runtime (see bundled_qt.h).
#include "startup/bundled_qt.h"

#include <QCoreApplication>
#include <QString>
#include <QStringList>

#include <cstdlib>

#include "platform/runtime_folder.h"

namespace vorlin::startup {

namespace {
constexpr const char* kPlatformPluginPath = "QT_QPA_PLATFORM_PLUGIN_PATH";
}

BundledQtPlugins BundledQtPlugins::use() {
    BundledQtPlugins b;
    const std::string runtime = platform::bundledRuntimeFolder();
    if (runtime.empty()) return b;
    // The only plugin folder: this also drops $QT_PLUGIN_PATH and the system Qt's folder.
    QCoreApplication::setLibraryPaths({QString::fromStdString(runtime + "/plugins")});
    if (const char* v = std::getenv(kPlatformPluginPath)) {
        b.platformPluginPath_ = v;
        unsetenv(kPlatformPluginPath);
    }
    return b;
}

void BundledQtPlugins::restoreEnvironment() {
    if (platformPluginPath_) setenv(kPlatformPluginPath, platformPluginPath_->c_str(), 1);
    platformPluginPath_.reset();
}

} // namespace vorlin::startup
