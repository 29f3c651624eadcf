// Writes the seed corpus of mpegdll_fuzzer: short streams of each kind the library's decoder choice
// meets. Build and run from fuzz/corpus/mpegdll_fuzzer:
//   g++ -std=c++20 -O2 ../../mpegdll/make_seeds.cpp -lsndfile -o /tmp/make_seeds && /tmp/make_seeds
// MPEG layer III through libsndfile's MPEG writer (LAME); WAV, FLAC and Ogg Vorbis through libsndfile;
// an ID3v2-tagged MP3 and a RIFF/WAVE file carrying MPEG audio (format tag 0x55) are put together here.
// The other files of the corpus were found by fuzzing: xing_claims_4g_frames_rate_change.mp3 (an Open
// that took minutes), flac_total_642_hours.flac (a length past the 32-bit milliseconds) and
// ogg_broken_vorbis_headers.ogg (libsndfile's own leak, see lsan.supp).
#include "../../tests/data/music/sound_file.h"

#include <sndfile.h>

#include <cmath>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

std::vector<float> tone(int rate, int channels, double seconds, double freq) {
    const int frames = int(rate * seconds);
    std::vector<float> v(size_t(frames) * size_t(channels));
    for (int i = 0; i < frames; ++i)
        for (int c = 0; c < channels; ++c)
            v[size_t(i) * size_t(channels) + size_t(c)] =
                float(0.4 * std::sin(2 * M_PI * freq * (c + 1) * i / rate));
    return v;
}

std::string readAll(const std::string& name) {
    std::ifstream in(name, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void le(std::string& s, unsigned v, int bytes) {
    for (int i = 0; i < bytes; ++i) s += char((v >> (8 * i)) & 0xff);
}

} // namespace

int main() {
    const int mp3 = SF_FORMAT_MPEG | SF_FORMAT_MPEG_LAYER_III;
    writeSoundFile("l3_44k_stereo.mp3", mp3, 44100, 2, tone(44100, 2, 0.15, 440));
    writeSoundFile("l3_22k_mono.mp3", mp3, 22050, 1, tone(22050, 1, 0.2, 330));
    writeSoundFile("l3_8k_mono.mp3", mp3, 8000, 1, tone(8000, 1, 0.3, 220));
    writeSoundFile("pcm16_11k_mono.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_16, 11025, 1,
                   tone(11025, 1, 0.05, 220));
    writeSoundFile("pcm16_8k_4ch.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_16, 8000, 4, tone(8000, 4, 0.02, 220));
    writeSoundFile("flac_8k_mono.flac", SF_FORMAT_FLAC | SF_FORMAT_PCM_16, 8000, 1, tone(8000, 1, 0.1, 220));
    writeSoundFile("vorbis_8k_mono.ogg", SF_FORMAT_OGG | SF_FORMAT_VORBIS, 8000, 1, tone(8000, 1, 0.1, 220));

    // ID3v2.3 tag with one text frame in front of the 22 kHz stream.
    const std::string body = readAll("l3_22k_mono.mp3");
    std::string frame = "TIT2";
    const std::string title = std::string(1, '\0') + "Seed";
    frame += std::string("\0\0\0", 3) + char(title.size()) + std::string(2, '\0') + title;
    std::string tagged = std::string("ID3\x03\x00\x00", 6) + std::string(3, '\0') + char(frame.size());
    std::ofstream("id3v2_22k_mono.mp3", std::ios::binary) << tagged + frame + body;

    // RIFF/WAVE whose fmt chunk names MPEG layer III (0x55): libsndfile refuses it, libmpg123 reads it.
    const std::string mpeg = readAll("l3_8k_mono.mp3");
    std::string fmt = "fmt ";
    le(fmt, 12, 4);
    le(fmt, 0x55, 2); // format tag
    le(fmt, 1, 2);    // channels
    le(fmt, 8000, 4); // rate
    le(fmt, 1000, 4); // bytes per second
    le(fmt, 1, 2);    // block align
    le(fmt, 0, 2);    // bits per sample
    std::string data = "data";
    le(data, unsigned(mpeg.size()), 4);
    std::string riff = "RIFF";
    le(riff, unsigned(4 + fmt.size() + data.size() + mpeg.size()), 4);
    std::ofstream("riff_mpeg_8k_mono.wav", std::ios::binary) << riff + "WAVE" + fmt + data + mpeg;
    return 0;
}
