#pragma once
// The "foreground window" on X11. X has no portable notion of it; where a window manager publishes
// _NET_ACTIVE_WINDOW on the root window, that window is the one in front, and asking the window manager
// to activate a window (a _NET_ACTIVE_WINDOW client message) brings it back. Without a display or without
// such a window manager, the window is 0 and nothing is restored. No Qt: a connection of its own.

#include <cstdint>

namespace vorlin::startup {

std::uint32_t activeWindow() noexcept;

// Asks the window manager to bring `window` to the front; false when there is no display or no window.
bool activateWindow(std::uint32_t window) noexcept;

} // namespace vorlin::startup
