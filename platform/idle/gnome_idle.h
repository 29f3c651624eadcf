#pragma once
// Idleness from GNOME's compositor: org.gnome.Mutter.IdleMonitor on the session bus, Wayland or X11. An
// idle watch says `idle`; each time, a one-shot user-active watch says `active`. GNOME's idle monitor
// does not count session inhibitors: session_state.h asks the session manager for those. The monitor's
// name leaving the bus, or the bus itself going away, is `gone`.

#include "platform/idle/idle_source.h"

namespace vorlin::idle {

// nullptr with `why` set when there is no session bus or no idle monitor on it.
std::unique_ptr<IdleSource> openGnomeIdle(int milliseconds, std::string& why);

} // namespace vorlin::idle
