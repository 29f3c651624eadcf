#include "startup/main_windows.h"

#include "builder/config_form.h"
#include "saver_config/config_dialog.h"
#include "show/settings/show_settings.h"
#include "show/windows/fullscreen_form.h"
#include "show/windows/host_window.h"
#include "show/windows/monitor_layout.h"
#include "show/windows/monitor_surfaces.h"
#include "show/windows/preview_form.h"
#include "show/windows/show_marker.h"
#include "show/windows/termination.h"
#include "show/windows/x_host.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QPointer>
#include <QScreen>
#include <QWidget>

#include <vector>

namespace vorlin::startup {

namespace {

bool g_displayTaken = false;

// A host ends its screen saver with SIGTERM: stop the show cleanly (music off, flags released) and end.
QWidget* endOnTerminate(QWidget* window) {
    QPointer<QWidget> guard(window);
    showwindows::onTerminateSignal([guard] {
        if (auto* form = qobject_cast<showwindows::TFullscreenForm*>(guard.data())) form->CloseNow();
        QCoreApplication::exit(0);
    });
    return window;
}

} // namespace

QWidget* createBuilderWindow() {
    return new builder::TVorlinConfigForm(show::showSettingsFile());
}

QWidget* createConfigDialog() {
    return new saverconfig::TDistributeConfigForm(show::showSettingsFile());
}

QWidget* createFullscreenShow() {
    // Started by xscreensaver: draw into its window. A window smaller than the screen is a preview pane.
    // A window that is already gone means the host has ended the screen saver: no window at all.
    if (const auto host = showwindows::xscreensaverWindow()) {
        const auto g = showwindows::hostGeometry(*host);
        if (!g) return nullptr;
        // Full screen means the whole of the monitor the window is on (one window per monitor).
        const std::vector<Rect> monitors = showwindows::monitorRects();
        const int at = showwindows::monitorOf(Rect{g->x, g->y, g->x + g->width, g->y + g->height}, monitors);
        const QSize full =
            at >= 0 ? QSize(monitors[at].width(), monitors[at].height()) : QSize(g->width, g->height);
        if (g->width < full.width() || g->height < full.height())
            return endOnTerminate(new showwindows::TPreviewForm(*host));
        return endOnTerminate(new showwindows::TFullscreenForm(*host));
    }
    if (!showwindows::claimShowMarker()) {
        g_displayTaken = true;
        return nullptr;
    }
    return endOnTerminate(new showwindows::TFullscreenForm());
}

QWidget* createPreviewWindow(std::uint32_t hostWindow) {
    return endOnTerminate(new showwindows::TPreviewForm(hostWindow));
}

bool showDisplayTaken() {
    return g_displayTaken;
}

} // namespace vorlin::startup
