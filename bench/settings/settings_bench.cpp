// Reading the show settings of a large show: N pictures and N music files that all exist, listed by full
// path, plus [Transitions] and [Set]. Reading must be linear in the show's size; the run ends with the
// ratio of the 2000+2000 time to the 1000+1000 time (linear gives about 2, the target is <= 2.3).

#include "platform/registry.h"
#include "show/settings/show_settings.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <string>

namespace fs = std::filesystem;
using vorlin::platform::Registry;
using vorlin::show::ShowSettingsFile;

namespace {

struct Show {
    fs::path folder;
    explicit Show(int n) {
        std::string pattern = (fs::temp_directory_path() / "vorlin-bench-XXXXXX").string();
        folder = mkdtemp(pattern.data());
        std::ofstream ini(folder / "Bench.002");
        ini << "[Pictures]\n";
        for (int i = 0; i < n; ++i) {
            const auto file = folder / ("picture " + std::to_string(i) + ".jpg");
            std::ofstream(file) << 'x';
            ini << file.string() << "=" << (i % 10 ? 1 : 0) << "\n";
        }
        ini << "[Music]\n";
        for (int i = 0; i < n; ++i) {
            const auto file = folder / ("track " + std::to_string(i) + ".mp3");
            std::ofstream(file) << 'x';
            ini << file.string() << "=1\n";
        }
        ini << "[Transitions]\n";
        for (int e = 1; e < 128; e += 7) ini << e * 3 << "=0\n";
        ini << "[Set]\nImageInterval=5\nEffectSpeed=2\nAuthor=Bench\n";
    }
    ~Show() {
        std::error_code ec;
        fs::remove_all(folder, ec);
    }
};

// Made once per size: Google Benchmark calls a benchmark several times while it sizes its runs.
Show& showOf(int n) {
    static std::map<int, std::unique_ptr<Show>> shows;
    auto& show = shows[n];
    if (!show) show = std::make_unique<Show>(n);
    return *show;
}

void BM_ReadShowSettings(benchmark::State& state) {
    const int n = int(state.range(0));
    Show& show = showOf(n);
    Registry registry((show.folder / "registry.ini").string());
    const std::string program = (show.folder / "Bench.scr").string();
    for (auto _ : state) {
        ShowSettingsFile file; // a fresh object each time: the file is parsed on every read
        file.read(program, registry);
        benchmark::DoNotOptimize(file.settings.Pictures.data());
        if (file.settings.Music.size() != std::size_t(n)) state.SkipWithError("wrong music count");
    }
    state.counters["entries"] = 2.0 * n;
}
BENCHMARK(BM_ReadShowSettings)->Arg(1000)->Arg(2000)->Unit(benchmark::kMillisecond);

// Keeps each run's time per iteration so that the ratio can be printed after the table.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    std::map<std::string, std::pair<double, double>> times; // real, CPU (ms per read)
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const auto& r : runs)
            if (r.run_type == Run::RT_Iteration && !r.error_occurred)
                times[r.benchmark_name()] = {r.GetAdjustedRealTime(), r.GetAdjustedCPUTime()};
        ConsoleReporter::ReportRuns(runs);
    }
};

} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    const auto a = reporter.times.find("BM_ReadShowSettings/1000");
    const auto b = reporter.times.find("BM_ReadShowSettings/2000");
    if (a != reporter.times.end() && b != reporter.times.end() && a->second.first > 0 &&
        a->second.second > 0) {
        const auto [realA, cpuA] = a->second;
        const auto [realB, cpuB] = b->second;
        std::printf("read 1000+1000: %.3f ms (CPU %.3f ms), 2000+2000: %.3f ms (CPU %.3f ms)\n"
                    "ratio %.2f (CPU %.2f); linear is 2, the target <= 2.3\n",
                    realA, cpuA, realB, cpuB, realB / realA, cpuB / cpuA);
    }
    benchmark::Shutdown();
    return 0;
}
