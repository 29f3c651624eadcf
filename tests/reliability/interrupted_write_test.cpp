// A settings writer killed at random moments: the file is always one whole version, never a cut one, and
// the temporary files of killed writers do not pile up beside it.

#include "../lib/test_files.h"
#include "platform/ini_file.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;
using vorlin::platform::IniFile;

namespace {

using vorlin::testing::readFile;

// Writes generation `gen` of a large show-like file: 500 long keys whose values all carry the generation.
// Few, long entries keep the time spent in memory small next to the time the file is being written.
void writeGeneration(IniFile& ini, int gen) {
    const std::string folder = "/home/user/pictures/" + std::string(400, 'f') + "/";
    auto batch = ini.batch();
    for (int i = 0; i < 500; ++i)
        batch.writeString("Pictures", folder + "holiday-" + std::to_string(i) + ".jpg",
                          std::string(200, 'v') + "-gen" + std::to_string(gen));
    batch.writeInteger("Settings", "Generation", gen);
    batch.commit();
}

int countOthers(const fs::path& folder, const std::string& keep) {
    int n = 0;
    for (const auto& e : fs::directory_iterator(folder))
        if (e.path().filename() != keep) ++n;
    return n;
}

TEST(InterruptedWrite, KilledWriterLeavesOldOrNewFileAndNoPileOfTemporaries) {
    vorlin::testing::TempDir dir;
    const std::string path = (dir.path() / "Show.002").string();
    std::string versions[2];
    std::chrono::steady_clock::duration writeTime{};
    {
        IniFile ini(path);
        writeGeneration(ini, 0);
        versions[0] = readFile(path);
        const auto start = std::chrono::steady_clock::now();
        writeGeneration(ini, 1);
        writeTime = std::chrono::steady_clock::now() - start;
        versions[1] = readFile(path);
    }
    ASSERT_GT(versions[0].size(), 100000u);
    ASSERT_NE(versions[0], versions[1]);

    // Kills land at random moments within about two writes after the writer's first finished write, so
    // that they hit every phase of a write however fast this build is.
    std::mt19937 rng(20261208);
    const auto writeUs = std::chrono::duration_cast<std::chrono::microseconds>(writeTime).count();
    std::uniform_int_distribution<long> delayUs(0, std::max<long>(2 * writeUs, 1000));
    int killedMidway = 0;
    const int rounds = 200;
    for (int round = 0; round < rounds; ++round) {
        int ready[2];
        ASSERT_EQ(pipe(ready), 0);
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            // Rewrites the file forever, alternating the two versions; tells the parent after the first.
            close(ready[0]);
            try {
                IniFile ini(path);
                for (int gen = round & 1, n = 0;; gen ^= 1, ++n) {
                    writeGeneration(ini, gen);
                    if (n == 0) (void)!write(ready[1], "w", 1);
                }
            } catch (...) {
            }
            _exit(3);
        }
        close(ready[1]);
        char byte = 0;
        const bool started = read(ready[0], &byte, 1) == 1;
        close(ready[0]);
        ASSERT_TRUE(started) << "the writer ended before its first write in round " << round;
        usleep(useconds_t(delayUs(rng)));
        kill(child, SIGKILL);
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFSIGNALED(status)) << "writer ended by itself in round " << round;

        const std::string now = readFile(path);
        ASSERT_TRUE(now == versions[0] || now == versions[1])
            << "round " << round << ": the file holds " << now.size() << " bytes, neither version";
        const int others = countOthers(dir.path(), "Show.002");
        if (others > 0) ++killedMidway;
        ASSERT_LE(others, 1) << "round " << round << ": temporary files pile up beside the settings file";
    }
    std::printf("%d of %d kills left a temporary file behind (removed by the next writer)\n", killedMidway,
                rounds);
    // The kills must actually have landed inside writes for the test to mean anything.
    EXPECT_GT(killedMidway, 0);

    // A later write by a live writer still works and leaves nothing else behind.
    IniFile ini(path);
    writeGeneration(ini, 0);
    EXPECT_EQ(readFile(path), versions[0]);
    EXPECT_EQ(countOthers(dir.path(), "Show.002"), 0);
}

} // namespace
