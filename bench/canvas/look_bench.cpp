// Cost of a photo look per picture: the blurred backdrop and the whole composed screen, at 1920×1080 and
// 3840×2160, each as "frame_copy_ratio" (its time over one memcpy of a whole frame of that size, measured
// in the same run) and "ms" per picture. Made once per picture, so a few milliseconds is the target.

#include "gfx/backdrop.h"
#include "show/canvas/picture_look.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstring>
#include <ctime>
#include <random>
#include <vector>

namespace {

using namespace vorlin;

gfx::Bitmap noise(int w, int h, unsigned seed) {
    gfx::Bitmap b(w, h);
    std::mt19937 gen(seed);
    for (std::size_t k = 0; k < b.byteCount(); ++k) b.bits()[k] = static_cast<std::uint8_t>(gen());
    return b;
}

// This thread's processor time, so that other work on a shared machine does not count.
double cpuSeconds() {
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return static_cast<double>(ts.tv_sec) + 1e-9 * static_cast<double>(ts.tv_nsec);
}

// Seconds per whole-frame memcpy at w × h (the median of several rounds).
double frameCopySeconds(int w, int h) {
    const gfx::Bitmap source = noise(w, h, 1);
    gfx::Bitmap target(w, h);
    std::vector<double> rounds;
    for (int round = 0; round < 7; ++round) {
        const int reps = 20;
        const double t0 = cpuSeconds();
        for (int k = 0; k < reps; ++k) {
            std::memcpy(target.bits(), source.bits(), source.byteCount());
            benchmark::ClobberMemory();
        }
        rounds.push_back((cpuSeconds() - t0) / reps);
    }
    std::sort(rounds.begin(), rounds.end());
    return rounds[rounds.size() / 2];
}

template <class Body> void measure(benchmark::State& state, int w, int h, Body&& body) {
    const double floor = frameCopySeconds(w, h);
    const double t0 = cpuSeconds();
    for (auto _ : state) {
        body();
        benchmark::ClobberMemory();
    }
    const double perCall = (cpuSeconds() - t0) / static_cast<double>(state.iterations());
    state.counters["frame_copy_ratio"] = perCall / floor;
    state.counters["ms"] = perCall * 1e3;
}

// Arguments: screen height (1080 or 2160) and picture shape (0 portrait 9:16 inside the screen, 1
// landscape 4:3 inside it).
void pictureFor(const benchmark::State& state, int& w, int& h, gfx::Bitmap& picture) {
    h = static_cast<int>(state.range(0));
    w = h * 16 / 9;
    picture = state.range(1) == 0 ? noise(h * 9 / 16, h, 3) : noise(h * 4 / 3, h, 3);
}

void BM_Backdrop(benchmark::State& state) {
    int w = 0, h = 0;
    gfx::Bitmap picture;
    pictureFor(state, w, h, picture);
    measure(state, w, h, [&] { benchmark::DoNotOptimize(gfx::makeBackdrop(picture, w, h)); });
}
BENCHMARK(BM_Backdrop)->Args({1080, 0})->Args({1080, 1})->Args({2160, 0});

// The blurred fill's whole screen: backdrop plus the picture copied into its place.
void BM_ComposeBlur(benchmark::State& state) {
    int w = 0, h = 0;
    gfx::Bitmap picture;
    pictureFor(state, w, h, picture);
    const canvas::PictureLook look{show::pfBlur, false, false, false};
    measure(state, w, h, [&] { benchmark::DoNotOptimize(canvas::composeLook(picture, look, w, h, {})); });
}
BENCHMARK(BM_ComposeBlur)->Args({1080, 0})->Args({2160, 0});

// The crop of a picture decoded at the screen's size: a copy.
void BM_ComposeCrop(benchmark::State& state) {
    const int h = static_cast<int>(state.range(0)), w = h * 16 / 9;
    const gfx::Bitmap picture = noise(w, h, 4);
    const canvas::PictureLook look{show::pfCrop, false, false, false};
    measure(state, w, h, [&] { benchmark::DoNotOptimize(canvas::composeLook(picture, look, w, h, {})); });
}
BENCHMARK(BM_ComposeCrop)->Arg(1080);

} // namespace

BENCHMARK_MAIN();
