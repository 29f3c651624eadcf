// Runs on SDL's disk driver, which stores exactly what the device plays: a source at the device's own
// format must come out bit for bit, in order, with nothing but silence around it.
#include "platform/audio/audio_output.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <vector>

namespace {

std::vector<int16_t> playedSamples() {
    std::ifstream in(std::getenv("SDL_DISKAUDIOFILE"), std::ios::binary);
    std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::vector<int16_t> played(bytes.size() / 2);
    std::memcpy(played.data(), bytes.data(), played.size() * 2);
    return played;
}

} // namespace

TEST(AudioDisk, ASourceAtTheDeviceFormatPlaysBitExact) {
    ASSERT_NE(std::getenv("SDL_DISKAUDIOFILE"), nullptr);
    const int frames = 11025;
    std::vector<int16_t> pattern(size_t(frames) * 2);
    for (size_t i = 0; i < pattern.size(); ++i) pattern[i] = int16_t(1 + int(i % 2000) - (i % 2 ? 3000 : 0));
    {
        vorlin::audio::AudioOutput out(44100, 2);
        ASSERT_EQ(out.deviceRate(), 44100);
        ASSERT_TRUE(out.write(pattern.data(), 5000));
        ASSERT_TRUE(out.write(pattern.data() + 10000, size_t(frames) - 5000));
        ASSERT_TRUE(out.drain());
    }
    const std::vector<int16_t> played = playedSamples();
    size_t first = 0;
    while (first < played.size() && played[first] == 0) ++first;
    ASSERT_GE(played.size(), first + pattern.size()) << "fewer samples were played than written";
    for (size_t i = 0; i < pattern.size(); ++i) ASSERT_EQ(played[first + i], pattern[i]) << "sample " << i;
    for (size_t i = first + pattern.size(); i < played.size(); ++i) ASSERT_EQ(played[i], 0) << "sample " << i;
}

// A resampled source keeps its tail: a steady level at 22.05 kHz mono comes out at 44.1 kHz stereo for
// twice as many frames on both channels (give or take the resampler's edges), none of it cut off.
TEST(AudioDisk, AResampledSourceIsPlayedToItsLastFrame) {
    const int frames = 11025;
    const std::vector<int16_t> level(frames, 12000);
    {
        vorlin::audio::AudioOutput out(22050, 1);
        ASSERT_EQ(out.deviceRate(), 44100);
        ASSERT_TRUE(out.write(level.data(), frames));
        ASSERT_TRUE(out.drain());
    }
    const std::vector<int16_t> played = playedSamples();
    size_t loud = 0;
    for (int16_t v : played) loud += v > 6000;
    EXPECT_NEAR(double(loud), 2.0 * 2 * frames, 64);
}
