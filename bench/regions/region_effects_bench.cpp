// Per-frame cost of the region and per-pixel effects at 1920×1080 and 3840×2160. Every benchmark reports
// "floor_ratio": its time per frame over the floor, the time of copying the old frame and then the new
// frame whole (two plain frame copies), measured in the same run before the effects.

#include "effects/regions/pixel_effects.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstring>
#include <map>
#include <random>

namespace {

using vorlin::gfx::Bitmap;
namespace re = vorlin::effects::regions;

Bitmap noise(int w, int h, unsigned seed) {
    Bitmap b(w, h);
    std::mt19937 gen(seed);
    for (std::size_t k = 0; k < b.byteCount(); ++k) b.bits()[k] = static_cast<std::uint8_t>(gen());
    return b;
}

struct Frames {
    Bitmap oldFrame, newFrame, screen;
};

Frames& frames(int w, int h) {
    static std::map<std::pair<int, int>, Frames> cache;
    auto it = cache.find({w, h});
    if (it == cache.end())
        it = cache.emplace(std::pair{w, h}, Frames{noise(w, h, 1), noise(w, h, 2), Bitmap(w, h)}).first;
    return it->second;
}

void copyWhole(Bitmap& dst, const Bitmap& src) {
    std::memcpy(dst.bits(), src.bits(), src.byteCount());
}

// The floor in seconds per frame, measured once per size and kept for the ratios.
double floorSeconds(int w, int h) {
    static std::map<std::pair<int, int>, double> cache;
    auto it = cache.find({w, h});
    if (it != cache.end()) return it->second;
    Frames& f = frames(w, h);
    const int reps = 200;
    const auto t0 = std::chrono::steady_clock::now();
    for (int k = 0; k < reps; ++k) {
        copyWhole(f.screen, f.oldFrame);
        copyWhole(f.screen, f.newFrame);
        benchmark::ClobberMemory();
    }
    const double s = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count() / reps;
    cache[{w, h}] = s;
    return s;
}

template <typename Draw> void runFrames(benchmark::State& state, Draw draw) {
    const int w = static_cast<int>(state.range(0)), h = static_cast<int>(state.range(1));
    Frames& f = frames(w, h);
    const double floor = floorSeconds(w, h);
    for (auto _ : state) {
        copyWhole(f.screen, f.oldFrame); // the engine redraws the old frame first in every frame
        draw(f, w, h);
        benchmark::ClobberMemory();
    }
    state.counters["floor_ratio"] =
        benchmark::Counter(static_cast<double>(state.iterations()) / floor,
                           benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

void BM_Floor(benchmark::State& state) {
    runFrames(state, [](Frames& f, int, int) { copyWhole(f.screen, f.newFrame); });
}

void BM_CrossFade(benchmark::State& state) {
    runFrames(state, [](Frames& f, int, int) { re::blendBitmaps(f.screen, f.newFrame, 37); });
}

void BM_Rotate(benchmark::State& state) {
    const int p = static_cast<int>(state.range(2));
    runFrames(state, [p](Frames& f, int w, int h) {
        re::rotateBitmap(f.screen, f.newFrame, w, h, re::rotationAngle(p));
    });
}

#define SIZES Args({1920, 1080})->Args({3840, 2160})
BENCHMARK(BM_Floor)->SIZES->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CrossFade)->SIZES->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Rotate)
    ->Args({1920, 1080, 25})
    ->Args({1920, 1080, 50})
    ->Args({1920, 1080, 75})
    ->Args({3840, 2160, 50})
    ->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
