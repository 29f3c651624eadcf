#pragma once
// The one place where the entry point gets the main window of a mode. Each function creates its window
// (not yet shown); only a show may decline (nullptr, see createFullscreenShow), and the entry point then
// ends with a one-line message and exit status 0. The window is owned by the caller; main() shows it and
// runs the event loop until it closes. The start-up state (startupState()) and the show settings
// (show::showSettingsFile()) are filled before any of these is called.

#include <cstdint>

class QWidget;

namespace vorlin::startup {

// Default and Configure modes under the base name "vorlinsaver": the builder window.
QWidget* createBuilderWindow();
// Default and Configure modes under any other base name: the screen saver's configuration dialog.
QWidget* createConfigDialog();
// Show mode: the full-screen show window. nullptr when it was started by a host (xscreensaver) whose window
// no longer exists: the host has ended the screen saver already, so there is nothing to draw into and no
// screen to take over; nullptr as well when a show of this kind already runs on the display (see below).
QWidget* createFullscreenShow();
// Show mode in a window of its own, after createFullscreenShow gave nullptr because a show of this kind
// already runs on the display: the second show ends at once (status 0) and leaves the first one alone.
bool showDisplayTaken();
// Preview mode: the preview window, to become a child of the host's window `hostWindow` (0: none).
QWidget* createPreviewWindow(std::uint32_t hostWindow);

} // namespace vorlin::startup
