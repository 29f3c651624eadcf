// The builder window with 1000 pictures.
//
// BM_AddThousandPictures: adds 1000 picture files as the Add button does and waits until every list
// thumbnail has arrived, while a 10 ms QTimer ticks; the counter max_gap_ms is the longest time between
// two ticks (the longest stall of the event loop; the target is under 100 ms).
// BM_AddTwoHundredPhotos: the same for 200 names of one 6000×4000 photo-like JPEG (quality 90, made by
// ImageMagick into $TMPDIR/vorlin_codecs_bench as the codecs benchmark makes it), probed by a 5 ms timer:
// each thumbnail decodes at a reduced DCT scale on the thumbnail workers; max_gap_ms has the target 50 ms.
// Run it with DISPLAY set (an Xvfb) to measure the window as it is shown on an X server.
// BM_StoreThousandPictures: stores the controls with writing and writes the options for a list of 1000
// pictures (the target is under 200 ms).
// BM_FrameCopy: a plain copy of a 1024×768 24-bit frame, so that the other times can be read as ratios
// on this machine (counter frame_copies).

#include "builder/build_page.h"
#include "builder/config_form.h"
#include "builder/effects_page.h"
#include "builder/file_list_page.h"
#include "builder/options_page.h"
#include "gfx/bitmap.h"
#include "platform/program_path.h"
#include "platform/registry.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QListWidget>
#include <QTimer>

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;
using namespace vorlin;

