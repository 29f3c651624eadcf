// The full-screen show as a process on a 1920×1080 X server (an Xvfb started here; the offscreen platform
// when there is none): how long from the process's start to its first picture on screen, not counting
// the runner's 100 ms first tick, and how much memory a running show takes at its peak. Both are put
// against a plain 1920×1080 frame copy measured in the same run.
#include "bench/frame_copy.h"
#include "tests/runner/bmp_writer.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
#include <xcb/xcb.h>

extern char** environ;

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

using namespace vorlin::bench;
constexpr double kFirstTickMs = 100;

// One show folder and one X server for the whole run.
struct Fixture {
    fs::path dir;
    std::string program;
    pid_t xvfb = -1;
    std::string display;

    Fixture() {
        dir = fs::temp_directory_path() / ("vorlin_show_bench_" + std::to_string(::getpid()));
        fs::create_directories(dir);
        program = (dir / "BenchShow.scr").string();
        fs::copy_file(VORLIN_PROGRAM, program, fs::copy_options::overwrite_existing);
        vorlin::testing::writeSolidBmp((dir / "a.bmp").string(), kFrameWidth, kFrameHeight, 200, 40, 90);
        vorlin::testing::writeSolidBmp((dir / "b.bmp").string(), kFrameWidth, kFrameHeight, 20, 140, 60);
        startXvfb();
    }
    ~Fixture() {
        if (xvfb > 0) {
            ::kill(xvfb, SIGTERM);
            ::waitpid(xvfb, nullptr, 0);
        }
        fs::remove_all(dir);
    }

    // cut: only effect 0 (every [Transitions] key 0), else every effect at the fastest speed.
    void writeSettings(bool cut, int interval) const {
        std::ofstream f(dir / "BenchShow.002");
        f << "[Pictures]\n" << (dir / "a.bmp").string() << "=1\n" << (dir / "b.bmp").string() << "=1\n";
        f << "[Transitions]\n";
        if (cut)
            for (int e = 1; e < 128; ++e) f << e * 3 << "=0\n";
        f << "[Set]\nImageInterval=" << interval << "\nEffectSpeed=1\nPlayMusic=0\nRandomImage=0\n";
    }

    void startXvfb() {
        if (std::system("command -v Xvfb > /dev/null 2>&1") != 0) return;
        int fds[2];
        if (::pipe(fds) != 0) return;
        const std::string fd = std::to_string(fds[1]);
        const std::string screen = std::to_string(kFrameWidth) + "x" + std::to_string(kFrameHeight) + "x24";
        std::vector<std::string> args{"Xvfb", "-displayfd", fd,         "-screen",   "0",
                                      screen, "-ac",        "-noreset", "-nolisten", "tcp"};
        std::vector<char*> argv;
        for (auto& a : args) argv.push_back(a.data());
        argv.push_back(nullptr);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addclose(&actions, fds[0]);
        posix_spawn_file_actions_addopen(&actions, 2, (dir / "xvfb.log").c_str(), O_WRONLY | O_CREAT, 0644);
        if (posix_spawnp(&xvfb, "Xvfb", &actions, nullptr, argv.data(), environ) != 0) xvfb = -1;
        posix_spawn_file_actions_destroy(&actions);
        ::close(fds[1]);
        // The server writes its number and a newline; the pipe stays open until both are read (a closed
        // pipe is a fatal error for the server).
        std::string number;
        pollfd p{fds[0], POLLIN, 0};
        char c = 0;
        while (xvfb > 0 && number.find('\n') == std::string::npos && ::poll(&p, 1, 10000) > 0 &&
               ::read(fds[0], &c, 1) == 1)
            number += c;
        if (!number.empty() && number.back() == '\n') display = ":" + number.substr(0, number.size() - 1);
        ::close(fds[0]);
        // The server announces its number a little before it takes connections.
        for (int i = 0; i < 100 && !display.empty(); ++i) {
            xcb_connection_t* c = xcb_connect(display.c_str(), nullptr);
            const bool ok = xcb_connection_has_error(c) == 0;
            xcb_disconnect(c);
            if (ok) return;
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        display.clear();
    }
};

Fixture& fixture() {
    static Fixture f;
    return f;
}

struct Show {
    pid_t pid = -1;
    int err = -1;
};

Show startShow() {
    const Fixture& f = fixture();
    int fds[2];
    if (::pipe(fds) != 0) return {};
    std::vector<std::string> env;
    for (char** e = environ; *e; ++e) {
        const std::string v = *e;
        if (v.rfind("DISPLAY=", 0) == 0 || v.rfind("QT_QPA_PLATFORM=", 0) == 0) continue;
        env.push_back(v);
    }
    if (!f.display.empty())
        env.push_back("DISPLAY=" + f.display);
    else
        env.push_back("QT_QPA_PLATFORM=offscreen");
    env.push_back("VORLIN_REPORT_FIRST_FRAME=1");
    env.push_back("SDL_AUDIODRIVER=dummy");
    env.push_back("VORLIN_REGISTRY=" + (f.dir / "registry.ini").string());
    std::vector<char*> envp;
    for (auto& v : env) envp.push_back(v.data());
    envp.push_back(nullptr);
    std::string program = f.program, mode = "/s";
    char* argv[] = {program.data(), mode.data(), nullptr};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, fds[1], 2);
    posix_spawn_file_actions_addclose(&actions, fds[0]);
    Show s;
    if (const int e = posix_spawn(&s.pid, program.c_str(), &actions, nullptr, argv, envp.data()); e != 0) {
        std::fprintf(stderr, "cannot start %s: %s\n", program.c_str(), std::strerror(e));
        s.pid = -1;
    }
    posix_spawn_file_actions_destroy(&actions);
    ::close(fds[1]);
    s.err = fds[0];
    return s;
}

