// A built show end to end without the builder window: the build files, vorlinbuild, the installer run in a
// temporary HOME, what it installed, a second install, hostile names, and the uninstaller.
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>

#include "../lib/shell.h"
#include "../lib/test_files.h"
#include "builder/installer/script_writer.h"
#include "install_fixture.h"
#include "platform/ini_file.h"
#include "platform/registry.h"

namespace fs = std::filesystem;
using namespace vorlin::installer;

namespace {

using namespace vorlin::testing;

TEST_F(InstallEndToEnd, HolidayPicturesInstallsReplacesAndUninstalls) {
    const std::string report = build(input("Holiday Pictures"));
    // Progress lines, then exactly one final "0".
    ASSERT_GE(report.size(), 2u);
    EXPECT_EQ(report.substr(report.size() - 2), "0\n") << report;
    std::istringstream lines(report);
    for (std::string l; std::getline(lines, l);) {
        if (l != "0") {
            EXPECT_EQ(l.rfind("10000 ", 0), 0u) << l;
        }
    }
    const fs::path installer = root / "out/Holiday.run";
    ASSERT_TRUE(fs::exists(installer));
    const auto before = tree(home);

    // Without an answer nothing is installed.
    auto [refused, rc0] = runShell(shellQuote(installer.string()) + " </dev/null");
    EXPECT_NE(rc0, 0) << refused;
    EXPECT_FALSE(fs::exists(sys));

    auto [log, rc] = runShell(shellQuote(installer.string()) + " --yes");
    ASSERT_EQ(rc, 0) << log;
    const fs::path app = home / ".local/share/vorlinsaver/programs/Holiday Pictures";
    for (const fs::path& f :
         {sys / "Holiday Pictures.scr", sys / "Holiday Pictures.002", sys / "VorlinSaver.001",
          sys / "libmpegdll.so", app / "sample/beach.jpg", app / "sample/sunset.jpg",
          app / "sample/waves.mp3", app / "Readme.txt", app / "unins000"})
        EXPECT_TRUE(fs::is_regular_file(f)) << f;
    EXPECT_EQ(readFile(app / "sample/beach.jpg"), std::string(3000, 'b'));
    EXPECT_EQ(fs::read_symlink(sys / "Holida~1.scr"), "Holiday Pictures.scr");
    const auto built = vorlin::platform::IniFile((sys / "Holiday Pictures.002").string()).snapshot();
    EXPECT_EQ(built.readString("Set", "Author", ""), "Ann");
    EXPECT_EQ(built.readKeys("Pictures"), (std::vector<std::string>{"beach.jpg", "sunset.jpg"}));

    vorlin::platform::Registry reg;
    EXPECT_EQ(reg.readString("Software\\Mirtavo\\Holiday Pictures", "").value_or("-"), app.string());

    const std::string xss = readFile(home / ".xscreensaver");
    const std::string entry = "\"Holiday Pictures\"  \"" + (sys / "Holida~1.scr").string() + "\" /s";
    EXPECT_NE(xss.find("mode:\t\tone\n"), std::string::npos) << xss;
    EXPECT_NE(xss.find("selected:\t\t0\n"), std::string::npos) << xss;
    EXPECT_NE(xss.find(entry + " \\n\\\n"), std::string::npos) << xss;

    // Desktop entries of [Icons]: every target exists.
    int entries = 0;
    for (const auto& f : fs::recursive_directory_iterator(home))
        if (f.path().extension() == ".desktop") {
            ++entries;
            const std::string text = readFile(f.path());
            const auto at = text.find("X-Vorlin-Target=");
            ASSERT_NE(at, std::string::npos) << f.path();
            const std::string target = text.substr(at + 16, text.find('\n', at) - at - 16);
            EXPECT_TRUE(fs::exists(target)) << f.path() << " -> " << target;
        }
    EXPECT_EQ(entries, 6); // the five of the script and the idle watcher's autostart entry
    EXPECT_TRUE(fs::exists(home / "Desktop/Holiday Pictures.desktop"));
    EXPECT_TRUE(fs::exists(home / ".local/share/applications/Holiday Pictures/Readme.desktop"));

    // The installed configuration entry starts the saver without arguments.
    const std::string desktop = readFile(home / "Desktop/Holiday Pictures.desktop");
    EXPECT_NE(desktop.find("Exec=\"" + (sys / "Holiday Pictures.scr").string() + "\"\n"), std::string::npos)
        << desktop;

    // The saver watches the session's idleness: a user unit and an autostart entry start it.
    const std::string scr = (sys / "Holiday Pictures.scr").string();
    EXPECT_NE(readFile(home / ".config/systemd/user/vorlinsaver-watch.service")
                  .find("\nExecStart=\"" + scr + "\" --watch-idle\n"),
              std::string::npos);
    EXPECT_NE(readFile(home / ".config/autostart/vorlinsaver-watch.desktop")
                  .find("\nExec=\"" + scr + "\" --watch-idle\n"),
              std::string::npos);

    // A second install replaces: same files, one xscreensaver entry.
    const auto installed = tree(home);
    auto [log2, rc2] = runShell(shellQuote(installer.string()) + " --yes");
    ASSERT_EQ(rc2, 0) << log2;
    EXPECT_EQ(tree(home), installed);
    const std::string xss2 = readFile(home / ".xscreensaver");
    EXPECT_EQ(xss2.find(entry), xss2.rfind(entry));

    auto [ulog, urc] = runShell(shellQuote((app / "unins000").string()) + " --yes");
    ASSERT_EQ(urc, 0) << ulog;
    EXPECT_EQ(tree(home), before) << ulog;
    EXPECT_FALSE(vorlin::platform::Registry().keyExists("Software\\Mirtavo\\Holiday Pictures"));
}

TEST_F(InstallEndToEnd, KeepsTheUsersXscreensaverSettings) {
    const std::string mine =
        "timeout:\t0:10:00\nmode:\t\trandom\nselected:\t\t1\nprograms:\t\t\t\t\t\t\t\t      \\\n"
        "\t\t\t\t  \"Qix\"  qix -root \\n\\\n\t\t\t\t- \"Maze\"  maze -root \\n\\\n\n"
        "pointerHysteresis: 10\n";
    spit(home / ".xscreensaver", mine);
    build(input("Sea"));
    auto [log, rc] = runShell(shellQuote((root / "out/Holiday.run").string()) + " --yes");
    ASSERT_EQ(rc, 0) << log;
    const std::string xss = readFile(home / ".xscreensaver");
    for (const char* kept :
         {"timeout:\t0:10:00\n", "\"Qix\"  qix -root \\n\\\n", "- \"Maze\"  maze -root \\n\\\n",
          "pointerHysteresis: 10\n", "mode:\t\tone\n", "selected:\t\t2\n"})
        EXPECT_NE(xss.find(kept), std::string::npos) << kept << "\n" << xss;
    auto [ulog, urc] =
        runShell(shellQuote((home / ".local/share/vorlinsaver/programs/Sea/unins000").string()) + " --yes");
    ASSERT_EQ(urc, 0) << ulog;
    const std::string after = readFile(home / ".xscreensaver");
    for (const char* back : {"mode:\t\trandom\n", "selected:\t\t1\n", "\"Qix\"", "\"Maze\""})
        EXPECT_NE(after.find(back), std::string::npos) << back << "\n" << after;
    EXPECT_EQ(after.find("Sea"), std::string::npos) << after;
}

TEST_F(InstallEndToEnd, TheLatestSaverWatchesAndTheEarlierOneTakesOverAgain) {
    const auto before = tree(home);
    const auto installer = [&](const std::string& name) {
        build(input(name));
        const fs::path run = root / ("out/" + name + ".run");
        fs::rename(root / "out/Holiday.run", run);
        return run;
    };
    const fs::path sea = installer("Sea"), lake = installer("Lake");
    const fs::path unit = home / ".config/systemd/user/vorlinsaver-watch.service";
    const fs::path autostart = home / ".config/autostart/vorlinsaver-watch.desktop";
    const auto watcher = [&] {
        const std::string text = readFile(unit), entry = readFile(autostart);
        for (const char* name : {"Sea", "Lake"}) {
            const std::string scr = (sys / (std::string(name) + ".scr")).string();
            if (text.find("ExecStart=\"" + scr + "\" --watch-idle") != std::string::npos) {
                EXPECT_NE(entry.find("Exec=\"" + scr + "\" --watch-idle"), std::string::npos) << entry;
                return std::string(name);
            }
        }
        return std::string("none");
    };
    for (const fs::path& run : {sea, lake}) {
        auto [log, rc] = runShell(shellQuote(run.string()) + " --yes");
        ASSERT_EQ(rc, 0) << log;
    }
    EXPECT_EQ(watcher(), "Lake");
    // Installing the earlier saver again makes it the watcher.
    auto [again, rc0] = runShell(shellQuote(sea.string()) + " --yes");
    ASSERT_EQ(rc0, 0) << again;
    EXPECT_EQ(watcher(), "Sea");
    const auto uninstall = [&](const char* name) {
        auto [log, rc] = runShell(
            shellQuote((home / ".local/share/vorlinsaver/programs" / name / "unins000").string()) + " --yes");
        ASSERT_EQ(rc, 0) << log;
    };
    uninstall("Sea");
    EXPECT_EQ(watcher(), "Lake");
    uninstall("Lake");
    // Nothing of the watcher is left: its files, its list, the folders it made.
    for (const auto& path : tree(home))
        for (const char* part : {".config/systemd", ".config/autostart", ".config/vorlinsaver/watchers"})
            EXPECT_NE(path.rfind(part, 0), 0u) << path;
    EXPECT_TRUE(before.empty());
}

TEST_F(InstallEndToEnd, HostileNamesStayInsideTheInstallersPlaces) {
    const std::string longName(237, 'L'); // the longest name a build accepts
    spit(root / "pics/q\"uo'te; {app} ..jpg", "h");
    spit(root / "pics/../pics/dots.jpg", "d");
    for (const std::string& raw :
         {std::string("../../x; \"y\" {sys} `z`"), std::string("$(touch pwned)"), longName}) {
        SCOPED_TRACE(raw.substr(0, 30));
        const SaverName name = makeSaverName(raw, "/o/Holiday.run", [] { return 7; });
        ASSERT_FALSE(name.name.empty()) << name.error;
        BuildInput in = input(name.name);
        in.pictures.push_back({(root / "pics/q\"uo'te; {app} ..jpg").string(), true});
        build(in);
        auto [log, rc] = runShell("cd " + shellQuote(root.string()) + " && " +
                                  shellQuote((root / "out/Holiday.run").string()) + " --yes");
        ASSERT_EQ(rc, 0) << log;
        // Nothing was written outside HOME, the compile and output folders stay as they were.
        EXPECT_FALSE(fs::exists(root / "pwned"));
        EXPECT_FALSE(fs::exists(home / "pwned"));
        EXPECT_EQ(tree(root).count("x; \"y\" {sys} `z`"), 0u);
        for (const auto& e : fs::directory_iterator(root))
            EXPECT_TRUE(
                std::set<std::string>({"home", "prog", "pics", "music", "buildsys", "compile", "out", "run"})
                    .count(e.path().filename().string()))
                << e.path();
        const fs::path app = home / ".local/share/vorlinsaver/programs" / name.name;
        EXPECT_TRUE(fs::exists(app / "sample/q\"uo'te; {app} ..jpg"));
        auto [ulog, urc] = runShell(shellQuote((app / "unins000").string()) + " --yes");
        ASSERT_EQ(urc, 0) << ulog;
        EXPECT_FALSE(fs::exists(home / ".local/share/vorlinsaver"));
    }
}

// Runs an installer or uninstaller without questions; its output on failure.
void runQuietly(const fs::path& program) {
    auto [log, rc] = runShell(shellQuote(program.string()) + " --yes");
    ASSERT_EQ(rc, 0) << program << "\n" << log;
}

std::string xssEntry(const std::string& name, const fs::path& saver) {
    return "\"" + name + "\"  \"" + saver.string() + "\" /s";
}

// Two picture folders holding equal names: each picture lands in the sample folder under a name of its own,
// and the installed show names them all.
TEST_F(InstallEndToEnd, FolderPicturesWithEqualNamesAreInstalledApart) {
    spit(root / "trip1/IMG_1.jpg", "first");
    spit(root / "trip2/IMG_1.jpg", "second");
    spit(root / "trip2/later/img_1.JPG", "third");
    auto in = input("Trips");
    in.folders = {{(root / "trip1").string(), false}, {(root / "trip2").string(), true}};
    build(in);
    runQuietly(root / "out/Holiday.run");
    const fs::path sample = app("Trips") / "sample";
    EXPECT_EQ(readFile(sample / "beach.jpg"), std::string(3000, 'b'));
    EXPECT_EQ(readFile(sample / "IMG_1.jpg"), "first");
    EXPECT_EQ(readFile(sample / "IMG_1~2.jpg"), "second");
    EXPECT_EQ(readFile(sample / "img_1~3.JPG"), "third");
    const auto built = vorlin::platform::IniFile((sys / "Trips.002").string()).snapshot();
    EXPECT_EQ(built.readKeys("Pictures"), (std::vector<std::string>{"beach.jpg", "sunset.jpg", "IMG_1.jpg",
                                                                    "IMG_1~2.jpg", "img_1~3.JPG"}));
    EXPECT_TRUE(built.readKeys("Folders").empty());
}

TEST_F(InstallEndToEnd, ShowsWithOneShortNameEachGetTheirOwnAndShareTheirFiles) {
    const auto before = tree(home);
    build(input("Holiday Pictures", "Pictures.run"));
    build(input("Holiday Sea", "Sea.run"));
    runQuietly(root / "out/Pictures.run");
    runQuietly(root / "out/Sea.run");
    // Both ask for "Holida~1.scr"; the second show gets the next free one.
    EXPECT_EQ(fs::read_symlink(sys / "Holida~1.scr"), "Holiday Pictures.scr");
    EXPECT_EQ(fs::read_symlink(sys / "Holida~2.scr"), "Holiday Sea.scr");
    std::string xss = readFile(home / ".xscreensaver");
    EXPECT_NE(xss.find(xssEntry("Holiday Pictures", sys / "Holida~1.scr")), std::string::npos) << xss;
    EXPECT_NE(xss.find(xssEntry("Holiday Sea", sys / "Holida~2.scr")), std::string::npos) << xss;
    const std::string systemIni = (home / ".config/vorlinsaver/windows/system.INI").string();
    EXPECT_EQ(vorlin::platform::IniFile(systemIni).readString("boot", "SCRNSAVE.EXE", ""),
              (sys / "Holida~2.scr").string());

    // Removing the first leaves the second whole: its link, the files the two shared, its selection.
    runQuietly(app("Holiday Pictures") / "unins000");
    EXPECT_FALSE(fs::exists(fs::symlink_status(sys / "Holida~1.scr")));
    for (const char* kept :
         {"Holida~2.scr", "Holiday Sea.scr", "Holiday Sea.002", "VorlinSaver.001", "libmpegdll.so"})
        EXPECT_TRUE(fs::exists(sys / kept)) << kept;
    auto [ran, rc] = runShell(shellQuote((sys / "Holida~2.scr").string()) + " /s");
    EXPECT_EQ(rc, 0) << ran;
    xss = readFile(home / ".xscreensaver");
    EXPECT_NE(xss.find("selected:\t\t0\n"), std::string::npos) << xss;
    EXPECT_EQ(vorlin::platform::IniFile(systemIni).readString("boot", "SCRNSAVE.EXE", ""),
              (sys / "Holida~2.scr").string());
    EXPECT_TRUE(vorlin::platform::Registry().keyExists("Software\\Mirtavo\\Holiday Sea"));

    // Removing the last leaves nothing: no empty folder, registry store or system.INI.
    runQuietly(app("Holiday Sea") / "unins000");
    EXPECT_EQ(tree(home), before);
}

TEST_F(InstallEndToEnd, UninstallingGivesTheUsersXscreensaverSettingsBackInEitherOrder) {
    const std::string mine = "mode:\t\trandom\nselected:\t\t1\nprograms:\t\t\t\t\t\t\t\t      \\\n"
                             "\t\t\t\t  \"Qix\"  qix -root \\n\\\n\t\t\t\t  \"Maze\"  maze -root \\n\\\n\n";
    build(input("Sea", "Sea.run"));
    build(input("Lake", "Lake.run"));
    for (const bool oldestFirst : {true, false}) {
        SCOPED_TRACE(oldestFirst ? "oldest first" : "newest first");
        spit(home / ".xscreensaver", mine);
        runQuietly(root / "out/Sea.run");
        runQuietly(root / "out/Lake.run");
        std::string xss = readFile(home / ".xscreensaver");
        EXPECT_NE(xss.find("mode:\t\tone\nselected:\t\t3\n"), std::string::npos) << xss;
        // While one of the shows remains, it is the one selected (Qix 0, Maze 1, then the remaining show).
        runQuietly(app(oldestFirst ? "Sea" : "Lake") / "unins000");
        xss = readFile(home / ".xscreensaver");
        EXPECT_NE(xss.find("mode:\t\tone\nselected:\t\t2\n"), std::string::npos) << xss;
        const std::string remaining = oldestFirst ? "Lake" : "Sea";
        EXPECT_NE(xss.find(xssEntry(remaining, sys / (remaining + ".scr"))), std::string::npos) << xss;
        runQuietly(app(remaining) / "unins000");
        EXPECT_EQ(readFile(home / ".xscreensaver"), mine);
    }
}

TEST_F(InstallEndToEnd, DesktopEntriesCarryTheShowsNameAndAnIcon) {
    build(input("Holiday Pictures"));
    runQuietly(root / "out/Holiday.run");
    const fs::path group = home / ".local/share/applications/Holiday Pictures";
    const struct {
        fs::path file;
        std::string name, icon;
    } rows[] = {
        {group / "Holiday Pictures.desktop", "Holiday Pictures", "preferences-desktop-screensaver"},
        {group / "Uninstall.desktop", "Uninstall Holiday Pictures", "edit-delete"},
        {group / "Readme.desktop", "Holiday Pictures Readme", "text-x-generic"},
        {home / "Desktop/Holiday Pictures.desktop", "Holiday Pictures", "preferences-desktop-screensaver"},
    };
    for (const auto& r : rows) {
        const std::string text = readFile(r.file);
        EXPECT_NE(text.find("\nName=" + r.name + "\n"), std::string::npos) << r.file << "\n" << text;
        EXPECT_NE(text.find("\nIcon=" + r.icon + "\n"), std::string::npos) << r.file << "\n" << text;
    }
}

} // namespace
