#pragma once
// The --watch-idle mode: one watcher per user, in the foreground, that starts the program's own
// full-screen show ("/s") each time the session has been idle for the configured time.
//
// The idle time is --idle-after SECONDS when given, else the show's IdleMinutes, read again whenever its
// settings file changes. One line on stderr names the idle source. Exit status: 0 when the session goes
// away (compositor, X server, session bus) or on SIGTERM; 1 with one line on stderr when there is no
// usable idle source or another watcher runs for this user.

#include <string>

namespace vorlin::startup {

int runIdleWatcher(int argc, char** argv, int idleAfterSeconds, const std::string& settingsFile);

} // namespace vorlin::startup
