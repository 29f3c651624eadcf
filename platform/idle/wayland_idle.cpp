#include "platform/idle/wayland_idle.h"

#include "ext-idle-notify-v1-client-protocol.h"
#include "kde-idle-client-protocol.h"

#include <QSocketNotifier>

#include <wayland-client.h>

#include <cstdlib>
#include <cstring>

namespace vorlin::idle {
namespace {

class WaylandIdle final : public IdleSource {
public:
    WaylandIdle(wl_display* display, wl_seat* seat, ext_idle_notifier_v1* ext, org_kde_kwin_idle* kde)
        : display_(display), seat_(seat), ext_(ext), kde_(kde),
          notifier_(wl_display_get_fd(display), QSocketNotifier::Read) {
        connect(&notifier_, &QSocketNotifier::activated, this, [this] { readEvents(); });
    }

    ~WaylandIdle() override {
        release();
        if (ext_) ext_idle_notifier_v1_destroy(ext_);
        if (kde_) org_kde_kwin_idle_destroy(kde_);
        wl_seat_destroy(seat_);
        wl_display_disconnect(display_);
    }

    std::string name() const override {
        return ext_ ? "Wayland ext-idle-notify-v1" : "Wayland org_kde_kwin_idle";
    }

    void setTimeout(int milliseconds) override {
        release();
        const auto timeout = static_cast<std::uint32_t>(milliseconds > 0 ? milliseconds : 1);
        if (ext_) {
            extNotification_ = ext_idle_notifier_v1_get_idle_notification(ext_, timeout, seat_);
            ext_idle_notification_v1_add_listener(extNotification_, &kExtListener, this);
        } else {
            kdeTimeout_ = org_kde_kwin_idle_get_idle_timeout(kde_, seat_, timeout);
            org_kde_kwin_idle_timeout_add_listener(kdeTimeout_, &kKdeListener, this);
        }
        // A new notification starts counting afresh: the session counts as active until it says idle.
        reportActive();
        flush();
    }

private:
    void release() {
        if (extNotification_) ext_idle_notification_v1_destroy(extNotification_);
        if (kdeTimeout_) org_kde_kwin_idle_timeout_release(kdeTimeout_);
        extNotification_ = nullptr;
        kdeTimeout_ = nullptr;
    }

    void flush() {
        if (wl_display_flush(display_) < 0 && errno != EAGAIN) lost();
    }

    void readEvents() {
        if (wl_display_dispatch(display_) < 0) {
            lost();
            return;
        }
        flush();
    }

    void lost() {
        notifier_.setEnabled(false);
        reportGone("the Wayland compositor closed the connection");
    }

    static void onIdled(void* data, ext_idle_notification_v1*) {
        static_cast<WaylandIdle*>(data)->reportIdle();
    }
    static void onResumed(void* data, ext_idle_notification_v1*) {
        static_cast<WaylandIdle*>(data)->reportActive();
    }
    static void onKdeIdle(void* data, org_kde_kwin_idle_timeout*) {
        static_cast<WaylandIdle*>(data)->reportIdle();
    }
    static void onKdeResumed(void* data, org_kde_kwin_idle_timeout*) {
        static_cast<WaylandIdle*>(data)->reportActive();
    }
    static constexpr ext_idle_notification_v1_listener kExtListener{onIdled, onResumed};
    static constexpr org_kde_kwin_idle_timeout_listener kKdeListener{onKdeIdle, onKdeResumed};

    wl_display* display_;
    wl_seat* seat_;
    ext_idle_notifier_v1* ext_;
    org_kde_kwin_idle* kde_;
    ext_idle_notification_v1* extNotification_ = nullptr;
    org_kde_kwin_idle_timeout* kdeTimeout_ = nullptr;
    QSocketNotifier notifier_;
};

// The globals a first round trip finds.
struct Globals {
    wl_seat* seat = nullptr;
    ext_idle_notifier_v1* ext = nullptr;
    org_kde_kwin_idle* kde = nullptr;
};

void onGlobal(void* data, wl_registry* registry, std::uint32_t id, const char* interface, std::uint32_t) {
    auto* g = static_cast<Globals*>(data);
    if (!g->seat && std::strcmp(interface, wl_seat_interface.name) == 0)
        g->seat = static_cast<wl_seat*>(wl_registry_bind(registry, id, &wl_seat_interface, 1));
    else if (!g->ext && std::strcmp(interface, ext_idle_notifier_v1_interface.name) == 0)
        g->ext = static_cast<ext_idle_notifier_v1*>(
            wl_registry_bind(registry, id, &ext_idle_notifier_v1_interface, 1));
    else if (!g->kde && std::strcmp(interface, org_kde_kwin_idle_interface.name) == 0)
        g->kde =
            static_cast<org_kde_kwin_idle*>(wl_registry_bind(registry, id, &org_kde_kwin_idle_interface, 1));
}

void onGlobalRemove(void*, wl_registry*, std::uint32_t) {}

constexpr wl_registry_listener kRegistryListener{onGlobal, onGlobalRemove};

} // namespace

std::unique_ptr<IdleSource> openWaylandIdle(int milliseconds, std::string& why) {
    const char* name = std::getenv("WAYLAND_DISPLAY");
    if (!name || !*name) return nullptr; // not a Wayland session: nothing to say
    wl_display* display = wl_display_connect(nullptr);
    if (!display) {
        why = std::string("cannot connect to the Wayland compositor ") + name;
        return nullptr;
    }
    Globals g;
    wl_registry* registry = wl_display_get_registry(display);
    wl_registry_add_listener(registry, &kRegistryListener, &g);
    wl_display_roundtrip(display);
    wl_registry_destroy(registry);
    if (!g.seat || (!g.ext && !g.kde)) {
        why = std::string("the Wayland compositor ") + name +
              (g.seat ? " offers no idle protocol" : " offers no seat");
        if (g.seat) wl_seat_destroy(g.seat);
        if (g.ext) ext_idle_notifier_v1_destroy(g.ext);
        if (g.kde) org_kde_kwin_idle_destroy(g.kde);
        wl_display_disconnect(display);
        return nullptr;
    }
    // With both offered, the newer protocol is used alone.
    if (g.ext && g.kde) {
        org_kde_kwin_idle_destroy(g.kde);
        g.kde = nullptr;
    }
    auto source = std::make_unique<WaylandIdle>(display, g.seat, g.ext, g.kde);
    source->setTimeout(milliseconds);
    return source;
}

} // namespace vorlin::idle
