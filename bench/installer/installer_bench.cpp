// A build of a 200-picture show from the Build button's files to the finished ".run": the time of one
// build, its ratio to a plain 1920x1080 frame copy in the same run, and the installer's size against the
// sum of the files it packs (pictures are JPEG-like, barely compressible data of 30-90 KB).
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <vector>

#include "builder/installer/script_writer.h"

namespace fs = std::filesystem;
using namespace vorlin::installer;

namespace {

struct Show {
    fs::path root;
    BuildInput in;
    std::uintmax_t packed = 0;
    Show() {
        std::string pattern = (fs::temp_directory_path() / "vorlin-instbench-XXXXXX").string();
        root = mkdtemp(pattern.data());
        for (const char* d : {"prog", "Compile", "pics", "out", "sys"}) fs::create_directories(root / d);
        for (const char* p : {"vorlinbuild", "vorlin-install"})
            fs::create_symlink(fs::path(VORLIN_BINARY_DIR) / "vorlinbuild" / p, root / "Compile" / p);
        std::mt19937 gen(7);
        const auto write = [&](const fs::path& p, std::size_t n) {
            std::string data(n, '\0');
            for (auto& c : data) c = static_cast<char>(gen());
            std::ofstream(p, std::ios::binary) << data;
            packed += n;
        };
        write(root / "prog/VorlinSaver.scr", 2'000'000);
        write(root / "prog/VorlinSaver.001", 4000);
        std::ofstream(root / "prog/VorlinSaver.002") << "[Set]\nImageInterval=4\n";
        for (int i = 0; i < 200; ++i) {
            const fs::path p = root / "pics" / ("picture " + std::to_string(i) + ".jpg");
            write(p, 30'000 + (i * 3001) % 60'000);
            in.pictures.push_back({p.string(), true});
        }
        in.saverName = "Bench Show";
        in.installerPath = (root / "out/Bench.run").string();
        in.programFolder = (root / "prog").string() + "/";
        in.compileFolder = (root / "Compile").string() + "/";
        in.systemFolder = (root / "sys").string();
        in.workingSettingsFile = (root / "prog/VorlinSaver.002").string();
        in.website = "http://";
    }
    ~Show() { fs::remove_all(root); }
};

void BM_FrameCopy(benchmark::State& state) {
    std::vector<unsigned char> a(1920 * 1080 * 3, 1), b(a.size());
    for (auto _ : state) {
        std::memcpy(b.data(), a.data(), a.size());
        benchmark::DoNotOptimize(b.data());
    }
}
BENCHMARK(BM_FrameCopy);

void BM_Build200Pictures(benchmark::State& state) {
    Show show;
    for (auto _ : state) {
        const BuildOutput out = writeBuildFiles(show.in);
        const std::string cmd =
            "'" + show.in.compileFolder + "vorlinbuild' '\"" + out.scriptFile + "\"' >/dev/null 2>&1";
        if (std::system(cmd.c_str()) != 0) state.SkipWithError("vorlinbuild failed");
        cleanUpBuildFiles(out);
    }
    const double size = static_cast<double>(fs::file_size(show.in.installerPath));
    state.counters["installer_MB"] = size / 1e6;
    state.counters["files_MB"] = static_cast<double>(show.packed) / 1e6;
    state.counters["size_ratio"] = size / static_cast<double>(show.packed);
}
BENCHMARK(BM_Build200Pictures)->Unit(benchmark::kMillisecond)->Iterations(2);

} // namespace

BENCHMARK_MAIN();
