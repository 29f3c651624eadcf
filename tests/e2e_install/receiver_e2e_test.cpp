// The person who receives a screen saver: a minimal Debian 12 with only the libraries a desktop provides
// itself (receiver_root.sh), a five-picture show with MIDI and MP3 music built into an installer here.
// Inside that root, as a normal user: the installer with --yes, the saver's --info, ldd of every installed
// file, the show on this test's X server (pictures checked by screenshot) with SDL's disk audio driver
// (the file must hold sound from both tracks). Then the same root without the X client libraries: the
// installer refuses in one paragraph and leaves the home folder as it was.
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <set>
#include <thread>

#include "../lib/shell.h"
#include "../lib/test_files.h"
#include "builder/installer/script_writer.h"
#include "install_fixture.h"

namespace fs = std::filesystem;
using namespace vorlin::installer;
using namespace vorlin::testing;

namespace {

const std::string kHere = VORLIN_SOURCE_DIR "/tests/e2e_install/";
constexpr const char* kUser = "4242";
const std::string kHome = "/home/receiver";
const std::string kSys = kHome + "/.local/share/vorlinsaver/system";

struct Colour {
    const char* name;
    int r, g, b;
};
constexpr Colour kPictures[] = {{"red", 255, 0, 0},
                                {"blue", 0, 0, 255},
                                {"lime", 0, 255, 0},
                                {"yellow", 255, 255, 0},
                                {"magenta", 255, 0, 255}};

// Root mean square of 16-bit samples; 0 for silence.
double loudness(const std::string& pcm) {
    double sum = 0;
    const std::size_t n = pcm.size() / 2;
    for (std::size_t i = 0; i < n; ++i) {
        const auto s = static_cast<int16_t>(static_cast<uint8_t>(pcm[2 * i]) |
                                            (static_cast<uint8_t>(pcm[2 * i + 1]) << 8));
        sum += double(s) * s;
    }
    return n ? std::sqrt(sum / n) : 0;
}

class Receiver : public ::testing::Test {
protected:
    // The root and the installer are made once for both tests.
    static void SetUpTestSuite() {
        const auto [out, rc] = runShell(shellQuote(kHere + "receiver_root.sh"));
        rootOutput = out;
        if (rc == 77) return;
        if (rc == 0 && out.size() > 1) {
            const std::string last = out.substr(0, out.size() - 1);
            root = last.substr(last.rfind('\n') + 1);
        }
        if (root.empty()) return;
        suiteDir.emplace();
        installer = buildInstaller(suiteDir->path());
    }
    static void TearDownTestSuite() { suiteDir.reset(); }

    void SetUp() override {
        if (root.empty() && rootOutput.find("SKIPPED") != std::string::npos) GTEST_SKIP() << rootOutput;
        ASSERT_TRUE(!root.empty() && fs::exists(root + "/.complete")) << rootOutput;
        ASSERT_FALSE(installer.empty());
        ASSERT_NE(std::getenv("DISPLAY"), nullptr);
    }

    // Runs a command in the root's view `changes` (as the receiver with `asUser`).
    std::pair<std::string, int> inRoot(const fs::path& changes, bool asUser, const std::string& command) {
        return runShell(shellQuote(kHere + "in_root.sh") + " " + shellQuote(root) + " " +
                        shellQuote(changes.string()) + (asUser ? std::string(" --user ") + kUser : "") +
                        " HOME=" + kHome + " USER=receiver " + command);
    }

    // A fresh view of the root with the receiver's account and the installer in /tmp.
    fs::path freshView(const std::string& name) {
        const fs::path changes = tmp.path() / name;
        fs::create_directories(changes / "tmp");
        fs::permissions(changes / "tmp", fs::perms::all | fs::perms::sticky_bit);
        fs::copy_file(installer, changes / "tmp/show.run");
        fs::permissions(changes / "tmp/show.run", fs::perms::all);
        auto [log, rc] = inRoot(changes, false, "useradd -m -u " + std::string(kUser) + " receiver");
        EXPECT_EQ(rc, 0) << log;
        return changes;
    }

