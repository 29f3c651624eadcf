// DrawFrame's cost per effect, as a ratio to the floor: one whole-frame copy of the old frame plus one
// of the new frame, measured in the same run. Each effect is timed over the progress values of a run
// at Step 4 (4, 8, ..., 100), so the ratio is the average cost of one of its frames.
//
// Counters: "ratio" (time per frame / floor), "frame_us" (time per frame). bench/effects-table.sh prints
// effect, size and ratio.

#include "bench/frames.h"
#include "effects/catalogue.h"
#include "effects/draw_frame.h"
#include "gfx/blit.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <memory>
#include <string>
#include <vector>

namespace {

using namespace vorlin;
using Clock = std::chrono::steady_clock;

using bench::pattern;

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

void benchFloor(benchmark::State& state, Pictures* p) {
    for (auto _ : state) floorCopy(*p);
}

// Each iteration draws one frame, the progress going round the values of a run at Step 4 (4, 8, ...,
// 100), and then one floor frame, each timed. For every progress value the fastest frame and the fastest
// floor frame beside it are kept (on a shared machine the fastest is the one least disturbed by other
// work); the ratio is the sum of the first over the sum of the second, so both sides have as many
// samples and drift stays out.
void benchEffect(benchmark::State& state, Pictures* pictures, int effect) {
    constexpr int kValues = 25;
    Pictures& p = *pictures;
    effects::FrameContext ctx(p.screen, p.oldFrame, p.newFrame);
    ctx.Style = effect;
    ctx.Step = 4;
    std::vector<double> best(kValues, 1e30), bestFloor(kValues, 1e30);
    int frame = 0;
    for (auto _ : state) {
        const int slot = frame++ % kValues;
        ctx.FProgress = 4 * (slot + 1);
        const auto t0 = Clock::now();
        effects::DrawFrame(ctx);
        benchmark::DoNotOptimize(p.screen.bits());
        benchmark::ClobberMemory();
        const auto t1 = Clock::now();
        floorCopy(p);
        const auto t2 = Clock::now();
        best[slot] = std::min(best[slot], std::chrono::duration<double>(t1 - t0).count());
        bestFloor[slot] = std::min(bestFloor[slot], std::chrono::duration<double>(t2 - t1).count());
    }
    double sum = 0, floorSum = 0;
    int seen = 0;
    for (int i = 0; i < kValues; ++i) {
        if (best[i] >= 1e30) continue;
        sum += best[i];
        floorSum += bestFloor[i];
        ++seen;
    }
    if (seen == 0) return;
    state.counters["ratio"] = sum / floorSum;
    state.counters["frame_us"] = sum / seen * 1e6;
}

} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    // The pictures of each size are made once and shared: the benchmarks run one after another.
    std::vector<std::unique_ptr<Pictures>> pictures;
    for (auto [w, h] : {std::pair{1920, 1080}, std::pair{3840, 2160}}) {
        Pictures* p = pictures.emplace_back(std::make_unique<Pictures>(w, h)).get();
        const std::string size = std::to_string(w) + "x" + std::to_string(h);
        benchmark::RegisterBenchmark(("Floor/" + size).c_str(), benchFloor, p)->Unit(benchmark::kMicrosecond);
        for (int n = 0; n < vorlin::effects::kEffectCount; ++n)
            benchmark::RegisterBenchmark(("DrawFrame/" + size + "/e" + std::to_string(n)).c_str(),
                                         benchEffect, p, n)
                ->Unit(benchmark::kMicrosecond);
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
