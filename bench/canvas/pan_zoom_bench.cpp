// Pan and zoom on the canvas (offscreen platform), for a picture that fills the screen and is loaded
// 1.15 times larger (the deepest zoom is 1:1):
//  - PanZoomFrame/1080 and /2160: one drift frame at 1920×1080 and 3840×2160, from the view's bilinear
//    drawing into the screen buffer through the synchronous repaint of the picture's rectangle, against a
//    plain 24-bit copy of a whole frame of that size timed in the same loop. Counters: frame_us,
//    copy_us, ratio (frame / copy), render_ratio (the bilinear drawing alone / copy). The best of the
//    iterations: on a shared machine the best is the one least disturbed by other work.
//  - PanZoomCpu: a drift running on its timer at a forced 30 frames a second at 1920×1080 for 3 s of
//    wall time; the process's CPU time (getrusage, user + system) over the wall time. Counters:
//    cpu_share (1 = one core busy; the target is below 0.25) and fps (frames drawn per second).
#include "show/canvas/vorlinscreen.h"

#include "bench/frames.h"
#include "gfx/blit.h"
#include "gfx/view_render.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QEventLoop>
#include <QTimer>

#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <memory>

namespace {

using namespace vorlin;
using canvas::TVorlinscreen;
using Clock = std::chrono::steady_clock;

using bench::pattern;

// A canvas of w × h showing a picture that drifts from the whole picture to its deepest zoom.
struct Stage {
    QWidget host;
    TVorlinscreen* canvas;
    gfx::Bitmap picture;
    Clock::time_point now = Clock::now();
    Stage(int w, int h, bool fakeClock)
        : picture(pattern(std::lround(w * canvas::kDriftZoomMax), std::lround(h * canvas::kDriftZoomMax))) {
        host.resize(w, h);
        canvas = new TVorlinscreen(&host);
        canvas->SetAutoSize(false);
        canvas->SetAlign(canvas::alClient);
        canvas->SetCenter(true);
        canvas->SetPanZoom(true);
        canvas->SetStyle(0); // the cut: the picture is on screen at once
        canvas->SetThreaded(false);
        if (fakeClock) canvas->SetDriftClock([this] { return now; });
        host.show();
        QCoreApplication::processEvents();
        canvas->TakeLoadedPicture(picture);
        canvas->SetDrift({1, canvas::kDriftZoomMax, 0.5, 0.5, 1, 0.3});
        canvas->StartTransition();
        QCoreApplication::processEvents();
    }
};

double micros(Clock::time_point t0) {
    return std::chrono::duration<double, std::micro>(Clock::now() - t0).count();
}

double cpuSeconds() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return u.ru_utime.tv_sec + u.ru_stime.tv_sec + (u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

void PanZoomFrame(benchmark::State& state) {
    const int w = state.range(0) == 1080 ? 1920 : 3840, h = static_cast<int>(state.range(0));
    Stage stage(w, h, true);
    TVorlinscreen& c = *stage.canvas;
    constexpr int kDurationMs = 1000000;
    c.StartDrift(kDurationMs);
    const gfx::ViewSource source(stage.picture);
    gfx::Bitmap copySource = pattern(w, h), copyTarget(w, h), renderTarget(w, h);
    double frameUs = 1e300, copyUs = 1e300, renderUs = 1e300;
    int step = 0;
    for (auto _ : state) {
        // A moment inside the drift that moves each time.
        step = (step + 1) % 1000;
        stage.now += std::chrono::milliseconds(step == 0 ? -999 * 997 : 997);
        auto t0 = Clock::now();
        c.DriftFrame();
        const double us = micros(t0);
        frameUs = std::min(frameUs, us);
        state.SetIterationTime(us / 1e6);

        t0 = Clock::now();
        gfx::copyRect(copyTarget, 0, 0, copySource, copySource.rect());
        benchmark::DoNotOptimize(copyTarget.bits());
        benchmark::ClobberMemory();
        copyUs = std::min(copyUs, micros(t0));

        t0 = Clock::now();
        gfx::renderView(source, {step * 0.01, step * 0.005, w + 0.5, h + 0.25}, renderTarget,
                        renderTarget.rect());
        benchmark::DoNotOptimize(renderTarget.bits());
        renderUs = std::min(renderUs, micros(t0));
    }
    if (!c.Drifting()) state.SkipWithError("the drift did not run");
    state.counters["frame_us"] = frameUs;
    state.counters["copy_us"] = copyUs;
    state.counters["ratio"] = frameUs / copyUs;
    state.counters["render_ratio"] = renderUs / copyUs;
}
BENCHMARK(PanZoomFrame)->Arg(1080)->Arg(2160)->UseManualTime()->Unit(benchmark::kMicrosecond);

void PanZoomCpu(benchmark::State& state) {
    Stage stage(1920, 1080, false);
    TVorlinscreen& c = *stage.canvas;
    c.DriftFramesPerSecond = 30;
    int frames = 0;
    c.OnProgress = [&](canvas::TCustomVorlinscreen&) { ++frames; };
    double share = 0, fps = 0;
    for (auto _ : state) {
        frames = 0;
        c.StartDrift(60000);
        const double cpu0 = cpuSeconds();
        const auto t0 = Clock::now();
        QEventLoop loop;
        QTimer::singleShot(3000, &loop, &QEventLoop::quit);
        loop.exec();
        const double wall = micros(t0) / 1e6;
        share = (cpuSeconds() - cpu0) / wall;
        fps = frames / wall;
        c.StopDrift();
        state.SetIterationTime(wall);
    }
    state.counters["cpu_share"] = share;
    state.counters["fps"] = fps;
}
BENCHMARK(PanZoomCpu)->UseManualTime()->Iterations(1)->Unit(benchmark::kMillisecond);

} // namespace
