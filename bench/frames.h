// Frames and processor-time measures shared by the drawing benchmarks, whose results are ratios to a
// plain whole-frame copy measured in the same run.
#pragma once

#include "gfx/bitmap.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <ctime>
#include <random>
#include <vector>

namespace vorlin::bench {

// A w × h frame of diagonal stripes (neighbouring bytes differ), shifted by seed.
inline gfx::Bitmap pattern(int w, int h, int seed = 0) {
    gfx::Bitmap b(w, h);
    for (int y = 0; y < h; ++y) {
        std::uint8_t* row = b.scanLine(y);
        for (int x = 0; x < 3 * w; ++x) row[x] = static_cast<std::uint8_t>(x * 7 + y * 13 + seed);
    }
    return b;
}

// A w × h frame of random bytes, the same for the same seed.
inline gfx::Bitmap noise(int w, int h, unsigned seed) {
    gfx::Bitmap b(w, h);
    std::mt19937 gen(seed);
    for (std::size_t k = 0; k < b.byteCount(); ++k) b.bits()[k] = static_cast<std::uint8_t>(gen());
    return b;
}

// This thread's processor time in seconds: on a shared machine the time other processes take does not
// count, so ratios do not depend on the load.
inline double threadCpuSeconds() {
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return static_cast<double>(ts.tv_sec) + 1e-9 * static_cast<double>(ts.tv_nsec);
}

// Processor seconds per whole-frame memcpy from source to target: the median of 7 rounds of reps copies.
inline double frameCopySeconds(const gfx::Bitmap& source, gfx::Bitmap& target, int reps) {
    std::vector<double> rounds;
    for (int round = 0; round < 7; ++round) {
        const double t0 = threadCpuSeconds();
        for (int k = 0; k < reps; ++k) {
            std::memcpy(target.bits(), source.bits(), source.byteCount());
            benchmark::ClobberMemory();
        }
        rounds.push_back((threadCpuSeconds() - t0) / reps);
    }
    std::sort(rounds.begin(), rounds.end());
    return rounds[rounds.size() / 2];
}

// Runs body once per iteration and sets "frame_copy_ratio" to its processor time per call over one frame
// copy's (floorSeconds); returns that time per call in seconds.
template <class Body> double measureAgainstCopy(benchmark::State& state, double floorSeconds, Body&& body) {
    const double t0 = threadCpuSeconds();
    for (auto _ : state) {
        body();
        benchmark::ClobberMemory();
    }
    const double perCall = (threadCpuSeconds() - t0) / static_cast<double>(state.iterations());
    state.counters["frame_copy_ratio"] = perCall / floorSeconds;
    return perCall;
}

} // namespace vorlin::bench
