#include "../lib/environment.h"
#include "../lib/test_files.h"
#include "startup/command_line.h"
#include "startup/info_json.h"
#include "startup/password_change.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

namespace fs = std::filesystem;
using namespace vorlin::startup;
using M = TScreenSaverMode;
using namespace vorlin::testing;

namespace {

constexpr std::uint32_t kFront = 777;

TEST(CommandLine, ModeHostAndForeground) {
    const struct {
        std::vector<std::string> args;
        M mode;
        std::uint32_t host;
        std::uint32_t saved; // SavedForegroundWindow: 1 unless the mode asks for the window in front
    } rows[] = {
        {{}, M::Default, 0, 1},
        {{"/s"}, M::Show, 0, kFront},
        {{"-S"}, M::Show, 0, kFront},
        {{"xS"}, M::Show, 0, kFront},
        {{"/screensaver"}, M::Show, 0, kFront},
        {{"/x"}, M::Show, 0, kFront},
        {{"/c"}, M::Configure, 0, kFront},
        {{"/C:1234"}, M::Configure, 0, kFront},
        {{"/c", "99"}, M::Configure, 0, kFront},
        {{"/p"}, M::Default, 0, 1},
        {{"/a"}, M::Default, 0, 1},
        {{"/p", "1234"}, M::Preview, 1234, 1},
        {{"-P", "abc"}, M::Preview, 0, 1},
        {{"/p", "4294967295"}, M::Preview, 4294967295u, 1},
        {{"/p", "4294967296"}, M::Preview, 0, 1},
        {{"/p", "-5"}, M::Preview, 0, 1},
        {{"/p", "0x10"}, M::Preview, 0, 1},
        {{"/p", ""}, M::Preview, 0, 1},
        {{"/a", "1234"}, M::ChangePassword, 1234, 1},
        {{"/a", "0"}, M::ChangePassword, 0, 1},
        {{"/A:x", "abc", "more"}, M::ChangePassword, 0, 1},
        {{"/"}, M::Default, 0, 1},
        {{""}, M::Default, 0, 1},
        {{"s"}, M::Default, 0, 1},
    };
    for (const auto& r : rows) {
        int asked = 0;
        const auto s = parseCommandLine(r.args, [&] {
            ++asked;
            return kFront;
        });
        std::string label;
        for (const auto& a : r.args) label += "[" + a + "]";
        EXPECT_EQ(s.ScreenSaverMode, r.mode) << label;
        EXPECT_EQ(s.HostWindow, r.host) << label;
        EXPECT_EQ(s.SavedForegroundWindow, r.saved) << label;
        EXPECT_EQ(asked, r.saved == kFront ? 1 : 0) << label;
    }
}

TEST(CommandLine, ProgramOptionsAreTakenOutFirst) {
    std::vector<std::string> args = {"/p", "--info", "1234", "--bogus", "--help", "-s", "--version"};
    const auto o = takeProgramOptions(args);
    EXPECT_EQ(args, (std::vector<std::string>{"/p", "1234", "-s"}));
    EXPECT_TRUE(o.info && o.help && o.version);
    EXPECT_EQ(o.unknown, std::vector<std::string>{"--bogus"});

    std::vector<std::string> alone = {"/p", "--info"};
    takeProgramOptions(alone);
    EXPECT_EQ(parseCommandLine(alone, {}).ScreenSaverMode, M::Default) << "/p --info is /p alone";
    std::vector<std::string> dashes = {"--s"};
    takeProgramOptions(dashes);
    EXPECT_EQ(parseCommandLine(dashes, {}).ScreenSaverMode, M::Default) << "a program option is never a mode";
}

TEST(CommandLine, IdleWatcherOptions) {
    const struct {
        std::vector<std::string> args;
        bool watch;
        int seconds;
        std::vector<std::string> rest;
    } rows[] = {
        {{"--watch-idle"}, true, 0, {}},
        {{"--watch-idle", "--idle-after", "2"}, true, 2, {}},
        {{"--idle-after=90", "/s", "--watch-idle"}, true, 90, {"/s"}},
        {{"--watch-idle", "--idle-after"}, true, -1, {}},
        {{"--idle-after", "0"}, false, -1, {}},
        {{"--idle-after", "1.5"}, false, -1, {}},
        {{"--idle-after", "86401"}, false, -1, {}},
        {{"--idle-after", "/s"}, false, -1, {}}, // the value is taken, never a mode
    };
    for (const auto& r : rows) {
        auto args = r.args;
        const auto o = takeProgramOptions(args);
        EXPECT_EQ(o.watchIdle, r.watch) << r.args.front();
        EXPECT_EQ(o.idleAfterSeconds, r.seconds) << r.args.front();
        EXPECT_EQ(args, r.rest) << r.args.front();
        EXPECT_TRUE(o.unknown.empty());
    }
}

TEST(CommandLine, MainWindowByModeAndBaseName) {
    const struct {
        M mode;
        const char* base;
        MainWindow window;
    } rows[] = {
        {M::Default, "VorlinSaver", MainWindow::Builder},
        {M::Default, "vorlinsaver", MainWindow::Builder},
        {M::Configure, "VORLINSAVER", MainWindow::Builder},
        {M::Default, "VorlinSaver2", MainWindow::ConfigDialog},
        {M::Configure, "MyShow", MainWindow::ConfigDialog},
        {M::Default, "", MainWindow::ConfigDialog},
        {M::Show, "VorlinSaver", MainWindow::FullscreenShow},
        {M::Preview, "x", MainWindow::PreviewWindow},
        {M::ChangePassword, "VorlinSaver", MainWindow::None},
    };
    for (const auto& r : rows) EXPECT_EQ(mainWindowFor(r.mode, r.base), r.window) << r.base;
}

TEST(InfoJson, StringsAreEscapedAndAlwaysValidUtf8) {
    const struct {
        std::string in;
        std::string out;
    } rows[] = {
        {"plain /a b", "\"plain /a b\""},
        {"q\"b\\", "\"q\\\"b\\\\\""},
        {"t\tn\n\x01", "\"t\\u0009n\\u000a\\u0001\""},
        {"caf\xC3\xA9 \xE2\x98\x83 \xF0\x9F\x98\x80", "\"caf\xC3\xA9 \xE2\x98\x83 \xF0\x9F\x98\x80\""},
        {"bad\xFF", "\"bad\xEF\xBF\xBD\""},
        {"cut\xC3", "\"cut\xEF\xBF\xBD\""},
        {"over\xC0\xAF", "\"over\xEF\xBF\xBD\xEF\xBF\xBD\""},
        {"surrogate\xED\xA0\x80", "\"surrogate\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD\""},
        {std::string("nul\0", 4), "\"nul\\u0000\""},
    };
    for (const auto& r : rows) EXPECT_EQ(jsonString(r.in), r.out);
}

class PasswordChange : public ::testing::Test {
protected:
    KeptEnvironment kept{"VORLIN_SYSTEM_DIR", "VORLIN_TEST_MPR_RECORD"};
    TempDir sys;
    std::string record = sys / "record.txt";
    void SetUp() override {
        setenv("VORLIN_SYSTEM_DIR", sys.str().c_str(), 1);
        setenv("VORLIN_TEST_MPR_RECORD", record.c_str(), 1);
    }
};

TEST_F(PasswordChange, CallsTheSystemFoldersModule) {
    EXPECT_FALSE(changePassword(1234)) << "no module: skipped";
    fs::copy_file(VORLIN_MPR_MODULE, sys / "libmpr.so");
    EXPECT_TRUE(changePassword(1234));
    EXPECT_EQ(readFile(record), "SCRSAVE 1234 0 0\n");
}

TEST_F(PasswordChange, ModuleWithoutTheEntryIsSkipped) {
    fs::copy_file(VORLIN_PROBE_MODULE, sys / "libmpr.so");
    EXPECT_FALSE(changePassword(1234));
    fs::remove(sys / "libmpr.so");
    vorlin::testing::writeFile(sys / "libmpr.so", "not a module");
    EXPECT_FALSE(changePassword(1234));
}

} // namespace
