#pragma once
// One full-screen show in a window of its own per display. The show that starts first on a display
// claims the display's marker and holds it until its process ends; a second show finds the marker held
// and ends at once (its keys would otherwise go to the hidden one, and the first key would end that
// one). Shows drawn into a host's window (xscreensaver's) take no marker: their host decides.
//
// On X the marker is the selection "_VORLIN_SHOW" of the display, owned by a window of this process on
// Qt's own connection: the X server drops it when the connection closes, however the process ends. On
// Wayland it is a lock (flock) on a file named after the compositor's socket in $XDG_RUNTIME_DIR, which
// the kernel drops with the process. Elsewhere (the offscreen platform) there is no display to share and
// every claim succeeds. Main thread only, after the application object exists.

namespace vorlin::showwindows {

// Claims the marker for the rest of this process; false when another show holds it.
bool claimShowMarker();

} // namespace vorlin::showwindows
