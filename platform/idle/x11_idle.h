#pragma once
// Idleness from an X server: the MIT-SCREEN-SAVER extension's idle time (libXss). The server sends no
// event for a timeout of ours, so the source sleeps until the earliest moment the timeout can be reached,
// and while idle looks once a second for input. The X server closing the connection ends the process
// with status 0 and one line on standard error (Xlib allows nothing else after that).
//
// Also here, for any session with an X display: whether the focused window is full screen (a video or a
// game holds the show off) and whether the xscreensaver daemon runs on the display (it starts the saver
// itself).

#include "platform/idle/idle_source.h"

namespace vorlin::idle {

// nullptr with `why` set when DISPLAY is unset, cannot be opened, or lacks the extension.
std::unique_ptr<IdleSource> openX11Idle(int milliseconds, std::string& why);

// True when the window with the keyboard focus (the window manager's active window, else the focus
// window's top-level window) is full screen: it says so (_NET_WM_STATE_FULLSCREEN) or it covers a whole
// monitor. False without an X display.
bool focusedWindowFullScreen();

// True when an xscreensaver daemon announces itself on the X display (a window of the root with the
// _SCREENSAVER_VERSION property). False without an X display.
bool xscreensaverDaemonRuns();

} // namespace vorlin::idle
