#include "platform/idle/idle_source.h"

#include "platform/idle/gnome_idle.h"
#include "platform/idle/wayland_idle.h"
#include "platform/idle/x11_idle.h"

namespace vorlin::idle {

void IdleSource::reportIdle() {
    if (gone_ || idle_) return;
    idle_ = true;
    emit idle();
}

void IdleSource::reportActive() {
    if (gone_ || !idle_) return;
    idle_ = false;
    emit active();
}

void IdleSource::reportGone(const QString& why) {
    if (gone_) return;
    gone_ = true;
    emit gone(why);
}

std::unique_ptr<IdleSource> openIdleSource(int milliseconds, std::string& why) {
    std::string tried;
    const auto note = [&](const std::string& text) {
        if (!text.empty()) tried += (tried.empty() ? "" : "; ") + text;
    };
    std::string reason;
    if (auto s = openWaylandIdle(milliseconds, reason)) return s;
    note(reason);
    reason.clear();
    if (auto s = openGnomeIdle(milliseconds, reason)) return s;
    note(reason);
    reason.clear();
    if (auto s = openX11Idle(milliseconds, reason)) return s;
    note(reason);
    why = tried.empty() ? "no session to watch" : tried;
    return nullptr;
}

} // namespace vorlin::idle