// Reads the show's stderr until its first-frame line; false on timeout or end.
bool waitFirstFrame(const Show& s, int timeoutMs = 20000) {
    std::string seen;
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    while (Clock::now() < deadline) {
        pollfd p{s.err, POLLIN, 0};
        if (::poll(&p, 1, 100) <= 0) continue;
        char buf[512];
        const ssize_t n = ::read(s.err, buf, sizeof buf);
        if (n <= 0) {
            std::fprintf(stderr, "show said: %s\n", seen.c_str());
            return false;
        }
        seen.append(buf, static_cast<std::size_t>(n));
        if (seen.find("first-frame") != std::string::npos) return true;
    }
    std::fprintf(stderr, "show said: %s\n", seen.c_str());
    return false;
}

void endShow(Show& s) {
    if (s.pid > 0) {
        ::kill(s.pid, SIGTERM);
        ::waitpid(s.pid, nullptr, 0);
    }
    if (s.err >= 0) ::close(s.err);
    s = {};
}

BENCHMARK(BM_FrameCopy1080p)->Unit(benchmark::kMillisecond);

// Start to first picture, target under 400 ms.
void BM_StartToFirstPicture(benchmark::State& state) {
    auto& f = fixture();
    f.writeSettings(true, 60);
    const double copyMs = frameCopyMs();
    double total = 0;
    int n = 0;
    for (auto _ : state) {
        const auto t0 = Clock::now();
        Show s = startShow();
        if (s.pid <= 0 || !waitFirstFrame(s)) {
            endShow(s);
            state.SkipWithError("the show gave no first frame");
            return;
        }
        const double ms = std::chrono::duration<double, std::milli>(Clock::now() - t0).count() - kFirstTickMs;
        state.SetIterationTime(ms / 1000.0);
        total += ms;
        ++n;
        endShow(s);
    }
    if (n > 0) {
        state.counters["start_ms"] = total / n;
        state.counters["frame_copies"] = total / n / copyMs;
        state.counters["on_x"] = f.display.empty() ? 0 : 1;
    }
}
BENCHMARK(BM_StartToFirstPicture)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);

// Peak resident memory of a show that changes 1920×1080 pictures every second through random effects.
void BM_PeakMemoryRunningShow(benchmark::State& state) {
    auto& f = fixture();
    f.writeSettings(false, 1);
    const double frameMiB = double(kFrameWidth) * kFrameHeight * 3 / (1024.0 * 1024.0);
    for (auto _ : state) {
        Show s = startShow();
        if (s.pid <= 0 || !waitFirstFrame(s)) {
            endShow(s);
            state.SkipWithError("the show gave no first frame");
            return;
        }
        // Several transitions (each picture change is a transition plus a one-second wait).
        std::this_thread::sleep_for(std::chrono::seconds(5));
        std::ifstream status("/proc/" + std::to_string(s.pid) + "/status");
        double peakKiB = 0;
        for (std::string line; std::getline(status, line);)
            if (line.rfind("VmHWM:", 0) == 0) peakKiB = std::atof(line.c_str() + 6);
        endShow(s);
        state.counters["peak_MiB"] = peakKiB / 1024.0;
        state.counters["peak_frames"] = peakKiB / 1024.0 / frameMiB;
    }
}
BENCHMARK(BM_PeakMemoryRunningShow)->Iterations(1)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
