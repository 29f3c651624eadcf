#include "vorlinbuild/watcher_setup.h"

#include "platform/environment.h"
#include "platform/ini_file.h"
#include "vorlinbuild/desktop_entry.h"

#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <ostream>
#include <sstream>
#include <stdexcept>

namespace fs = std::filesystem;

namespace vorlin::vorlinbuild {
namespace {

constexpr const char* kUnitName = "vorlinsaver-watch.service";

// One ExecStart word: quoted, "\" and "\"" escaped, "$" and "%" doubled (systemd would expand them).
std::string unitWord(const std::string& s) {
    std::string q = "\"";
    for (char c : s) {
        if (c == '\\' || c == '"') q += '\\';
        if (c == '$' || c == '%') q += c;
        q += c;
    }
    return q + "\"";
}

// A title on one line of a unit or an entry, without the characters its format reserves.
std::string oneLine(std::string s) {
    std::replace_if(
        s.begin(), s.end(), [](char c) { return c == '\n' || c == '\r' || c == '\t'; }, ' ');
    return s;
}

// systemctl --user with `args`; its output goes to `out` only when it fails.
bool systemctl(const std::vector<std::string>& args, std::ostream& out) {
    std::vector<std::string> all = {"systemctl", "--user"};
    all.insert(all.end(), args.begin(), args.end());
    int pipeFds[2];
    if (::pipe(pipeFds) != 0) return false;
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::dup2(pipeFds[1], 1);
        ::dup2(pipeFds[1], 2);
        ::close(pipeFds[0]);
        std::vector<char*> argv;
        for (auto& a : all) argv.push_back(a.data());
        argv.push_back(nullptr);
        ::execvp(argv[0], argv.data());
        ::_exit(127);
    }
    ::close(pipeFds[1]);
    std::string text;
    char buffer[512];
    for (ssize_t n; (n = ::read(pipeFds[0], buffer, sizeof buffer)) > 0;) text.append(buffer, std::size_t(n));
    ::close(pipeFds[0]);
    int status = 0;
    if (pid < 0 || ::waitpid(pid, &status, 0) != pid) return false;
    const bool ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    if (!ok) out << "systemctl --user " << args.front() << " failed: " << text << "\n";
    return ok;
}

struct ListFile {
    std::vector<Watcher> watchers;
    std::vector<std::string> created; // folders the watcher setup made, outermost first
};

ListFile readList(const WatcherPlaces& places) {
    ListFile list;
    std::ifstream in(places.list());
    for (std::string line; std::getline(in, line);) {
        const auto tab = line.find('\t');
        if (line.rfind("saver\t", 0) == 0) {
            const auto second = line.find('\t', tab + 1);
            list.watchers.push_back({line.substr(tab + 1, second - tab - 1),
                                     second == std::string::npos ? "" : line.substr(second + 1)});
        } else if (line.rfind("created\t", 0) == 0) {
            list.created.push_back(line.substr(tab + 1));
        }
    }
    return list;
}

void writeList(const WatcherPlaces& places, const ListFile& list) {
    std::string text = "# Screen savers with an idle watcher, oldest first; the last one watches.\n";
    for (const auto& d : list.created) text += "created\t" + d + "\n";
    for (const auto& w : list.watchers) text += "saver\t" + w.saver + "\t" + oneLine(w.title) + "\n";
    platform::replaceFileAtomically(places.list(), text);
}

// Creates the missing folders of `dir`, noting each in `created`.
void makeFolders(const fs::path& dir, std::vector<std::string>& created) {
    std::vector<fs::path> missing;
    for (fs::path d = dir; !d.empty() && !fs::exists(d); d = d.parent_path()) missing.push_back(d);
    for (auto it = missing.rbegin(); it != missing.rend(); ++it) {
        fs::create_directory(*it);
        created.push_back(it->string());
    }
}

// Writes the files that start `w` and, with a user manager, enables and restarts the unit.
void writeStart(const WatcherPlaces& places, const Watcher& w, std::ostream& out) {
    const bool manager = places.userManagerRuns();
    platform::replaceFileAtomically(places.unit(), watcherUnit(w));
    bool enabled = false;
    if (manager) {
        systemctl({"daemon-reload"}, out);
        enabled = systemctl({"enable", kUnitName}, out);
        systemctl({"restart", kUnitName}, out);
    }
    platform::replaceFileAtomically(places.autostart(), watcherAutostart(w, enabled));
    out << "The show starts by itself when the session is idle: " << places.unit()
        << (enabled ? " (enabled)" : "") << ", " << places.autostart() << "\n";
}

} // namespace

