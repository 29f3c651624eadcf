// The real program built into an installer, installed in a temporary HOME on an X server: the installed
// screen saver shows its pictures under its short name with /s (its libraries and Qt plugins from its own
// runtime, whatever the environment offers), its configuration dialog (started without
// arguments, as its desktop entry does) changes the settings file, a second saver shares the runtime,
// and the uninstallers remove it all, the runtime with the last of them.
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <sstream>

#include "../lib/shell.h"
#include "../lib/test_files.h"
#include "builder/installer/script_writer.h"
#include "install_fixture.h"
#include "platform/ini_file.h"

namespace fs = std::filesystem;
using namespace vorlin::installer;

namespace {

using namespace vorlin::testing;

TEST(InstalledSaver, ShowsConfiguresAndUninstalls) {
    const TempDir tmp;
    const fs::path root = tmp.path();
    layOutRealShow(root);
    fs::create_directories(root / "home");
    fs::copy_file(fs::path(VORLIN_TEST_DATA_DIR) / "music/tone_1s_44k_stereo.mp3", root / "pics/tone.mp3");
    ASSERT_EQ(runShell("convert -size 64x48 xc:'#ff0000' " + shellQuote((root / "pics/red.bmp").string()) +
                       " && convert -size 64x48 "
                       "xc:'#0000ff' " +
                       shellQuote((root / "pics/blue.bmp").string()))
                  .second,
              0);

    BuildInput in = showInput(root, "Holiday Pictures", "Holiday.run");
    in.readme = "Holiday pictures.";
    in.pictures = {{(root / "pics/red.bmp").string(), true}, {(root / "pics/blue.bmp").string(), true}};
    in.music = {{(root / "pics/tone.mp3").string(), true}};
    const BuildOutput out = writeBuildFiles(in);
    auto [report, rc] = runShell(shellQuote(in.compileFolder + "vorlinbuild") + " " +
                                 shellQuote("\"" + out.scriptFile + "\""));
    ASSERT_EQ(rc, 0) << report;

    const fs::path home = root / "home";
    const std::string env = "env HOME=" + shellQuote(home.string()) +
                            " XDG_DATA_HOME= XDG_CONFIG_HOME= VORLIN_SYSTEM_DIR= "
                            "VORLIN_REGISTRY= SDL_AUDIODRIVER=dummy ";
    auto [log, irc] = runShell(env + shellQuote(in.installerPath) + " --yes");
    ASSERT_EQ(irc, 0) << log;
    const fs::path sys = home / ".local/share/vorlinsaver/system";

    // The show under the short name xscreensaver starts: within 10 s the screen's centre turns red or blue.
    const fs::path shot = root / "shot.png";
    // The system's Qt plugins are offered through the environment, and must not be taken.
    auto [show, src] = runShell(
        env + "QT_DEBUG_PLUGINS=1 QT_PLUGIN_PATH=/usr/lib/" VORLIN_MULTIARCH "/qt6/plugins sh -c " +
        shellQuote(
            "timeout -s TERM 12 " + shellQuote((sys / "Holida~1.scr").string()) +
            " /s & pid=$!; sleep 2; for i in $(seq 8); do "
            "sleep 1; import -window root " +
            shellQuote(shot.string()) + " && p=$(convert " + shellQuote(shot.string()) +
            " -format '%[pixel:p{640,512}]' info:) && case $p in red|blue|*'rgb(255,0,0)'|*'rgb(0,0,255)') "
            "kill -0 $pid "
            "&& echo shown $p; kill $pid; exit 0;; esac; done; kill $pid; echo last $p; exit 1"));
    EXPECT_EQ(src, 0) << show;
    EXPECT_NE(show.find("shown"), std::string::npos) << show;
    EXPECT_NE(show.find(sys.string() + "/runtime/"), std::string::npos) << show;
    EXPECT_EQ(show.find("/qt6/plugins/"), std::string::npos) << show;

    // The libraries come from the runtime, not from the machine's Qt, without LD_LIBRARY_PATH.
    auto [ldd, lrc] =
        runShell("env -u LD_LIBRARY_PATH ldd " + shellQuote((sys / "Holiday Pictures.scr").string()));
    EXPECT_NE(ldd.find("libQt6Core.so.6 => " + (sys / "runtime").string()), std::string::npos) << ldd;
    EXPECT_NE(ldd.find("libSDL2-2.0.so.0 => " + (sys / "runtime").string()), std::string::npos) << ldd;
    // So do the HEIC and AVIF decoders that libheif loads.
    for (const char* lib : {"libheif.so.1", "libde265.so.0", "libdav1d.so.6"})
        EXPECT_NE(ldd.find(std::string(lib) + " => " + (sys / "runtime").string()), std::string::npos) << lib;

    // The configuration dialog: the interval field is second in the tab order; Enter presses OK.
    auto [cfg, crc] = runShell(
        env + "sh -c " +
        shellQuote(shellQuote((sys / "Holiday Pictures.scr").string()) +
                   " & pid=$!; "
                   "w=$(xdotool search --sync --name 'Config Screen Saver' | head -1); sleep 0.5; "
                   "xdotool windowfocus --sync $w; xdotool key Tab ctrl+a 7 Return; "
                   "for i in $(seq 50); do kill -0 $pid 2>/dev/null || exit 0; sleep 0.1; done; kill $pid; "
                   "exit 1"));
    EXPECT_EQ(crc, 0) << cfg;
    EXPECT_EQ(vorlin::platform::IniFile((sys / "Holiday Pictures.002").string())
                  .readString("Set", "ImageInterval", ""),
              "7");

    // A second saver of the same version shares the runtime, which outlives that saver's uninstaller.
    in.saverName = "Sea";
    in.installerPath = (root / "out/Sea.run").string();
    const BuildOutput sea = writeBuildFiles(in);
    auto [seaReport, seaRc] = runShell(shellQuote(in.compileFolder + "vorlinbuild") + " " +
                                       shellQuote("\"" + sea.scriptFile + "\""));
    ASSERT_EQ(seaRc, 0) << seaReport;
    auto [seaLog, seaIrc] = runShell(env + shellQuote(in.installerPath) + " --yes");
    ASSERT_EQ(seaIrc, 0) << seaLog;
    std::vector<fs::path> runtimes;
    for (const auto& e : fs::directory_iterator(sys / "runtime")) runtimes.push_back(e.path());
    ASSERT_EQ(runtimes.size(), 1u);

    const auto uninstall = [&](const std::string& name) {
        auto [ulog, urc] = runShell(
            env + shellQuote((home / ".local/share/vorlinsaver/programs" / name / "unins000").string()) +
            " --yes");
        EXPECT_EQ(urc, 0) << ulog;
    };
    // The first saver, whose installation made the runtime, goes first: the runtime stays for the second.
    uninstall("Holiday Pictures");
    EXPECT_TRUE(fs::exists(runtimes[0] / "plugins/platforms/libqxcb.so"));
    auto [info, infoRc] = runShell(env + shellQuote((sys / "Sea.scr").string()) + " --info");
    EXPECT_EQ(infoRc, 0) << info;
    uninstall("Sea");
    std::string left;
    for (const auto& e : fs::recursive_directory_iterator(home)) left += e.path().string() + "\n";
    EXPECT_EQ(left, "");
}

} // namespace
