// JPEG decoding speed and memory.
//
//  DecodeJpeg/<photo>   file read + decode to a bitmap; counter vs_djpeg is its time over the best of
//                       three `djpeg -bmp -outfile /dev/null` runs on the same file (target <= 1.15),
//                       vs_frame_copy its time over one plain copy of a 1920x1080 frame.
//  Djpeg/<photo>        the djpeg process itself, for reference.
//  ShrinkDecode6000     the 6000x4000 photo decoded for a 1920x1080 box; vs_full_time and
//                       vs_full_peak compare it with a full decode (the peak target is <= 0.25).
//  ShowLoad/<screen>/<rule>
//                       the 6000x4000 photo loaded as a full-screen show of that size loads it (file read,
//                       decode, fit): stretched (each side at most the screen's) or at its own size (the
//                       part the screen shows). vs_djpeg_scaled is its time over the best of three djpeg
//                       runs on the same file at the DCT scale that covers the result (-scale 1/N), or
//                       cutting out the same part (-crop) at full scale (target <= 1.2), both in processor
//                       time (best run each).
//  DecodeHeic/<how>     a 4000x3000 (12 MP) HEIC made from the same picture as a 4000x3000 JPEG, loaded
//                       whole or for a 1920x1080 screen (each side at most the screen's); vs_jpeg is its
//                       time over the JPEG's loaded the same way in the same run (the JPEG decodes at a
//                       reduced DCT scale for the screen; libheif cannot), vs_jpeg_cpu the same in
//                       processor time of all threads (what a busy machine does not distort), cpu_share its
//                       processor time over its wall time (above 1: the HEVC decoder's own threads).
// peak_bytes counters are the most memory the decode held at once beyond what was allocated before it
// (the file's bytes not counted), measured through this program's own malloc.
//
// The photos (plasma plus noise, so that they compress like photos) are made with ImageMagick into
// $TMPDIR/vorlin_codecs_bench on the first run and reused after.

#include "gfx/codecs/codecs.h"
#include "gfx/codecs/picture_loader.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <malloc.h>
#include <map>
#include <spawn.h>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <time.h>
#include <vector>

extern char** environ;

// ---- Allocation accounting: this program's malloc forwards to glibc's and keeps the bytes in use and
// their peak. Left out under the sanitizers, which bring their own allocator.
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
#define VORLIN_COUNT_ALLOCATIONS 0
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer) || __has_feature(memory_sanitizer)
#define VORLIN_COUNT_ALLOCATIONS 0
#endif
#endif
#ifndef VORLIN_COUNT_ALLOCATIONS
#define VORLIN_COUNT_ALLOCATIONS 1
#endif

namespace {
std::atomic<long long> gInUse{0};
std::atomic<long long> gPeak{0};

void noteAlloc(void* p) {
    if (!p) return;
    const long long now = gInUse.fetch_add(static_cast<long long>(malloc_usable_size(p))) +
                          static_cast<long long>(malloc_usable_size(p));
    long long peak = gPeak.load(std::memory_order_relaxed);
    while (now > peak && !gPeak.compare_exchange_weak(peak, now)) {
    }
}
void noteFree(void* p) {
    if (p) gInUse.fetch_sub(static_cast<long long>(malloc_usable_size(p)));
}
} // namespace

#if VORLIN_COUNT_ALLOCATIONS
extern "C" {
void* __libc_malloc(size_t);
void* __libc_calloc(size_t, size_t);
void* __libc_realloc(void*, size_t);
void* __libc_memalign(size_t, size_t);
void __libc_free(void*);

void* malloc(size_t n) {
    void* p = __libc_malloc(n);
    noteAlloc(p);
    return p;
}
void* calloc(size_t n, size_t m) {
    void* p = __libc_calloc(n, m);
    noteAlloc(p);
    return p;
}
void* realloc(void* old, size_t n) {
    noteFree(old);
    void* p = __libc_realloc(old, n);
    if (p)
        noteAlloc(p);
    else if (n && old)
        noteAlloc(old); // a failed realloc keeps the old block
    return p;
}
void free(void* p) {
    noteFree(p);
    __libc_free(p);
}
void* memalign(size_t a, size_t n) {
    void* p = __libc_memalign(a, n);
    noteAlloc(p);
    return p;
}
void* aligned_alloc(size_t a, size_t n) {
    return memalign(a, n);
}
int posix_memalign(void** out, size_t a, size_t n) {
    void* p = memalign(a, n);
    if (!p) return ENOMEM;
    *out = p;
    return 0;
}
}
#endif

