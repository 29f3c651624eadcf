#include "startup/main_windows.h"

#include <QWidget>

namespace vorlin::startup {

QWidget* createBuilderWindow() {
    return nullptr;
}

QWidget* createConfigDialog() {
    return nullptr;
}

QWidget* createFullscreenShow() {
    return nullptr;
}

QWidget* createPreviewWindow(std::uint32_t /*hostWindow*/) {
    return nullptr;
}

} // namespace vorlin::startup
