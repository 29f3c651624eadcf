#include "platform/audio/stereo_frames.h"

namespace vorlin::audio {

StereoFrames::StereoFrames(int fileChannels)
    : fileChannels_(fileChannels), channels_(fileChannels > 2 ? 2 : fileChannels) {}

size_t StereoFrames::read(SNDFILE* file, int16_t* out, size_t frames) {
    if (fileChannels_ == channels_) {
        const sf_count_t got = sf_readf_short(file, out, sf_count_t(frames));
        return got > 0 ? size_t(got) : 0;
    }
    wide_.resize(frames * size_t(fileChannels_));
    const sf_count_t got = sf_readf_short(file, wide_.data(), sf_count_t(frames));
    for (sf_count_t i = 0; i < got; ++i) {
        out[2 * i] = wide_[size_t(i * fileChannels_)];
        out[2 * i + 1] = wide_[size_t(i * fileChannels_ + 1)];
    }
    return got > 0 ? size_t(got) : 0;
}

} // namespace vorlin::audio