namespace {

using namespace vorlin::gfx;
using Clock = std::chrono::steady_clock;

struct Photo {
    const char* name;
    int width, height;
    const char* seedSize; // the plasma is made small and enlarged: a full-size plasma takes minutes
};
const Photo kPhotos[] = {{"photo_1920x1080.jpg", 1920, 1080, "480x270"},
                         {"photo_6000x4000.jpg", 6000, 4000, "1500x1000"}};

// The 12 MP picture for the HEIC comparison; its HEIC twin is converted from the JPEG.
const Photo kTwelveMp{"photo_4000x3000.jpg", 4000, 3000, "1000x750"};

std::string photoPath(const Photo& p) {
    const auto dir = std::filesystem::temp_directory_path() / "vorlin_codecs_bench";
    std::filesystem::create_directories(dir);
    const std::string path = (dir / p.name).string();
    if (!std::filesystem::exists(path)) {
        const std::string tmp = path + ".part.jpg";
        const std::string cmd = std::string("convert -seed 7 -size ") + p.seedSize +
                                " plasma:fractal -resize " + std::to_string(p.width) + "x" +
                                std::to_string(p.height) + "! -attenuate 0.4 +noise Gaussian -quality 90 '" +
                                tmp + "'";
        if (std::system(cmd.c_str()) != 0) return {};
        std::filesystem::rename(tmp, path);
    }
    return path;
}

double seconds(Clock::duration d) {
    return std::chrono::duration<double>(d).count();
}

// Runs djpeg on the file (with extra options before it); false when it could not run. `cpuSeconds`, when
// given, receives the processor time djpeg used (user and system).
bool runDjpeg(const std::string& path, const std::vector<std::string>& options = {},
              double* cpuSeconds = nullptr) {
    std::vector<const char*> argv = {"djpeg"};
    for (const std::string& o : options) argv.push_back(o.c_str());
    // BMP output unless the options choose PPM (the only output djpeg can write a cut-out to).
    if (std::find(options.begin(), options.end(), "-ppm") == options.end()) argv.push_back("-bmp");
    for (const char* a : {"-outfile", "/dev/null"}) argv.push_back(a);
    argv.push_back(path.c_str());
    argv.push_back(nullptr);
    pid_t pid = 0;
    if (posix_spawnp(&pid, "djpeg", nullptr, nullptr, const_cast<char**>(argv.data()), environ) != 0)
        return false;
    int status = 0;
    rusage usage{};
    wait4(pid, &status, 0, &usage);
    if (cpuSeconds)
        *cpuSeconds = static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
                      static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

// Best of three djpeg runs per file and options, measured once per program run.
double djpegSeconds(const std::string& path, const std::vector<std::string>& options = {}) {
    static std::map<std::string, double> cache;
    std::string key = path;
    for (const std::string& o : options) key += " " + o;
    if (auto it = cache.find(key); it != cache.end()) return it->second;
    double best = 1e9;
    for (int i = 0; i < 3; ++i) {
        const auto t0 = Clock::now();
        if (!runDjpeg(path, options)) return 0;
        best = std::min(best, seconds(Clock::now() - t0));
    }
    return cache[key] = best;
}

// One plain copy of a 1920x1080 frame: the floor every ratio in bench/ is given against.
double frameCopySeconds() {
    static const double value = [] {
        const Bitmap a(1920, 1080, Color{1, 2, 3});
        Bitmap b(1920, 1080);
        double best = 1e9;
        for (int i = 0; i < 50; ++i) {
            const auto t0 = Clock::now();
            std::memcpy(b.bits(), a.bits(), a.byteCount());
            benchmark::DoNotOptimize(b.bits());
            best = std::min(best, seconds(Clock::now() - t0));
        }
        return best;
    }();
    return value;
}

// The most bytes a call held at once beyond those in use before it.
template <class F> long long peakBytesOf(F&& f) {
    const long long base = gInUse.load();
    gPeak.store(base);
    f();
    return gPeak.load() - base;
}

void BM_FrameCopy(benchmark::State& state) {
    const Bitmap a(1920, 1080, Color{1, 2, 3});
    Bitmap b(1920, 1080);
    for (auto _ : state) {
        std::memcpy(b.bits(), a.bits(), a.byteCount());
        benchmark::DoNotOptimize(b.bits());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * static_cast<long long>(a.byteCount()));
}
BENCHMARK(BM_FrameCopy);

void BM_DecodeJpeg(benchmark::State& state) {
    const Photo& photo = kPhotos[state.range(0)];
    const std::string path = photoPath(photo);
    if (path.empty()) return state.SkipWithError("ImageMagick could not make the photo");
    const double djpeg = djpegSeconds(path);
    const double copy = frameCopySeconds();
    double total = 0;
    for (auto _ : state) {
        const auto t0 = Clock::now();
        DecodedPicture p = decodeJpeg(readPictureFile(path), path);
        benchmark::DoNotOptimize(p.pixels.bits());
        total += seconds(Clock::now() - t0);
    }
    const double mean = total / static_cast<double>(state.iterations());
    const std::vector<std::uint8_t> bytes = readPictureFile(path);
    state.counters["peak_bytes"] = static_cast<double>(peakBytesOf([&] { decodeJpeg(bytes, path); }));
    if (djpeg > 0) state.counters["vs_djpeg"] = mean / djpeg;
    state.counters["vs_frame_copy"] = mean / copy;
    state.SetLabel(photo.name);
}
BENCHMARK(BM_DecodeJpeg)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_Djpeg(benchmark::State& state) {
    const Photo& photo = kPhotos[state.range(0)];
    const std::string path = photoPath(photo);
    if (path.empty()) return state.SkipWithError("ImageMagick could not make the photo");
    for (auto _ : state)
        if (!runDjpeg(path)) return state.SkipWithError("djpeg did not run");
    state.SetLabel(photo.name);
}
BENCHMARK(BM_Djpeg)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_ShrinkDecode6000(benchmark::State& state) {
    const std::string path = photoPath(kPhotos[1]);
    if (path.empty()) return state.SkipWithError("ImageMagick could not make the photo");
    const std::vector<std::uint8_t> bytes = readPictureFile(path);
    JpegOptions box;
    box.boxWidth = 1920;
    box.boxHeight = 1080;
    double total = 0;
    for (auto _ : state) {
        const auto t0 = Clock::now();
        DecodedPicture p = decodeJpeg(bytes, path, box);
        benchmark::DoNotOptimize(p.pixels.bits());
        total += seconds(Clock::now() - t0);
    }
    const double mean = total / static_cast<double>(state.iterations());
    const auto t0 = Clock::now();
    const long long fullPeak = peakBytesOf([&] { decodeJpeg(bytes, path); });
    const double fullTime = seconds(Clock::now() - t0);
    const long long shrinkPeak = peakBytesOf([&] { decodeJpeg(bytes, path, box); });
    state.counters["peak_bytes"] = static_cast<double>(shrinkPeak);
    state.counters["full_peak_bytes"] = static_cast<double>(fullPeak);
    if (VORLIN_COUNT_ALLOCATIONS && fullPeak > 0)
        state.counters["vs_full_peak"] = static_cast<double>(shrinkPeak) / static_cast<double>(fullPeak);
    state.counters["vs_full_time"] = mean / fullTime;
    state.counters["vs_frame_copy"] = mean / frameCopySeconds();
}
BENCHMARK(BM_ShrinkDecode6000)->Unit(benchmark::kMillisecond)->UseRealTime();

// The HEIC twin of a photo (ImageMagick through libheif, quality 90), made on the first run.
std::string heicPath(const std::string& jpeg) {
    if (jpeg.empty()) return {};
    const std::string path = jpeg.substr(0, jpeg.size() - 4) + ".heic";
    if (!std::filesystem::exists(path)) {
        const std::string tmp = path + ".part.heic";
        if (std::system(("convert '" + jpeg + "' -quality 90 '" + tmp + "'").c_str()) != 0) return {};
        std::filesystem::rename(tmp, path);
    }
    return path;
}

void BM_DecodeHeic(benchmark::State& state) {
    const std::string jpeg = photoPath(kTwelveMp);
    const std::string heic = heicPath(jpeg);
    if (heic.empty()) return state.SkipWithError("ImageMagick could not make the photo");
    const bool screen = state.range(0) == 1;
    const PictureFit fit = screen ? PictureFit{PictureFit::Rule::EachSide, 1920, 1080, true} : PictureFit{};
    auto load = [&](const std::string& path) {
        Bitmap b = loadFittedPicture(path, Color{}, fit);
        benchmark::DoNotOptimize(b.bits());
    };
    auto processSeconds = [] {
        timespec t{};
        clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
        return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) / 1e9;
    };
    // The JPEG's best of three, in this run (wall and processor time).
    double jpegBest = 1e9, jpegCpu = 1e9;
    for (int i = 0; i < 3; ++i) {
        const auto t0 = Clock::now();
        const double c0 = processSeconds();
        load(jpeg);
        jpegCpu = std::min(jpegCpu, processSeconds() - c0);
        jpegBest = std::min(jpegBest, seconds(Clock::now() - t0));
    }
    double total = 0, best = 1e9, cpu = 0, bestCpu = 1e9;
    for (auto _ : state) {
        const auto t0 = Clock::now();
        const double c0 = processSeconds();
        load(heic);
        const double c = processSeconds() - c0;
        cpu += c;
        bestCpu = std::min(bestCpu, c);
        const double t = seconds(Clock::now() - t0);
        total += t;
        best = std::min(best, t);
    }
    state.counters["vs_jpeg"] = best / jpegBest;
    state.counters["vs_jpeg_cpu"] = bestCpu / jpegCpu;
    state.counters["heic_ms"] = best * 1000;
    state.counters["jpeg_ms"] = jpegBest * 1000;
    state.counters["cpu_share"] = cpu / total;
    state.counters["vs_frame_copy"] = total / static_cast<double>(state.iterations()) / frameCopySeconds();
    state.counters["peak_bytes"] = static_cast<double>(peakBytesOf([&] { load(heic); }));
    state.counters["jpeg_peak_bytes"] = static_cast<double>(peakBytesOf([&] { load(jpeg); }));
    state.SetLabel(screen ? "for 1920x1080" : "whole");
}
BENCHMARK(BM_DecodeHeic)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_ShowLoad(benchmark::State& state) {
    const Photo& photo = kPhotos[1];
    const std::string path = photoPath(photo);
    if (path.empty()) return state.SkipWithError("ImageMagick could not make the photo");
    const int screenW = state.range(0) == 0 ? 1920 : 3840, screenH = state.range(0) == 0 ? 1080 : 2160;
    const bool stretched = state.range(1) == 0;
    const PictureFit fit{stretched ? PictureFit::Rule::EachSide : PictureFit::Rule::Visible, screenW, screenH,
                         true};
    const FitPlan plan = planFit(fit, photo.width, photo.height);
    // The same work by djpeg: the covering scale, or the cut-out at full scale.
    std::vector<std::string> options;
    if (stretched) {
        options = {"-scale", "1/" + std::to_string(jpegScaleCovering(photo.width, photo.height, plan.size)),
                   "-ppm"};
    } else {
        const vorlin::Rect& c = plan.crop;
        options = {"-crop",
                   std::to_string(c.width()) + "x" + std::to_string(c.height()) + "+" +
                       std::to_string(c.Left) + "+" + std::to_string(c.Top),
                   "-ppm"};
    }
    // Processor time on both sides: on a machine busy with other work, wall-clock times say more about
    // the other work than about the decoders.
    double djpeg = 1e9;
    for (int i = 0; i < 3; ++i) {
        double cpu = 0;
        if (!runDjpeg(path, options, &cpu)) return state.SkipWithError("djpeg did not run");
        djpeg = std::min(djpeg, cpu);
    }
    auto threadSeconds = [] {
        timespec t{};
        clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
        return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) / 1e9;
    };
    double total = 0, best = 1e9;
    for (auto _ : state) {
        const double t0 = threadSeconds();
        Bitmap b = loadFittedPicture(path, Color{}, fit);
        benchmark::DoNotOptimize(b.bits());
        const double t = threadSeconds() - t0;
        total += t;
        best = std::min(best, t);
    }
    const double mean = total / static_cast<double>(state.iterations());
    state.counters["vs_djpeg_scaled"] = best / djpeg;
    state.counters["cpu_ms"] = best * 1000;
    state.counters["djpeg_cpu_ms"] = djpeg * 1000;
    state.counters["vs_frame_copy"] = mean / frameCopySeconds();
    state.counters["peak_bytes"] =
        static_cast<double>(peakBytesOf([&] { loadFittedPicture(path, Color{}, fit); }));
    state.SetLabel(std::to_string(screenW) + "x" + std::to_string(screenH) +
                   (stretched ? " stretched " : " own size ") + options[0] + " " + options[1]);
}
BENCHMARK(BM_ShowLoad)->ArgsProduct({{0, 1}, {0, 1}})->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

BENCHMARK_MAIN();
