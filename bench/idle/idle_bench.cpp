// The idle watcher ("--watch-idle") as a process on an X server (the one in DISPLAY, else the benchmark
// runs itself again under xvfb-run):
//  - waiting: its CPU time and its wake-ups (context switches of all its threads) over 60 s of waiting
//    (VORLIN_IDLE_BENCH_SECONDS to change; targets under 0.1 % of a core, at most one wake-up a second);
//  - idle to first picture: from the watcher's idle event to the show's first frame (target < 400 ms).
// Times are also given as plain 1920×1080 frame copies measured in the same run.
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

#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

using namespace vorlin::bench;

// A watcher of its own show folder, its stderr read line by line.
struct Watcher {
    fs::path dir;
    pid_t pid = -1;
    int err = -1;
    std::string pending;

    explicit Watcher(int idleSeconds) {
        dir = fs::temp_directory_path() / ("vorlin_idle_bench_" + std::to_string(::getpid()));
        fs::create_directories(dir / "run");
        const std::string program = (dir / "BenchShow.scr").string();
        fs::copy_file(VORLIN_PROGRAM, program, fs::copy_options::overwrite_existing);
        vorlin::testing::writeSolidBmp((dir / "a.bmp").string(), kFrameWidth, kFrameHeight, 200, 40, 90);
        std::ofstream(dir / "BenchShow.002") << "[Pictures]\n"
                                             << (dir / "a.bmp").string() << "=1\n[Set]\nImageInterval=60\n"
                                             << "EffectSpeed=5\nPlayMusic=0\n[Transitions]\n";
        std::vector<std::string> env;
        for (char** e = environ; *e; ++e) {
            const std::string v = *e;
            if (v.rfind("WAYLAND_DISPLAY=", 0) == 0 || v.rfind("QT_QPA_PLATFORM=", 0) == 0 ||
                v.rfind("XDG_RUNTIME_DIR=", 0) == 0 || v.rfind("DBUS_SESSION_BUS_ADDRESS=", 0) == 0)
                continue;
            env.push_back(v);
        }
        for (const std::string& v : std::vector<std::string>{
                 "VORLIN_TRACE_IDLE=1", "VORLIN_REPORT_FIRST_FRAME=1", "SDL_AUDIODRIVER=dummy",
                 "VORLIN_REGISTRY=" + (dir / "registry.ini").string(),
                 "XDG_RUNTIME_DIR=" + (dir / "run").string(),
                 "DBUS_SESSION_BUS_ADDRESS=unix:path=" + (dir / "no-bus").string()})
            env.push_back(v);
        std::vector<char*> envp;
        for (auto& v : env) envp.push_back(v.data());
        envp.push_back(nullptr);
        std::string p = program, watch = "--watch-idle", after = "--idle-after",
                    secs = std::to_string(idleSeconds);
        char* argv[] = {p.data(), watch.data(), after.data(), secs.data(), nullptr};
        int fds[2];
        if (::pipe(fds) != 0) return;
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, fds[1], 2);
        posix_spawn_file_actions_addclose(&actions, fds[0]);
        if (posix_spawn(&pid, program.c_str(), &actions, nullptr, argv, envp.data()) != 0) pid = -1;
        posix_spawn_file_actions_destroy(&actions);
        ::close(fds[1]);
        err = fds[0];
    }
    ~Watcher() {
        if (pid > 0) {
            ::kill(pid, SIGTERM);
            ::waitpid(pid, nullptr, 0);
        }
        if (err >= 0) ::close(err);
        fs::remove_all(dir);
    }

    // The next line holding `text`, and when it was read; false on timeout or end.
    bool waitFor(const std::string& text, Clock::time_point& at, int timeoutMs = 20000) {
        const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
        for (;;) {
            for (auto nl = pending.find('\n'); nl != std::string::npos; nl = pending.find('\n')) {
                const std::string line = pending.substr(0, nl);
                pending.erase(0, nl + 1);
                if (line.find(text) != std::string::npos) {
                    at = Clock::now();
                    return true;
                }
            }
            if (Clock::now() >= deadline) return false;
            pollfd p{err, POLLIN, 0};
            if (::poll(&p, 1, 50) <= 0) continue;
            char buf[512];
            const ssize_t n = ::read(err, buf, sizeof buf);
            if (n <= 0) return false;
            pending.append(buf, static_cast<std::size_t>(n));
        }
    }

    // CPU time (ms) and context switches of all the process's threads so far.
    void usage(double& cpuMs, long& switches) const {
        cpuMs = 0;
        switches = 0;
        const fs::path tasks = "/proc/" + std::to_string(pid) + "/task";
        for (const auto& t : fs::directory_iterator(tasks)) {
            std::ifstream stat(t.path() / "stat");
            std::string s((std::istreambuf_iterator<char>(stat)), {});
            const auto close = s.rfind(')');
            std::vector<std::string> fields;
            std::string f;
            for (std::size_t i = close + 2; i <= s.size(); ++i) {
                if (i == s.size() || s[i] == ' ') {
                    fields.push_back(f);
                    f.clear();
                } else
                    f += s[i];
            }
            // utime and stime are the 14th and 15th fields of the line (12th and 13th after the name).
            if (fields.size() > 12)
                cpuMs += (std::atof(fields[11].c_str()) + std::atof(fields[12].c_str())) * 1000.0 /
                         double(::sysconf(_SC_CLK_TCK));
            std::ifstream status(t.path() / "status");
            for (std::string line; std::getline(status, line);)
                if (line.rfind("voluntary_ctxt_switches:", 0) == 0 ||
                    line.rfind("nonvoluntary_ctxt_switches:", 0) == 0)
                    switches += std::atol(line.c_str() + line.find(':') + 1);
        }
    }
};

