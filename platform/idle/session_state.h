#pragma once
// What the session says about starting a show now, asked over D-Bus at the moment idleness is reached
// (each answer within a short time limit; a bus or service that is not there counts as "no"):
//  - locked: logind's LockedHint for this process's session (system bus), or GNOME's screen shield
//    active (org.gnome.ScreenSaver on the session bus): no show over a lock screen;
//  - idle inhibited: org.gnome.SessionManager IsInhibited with the idle flag (a video player or a
//    presentation holds the session awake).
// Main thread only; a QCoreApplication must exist.

namespace vorlin::idle {

bool sessionLocked();
bool idleInhibited();

} // namespace vorlin::idle
