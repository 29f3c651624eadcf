#pragma once
// Idleness from a Wayland compositor: ext-idle-notify-v1 where offered, else org_kde_kwin_idle. Both
// count the compositor's idle inhibitors (a full-screen video holds idleness off), so nothing more is
// asked here. Uses its own connection to the compositor named by WAYLAND_DISPLAY, read when its socket
// has data; the compositor closing the connection is `gone`.

#include "platform/idle/idle_source.h"

namespace vorlin::idle {

// nullptr with `why` set when WAYLAND_DISPLAY is unset, the compositor cannot be reached, or it offers
// neither protocol (or no seat).
std::unique_ptr<IdleSource> openWaylandIdle(int milliseconds, std::string& why);

} // namespace vorlin::idle