    static std::string buildInstaller(const fs::path& dir) {
        const fs::path w = dir / "build";
        layOutRealShow(w);
        BuildInput in = showInput(w, "Grandma's Garden", "garden.run");
        for (const auto& c : kPictures) {
            const fs::path pic = w / "pics" / (std::string(c.name) + ".bmp");
            EXPECT_EQ(
                runShell("convert -size 64x48 xc:" + std::string(c.name) + " " + shellQuote(pic.string()))
                    .second,
                0);
            in.pictures.push_back({pic.string(), true});
        }
        in.music = {{std::string(VORLIN_TEST_DATA_DIR) + "/music/scale.mid", true},
                    {std::string(VORLIN_TEST_DATA_DIR) + "/music/tone_1s_44k_stereo.mp3", true}};
        const BuildOutput out = writeBuildFiles(in);
        const auto start = std::chrono::steady_clock::now();
        auto [report, rc] = runShell(shellQuote(in.compileFolder + "vorlinbuild") + " " +
                                     shellQuote("\"" + out.scriptFile + "\""));
        const double seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        std::printf("Installer built in %.1f s:\n%s", seconds, report.c_str());
        EXPECT_EQ(rc, 0) << report;
        EXPECT_NE(report.find("the General MIDI soundfont"), std::string::npos) << report;
        return rc == 0 ? in.installerPath : std::string();
    }

