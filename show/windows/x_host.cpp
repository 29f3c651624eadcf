#include "show/windows/x_host.h"

#include <QGuiApplication>
#include <QWidget>
#include <QWindow>

#include <xcb/xcb.h>

#include <cstdlib>

namespace vorlin::showwindows {

namespace {
xcb_connection_t* connection() {
    auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    return x11 ? x11->connection() : nullptr;
}
} // namespace

std::optional<HostGeometry> hostGeometry(std::uint32_t window) {
    xcb_connection_t* c = connection();
    if (!c || window == 0) return std::nullopt;
    xcb_generic_error_t* error = nullptr;
    xcb_get_geometry_reply_t* reply = xcb_get_geometry_reply(c, xcb_get_geometry(c, window), &error);
    std::free(error);
    if (!reply) return std::nullopt;
    HostGeometry g{reply->x, reply->y, reply->width, reply->height};
    std::free(reply);
    return g;
}

bool hostWindowExists(std::uint32_t window) {
    return hostGeometry(window).has_value();
}

void embedInto(QWidget& widget, std::uint32_t host) {
    widget.setAttribute(Qt::WA_NativeWindow);
    widget.winId();
    if (QWindow* handle = widget.windowHandle()) handle->setParent(QWindow::fromWinId(host));
}

HostWatcher::HostWatcher(std::uint32_t host, std::function<void()> gone, QObject* parent)
    : QObject(parent), host_(host), gone_(std::move(gone)) {
    timer_.setInterval(kPollMs);
    connect(&timer_, &QTimer::timeout, this, [this] {
        if (hostWindowExists(host_)) return;
        timer_.stop();
        try {
            if (gone_) gone_();
        } catch (...) {
        }
    });
    timer_.start();
}

} // namespace vorlin::showwindows
