// Cost of the blits and regions at 1920×1080. Every drawing benchmark reports "frame_copy_ratio": its
// time per call over the time of one memcpy of a whole frame (the floor), measured in the same run before
// the benchmarks. Region builders report their time per region in the usual time columns.

#include "bench/frames.h"
#include "gfx/blit.h"
#include "gfx/region.h"

#include <benchmark/benchmark.h>

#include <cstring>
#include <random>
#include <vector>

namespace {

using namespace vorlin;
using namespace vorlin::gfx;

constexpr int kW = 1920, kH = 1080;

using bench::noise;

Bitmap& source() {
    static Bitmap b = noise(kW, kH, 1);
    return b;
}
Bitmap& target() {
    static Bitmap b = noise(kW, kH, 2);
    return b;
}

// Seconds per whole-frame memcpy, measured once before the benchmarks (the median of several rounds).
double frameCopySeconds() {
    static const double seconds = [] {
        // Touch both frames first so that page faults do not count.
        for (int k = 0; k < 5; ++k) std::memcpy(target().bits(), source().bits(), source().byteCount());
        return bench::frameCopySeconds(source(), target(), 40);
    }();
    return seconds;
}

// Runs body once per iteration and reports its time as a ratio to one frame copy.
template <class Body> void measure(benchmark::State& state, Body&& body) {
    bench::measureAgainstCopy(state, frameCopySeconds(), body);
}

// About 430 one-pixel-high bands across the frame, spaced evenly (what a line effect's region looks like
// in its thinnest frame).
std::vector<Rect> bands(int count) {
    std::vector<Rect> rs;
    for (int i = 0; i < count; ++i) {
        const int y = static_cast<int>(static_cast<long long>(i) * kH / count);
        rs.push_back({0, y, kW, y + 1});
    }
    return rs;
}

// About 3000 small blocks: squares of side 2B centred on the points of a B-pitch grid, each present with
// probability 97 %, so that neighbours overlap (a random-block frame near its end).
std::vector<Rect> smallBlocks() {
    std::mt19937 gen(7);
    std::vector<Rect> rs;
    const int b = 26;
    for (int x = 0; x < kW; x += b)
        for (int y = 0; y < kH; y += b)
            if (gen() % 100 < 97) rs.push_back({x - b, y - b, x + b, y + b});
    return rs;
}

// About 3000 small blocks that do not overlap: 8×8 squares on a 20-pixel grid, half of them.
std::vector<Rect> separateBlocks() {
    std::mt19937 gen(9);
    std::vector<Rect> rs;
    for (int y = 0; y < kH; y += 20)
        for (int x = 0; x < kW; x += 20)
            if (gen() % 2 == 0) rs.push_back({x, y, x + 8, y + 8});
    return rs;
}

void BM_FrameCopy(benchmark::State& state) {
    measure(state, [] { std::memcpy(target().bits(), source().bits(), source().byteCount()); });
}
BENCHMARK(BM_FrameCopy);

void BM_CopyThroughBands(benchmark::State& state) {
    const Region region = Region::fromRects(bands(430));
    measure(state, [&] { copyThroughRegion(target(), source(), region); });
    state.counters["rects"] = region.rectCount();
}
BENCHMARK(BM_CopyThroughBands);

void BM_CopyThroughBlocks(benchmark::State& state) {
    const Region region = Region::fromRects(smallBlocks());
    measure(state, [&] { copyThroughRegion(target(), source(), region); });
    state.counters["rects"] = region.rectCount();
}
BENCHMARK(BM_CopyThroughBlocks);

void BM_CopyThroughWholeFrame(benchmark::State& state) {
    const Region region(Rect{0, 0, kW, kH});
    measure(state, [&] { copyThroughRegion(target(), source(), region); });
}
BENCHMARK(BM_CopyThroughWholeFrame);

void BM_BuildBandRegion(benchmark::State& state) {
    const std::vector<Rect> rs = bands(430);
    for (auto _ : state) benchmark::DoNotOptimize(Region::fromRects(rs));
}
BENCHMARK(BM_BuildBandRegion)->Unit(benchmark::kMicrosecond);

void BM_BuildBlockRegion(benchmark::State& state) {
    const std::vector<Rect> rs = state.range(0) == 0 ? smallBlocks() : separateBlocks();
    for (auto _ : state) benchmark::DoNotOptimize(Region::fromRects(rs));
    state.counters["input_rects"] = static_cast<double>(rs.size());
}
BENCHMARK(BM_BuildBlockRegion)
    ->ArgName("overlapping0_separate1")
    ->DenseRange(0, 1)
    ->Unit(benchmark::kMicrosecond);

void BM_BuildRoundRect(benchmark::State& state) {
    // The centre box of a growing rounded box, half-way.
    const Rect clip{0, 0, kW, kH};
    for (auto _ : state)
        benchmark::DoNotOptimize(Region::roundRect({kW / 2 - 480, kH / 2 - 270, kW / 2 + 480, kH / 2 + 270},
                                                   9 * 480 / 5, 9 * 270 / 5, clip));
}
BENCHMARK(BM_BuildRoundRect)->Unit(benchmark::kMicrosecond);

void BM_BuildTriangle(benchmark::State& state) {
    const Rect clip{0, 0, kW, kH};
    for (auto _ : state)
        benchmark::DoNotOptimize(Region::triangle({0, 0}, {2 * 1200, 0}, {0, 2 * 675}, clip));
}
BENCHMARK(BM_BuildTriangle)->Unit(benchmark::kMicrosecond);

void BM_CopyRectWholeFrame(benchmark::State& state) {
    measure(state, [] { copyRect(target(), 0, 0, source(), source().rect()); });
}
BENCHMARK(BM_CopyRectWholeFrame);

// Stretch-copies onto the whole frame: identity, mirrored, enlarged from half size, squeezed from double.
void BM_StretchCopy(benchmark::State& state) {
    const int mode = static_cast<int>(state.range(0));
    static const Bitmap big = noise(2 * kW, 2 * kH, 3);
    measure(state, [&] {
        switch (mode) {
        case 0:
            stretchCopy(target(), 0, 0, kW, kH, source(), 0, 0, kW, kH);
            break;
        case 1:
            stretchCopy(target(), kW - 1, 0, -kW, kH, source(), 0, 0, kW, kH);
            break;
        case 2:
            stretchCopy(target(), 0, 0, kW, kH, source(), kW / 4, kH / 4, kW / 2, kH / 2);
            break;
        default:
            stretchCopy(target(), 0, 0, kW, kH, big, 0, 0, 2 * kW, 2 * kH);
            break;
        }
    });
}
BENCHMARK(BM_StretchCopy)->ArgName("identity0_mirror1_enlarge2_squeeze3")->DenseRange(0, 3);

} // namespace

BENCHMARK_MAIN();