    vorlin::testing::TempDir tmp;
    static inline std::optional<vorlin::testing::TempDir> suiteDir;
    static inline std::string root, installer, rootOutput;
};

TEST_F(Receiver, InstallsStartsShowsAndPlaysWithOnlyTheDesktopsLibraries) {
    const fs::path view = freshView("desktop");
    auto [log, rc] = inRoot(view, true, "sh /tmp/show.run --yes");
    ASSERT_EQ(rc, 0) << log;
    EXPECT_NE(log.find("\"Grandma's Garden\" was installed"), std::string::npos) << log;

    auto [info, irc] = inRoot(view, true, shellQuote(kSys + "/Grandma's Garden.scr") + " --info");
    EXPECT_EQ(irc, 0) << info;
    for (const char* read : {"\"baseName\":\"Grandma's Garden\"", "magenta.bmp", "scale.mid"})
        EXPECT_NE(info.find(read), std::string::npos) << read << "\n" << info;

    // Every installed program, library and plugin finds everything it needs, each on its own.
    auto [ldd, lrc] = inRoot(
        view, false,
        "sh -c " + shellQuote("find " + kSys +
                              " -type f | while read -r f; do "
                              "[ \"$(head -c 4 \"$f\" | tail -c 3)\" = ELF ] || continue; "
                              "ldd \"$f\" | grep 'not found' | sed \"s|^|$f: |\"; echo checked; done"));
    EXPECT_EQ(lrc, 0) << ldd;
    EXPECT_EQ(ldd.find("not found"), std::string::npos) << ldd;
    int checked = 0;
    for (auto at = ldd.find("checked"); at != std::string::npos; at = ldd.find("checked", at + 1)) ++checked;
    EXPECT_GT(checked, 50) << ldd; // the two programs, the runtime's libraries and its plugins

    // The show on this test's X server, its music through SDL's disk driver into a file in the root.
    const std::string display = std::getenv("DISPLAY");
    const std::string xauth = std::getenv("XAUTHORITY") ? std::getenv("XAUTHORITY") : "";
    if (!xauth.empty()) {
        fs::copy_file(xauth, view / "tmp/xauth");
        fs::permissions(view / "tmp/xauth", fs::perms::all);
    }
    auto [pid, prc] = runShell(
        "sh -c " + shellQuote(shellQuote(kHere + "in_root.sh") + " " + shellQuote(root) + " " +
                              shellQuote(view.string()) + " --user " + kUser + " HOME=" + kHome +
                              " DISPLAY=" + display + (xauth.empty() ? "" : " XAUTHORITY=/tmp/xauth") +
                              " SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE=/tmp/audio.raw " +
                              shellQuote(kSys + "/Grandma's Garden.scr") + " /s > " +
                              shellQuote((tmp.path() / "show.log").string()) + " 2>&1 & echo $!"));
    ASSERT_EQ(prc, 0) << pid;
    std::set<std::string> seen;
    std::vector<std::string> tracks(1); // the disk driver starts its file anew for each track
    const fs::path audio = view / "tmp/audio.raw", shot = tmp.path() / "shot.png";
    for (int i = 0; i < 60 && (seen.size() < 3 || tracks.size() < 2 || tracks[1].size() < 150000); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        const std::string now = readFile(audio);
        if (now.size() < tracks.back().size()) tracks.emplace_back();
        if (now.size() >= tracks.back().size()) tracks.back() = now;
        auto [pixel, src] = runShell("import -window root " + shellQuote(shot.string()) + " && convert " +
                                     shellQuote(shot.string()) +
                                     " -format '%[fx:int(255*p{640,512}.r)] "
                                     "%[fx:int(255*p{640,512}.g)] %[fx:int(255*p{640,512}.b)]' info:");
        for (const auto& c : kPictures)
            if (pixel == std::to_string(c.r) + " " + std::to_string(c.g) + " " + std::to_string(c.b))
                seen.insert(c.name);
    }
    runShell("kill " + pid);
    std::printf("Pictures seen on the screen: %zu; sound files the disk driver started: %zu\n", seen.size(),
                tracks.size());
    EXPECT_GE(seen.size(), 3u) << readFile(tmp.path() / "show.log");
    // The MIDI track, then the MP3 one: each file the driver started holds sound.
    ASSERT_GE(tracks.size(), 2u) << readFile(tmp.path() / "show.log");
    for (std::size_t t = 0; t < 2; ++t) {
        EXPECT_GT(tracks[t].size(), 44100u) << "track " << t;
        EXPECT_GT(loudness(tracks[t]), 300.0) << "track " << t;
        std::printf("Track %zu: %zu bytes, loudness %.0f\n", t, tracks[t].size(), loudness(tracks[t]));
    }
}

TEST_F(Receiver, WithoutTheXClientLibrariesTheInstallerRefusesAndLeavesNothing) {
    const fs::path view = freshView("no-x");
    auto [packages, krc] = runShell(shellQuote(kHere + "receiver_root.sh") + " --x-packages");
    ASSERT_EQ(krc, 0);
    auto [purge, prc] = inRoot(view, false, "dpkg --purge --force-depends " + packages);
    ASSERT_EQ(prc, 0) << purge;
    auto [left, lrc] = inRoot(view, false, "dpkg-query -W -f '${Package} ${Status}\\n' libx11-6 libxcb1");
    EXPECT_EQ(left.find("install ok installed"), std::string::npos) << left;

    const std::string listHome = "find " + kHome + " /tmp -path /tmp/.X11-unix -prune -o -print";
    auto [before, brc] = inRoot(view, true, listHome);
    ASSERT_EQ(brc, 0) << before;
    auto [log, rc] = inRoot(view, true, "sh /tmp/show.run --yes");
    EXPECT_NE(rc, 0) << log;
    std::printf("The installer said:\n%s", log.c_str());
    EXPECT_NE(
        log.find("\"Grandma's Garden\" cannot run on this computer, so it was not installed. It needs "),
        std::string::npos)
        << log;
    for (const char* named :
         {"libX11.so.6", "libxcb.so.1", "the X Window System's client libraries", "libx11-6"})
        EXPECT_NE(log.find(named), std::string::npos) << named << "\n" << log;
    EXPECT_EQ(log.find("was installed"), std::string::npos) << log;
    auto [after, arc] = inRoot(view, true, listHome);
    EXPECT_EQ(after, before);
}

} // namespace