BENCHMARK(BM_FrameCopy1080p)->Unit(benchmark::kMillisecond);

void BM_WatcherWaiting(benchmark::State& state) {
    const char* s = std::getenv("VORLIN_IDLE_BENCH_SECONDS");
    const int seconds = s && std::atoi(s) > 0 ? std::atoi(s) : 60;
    const double copyMs = frameCopyMs();
    for (auto _ : state) {
        Watcher w(3600);
        Clock::time_point at;
        if (w.pid <= 0 || !w.waitFor("watching idleness through", at)) {
            state.SkipWithError("the watcher did not start");
            return;
        }
        std::this_thread::sleep_for(std::chrono::seconds(1)); // past its start-up
        double cpu0, cpu1;
        long sw0, sw1;
        w.usage(cpu0, sw0);
        std::this_thread::sleep_for(std::chrono::seconds(seconds));
        w.usage(cpu1, sw1);
        state.SetIterationTime(seconds);
        state.counters["cpu_percent"] = (cpu1 - cpu0) / (seconds * 1000.0) * 100.0;
        state.counters["cpu_ms"] = cpu1 - cpu0;
        state.counters["cpu_frame_copies"] = (cpu1 - cpu0) / copyMs;
        state.counters["wakeups_per_s"] = double(sw1 - sw0) / seconds;
        state.counters["seconds"] = seconds;
    }
}
BENCHMARK(BM_WatcherWaiting)->UseManualTime()->Iterations(1)->Unit(benchmark::kSecond);

void BM_IdleToFirstPicture(benchmark::State& state) {
    const double copyMs = frameCopyMs();
    Watcher w(1);
    double total = 0;
    int n = 0;
    for (auto _ : state) {
        Clock::time_point idle, frame, end;
        if (w.pid <= 0 || !w.waitFor("idle-watch: idle", idle) || !w.waitFor("first-frame", frame)) {
            state.SkipWithError("no show after the idle event");
            return;
        }
        const double ms = std::chrono::duration<double, std::milli>(frame - idle).count();
        state.SetIterationTime(ms / 1000.0);
        total += ms;
        ++n;
        // A key ends the show; the next idle second starts the next one.
        if (std::system("xdotool key a") != 0 || !w.waitFor("show-end", end)) {
            state.SkipWithError("the show did not end on a key");
            return;
        }
    }
    if (n > 0) {
        state.counters["idle_to_picture_ms"] = total / n;
        state.counters["frame_copies"] = total / n / copyMs;
    }
}
BENCHMARK(BM_IdleToFirstPicture)->UseManualTime()->Iterations(3)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    // An X server is needed: without one, run again under xvfb-run with a 1920×1080 screen.
    const char* display = std::getenv("DISPLAY");
    if ((!display || !*display) && !std::getenv("VORLIN_IDLE_BENCH_XVFB")) {
        setenv("VORLIN_IDLE_BENCH_XVFB", "1", 1);
        std::vector<std::string> args{"xvfb-run", "-a", "-s", "-screen 0 1920x1080x24 -nolisten tcp"};
        args.insert(args.end(), argv, argv + argc);
        std::vector<char*> v;
        for (auto& a : args) v.push_back(a.data());
        v.push_back(nullptr);
        ::execvp("xvfb-run", v.data());
        std::perror("xvfb-run");
        return 1;
    }
    unsetenv("QT_QPA_PLATFORM");
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
