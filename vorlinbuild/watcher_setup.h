#pragma once
// The per-user start of a saver's idle watcher ("<saver> --watch-idle"), written by the installer:
//  - a systemd user unit, $XDG_CONFIG_HOME/systemd/user/vorlinsaver-watch.service, part of the graphical
//    session; when a user manager runs ($XDG_RUNTIME_DIR/systemd/private) it is enabled and (re)started;
//  - an XDG autostart entry, $XDG_CONFIG_HOME/autostart/vorlinsaver-watch.desktop, for sessions that run
//    no user manager (marked X-systemd-skip when the unit is enabled, so systemd sessions start one).
// One watcher per user: the most recently installed saver watches. The savers that installed a watcher
// are listed in $XDG_CONFIG_HOME/vorlinsaver/watchers, oldest first; removing the watching saver makes
// the one before it watch again, and removing the last removes both files, the list and the folders
// the list says it created, so that HOME is left as it was. No Qt.

#include <iosfwd>
#include <string>
#include <vector>

namespace vorlin::vorlinbuild {

struct WatcherPlaces {
    std::string configHome; // $XDG_CONFIG_HOME or ~/.config
    std::string runtimeDir; // $XDG_RUNTIME_DIR ("" when unset)
    static WatcherPlaces fromEnvironment();
    std::string list() const;
    std::string unit() const;
    std::string autostart() const;
    bool userManagerRuns() const;
};

struct Watcher {
    std::string saver, title;
    bool operator==(const Watcher&) const = default;
};

// The unit and the autostart entry starting `w`.
std::string watcherUnit(const Watcher& w);
std::string watcherAutostart(const Watcher& w, bool unitEnabled);

// The list of savers with a watcher, oldest first.
std::vector<Watcher> readWatchers(const WatcherPlaces& places);

// Makes `w` the watching saver (added last, moved last when listed). Throws std::runtime_error when a
// file cannot be written; progress and systemctl trouble are told on `out`.
void addWatcher(const WatcherPlaces& places, const Watcher& w, std::ostream& out);
// Takes the saver out of the list; see above. Never throws.
void removeWatcher(const WatcherPlaces& places, const std::string& saver, std::ostream& out);

} // namespace vorlin::vorlinbuild
