// Cost of a photo look per picture: the blurred backdrop and the whole composed screen, at 1920×1080 and
// 3840×2160, each as "frame_copy_ratio" (its time over one memcpy of a whole frame of that size, measured
// in the same run) and "ms" per picture. Made once per picture, so a few milliseconds is the target.

#include "bench/frames.h"
#include "gfx/backdrop.h"
#include "show/canvas/picture_look.h"

#include <benchmark/benchmark.h>

namespace {

using namespace vorlin;

using bench::noise;

// Runs body per iteration against one whole-frame copy at w × h; also reports "ms" per picture.
template <class Body> void measure(benchmark::State& state, int w, int h, Body&& body) {
    gfx::Bitmap target(w, h);
    const double floor = bench::frameCopySeconds(noise(w, h, 1), target, 20);
    state.counters["ms"] = bench::measureAgainstCopy(state, floor, body) * 1e3;
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
