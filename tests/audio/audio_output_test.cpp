#include "platform/audio/audio_output.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <thread>
#include <vector>

using vorlin::audio::AudioError;
using vorlin::audio::AudioOutput;

namespace {

std::vector<int16_t> sine(int rate, int channels, int frames) {
    std::vector<int16_t> v(size_t(frames) * size_t(channels));
    for (int i = 0; i < frames; ++i)
        for (int c = 0; c < channels; ++c)
            v[size_t(i * channels + c)] = int16_t(8000 * std::sin(2 * M_PI * 440 * i / rate));
    return v;
}

struct Format {
    int rate;
    int channels;
    int expectedDeviceRate;
};

class AudioOutputFormats : public ::testing::TestWithParam<Format> {};

// Every source format plays out completely at its own pace, through a 44.1 or 48 kHz device.
TEST_P(AudioOutputFormats, PlaysEveryFrameAndDrains) {
    const Format f = GetParam();
    AudioOutput out(f.rate, f.channels);
    EXPECT_EQ(out.deviceRate(), f.expectedDeviceRate);
    const int frames = f.rate / 5;
    const auto samples = sine(f.rate, f.channels, frames);
    ASSERT_TRUE(out.write(samples.data(), size_t(frames)));
    ASSERT_TRUE(out.drain());
    EXPECT_EQ(out.position(), frames);
    // A second stretch after a drain plays too.
    ASSERT_TRUE(out.write(samples.data(), size_t(frames)));
    ASSERT_TRUE(out.drain());
    EXPECT_EQ(out.position(), 2 * frames);
}

INSTANTIATE_TEST_SUITE_P(Rates, AudioOutputFormats,
                         ::testing::Values(Format{44100, 2, 44100}, Format{22050, 1, 44100},
                                           Format{48000, 2, 48000}, Format{11025, 1, 44100},
                                           Format{8000, 2, 48000}, Format{32000, 1, 48000}));

TEST(AudioOutput, RefusesFormatsItCannotPlay) {
    for (auto [rate, channels] : {std::pair{0, 2}, {44100, 0}, {44100, 3}, {-5, 1}, {999999, 2}})
        EXPECT_THROW(AudioOutput(rate, channels), AudioError) << rate << " Hz " << channels << " ch";
}

// A writer blocked on a full queue of a paused device is released by abort, and stays refused.
TEST(AudioOutput, AbortReleasesABlockedWriterAndResetAcceptsAgain) {
    AudioOutput out(44100, 2);
    out.pause(true);
    const auto samples = sine(44100, 2, 44100); // 1 s: more than the queue holds
    std::atomic<int> result{-1};
    std::thread writer([&] { result = out.write(samples.data(), 44100) ? 1 : 0; });
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_EQ(result.load(), -1) << "the writer should be waiting for room";
    out.abort();
    writer.join();
    EXPECT_EQ(result.load(), 0);
    EXPECT_FALSE(out.write(samples.data(), 10));
    EXPECT_FALSE(out.drain());
    const int64_t frozen = out.position();
    out.reset();
    out.pause(false);
    EXPECT_EQ(out.position(), frozen);
    ASSERT_TRUE(out.write(samples.data(), 4410));
    ASSERT_TRUE(out.drain());
    EXPECT_EQ(out.position(), frozen + 4410);
}

// The device is held only while playing: outputs that take turns never find it taken, even on a
// driver that allows one open device (the dummy driver does).
TEST(AudioOutput, OutputsTakingTurnsAllPlay) {
    AudioOutput a(44100, 2), b(22050, 1), c(48000, 1);
    const auto sa = sine(44100, 2, 4410), sb = sine(22050, 1, 2205), sc = sine(48000, 1, 4800);
    for (int round = 0; round < 2; ++round) {
        ASSERT_TRUE(a.write(sa.data(), 4410) && a.drain());
        ASSERT_TRUE(b.write(sb.data(), 2205) && b.drain());
        ASSERT_TRUE(c.write(sc.data(), 4800) && c.drain());
    }
    EXPECT_EQ(a.position(), 2 * 4410);
    EXPECT_EQ(b.position(), 2 * 2205);
    EXPECT_EQ(c.position(), 2 * 4800);
}

} // namespace
