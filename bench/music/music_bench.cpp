// Music: decoding speed as a multiple of real time (MP3 through the library's decoder, MIDI through
// the MCI sequencer), and the process CPU share of playing MP3 through the library on the sound
// output. Both measures are ratios to the sound's own duration, so they need no reference copy.
//   x_realtime:  seconds of sound decoded per second of CPU time (higher is better)
//   cpu_percent: process CPU time while playing, in percent of the playing time (target under 3)
#include "mpegdll/decoder.h"
#include "mpegdll/mpegdll.h"
#include "music/mci/mci_device.h"

#include <benchmark/benchmark.h>

#include <atomic>
#include <chrono>
#include <ctime>
#include <dlfcn.h>
#include <fstream>
#include <iterator>
#include <thread>
#include <vector>

namespace {

const std::string kData = VORLIN_TEST_DATA_DIR "/music/";

double processCpuSeconds() {
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return double(ts.tv_sec) + double(ts.tv_nsec) * 1e-9;
}

void BM_DecodeMp3(benchmark::State& state) {
    auto dec = vorlin::mpegdll::openDecoder(kData + "tone_1s_44k_stereo.mp3");
    std::vector<int16_t> buf(4096 * size_t(dec->channels()));
    int64_t frames = 0;
    for (auto _ : state) {
        dec->seek(0);
        frames = 0;
        while (const size_t got = dec->read(buf.data(), 4096)) frames += int64_t(got);
        benchmark::DoNotOptimize(buf.data());
    }
    state.counters["x_realtime"] =
        benchmark::Counter(double(frames) / dec->rate(), benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BM_DecodeMp3)->Unit(benchmark::kMillisecond);

void BM_RenderMidi(benchmark::State& state) {
    std::ifstream in(kData + "scale.mid", std::ios::binary);
    const std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    auto synth = vorlin::music::makeMidiSynth(vorlin::music::findSoundfont());
    std::vector<int16_t> buf(2 * 1024);
    int64_t frames = 0;
    for (auto _ : state) {
        auto dev = vorlin::music::openMidi(synth, vorlin::music::standardMidiBytes(bytes));
        dev->start();
        frames = 0;
        while (const size_t got = dev->render(buf.data(), 1024)) frames += int64_t(got);
        benchmark::DoNotOptimize(buf.data());
    }
    state.counters["x_realtime"] =
        benchmark::Counter(double(frames) / 44100.0, benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BM_RenderMidi)->Unit(benchmark::kMillisecond);

// Plays the 1 s MP3 through the loaded library on the sound output (the dummy driver in CI) and
// compares the process CPU time with the wall time the play took.
void BM_PlayMp3CpuShare(benchmark::State& state) {
    void* h = dlopen(MPEGDLL_PATH, RTLD_NOW | RTLD_LOCAL);
    if (!h) {
        state.SkipWithError(dlerror());
        return;
    }
    auto sym = [&](const char* n) { return dlsym(h, n); };
    auto init = reinterpret_cast<mpegdll_init_fn>(sym("init"));
    auto open = reinterpret_cast<mpegdll_Open_fn>(sym("Open"));
    auto play = reinterpret_cast<mpegdll_Play_fn>(sym("Play"));
    auto close = reinterpret_cast<mpegdll_Close_fn>(sym("Close"));
    auto lastError = reinterpret_cast<mpegdll_LastError_fn>(sym("LastError"));
    init();
    double cpu = 0, wall = 0;
    for (auto _ : state) {
        open((kData + "tone_1s_44k_stereo.mp3").c_str(), 0, nullptr, nullptr, nullptr, nullptr, nullptr,
             nullptr, nullptr);
        uint8_t ended = 0;
        const double c0 = processCpuSeconds();
        const auto w0 = std::chrono::steady_clock::now();
        play(0, 0, &ended);
        if (lastError() > 0) {
            state.SkipWithError("Play failed");
            break;
        }
        // The program polls the library once a second; a 50 ms poll here costs next to nothing.
        while (!std::atomic_ref<uint8_t>(ended).load())
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        cpu += processCpuSeconds() - c0;
        wall += std::chrono::duration<double>(std::chrono::steady_clock::now() - w0).count();
        close();
    }
    state.counters["cpu_percent"] = wall > 0 ? 100.0 * cpu / wall : 0;
}
BENCHMARK(BM_PlayMp3CpuShare)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

} // namespace

BENCHMARK_MAIN();
