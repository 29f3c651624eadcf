// Writes float samples (interleaved, `channels` to a frame) to a sound file through libsndfile, for the
// small programs that make test sounds and fuzzing seeds. Ends the program on an error.
#pragma once

#include <sndfile.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

inline void writeSoundFile(const std::string& name, int format, int rate, int channels,
                           const std::vector<float>& v) {
    SF_INFO info{};
    info.samplerate = rate;
    info.channels = channels;
    info.format = format;
    SNDFILE* f = sf_open(name.c_str(), SFM_WRITE, &info);
    if (!f) {
        std::fprintf(stderr, "%s: %s\n", name.c_str(), sf_strerror(nullptr));
        std::exit(1);
    }
    // sf_writef_float: the MPEG writer of libsndfile 1.2.0 garbles sf_writef_short input.
    sf_writef_float(f, v.data(), sf_count_t(v.size() / size_t(channels)));
    sf_close(f);
}