namespace {

struct Scratch {
    fs::path dir;
    QStringList files;
    Scratch() {
        char tmpl[] = "/tmp/vorlin-builder-bench-XXXXXX";
        dir = mkdtemp(tmpl);
        fs::create_directories(dir / "pics");
        const fs::path source = fs::path(VORLIN_TEST_DATA_DIR) / "pictures/bmp_24bit.bmp";
        for (int i = 0; i < 1000; ++i) {
            const fs::path p = dir / "pics" / ("picture" + std::to_string(i) + ".bmp");
            fs::copy_file(source, p);
            files << QString::fromStdString(p.string());
        }
        setenv("XDG_CONFIG_HOME", (dir / "config").c_str(), 1);
        platform::setProgramPath((dir / "VorlinSaver").string());
    }
    ~Scratch() { fs::remove_all(dir); }
};

Scratch& scratch() {
    static Scratch s;
    return s;
}

builder::BuilderShell quietShell() {
    builder::BuilderShell s;
    s.openFiles = [](QWidget*, const QString&, const QString&, const QString&) { return QStringList(); };
    s.openFile = [](QWidget*, const QString&, const QString&) { return QString(); };
    s.saveFile = [](QWidget*, const QString&, const QString&, const auto&) { return QString(); };
    s.message = [](QWidget*, const QString&, const QString&) {};
    s.openUrl = [](const QString&) { return false; };
    return s;
}

struct OpenForm {
    show::ShowSettingsFile settings;
    std::unique_ptr<builder::TVorlinConfigForm> form;
    OpenForm() {
        std::ofstream(scratch().dir / "VorlinSaver.002", std::ios::trunc) << "[Set]\nImageInterval=3\n";
        settings.read(platform::programPath(), platform::Registry());
        form = std::make_unique<builder::TVorlinConfigForm>(settings, quietShell());
        form->show();
        QApplication::processEvents();
    }
};

// The longest time between two ticks of a timer on the event loop: the longest stall of the loop.
struct LoopGaps {
    QElapsedTimer clock;
    qint64 last = 0, maxGap = 0;
    QTimer ticker;
    LoopGaps(int intervalMs, Qt::TimerType type) {
        ticker.setTimerType(type);
        ticker.setInterval(intervalMs);
        QObject::connect(&ticker, &QTimer::timeout, [this] {
            const qint64 now = clock.elapsed();
            maxGap = std::max(maxGap, now - last);
            last = now;
        });
    }
    void start() {
        clock.start();
        ticker.start();
    }
    // The longest gap so far, the one still open included.
    qint64 longest() {
        maxGap = std::max(maxGap, clock.elapsed() - last);
        return maxGap;
    }
};

// Adds the files from the event loop, as a click would, and serves the loop until every thumbnail has
// been decoded and its result served.
void addAndSettle(OpenForm& open, const QStringList& files) {
    QTimer::singleShot(0, open.form.get(), [&] { open.form->AddPictureFiles(files); });
    QApplication::processEvents();
    while (open.form->Images()->List()->count() < files.size() || open.form->PendingThumbnails() > 0)
        QApplication::processEvents(QEventLoop::WaitForMoreEvents, 20);
    QApplication::processEvents();
}

void BM_AddThousandPictures(benchmark::State& state) {
    auto& s = scratch();
    double worstGap = 0;
    for (auto _ : state) {
        state.PauseTiming();
        OpenForm open;
        LoopGaps gaps(10, Qt::CoarseTimer);
        state.ResumeTiming();
        gaps.start();
        addAndSettle(open, s.files);
        const qint64 maxGap = gaps.longest();
        state.PauseTiming();
        worstGap = std::max(worstGap, static_cast<double>(maxGap));
        open.form->close();
        state.ResumeTiming();
    }
    state.counters["max_gap_ms"] = worstGap;
}
BENCHMARK(BM_AddThousandPictures)->Unit(benchmark::kMillisecond)->Iterations(3);

// 200 names (hard links) of one 24-megapixel photo; empty when ImageMagick cannot make it.
QStringList twoHundredPhotos() {
    const fs::path cache = fs::temp_directory_path() / "vorlin_codecs_bench";
    const fs::path photo = cache / "photo_6000x4000.jpg";
    if (!fs::exists(photo)) {
        fs::create_directories(cache);
        const std::string part = (cache / "photo_6000x4000.jpg.part.jpg").string();
        const std::string cmd =
            "convert -seed 7 -size 1500x1000 plasma:fractal -resize 6000x4000! -attenuate 0.4 "
            "+noise Gaussian -quality 90 '" +
            part + "'";
        if (std::system(cmd.c_str()) != 0) return {};
        fs::rename(part, photo);
    }
    QStringList files;
    fs::create_directories(scratch().dir / "photos");
    for (int i = 0; i < 200; ++i) {
        const fs::path p = scratch().dir / "photos" / ("photo" + std::to_string(i) + ".jpg");
        if (!fs::exists(p)) fs::create_hard_link(photo, p);
        files << QString::fromStdString(p.string());
    }
    return files;
}

void BM_AddTwoHundredPhotos(benchmark::State& state) {
    const QStringList files = twoHundredPhotos();
    if (files.isEmpty()) return state.SkipWithError("ImageMagick could not make the photo");
    double worstGap = 0;
    for (auto _ : state) {
        OpenForm open;
        LoopGaps gaps(5, Qt::PreciseTimer);
        gaps.start();
        addAndSettle(open, files);
        worstGap = std::max(worstGap, static_cast<double>(gaps.longest()));
        open.form->close();
    }
    state.counters["max_gap_ms"] = worstGap;
}
BENCHMARK(BM_AddTwoHundredPhotos)->Unit(benchmark::kMillisecond)->Iterations(1);

void BM_StoreThousandPictures(benchmark::State& state) {
    OpenForm open;
    open.form->AddPictureFiles(scratch().files);
    for (auto _ : state) {
        open.form->ChangeFlags = builder::cfPictures;
        open.form->StoreControls(true);
        open.form->WriteOptions();
    }
    state.counters["pictures"] = open.settings.settings.Pictures.size();
}
BENCHMARK(BM_StoreThousandPictures)->Unit(benchmark::kMillisecond);

void BM_FrameCopy(benchmark::State& state) {
    gfx::Bitmap from(1024, 768, gfx::Color{1, 2, 3});
    gfx::Bitmap to(1024, 768);
    for (auto _ : state) {
        std::memcpy(to.bits(), from.bits(), static_cast<std::size_t>(from.stride()) * from.height());
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_FrameCopy)->Unit(benchmark::kMillisecond);

} // namespace
