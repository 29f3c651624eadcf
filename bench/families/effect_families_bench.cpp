// Per-frame cost of the region and per-pixel effects at 1920×1080 and 3840×2160. Every benchmark reports
// "floor_ratio": its time per frame over the floor, the time of copying the old frame and then the new
// frame whole (two plain frame copies), measured in the same run before the effects.

#include "base/arith.h"
#include "base/random.h"
#include "bench/frames.h"
#include "effects/effect_table.h"
#include "effects/families/pixel_effects.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstring>
#include <ctime>
#include <map>
#include <vector>

namespace {

using vorlin::gfx::Bitmap;
namespace re = vorlin::effects::families;
using vorlin::effects::buildRegion;

Bitmap noise(int w, int h, unsigned seed) {
    Bitmap b(w, h);
    std::uint32_t x = seed * 2654435761u + 1;
    for (std::size_t k = 0; k < b.byteCount(); ++k) {
        x = x * 1664525u + 1013904223u;
        b.bits()[k] = static_cast<std::uint8_t>(x >> 24);
    }
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

// The per-frame values of a w × h frame at progress p with the default step (4).
vorlin::effects::FrameValues values(int w, int h, int p) {
    vorlin::effects::FrameValues v;
    v.W = w;
    v.H = h;
    v.progress = p;
    v.X = vorlin::mulDiv(w, p, 100); // landscape: the width is scaled first
    v.Y = vorlin::mulDiv(v.X, h, w);
    v.Band = vorlin::mulDiv(w, 4, 90);
    return v;
}

void copyWhole(Bitmap& dst, const Bitmap& src) {
    std::memcpy(dst.bits(), src.bits(), src.byteCount());
}

using vorlin::bench::threadCpuSeconds;

// The floor in seconds per frame: the median of single-frame timings of the two whole-frame copies,
// taken right before each benchmark so that it sees the same machine load.
double floorSeconds(Frames& f) {
    std::vector<double> times;
    for (int k = 0; k < 9; ++k) {
        const double t0 = threadCpuSeconds();
        copyWhole(f.screen, f.oldFrame);
        copyWhole(f.screen, f.newFrame);
        benchmark::ClobberMemory();
        times.push_back(threadCpuSeconds() - t0);
    }
    std::nth_element(times.begin(), times.begin() + 4, times.end());
    return times[4];
}

template <typename Draw> void runFrames(benchmark::State& state, Draw draw) {
    const int w = static_cast<int>(state.range(0)), h = static_cast<int>(state.range(1));
    Frames& f = frames(w, h);
    const double floor = floorSeconds(f);
    const double t0 = threadCpuSeconds();
    for (auto _ : state) {
        copyWhole(f.screen, f.oldFrame); // the engine redraws the old frame first in every frame
        draw(f, w, h);
        benchmark::ClobberMemory();
    }
    const double perFrame = (threadCpuSeconds() - t0) /
                            static_cast<double>(std::max<benchmark::IterationCount>(state.iterations(), 1));
    state.counters["floor_ms"] = floor * 1e3;
    state.counters["floor_ratio"] = perFrame / floor;
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

// Building the effect's region for the frame and drawing the new frame through it; progress in range 2.
void BM_RegionEffect(benchmark::State& state) {
    const int effect = static_cast<int>(state.range(2));
    const int p = static_cast<int>(state.range(3));
    vorlin::setRandomSeed(1);
    runFrames(state, [effect, p](Frames& f, int w, int h) {
        const vorlin::effects::FrameValues v = values(w, h, p);
        const auto r = buildRegion(effect, v);
        vorlin::gfx::copyThroughRegion(f.screen, f.newFrame, *r);
    });
}

// The same frames drawn band by band, rows outer and the band's rectangles inner, instead of rectangle
// by rectangle: shows how much of a striped region's cost is the order of the span copies (column lines
// give bands of hundreds of narrow rectangles).
void copyBandMajor(Bitmap& dst, const Bitmap& src, const vorlin::gfx::Region& region) {
    const auto boxes = region.boxes();
    const int w = std::min(dst.width(), src.width()), h = std::min(dst.height(), src.height());
    for (std::size_t k = 0; k < boxes.size();) {
        std::size_t end = k;
        while (end < boxes.size() && boxes[end].y1 == boxes[k].y1) ++end;
        for (int y = std::max(boxes[k].y1, 0); y < std::min(boxes[k].y2, h); ++y) {
            std::uint8_t* d = dst.scanLine(y);
            const std::uint8_t* s = src.scanLine(y);
            for (std::size_t b = k; b < end; ++b) {
                const int x0 = std::max(boxes[b].x1, 0), x1 = std::min(boxes[b].x2, w);
                if (x0 < x1) std::memcpy(d + 3 * x0, s + 3 * x0, 3 * static_cast<std::size_t>(x1 - x0));
            }
        }
        k = end;
    }
}

void BM_RegionEffectBandMajor(benchmark::State& state) {
    const int effect = static_cast<int>(state.range(2));
    const int p = static_cast<int>(state.range(3));
    vorlin::setRandomSeed(1);
    runFrames(state, [effect, p](Frames& f, int w, int h) {
        const auto r = buildRegion(effect, values(w, h, p));
        copyBandMajor(f.screen, f.newFrame, *r);
    });
}

// The region alone, without drawing through it (the old-frame copy is still in every frame, so the
// ratio compares with the same floor).
void BM_RegionBuild(benchmark::State& state) {
    const int effect = static_cast<int>(state.range(2));
    const int p = static_cast<int>(state.range(3));
    vorlin::setRandomSeed(1);
    runFrames(state, [effect, p](Frames&, int w, int h) {
        const auto r = buildRegion(effect, values(w, h, p));
        benchmark::DoNotOptimize(r->rectCount());
    });
}

// Every effect whose row draws through a region, at both sizes.
void regionEffectArgs(benchmark::internal::Benchmark* b) {
    for (const auto& [w, h] : {std::pair{1920, 1080}, std::pair{3840, 2160}})
        for (int effect = 0; effect < vorlin::effects::kEffectCount; ++effect)
            if (buildRegion(effect, values(16, 9, 50))) b->Args({w, h, effect, 50});
}

#define SIZES Args({1920, 1080})->Args({3840, 2160})
BENCHMARK(BM_RegionEffect)->Apply(regionEffectArgs)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RegionBuild)->Apply(regionEffectArgs)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RegionEffectBandMajor)
    ->Args({1920, 1080, 71, 50})
    ->Args({1920, 1080, 75, 50})
    ->Args({1920, 1080, 117, 50})
    ->Args({3840, 2160, 71, 50})
    ->Unit(benchmark::kMillisecond);
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
