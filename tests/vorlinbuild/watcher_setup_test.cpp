// The idle watcher's unit and autostart entry: paths that the unit's and the entry's own rules would
// expand are quoted so that the saver itself starts; a saver removed by hand never becomes the watcher.
#include "vorlinbuild/watcher_setup.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "../lib/test_files.h"

namespace fs = std::filesystem;
using namespace vorlin::vorlinbuild;

namespace {

std::string line(const std::string& text, const std::string& key) {
    const auto at = text.find("\n" + key + "=");
    if (at == std::string::npos) return "(none)";
    const auto from = at + key.size() + 2;
    return text.substr(from, text.find('\n', from) - from);
}

TEST(WatcherFiles, SaverPathsAreQuotedForEachFormat) {
    const Watcher w{"/home/a b/$HOME \"x\" 50%\\y.scr", "Sea\nside"};
    const std::string unit = watcherUnit(w);
    // systemd: "\" and "\"" escaped inside quotes, "$" and "%" doubled.
    EXPECT_EQ(line(unit, "ExecStart"), "\"/home/a b/$$HOME \\\"x\\\" 50%%\\\\y.scr\" --watch-idle");
    EXPECT_EQ(line(unit, "Description"), "Sea side screen saver: starts the show when the session is idle");
    EXPECT_EQ(line(unit, "Restart"), "on-abnormal") << "a watcher with no idle source is not restarted";
    EXPECT_EQ(line(unit, "WantedBy"), "graphical-session.target");
    // Desktop entry: quoted, "$" "\"" "`" "\" escaped, "%" doubled, then the string escapes.
    const std::string entry = watcherAutostart(w, false);
    EXPECT_EQ(line(entry, "Exec"), "\"/home/a b/\\\\$HOME \\\\\"x\\\\\" 50%%\\\\\\\\y.scr\" --watch-idle");
    EXPECT_EQ(line(entry, "Name"), "Sea side (screen saver)");
    EXPECT_EQ(line(entry, "X-systemd-skip"), "(none)");
    EXPECT_EQ(line(watcherAutostart(w, true), "X-systemd-skip"), "true") << "systemd starts the unit instead";
}

TEST(WatcherFiles, RemovingTheWatcherSkipsSaversThatAreGone) {
    const vorlin::testing::TempDir tmp;
    const fs::path root = tmp.path();
    fs::create_directories(root / "savers");
    WatcherPlaces places{(root / "config").string(), (root / "run").string()};
    std::ostringstream out;
    std::vector<std::string> savers;
    for (const char* name : {"a.scr", "b.scr", "c.scr"}) {
        savers.push_back((root / "savers" / name).string());
        std::ofstream(savers.back()) << "x";
        addWatcher(places, {savers.back(), name}, out);
    }
    EXPECT_EQ(readWatchers(places).back().saver, savers[2]);
    fs::remove(savers[1]); // b deleted by hand
    removeWatcher(places, savers[2], out);
    ASSERT_EQ(readWatchers(places).size(), 1u);
    EXPECT_NE(vorlin::testing::readFile(places.unit()).find(savers[0]), std::string::npos);
    // Removing one that is not the watcher leaves the watcher as it is.
    addWatcher(places, {savers[2], "c.scr"}, out);
    removeWatcher(places, savers[0], out);
    EXPECT_NE(vorlin::testing::readFile(places.unit()).find(savers[2]), std::string::npos);
    removeWatcher(places, savers[2], out);
    EXPECT_FALSE(fs::exists(root / "config")) << "the folders the watcher made are gone";
}

} // namespace
