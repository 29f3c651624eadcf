#pragma once
// Helpers of the canvas tests: pictures made in memory, BMP files written from them, and waits that
// keep the main thread's event loop (and so the pacing worker's calls) served.

#include "gfx/bitmap.h"

#include <QCoreApplication>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>
#include <thread>
#include <vector>

namespace canvas_test {

using vorlin::gfx::Bitmap;
using vorlin::gfx::Color;

inline Bitmap solid(int w, int h, Color c) {
    return Bitmap(w, h, c);
}

// Every pixel differs from its neighbours, so a misplaced copy shows.
inline Bitmap pattern(int w, int h, int seed) {
    Bitmap b(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            b.setPixel(x, y,
                       Color{static_cast<std::uint8_t>(x * 7 + seed), static_cast<std::uint8_t>(y * 5 + seed),
                             static_cast<std::uint8_t>(x * 3 + y * 11 + seed)});
    return b;
}

// Serves events until pred holds or the time is up; returns pred's last value.
inline bool waitUntil(const std::function<bool()>& pred, int timeoutMs = 10000) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (!pred()) {
        if (std::chrono::steady_clock::now() > end) return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents);
        std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
    return true;
}

inline void serveFor(int ms) {
    waitUntil([] { return false; }, ms);
}

// A bottom-up 24-bit Windows bitmap file of the picture.
inline void writeBmp(const std::string& path, const Bitmap& b) {
    const int stride = (3 * b.width() + 3) & ~3;
    const std::uint32_t imageSize = static_cast<std::uint32_t>(stride) * b.height();
    std::vector<std::uint8_t> f(54 + imageSize, 0);
    auto put16 = [&](int at, std::uint32_t v) {
        f[at] = v & 0xFF;
        f[at + 1] = (v >> 8) & 0xFF;
    };
    auto put32 = [&](int at, std::uint32_t v) {
        put16(at, v & 0xFFFF);
        put16(at + 2, v >> 16);
    };
    f[0] = 'B';
    f[1] = 'M';
    put32(2, static_cast<std::uint32_t>(f.size()));
    put32(10, 54);
    put32(14, 40);
    put32(18, static_cast<std::uint32_t>(b.width()));
    put32(22, static_cast<std::uint32_t>(b.height()));
    put16(26, 1);
    put16(28, 24);
    put32(34, imageSize);
    for (int y = 0; y < b.height(); ++y) {
        std::uint8_t* row = f.data() + 54 + static_cast<std::size_t>(b.height() - 1 - y) * stride;
        for (int x = 0; x < b.width(); ++x) {
            const Color c = b.pixel(x, y);
            row[3 * x] = c.b;
            row[3 * x + 1] = c.g;
            row[3 * x + 2] = c.r;
        }
    }
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) return;
    std::fwrite(f.data(), 1, f.size(), file);
    std::fclose(file);
}

} // namespace canvas_test
