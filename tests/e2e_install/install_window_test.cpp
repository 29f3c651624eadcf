// An installer and its uninstaller started with a display but no terminal, as from a file manager or a
// menu: they ask in a window (driven here with xdotool on Xvfb), and act on the answer.
#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <sstream>
#include <thread>

#include "../lib/test_files.h"
#include "install_fixture.h"

namespace fs = std::filesystem;

namespace {

using vorlin::testing::readFile;
using vorlin::testing::runShell;
using vorlin::testing::shellQuote;

class InstallWindow : public vorlin::testing::InstallEndToEnd {
protected:
    void SetUp() override {
        InstallEndToEnd::SetUp();
        ASSERT_FALSE(display.empty()) << "needs an X display";
        setenv("DISPLAY", display.c_str(), 1);
    }

    // Starts a program with no terminal (standard input from /dev/null); its status lands in `rc`.
    void startWithoutTerminal(const fs::path& program) {
        fs::remove(root / "rc");
        const std::string cmd = "( " + shellQuote(program.string()) + " </dev/null >" +
                                shellQuote((root / "log").string()) + " 2>&1; echo $? >" +
                                shellQuote((root / "rc").string()) + " ) &";
        ASSERT_EQ(std::system(cmd.c_str()), 0);
    }

    // The id of a window with this title; empty when none came within 30 s. (A window that follows another
    // may get the same id: the tests wait for what lies between them.)
    std::string window(const std::string& title) {
        for (int i = 0; i < 300; ++i) {
            auto [ids, rc] = runShell("xdotool search --name " + shellQuote("^" + title + "$"));
            std::istringstream lines(ids);
            for (std::string id; std::getline(lines, id);)
                if (!id.empty()) return id;
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
        return {};
    }

    void press(const std::string& window, const char* key) {
        // Real key presses to the focused window (there is no window manager to focus it).
        auto [out, rc] = runShell("xdotool windowfocus --sync " + window + " key " + key);
        ASSERT_EQ(rc, 0) << out;
    }

    static bool eventually(const std::function<bool()>& done) {
        for (int i = 0; i < 300 && !done(); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(100));
        return done();
    }

    // The program's status once it ended; -1 when it did not end within 30 s.
    int status() {
        eventually([&] { return !readFile(root / "rc").empty(); });
        const std::string rc = readFile(root / "rc");
        return rc.empty() ? -1 : std::stoi(rc);
    }
};

TEST_F(InstallWindow, AsksInAWindowInstallsOnInstallAndTellsTheResult) {
    build(input("Holiday Pictures"));
    const fs::path installer = root / "out/Holiday.run";

    // Escape (or closing the window) cancels: nothing is installed.
    startWithoutTerminal(installer);
    const std::string asked = window("Holiday Pictures Setup");
    ASSERT_FALSE(asked.empty()) << readFile(root / "log");
    press(asked, "Escape");
    EXPECT_EQ(status(), 2) << readFile(root / "log");
    EXPECT_FALSE(fs::exists(sys));

    // Enter chooses "Install"; the result comes in a second window, after the installation is done.
    startWithoutTerminal(installer);
    const std::string question = window("Holiday Pictures Setup");
    ASSERT_FALSE(question.empty());
    press(question, "Return");
    ASSERT_TRUE(eventually([&] { return fs::exists(app("Holiday Pictures") / "unins000.dat"); }))
        << readFile(root / "log");
    EXPECT_TRUE(fs::is_regular_file(sys / "Holiday Pictures.scr"));
    const std::string result = window("Holiday Pictures Setup");
    ASSERT_FALSE(result.empty()) << readFile(root / "log");
    press(result, "Escape"); // "Close": the readme is not opened
    EXPECT_EQ(status(), 0) << readFile(root / "log");

    // The uninstaller of the menu entry runs without a terminal too and asks the same way.
    startWithoutTerminal(app("Holiday Pictures") / "unins000");
    const std::string remove = window("Uninstall Holiday Pictures");
    ASSERT_FALSE(remove.empty()) << readFile(root / "log");
    press(remove, "Return");
    ASSERT_TRUE(eventually([&] { return !fs::exists(sys / "Holiday Pictures.scr"); }))
        << readFile(root / "log");
    const std::string removed = window("Uninstall Holiday Pictures");
    ASSERT_FALSE(removed.empty());
    press(removed, "Return");
    EXPECT_EQ(status(), 0) << readFile(root / "log");

    // Answers piped in are read as typed ones, display or not.
    auto [log, rc] = runShell("printf 'y\\n' | " + shellQuote(installer.string()));
    EXPECT_EQ(rc, 0) << log;
    EXPECT_TRUE(fs::is_regular_file(sys / "Holiday Pictures.scr"));
}

} // namespace
