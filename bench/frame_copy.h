// The yardstick of the benchmarks that time whole processes: a plain 1920×1080 24-bit frame copy, measured
// in the same run, as a time of its own and as a benchmark.
#pragma once

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstring>
#include <vector>

namespace vorlin::bench {

inline constexpr int kFrameWidth = 1920, kFrameHeight = 1080;

// Milliseconds per frame copy: the mean of 50.
inline double frameCopyMs() {
    std::vector<unsigned char> a(std::size_t{kFrameWidth} * kFrameHeight * 3, 1), b(a.size());
    const int n = 50;
    const auto t0 = std::chrono::steady_clock::now();
    for (int i = 0; i < n; ++i) {
        a[static_cast<std::size_t>(i)] = static_cast<unsigned char>(i);
        std::memcpy(b.data(), a.data(), a.size());
        benchmark::DoNotOptimize(b.data());
    }
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count() / n;
}

// The frame copy as a benchmark; register it with
// BENCHMARK(BM_FrameCopy1080p)->Unit(benchmark::kMillisecond).
inline void BM_FrameCopy1080p(benchmark::State& state) {
    std::vector<unsigned char> a(std::size_t{kFrameWidth} * kFrameHeight * 3, 1), b(a.size());
    for (auto _ : state) {
        std::memcpy(b.data(), a.data(), a.size());
        benchmark::DoNotOptimize(b.data());
        benchmark::ClobberMemory();
    }
}

} // namespace vorlin::bench
