// The real program built into an installer, installed in a temporary HOME on an X server: the installed
// screen saver shows its pictures under its short name with /s, its configuration dialog (started without
// arguments, as its desktop entry does) changes the settings file, and the uninstaller removes it all.
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "../lib/shell.h"
#include "builder/installer/script_writer.h"
#include "builder_parts.h"
#include "platform/ini_file.h"

namespace fs = std::filesystem;
using namespace vorlin::installer;

namespace {

using vorlin::testing::runShell;
using vorlin::testing::shellQuote;

TEST(InstalledSaver, ShowsConfiguresAndUninstalls) {
    const fs::path root = fs::temp_directory_path() / ("vorlin_saver_e2e_" + std::to_string(::getpid()));
    fs::remove_all(root);
    for (const char* d : {"prog", "pics", "Compile", "out", "home", "buildsys"})
        fs::create_directories(root / d);
    const auto parts = vorlin::testing::builderParts();
    fs::copy_file(parts.saver, root / "prog/VorlinSaver.scr");
    std::ofstream(root / "prog/VorlinSaver.001") << "[Effects]\n";
    std::ofstream(root / "prog/VorlinSaver.002") << "[Set]\nStetchImage=1\nImageInterval=1\nEffectSpeed=1\n";
    fs::copy_file(parts.mpegLibrary, root / "buildsys/libmpegdll.so");
    fs::copy_file(fs::path(VORLIN_TEST_DATA_DIR) / "music/tone_1s_44k_stereo.mp3", root / "pics/tone.mp3");
    ASSERT_EQ(runShell("convert -size 64x48 xc:'#ff0000' " + shellQuote((root / "pics/red.bmp").string()) +
                       " && convert -size 64x48 "
                       "xc:'#0000ff' " +
                       shellQuote((root / "pics/blue.bmp").string()))
                  .second,
              0);
    fs::create_symlink(parts.compiler, root / "Compile/vorlinbuild");
    fs::create_symlink(parts.installProgram, root / "Compile/vorlin-install");

    BuildInput in;
    in.saverName = "Holiday Pictures";
    in.installerPath = (root / "out/Holiday.run").string();
    in.programFolder = (root / "prog").string() + "/";
    in.compileFolder = (root / "Compile").string() + "/";
    in.systemFolder = (root / "buildsys").string();
    in.workingSettingsFile = (root / "prog/VorlinSaver.002").string();
    in.website = "http://";
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
    auto [show, src] = runShell(
        env + "sh -c " +
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

    auto [ulog, urc] = runShell(
        env + shellQuote((home / ".local/share/vorlinsaver/programs/Holiday Pictures/unins000").string()) +
        " --yes");
    EXPECT_EQ(urc, 0) << ulog;
    std::string left;
    for (const auto& e : fs::recursive_directory_iterator(home)) left += e.path().string() + "\n";
    EXPECT_EQ(left, "");
    fs::remove_all(root);
}

} // namespace