WatcherPlaces WatcherPlaces::fromEnvironment() {
    WatcherPlaces p;
    p.configHome = platform::configHome();
    p.runtimeDir = platform::environmentVariable("XDG_RUNTIME_DIR");
    return p;
}

std::string WatcherPlaces::list() const {
    return configHome + "/vorlinsaver/watchers";
}
std::string WatcherPlaces::unit() const {
    return configHome + "/systemd/user/" + kUnitName;
}
std::string WatcherPlaces::autostart() const {
    return configHome + "/autostart/vorlinsaver-watch.desktop";
}
bool WatcherPlaces::userManagerRuns() const {
    std::error_code ec;
    return !runtimeDir.empty() && fs::exists(runtimeDir + "/systemd/private", ec);
}

std::string watcherUnit(const Watcher& w) {
    return "# Written by the installer of " + oneLine(w.title) +
           "; its uninstaller removes it.\n"
           "[Unit]\n"
           "Description=" +
           oneLine(w.title) +
           " screen saver: starts the show when the session is idle\n"
           "PartOf=graphical-session.target\n"
           "After=graphical-session.target\n"
           // A watcher that crashes is started again, a few times at most; one that finds no idle source
           // (status 1) is not.
           "StartLimitIntervalSec=120\n"
           "StartLimitBurst=3\n"
           "\n[Service]\n"
           "ExecStart=" +
           unitWord(w.saver) +
           " --watch-idle\n"
           "Restart=on-abnormal\n"
           "RestartSec=5\n"
           "\n[Install]\n"
           "WantedBy=graphical-session.target\n";
}

std::string watcherAutostart(const Watcher& w, bool unitEnabled) {
    return "[Desktop Entry]\n"
           "Type=Application\n"
           "Name=" +
           desktopString(oneLine(w.title)) +
           " (screen saver)\n"
           "Comment=Starts the show when the session is idle\n"
           "Exec=" +
           execArgument(w.saver) +
           " --watch-idle\n"
           "NoDisplay=true\n"
           "X-GNOME-Autostart-enabled=true\n"
           "X-Vorlin-Target=" +
           desktopString(w.saver) + "\n" + std::string(unitEnabled ? "X-systemd-skip=true\n" : "");
}

std::vector<Watcher> readWatchers(const WatcherPlaces& places) {
    return readList(places).watchers;
}

void addWatcher(const WatcherPlaces& places, const Watcher& w, std::ostream& out) {
    ListFile list = readList(places);
    for (const auto& dir : {fs::path(places.list()).parent_path(), fs::path(places.unit()).parent_path(),
                            fs::path(places.autostart()).parent_path()})
        makeFolders(dir, list.created);
    std::erase_if(list.watchers, [&](const Watcher& o) { return o.saver == w.saver; });
    list.watchers.push_back(w);
    writeList(places, list);
    writeStart(places, w, out);
}

void removeWatcher(const WatcherPlaces& places, const std::string& saver, std::ostream& out) {
    try {
        ListFile list = readList(places);
        const auto it = std::find_if(list.watchers.begin(), list.watchers.end(),
                                     [&](const Watcher& o) { return o.saver == saver; });
        if (it == list.watchers.end()) return;
        const bool watching = std::next(it) == list.watchers.end();
        list.watchers.erase(it);
        // A saver removed by hand cannot watch again: the one before it takes over.
        std::error_code ec;
        while (!list.watchers.empty() && !fs::exists(list.watchers.back().saver, ec))
            list.watchers.pop_back();
        if (!list.watchers.empty()) {
            writeList(places, list);
            if (watching) writeStart(places, list.watchers.back(), out);
            return;
        }
        if (places.userManagerRuns()) systemctl({"disable", "--now", kUnitName}, out);
        fs::remove(places.unit(), ec);
        fs::remove(places.autostart(), ec);
        fs::remove(places.list(), ec);
        if (places.userManagerRuns()) systemctl({"daemon-reload"}, out);
        for (auto d = list.created.rbegin(); d != list.created.rend(); ++d)
            if (fs::is_directory(*d, ec) && fs::is_empty(*d, ec)) fs::remove(*d, ec);
    } catch (const std::exception& e) {
        out << "Could not remove the idle watcher of " << saver << ": " << e.what() << "\n";
    }
}

} // namespace vorlin::vorlinbuild
