// DrawFrame's cost per effect, as a ratio to the floor: one whole-frame copy of the old frame plus one
// of the new frame, measured in the same run. Each effect is timed over the progress values of a run
// at Step 4 (4, 8, ..., 100), so the ratio is the average cost of one of its frames.
//
// Counters: "ratio" (time per frame / floor), "frame_us" (time per frame). bench/effects-table.sh prints
// effect, size and ratio.

#include "effects/catalogue.h"
#include "effects/draw_frame.h"
#include "gfx/blit.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <string>
#include <vector>

namespace {

using namespace vorlin;
using Clock = std::chrono::steady_clock;

gfx::Bitmap pattern(int w, int h, int seed) {
    gfx::Bitmap b(w, h);
    for (int y = 0; y < h; ++y) {
        std::uint8_t* row = b.scanLine(y);
        for (int x = 0; x < 3 * w; ++x) row[x] = static_cast<std::uint8_t>(x * 7 + y * 13 + seed);
    }
    return b;
}

struct Pictures {
    gfx::Bitmap oldFrame, newFrame, screen;
    Pictures(int w, int h) : oldFrame(pattern(w, h, 1)), newFrame(pattern(w, h, 2)), screen(w, h) {}
};

void floorCopy(Pictures& p) {
    gfx::copyRect(p.screen, 0, 0, p.oldFrame, p.oldFrame.rect());
    gfx::copyRect(p.screen, 0, 0, p.newFrame, p.newFrame.rect());
    benchmark::DoNotOptimize(p.screen.bits());
    benchmark::ClobberMemory();
}

void benchFloor(benchmark::State& state, int w, int h) {
    Pictures p(w, h);
    for (auto _ : state) floorCopy(p);
}

// One iteration draws a whole run (progress 4, 8, ..., 100) and then as many floor frames, each timed.
// The ratio compares the fastest run with the fastest floor batch: on a shared machine the fastest
// batch is the one least disturbed by other work, and timing both side by side keeps drift out.
void benchEffect(benchmark::State& state, int w, int h, int effect) {
    constexpr int kFrames = 25;
    Pictures p(w, h);
    int progress = 0;
    effects::FrameContext ctx(p.screen, p.oldFrame, p.newFrame, progress);
    ctx.Style = effect;
    ctx.Step = 4;
    double bestRun = 1e30, bestFloor = 1e30;
    for (auto _ : state) {
        auto t0 = Clock::now();
        for (int i = 1; i <= kFrames; ++i) {
            progress = 4 * i;
            effects::DrawFrame(ctx);
            benchmark::DoNotOptimize(p.screen.bits());
            benchmark::ClobberMemory();
        }
        auto t1 = Clock::now();
        for (int i = 0; i < kFrames; ++i) floorCopy(p);
        auto t2 = Clock::now();
        bestRun = std::min(bestRun, std::chrono::duration<double>(t1 - t0).count());
        bestFloor = std::min(bestFloor, std::chrono::duration<double>(t2 - t1).count());
    }
    state.counters["ratio"] = bestRun / bestFloor;
    state.counters["frame_us"] = bestRun / kFrames * 1e6;
}

} // namespace

int main(int argc, char** argv) {
    struct Size {
        int w, h;
    };
    const Size sizes[] = {{1920, 1080}, {3840, 2160}};
    benchmark::Initialize(&argc, argv);
    for (const Size& s : sizes) {
        const std::string size = std::to_string(s.w) + "x" + std::to_string(s.h);
        benchmark::RegisterBenchmark(("Floor/" + size).c_str(), benchFloor, s.w, s.h)
            ->Unit(benchmark::kMicrosecond);
        for (int n = 0; n < vorlin::effects::kEffectCount; ++n)
            benchmark::RegisterBenchmark(("DrawFrame/" + size + "/e" + std::to_string(n)).c_str(),
                                         benchEffect, s.w, s.h, n)
                ->Unit(benchmark::kMicrosecond);
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
