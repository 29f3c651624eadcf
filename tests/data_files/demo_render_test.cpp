// vorlin-demo-render in a folder laid out as the staged program folder: it writes an animated GIF of the
// chosen transitions and the contact sheet, names both, and refuses bad arguments without writing.

#include "../lib/test_files.h"

#include <gif_lib.h>
#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

class DemoRender : public ::testing::Test {
protected:
    void SetUp() override {
        const std::string list = std::getenv("VORLIN_DATA_FILES");
        for (std::size_t start = 0; start < list.size();) {
            const std::size_t bar = list.find('|', start);
            const fs::path p = list.substr(start, bar == std::string::npos ? std::string::npos : bar - start);
            fs::copy_file(p, dir_ / p.filename());
            if (bar == std::string::npos) break;
            start = bar + 1;
        }
        fs::copy_file(std::getenv("VORLIN_DEMO_RENDER"), dir_ / "vorlin-demo-render");
        fs::copy_file(std::getenv("VORLIN_FRAMES"), dir_ / "vorlin-frames");
    }

    // Runs the script with the arguments; returns its exit status and keeps its standard output.
    int run(const std::string& args, const std::string& env = "") {
        const std::string command =
            env + " '" + (dir_ / "vorlin-demo-render").string() + "' " + args + " 2>/dev/null";
        FILE* pipe = ::popen(command.c_str(), "r");
        if (!pipe) return -1;
        output_.clear();
        std::array<char, 256> buf{};
        while (std::fgets(buf.data(), buf.size(), pipe)) output_ += buf.data();
        const int status = ::pclose(pipe);
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

    vorlin::testing::TempDir tmp_;
    fs::path dir_ = tmp_.path();
    std::string output_;
};

TEST_F(DemoRender, WritesTheAnimationAndTheSheetAndNamesThem) {
    const fs::path out = dir_ / "out";
    ASSERT_EQ(run("--out '" + out.string() + "' --effects 5,53 --size 80x60"), 0);
    const fs::path gif = out / "demo.gif", sheet = out / "contact-sheet.png";
    EXPECT_NE(output_.find("animation: " + gif.string()), std::string::npos) << output_;
    EXPECT_NE(output_.find("contact sheet: " + sheet.string()), std::string::npos) << output_;
    ASSERT_TRUE(fs::is_regular_file(sheet));

    int error = 0;
    GifFileType* file = DGifOpenFileName(gif.c_str(), &error);
    ASSERT_NE(file, nullptr) << GifErrorString(error);
    ASSERT_EQ(DGifSlurp(file), GIF_OK);
    EXPECT_EQ(file->SWidth, 80);
    EXPECT_EQ(file->SHeight, 60);
    // Two transitions at the default speed draw 25 frames each (progress 4, 8, ..., 100); an optimiser
    // may merge a held frame with its twin, but never whole transitions.
    EXPECT_GE(file->ImageCount, 50);
    EXPECT_LE(file->ImageCount, 54);
    DGifCloseFile(file, &error);
}

TEST_F(DemoRender, RefusesBadArgumentsWithoutWriting) {
    const fs::path out = dir_ / "never";
    for (const std::string bad : {"--effects 5,,6", "--effects 200", "--size 80", "--colour red", "--out"}) {
        EXPECT_EQ(run("--out '" + out.string() + "' " + bad), 2) << bad;
        EXPECT_FALSE(fs::exists(out)) << bad;
    }
}

TEST_F(DemoRender, NamesAMissingFramesTool) {
    fs::remove(dir_ / "vorlin-frames");
    // A PATH of system folders only, so that no other vorlin-frames is found.
    EXPECT_EQ(run("--out '" + (dir_ / "o").string() + "'", "PATH=/usr/bin:/bin"), 1);
}

} // namespace
