// The idle watcher on a real X server (its MIT-SCREEN-SAVER idle time), with input made by xdotool: a
// show that crashes leaves it watching without starting again until there was input; a new idle time
// written to the watched settings file reaches it; one watcher per user.
#include "platform/idle/idle_watcher.h"
#include "platform/idle/single_instance.h"
#include "platform/ini_file.h"

#include "../lib/test_files.h"

#include <QCoreApplication>
#include <QTest>

#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;
using namespace vorlin;

namespace {

class IdleWatcherTest : public ::testing::Test {
protected:
    void SetUp() override {
        // X11 alone: no Wayland compositor, no session bus (nothing on it to ask, and quickly so).
        unsetenv("WAYLAND_DISPLAY");
        setenv("DBUS_SESSION_BUS_ADDRESS", ("unix:path=" + (dir / "no-bus").string()).c_str(), 1);
        setenv("XDG_RUNTIME_DIR", dir.c_str(), 1);
        input(); // the idle time counts from here
    }

    static void input() { ASSERT_EQ(std::system("xdotool mousemove_relative 3 3"), 0); }

    int lines(const fs::path& file) const {
        std::ifstream in(file);
        int n = 0;
        for (std::string l; std::getline(in, l);) ++n;
        return n;
    }

    std::unique_ptr<idle::IdleSource> source(int ms) {
        std::string why;
        auto s = idle::openIdleSource(ms, why);
        EXPECT_TRUE(s) << why;
        return s;
    }

    vorlin::testing::TempDir tmp;
    fs::path dir = tmp.path();
};

TEST_F(IdleWatcherTest, ACrashedShowLeavesItWatchingAndTheNextWaitsForInput) {
    const fs::path started = dir / "started";
    idle::IdleWatcher::Options options;
    options.program = "/bin/sh";
    options.showArguments = {"-c", QString("echo show >> '%1'; kill -SEGV $$").arg(started.c_str())};
    options.timeoutMs = [] { return 1000; };
    auto s = source(1000);
    ASSERT_TRUE(s);
    EXPECT_EQ(s->name(), "X11 MIT-SCREEN-SAVER");
    idle::IdleWatcher watcher(std::move(s), options);

    EXPECT_TRUE(QTest::qWaitFor([&] { return lines(started) == 1; }, 6000)) << "no show after 1 s idle";
    // Still idle after the crash: no show again, however long the session stays idle.
    QTest::qWait(3500);
    EXPECT_EQ(lines(started), 1) << "a crashed show was started again without input";
    EXPECT_FALSE(watcher.showRunning());
    input();
    EXPECT_TRUE(QTest::qWaitFor([&] { return lines(started) == 2; }, 6000)) << "the watcher stopped watching";
}

TEST_F(IdleWatcherTest, ANewIdleTimeInTheWatchedFileReachesIt) {
    const std::string file = (dir / "MyShow.002").string();
    platform::IniFile(file).writeInteger("Set", "IdleMinutes", 10);
    idle::IdleWatcher::Options options;
    options.program = "/bin/true";
    options.watchedFile = QString::fromStdString(file);
    options.timeoutMs = [file] {
        return platform::IniFile(file).readInteger("Set", "IdleMinutes", 0) * 60000;
    };
    idle::IdleWatcher watcher(source(600000), options);
    EXPECT_EQ(watcher.timeoutMs(), 600000);
    // The settings are rewritten by replacing the file; the second change comes to a replaced file.
    for (const int minutes : {3, 7}) {
        platform::IniFile(file).writeInteger("Set", "IdleMinutes", minutes);
        EXPECT_TRUE(QTest::qWaitFor([&] { return watcher.timeoutMs() == minutes * 60000; }, 3000)) << minutes;
    }
}

TEST_F(IdleWatcherTest, OneWatcherPerUser) {
    auto first = std::make_unique<idle::SingleInstance>();
    long holder = 0;
    ASSERT_TRUE(first->acquire(holder));
    idle::SingleInstance second;
    EXPECT_FALSE(second.acquire(holder));
    EXPECT_EQ(holder, long(::getpid()));
    first.reset(); // the lock goes with its holder, however it ends
    EXPECT_TRUE(second.acquire(holder));
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
