// 16-bit frames from an open libsndfile file in the shape the sound output takes: mono or stereo. A file
// with more than two channels gives its first two. Used by the wave device and by the MPEG audio
// library's decoder for sampled files, which is why it lives below both.
#pragma once

#include <sndfile.h>

#include <cstddef>
#include <cstdint>
#include <vector>

namespace vorlin::audio {

class StereoFrames {
public:
    // For a file of `fileChannels` channels (at least 1).
    explicit StereoFrames(int fileChannels = 1);

    // The channels of each frame `read` writes: 1 or 2.
    int channels() const { return channels_; }

    // Reads up to `frames` frames from `file` into `out` (channels() samples each). Returns how many were
    // read; 0 at the end of the file or on a fault.
    size_t read(SNDFILE* file, int16_t* out, size_t frames);

private:
    int fileChannels_;
    int channels_;
    std::vector<int16_t> wide_; // all channels of a read, when the file has more than two
};

} // namespace vorlin::audio
