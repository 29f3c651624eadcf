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
#include "builder_parts.h"
#include "platform/ini_file.h"
#include "platform/registry.h"

namespace fs = std::filesystem;
using namespace vorlin::installer;

namespace {

using vorlin::testing::readFile;

void spit(const fs::path& p, const std::string& text) {
    fs::create_directories(p.parent_path());
    std::ofstream(p, std::ios::binary) << text;
}

using vorlin::testing::runShell;
using vorlin::testing::shellQuote;

// Every path under a folder (links not followed).
std::set<std::string> tree(const fs::path& root) {
    std::set<std::string> all;
    for (auto it = fs::recursive_directory_iterator(root); it != fs::recursive_directory_iterator(); ++it)
        all.insert(fs::relative(it->path(), root).string());
    return all;
}

class InstallEndToEnd : public ::testing::Test {
protected:
    void SetUp() override {
        root = fs::temp_directory_path() / ("vorlin_e2e_install_" + std::to_string(::getpid()));
        fs::remove_all(root);
        home = root / "home";
        fs::create_directories(home);
        setenv("HOME", home.c_str(), 1);
        setenv("XDG_DATA_HOME", (home / ".local/share").c_str(), 1);
        setenv("XDG_CONFIG_HOME", (home / ".config").c_str(), 1);
        unsetenv("XDG_DESKTOP_DIR");
        unsetenv("VORLIN_SYSTEM_DIR");
        unsetenv("VORLIN_REGISTRY");
        sys = home / ".local/share/vorlinsaver/system";
        // A program folder and the show's files; the MPEG library lies in the builder's system folder.
        spit(root / "prog/VorlinSaver.scr", "#!/bin/sh\necho saver \"$0\" \"$@\"\n");
        fs::permissions(root / "prog/VorlinSaver.scr", fs::perms::owner_all, fs::perm_options::add);
        spit(root / "prog/VorlinSaver.001", "[Effects]\n");
        spit(root / "prog/VorlinSaver.002", "[Set]\nImageInterval=4\n");
        spit(root / "pics/beach.jpg", std::string(3000, 'b'));
        spit(root / "pics/sunset.jpg", std::string(2000, 's'));
        spit(root / "music/waves.mp3", std::string(1000, 'm'));
        spit(root / "buildsys/libmpegdll.so", "lib");
        fs::create_directories(root / "compile");
        fs::create_directories(root / "out");
    }
    void TearDown() override { fs::remove_all(root); }

    BuildInput input(const std::string& name) {
        BuildInput in;
        in.saverName = name;
        in.installerPath = (root / "out/Holiday.run").string();
        in.programFolder = (root / "prog").string() + "/";
        in.compileFolder = (root / "compile").string() + "/";
        in.systemFolder = (root / "buildsys").string();
        in.workingSettingsFile = (root / "prog/VorlinSaver.002").string();
        in.author = "Ann";
        in.website = "http://ann.example";
        in.readme = "Enjoy the pictures.";
        in.pictures = {{(root / "pics/beach.jpg").string(), true},
                       {(root / "pics/sunset.jpg").string(), true}};
        in.music = {{(root / "music/waves.mp3").string(), true}};
        return in;
    }

    // Builds and returns vorlinbuild's report lines.
    std::string build(const BuildInput& in) {
        const BuildOutput out = writeBuildFiles(in);
        const auto [report, rc] = runShell(shellQuote(vorlin::testing::builderParts().compiler.string()) +
                                           " " + shellQuote("\"" + out.scriptFile + "\"") + " 2>/dev/null");
        EXPECT_EQ(rc, 0) << report;
        cleanUpBuildFiles(out);
        return report;
    }

    fs::path root, home, sys;
};

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
    EXPECT_EQ(entries, 5);
    EXPECT_TRUE(fs::exists(home / "Desktop/Holiday Pictures.desktop"));
    EXPECT_TRUE(fs::exists(home / ".local/share/applications/Holiday Pictures/Readme.desktop"));

    // The installed configuration entry starts the saver without arguments.
    const std::string desktop = readFile(home / "Desktop/Holiday Pictures.desktop");
    EXPECT_NE(desktop.find("Exec=\"" + (sys / "Holiday Pictures.scr").string() + "\"\n"), std::string::npos)
        << desktop;

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
            EXPECT_TRUE(std::set<std::string>({"home", "prog", "pics", "music", "buildsys", "compile", "out"})
                            .count(e.path().filename().string()))
                << e.path();
        const fs::path app = home / ".local/share/vorlinsaver/programs" / name.name;
        EXPECT_TRUE(fs::exists(app / "sample/q\"uo'te; {app} ..jpg"));
        auto [ulog, urc] = runShell(shellQuote((app / "unins000").string()) + " --yes");
        ASSERT_EQ(urc, 0) << ulog;
        EXPECT_FALSE(fs::exists(home / ".local/share/vorlinsaver"));
    }
}

} // namespace
