#include "startup/main_windows.h"

#include <QWidget>

#ifdef VORLIN_HAVE_BUILDER
#include "builder/config_form.h"
#include "show/settings/show_settings.h"
#endif

#ifdef VORLIN_HAVE_CONFIG_DIALOG
#include "builder/installer/about_form.h"
#include "show/settings/show_settings.h"
#endif

#ifdef VORLIN_HAVE_SHOW_WINDOWS
#include "startup/show_windows/fullscreen_form.h"
#include "startup/show_windows/host_window.h"
#include "startup/show_windows/monitor_layout.h"
#include "startup/show_windows/monitor_surfaces.h"
#include "startup/show_windows/preview_form.h"
#include "startup/show_windows/show_marker.h"
#include "startup/show_windows/termination.h"
#include "startup/show_windows/x_host.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QPointer>
#include <QScreen>

#include <vector>
#endif

namespace vorlin::startup {

namespace {
bool g_displayTaken = false;
} // namespace

QWidget* createBuilderWindow() {
#ifdef VORLIN_HAVE_BUILDER
    return new builder::TVorlinConfigForm(show::showSettingsFile());
#else
    return nullptr;
#endif
}

QWidget* createConfigDialog() {
#ifdef VORLIN_HAVE_CONFIG_DIALOG
    return new builder::TDistributeConfigForm(show::showSettingsFile());
#else
    return nullptr;
#endif
}

#ifdef VORLIN_HAVE_SHOW_WINDOWS

namespace {

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

bool showHostGone() {
    const auto host = showwindows::xscreensaverWindow();
    return host && !showwindows::hostWindowExists(*host);
}

#else

QWidget* createFullscreenShow() {
    return nullptr;
}

QWidget* createPreviewWindow(std::uint32_t /*hostWindow*/) {
    return nullptr;
}

bool showHostGone() {
    return false;
}

#endif

bool showDisplayTaken() {
    return g_displayTaken;
}

} // namespace vorlin::startup
