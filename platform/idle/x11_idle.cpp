#include "platform/idle/x11_idle.h"

#include <QSocketNotifier>
#include <QTimer>

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/extensions/Xrandr.h>
#include <X11/extensions/scrnsaver.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>

namespace vorlin::idle {
namespace {

constexpr int kIdleCheckMs = 1000;

int onServerGone(Display*) {
    std::fputs("VorlinSaver: the X server went away; the idle watcher ends\n", stderr);
    std::fflush(stderr);
    std::_Exit(0);
}

struct DisplayCloser {
    void operator()(Display* d) const { XCloseDisplay(d); }
};
using DisplayPtr = std::unique_ptr<Display, DisplayCloser>;

DisplayPtr openDisplay() {
    const char* name = std::getenv("DISPLAY");
    if (!name || !*name) return nullptr;
    XSetIOErrorHandler(onServerGone);
    return DisplayPtr(XOpenDisplay(nullptr));
}

class X11Idle final : public IdleSource {
public:
    X11Idle(DisplayPtr display, int milliseconds)
        : display_(std::move(display)), info_(XScreenSaverAllocInfo()),
          connection_(ConnectionNumber(display_.get()), QSocketNotifier::Read) {
        timer_.setSingleShot(true);
        connect(&timer_, &QTimer::timeout, this, [this] { check(); });
        // The server's replies and errors arrive between checks; reading them also notices a closed server.
        connect(&connection_, &QSocketNotifier::activated, this, [this] {
            while (XPending(display_.get())) {
                XEvent e;
                XNextEvent(display_.get(), &e);
            }
        });
        timeout_ = milliseconds;
    }
    ~X11Idle() override { XFree(info_); }

    std::string name() const override { return "X11 MIT-SCREEN-SAVER"; }

    void setTimeout(int milliseconds) override {
        timeout_ = std::max(1, milliseconds);
        reportActive();
        check();
    }

private:
    void check() {
        XScreenSaverQueryInfo(display_.get(), DefaultRootWindow(display_.get()), info_);
        const long idle = static_cast<long>(info_->idle);
        if (isIdle()) {
            if (idle < lastIdle_) reportActive();
        } else if (idle >= timeout_) {
            reportIdle();
        }
        lastIdle_ = idle;
        timer_.start(isIdle() ? kIdleCheckMs : static_cast<int>(std::max<long>(50, timeout_ - idle)));
    }

    DisplayPtr display_;
    XScreenSaverInfo* info_;
    QSocketNotifier connection_;
    QTimer timer_;
    long timeout_ = 0;
    long lastIdle_ = 0;
};

// The window property `name` of type `type` as 32-bit items (empty when absent).
std::vector<unsigned long> property(Display* d, Window w, const char* name, Atom type) {
    Atom actual;
    int format;
    unsigned long count, after;
    unsigned char* data = nullptr;
    std::vector<unsigned long> items;
    if (XGetWindowProperty(d, w, XInternAtom(d, name, False), 0, 1024, False, type, &actual, &format, &count,
                           &after, &data) == Success &&
        data && format == 32) {
        const auto* p = reinterpret_cast<const unsigned long*>(data);
        items.assign(p, p + count);
    }
    if (data) XFree(data);
    return items;
}

// The child of the root that holds `w`.
Window topLevel(Display* d, Window w) {
    const Window root = DefaultRootWindow(d);
    while (w != None && w != root) {
        Window r, parent;
        Window* children = nullptr;
        unsigned int n = 0;
        if (!XQueryTree(d, w, &r, &parent, &children, &n)) return None;
        if (children) XFree(children);
        if (parent == root) return w;
        w = parent;
    }
    return None;
}

bool coversAMonitor(Display* d, Window w) {
    XWindowAttributes a;
    if (!XGetWindowAttributes(d, w, &a) || a.map_state != IsViewable) return false;
    int x = 0, y = 0;
    Window child;
    XTranslateCoordinates(d, w, DefaultRootWindow(d), 0, 0, &x, &y, &child);
    int count = 0;
    XRRMonitorInfo* monitors = XRRGetMonitors(d, DefaultRootWindow(d), True, &count);
    bool covers = false;
    for (int i = 0; i < count && !covers; ++i) {
        const auto& m = monitors[i];
        covers = x <= m.x && y <= m.y && x + a.width >= m.x + m.width && y + a.height >= m.y + m.height;
    }
    if (monitors) XRRFreeMonitors(monitors);
    if (count == 0)
        covers = x <= 0 && y <= 0 && a.width >= DisplayWidth(d, DefaultScreen(d)) &&
                 a.height >= DisplayHeight(d, DefaultScreen(d));
    return covers;
}

} // namespace

std::unique_ptr<IdleSource> openX11Idle(int milliseconds, std::string& why) {
    if (!std::getenv("DISPLAY") || !*std::getenv("DISPLAY")) return nullptr;
    DisplayPtr d = openDisplay();
    if (!d) {
        why = std::string("cannot open the X display ") + std::getenv("DISPLAY");
        return nullptr;
    }
    int event, error;
    if (!XScreenSaverQueryExtension(d.get(), &event, &error)) {
        why = "the X server has no MIT-SCREEN-SAVER extension";
        return nullptr;
    }
    auto source = std::make_unique<X11Idle>(std::move(d), milliseconds);
    source->setTimeout(milliseconds);
    return source;
}

bool focusedWindowFullScreen() {
    DisplayPtr d = openDisplay();
    if (!d) return false;
    Display* dp = d.get();
    Window focus = None;
    const auto active = property(dp, DefaultRootWindow(dp), "_NET_ACTIVE_WINDOW", XA_WINDOW);
    if (!active.empty()) focus = active.front();
    if (focus == None) {
        int revert;
        XGetInputFocus(dp, &focus, &revert);
        if (focus == PointerRoot) return false;
        focus = topLevel(dp, focus);
    }
    if (focus == None) return false;
    const Atom fullScreen = XInternAtom(dp, "_NET_WM_STATE_FULLSCREEN", False);
    for (const auto state : property(dp, focus, "_NET_WM_STATE", XA_ATOM))
        if (state == fullScreen) return true;
    return coversAMonitor(dp, focus);
}

bool xscreensaverDaemonRuns() {
    DisplayPtr d = openDisplay();
    if (!d) return false;
    Display* dp = d.get();
    Window root, parent;
    Window* children = nullptr;
    unsigned int n = 0;
    if (!XQueryTree(dp, DefaultRootWindow(dp), &root, &parent, &children, &n)) return false;
    const Atom version = XInternAtom(dp, "_SCREENSAVER_VERSION", False);
    bool found = false;
    for (unsigned int i = 0; i < n && !found; ++i) {
        Atom type;
        int format;
        unsigned long count, after;
        unsigned char* data = nullptr;
        if (XGetWindowProperty(dp, children[i], version, 0, 0, False, XA_STRING, &type, &format, &count,
                               &after, &data) == Success)
            found = type == XA_STRING;
        if (data) XFree(data);
    }
    if (children) XFree(children);
    return found;
}

} // namespace vorlin::idle
