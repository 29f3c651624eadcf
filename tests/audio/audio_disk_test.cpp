// Runs on SDL's disk driver, which stores exactly what the device plays: a source at the device's own
// format must come out bit for bit, in order, with nothing but silence around it.
#include "platform/audio/audio_output.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <vector>

TEST(AudioDisk, ASourceAtTheDeviceFormatPlaysBitExact) {
    const char* path = std::getenv("SDL_DISKAUDIOFILE");
    ASSERT_NE(path, nullptr);
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
    std::ifstream in(path, std::ios::binary);
    std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    ASSERT_EQ(bytes.size() % 2, 0u);
    std::vector<int16_t> played(bytes.size() / 2);
    std::memcpy(played.data(), bytes.data(), bytes.size());
    size_t first = 0;
    while (first < played.size() && played[first] == 0) ++first;
    ASSERT_GE(played.size(), first + pattern.size()) << "fewer samples were played than written";
    for (size_t i = 0; i < pattern.size(); ++i) ASSERT_EQ(played[first + i], pattern[i]) << "sample " << i;
    for (size_t i = first + pattern.size(); i < played.size(); ++i) ASSERT_EQ(played[i], 0) << "sample " << i;
}
