// Files of one to six channels read as mono or stereo: every frame in order, a wide file giving its first
// two channels, reads split anywhere, and 0 once the file is done.
#include "platform/audio/stereo_frames.h"

#include "../lib/test_files.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

// A sample that names its frame and channel.
int16_t sampleAt(int frame, int channel) {
    return int16_t(frame * 8 + channel - 4000);
}

void writeWav(const std::string& path, int channels, int frames) {
    std::vector<int16_t> samples;
    for (int i = 0; i < frames; ++i)
        for (int c = 0; c < channels; ++c) samples.push_back(sampleAt(i, c));
    SF_INFO info{};
    info.samplerate = 8000;
    info.channels = channels;
    info.format = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
    SNDFILE* f = sf_open(path.c_str(), SFM_WRITE, &info);
    ASSERT_NE(f, nullptr) << sf_strerror(nullptr);
    sf_writef_short(f, samples.data(), frames);
    sf_close(f);
}

} // namespace

TEST(StereoFrames, KeepsTheFirstTwoChannelsOfEveryFrame) {
    const vorlin::testing::TempDir dir;
    const int frames = 1000;
    for (int channels : {1, 2, 3, 6}) {
        SCOPED_TRACE(channels);
        const std::string path = dir / ("c" + std::to_string(channels) + ".wav");
        writeWav(path, channels, frames);
        SF_INFO info{};
        SNDFILE* f = sf_open(path.c_str(), SFM_READ, &info);
        ASSERT_NE(f, nullptr);

        vorlin::audio::StereoFrames reader(info.channels);
        const int kept = channels > 2 ? 2 : channels;
        EXPECT_EQ(reader.channels(), kept);
        std::vector<int16_t> got, chunk(300 * size_t(kept));
        while (const size_t n = reader.read(f, chunk.data(), 300))
            got.insert(got.end(), chunk.begin(), chunk.begin() + long(n * size_t(kept)));
        EXPECT_EQ(reader.read(f, chunk.data(), 300), 0u);
        sf_close(f);

        std::vector<int16_t> want;
        for (int i = 0; i < frames; ++i)
            for (int c = 0; c < kept; ++c) want.push_back(sampleAt(i, c));
        EXPECT_TRUE(got == want);
    }
}
