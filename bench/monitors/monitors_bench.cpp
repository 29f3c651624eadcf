// The full-screen show on two 1920×1080 screens (the offscreen platform with two screens side by side),
// in each Monitors mode: the time from the first key, pressed on the second screen's surface, until the
// show window is closed and every surface is hidden and destroyed.
// Counters: gone_ms (best of the run), copy_ms (a plain 1920×1080 frame copy timed in the same loop) and
// ratio (gone / copy). The target is under 100 ms; on a compositor add one round trip for the unmapping.
#include "gfx/blit.h"
#include "show/settings/show_settings.h"
#include "show/windows/fullscreen_form.h"
#include "tests/lib/test_files.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QCoreApplication>
#include <QImage>
#include <QKeyEvent>
#include <QPointer>

#include <algorithm>
#include <chrono>
#include <string>

namespace {

using namespace vorlin;
using Clock = std::chrono::steady_clock;

constexpr const char* kScreens = R"({"screens": [
  {"name": "a", "x": 0, "y": 0, "width": 1920, "height": 1080, "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 1},
  {"name": "b", "x": 1920, "y": 0, "width": 1920, "height": 1080, "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 1}
]})";

void serveEventsFor(int ms) {
    const auto until = Clock::now() + std::chrono::milliseconds(ms);
    while (Clock::now() < until) QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
}

void KeyToAllSurfacesGone(benchmark::State& state) {
    testing::TempDir dir;
    auto& s = show::showSettings();
    s = show::ShowSettings{};
    for (int i = 0; i < 3; ++i) {
        QImage image(1920, 1080, QImage::Format_RGB888);
        image.fill(QColor(60 * i, 200 - 50 * i, 90));
        const std::string path = dir / ("p" + std::to_string(i) + ".bmp");
        image.save(QString::fromStdString(path));
        s.Pictures.push_back(path);
    }
    s.PlayMusic = false;
    s.Monitors = static_cast<int>(state.range(0));

    showwindows::TFullscreenForm form;
    gfx::Bitmap source(1920, 1080), target(1920, 1080);
    double goneMs = 1e300, copyMs = 1e300;
    for (auto _ : state) {
        form.show();
        serveEventsFor(400); // the first picture is loaded and its transition under way
        if (!form.Monitors || form.Monitors->Surfaces().empty()) {
            state.SkipWithError("no second surface");
            break;
        }
        QPointer<QWidget> surface = form.Monitors->Surfaces().front().get();
        const auto t0 = Clock::now();
        QKeyEvent key(QEvent::KeyPress, Qt::Key_X, Qt::NoModifier, "x");
        QApplication::sendEvent(surface, &key);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        const double ms = std::chrono::duration<double, std::milli>(Clock::now() - t0).count();
        if (form.isVisible() || form.Monitors || surface) {
            state.SkipWithError("the key did not end the show");
            break;
        }
        state.SetIterationTime(ms / 1000);
        goneMs = std::min(goneMs, ms);
        const auto c0 = Clock::now();
        gfx::copyRect(target, 0, 0, source, source.rect());
        copyMs = std::min(copyMs, std::chrono::duration<double, std::milli>(Clock::now() - c0).count());
    }
    state.counters["gone_ms"] = goneMs;
    state.counters["copy_ms"] = copyMs;
    state.counters["ratio"] = goneMs / copyMs;
}
BENCHMARK(KeyToAllSurfacesGone)
    ->Arg(0)
    ->Arg(1)
    ->Arg(2)
    ->UseManualTime()
    ->Iterations(5)
    ->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    testing::TempDir config;
    testing::writeFile(config / "screens.json", kScreens);
    qputenv("QT_QPA_PLATFORM", ("offscreen:configfile=" + config / "screens.json").c_str());
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
