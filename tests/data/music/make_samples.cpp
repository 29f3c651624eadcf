// Writes the small sound files the music tests play. Build and run from this folder:
//   g++ -std=c++20 -O2 make_samples.cpp -lsndfile -o /tmp/make_samples && /tmp/make_samples
// MP3 files are encoded by libsndfile's MPEG writer (LAME); WAV files are plain 16-bit PCM; the MIDI
// file is written byte by byte below.
#include "sound_file.h"

#include <sndfile.h>

#include <cmath>
#include <fstream>
#include <string>
#include <vector>

namespace {

// A sine on each channel (the right one a fifth above), faded in and out over 10 ms.
std::vector<float> tone(int rate, int channels, double seconds, double freq) {
    const int frames = int(rate * seconds);
    std::vector<float> v(size_t(frames) * size_t(channels));
    const int fade = rate / 100;
    for (int i = 0; i < frames; ++i) {
        double env = 1.0;
        if (i < fade) env = double(i) / fade;
        if (frames - i < fade) env = double(frames - i) / fade;
        for (int c = 0; c < channels; ++c) {
            const double f = c == 0 ? freq : freq * 1.5;
            v[size_t(i) * size_t(channels) + size_t(c)] =
                float(0.5 * env * std::sin(2 * M_PI * f * i / rate));
        }
    }
    return v;
}

void put32(std::string& s, unsigned v) {
    for (int i = 3; i >= 0; --i) s += char((v >> (8 * i)) & 0xff);
}

// Format 0, 480 ticks per quarter at 120 bpm: C, E, G, C' (a quarter note each, 2 s) on piano.
void writeMidi(const std::string& name) {
    std::string track;
    track += std::string("\x00\xC0\x00", 3); // program change: piano
    const int notes[] = {60, 64, 67, 72};
    for (int n : notes) {
        track += std::string("\x00\x90", 2) + char(n) + char(100);
        track += std::string("\x83\x60\x80", 3) + char(n) + char(64); // delta 480
    }
    track += std::string("\x00\xFF\x2F\x00", 4);
    std::string file = "MThd";
    put32(file, 6);
    file += std::string("\x00\x00\x00\x01\x01\xE0", 6);
    file += "MTrk";
    put32(file, unsigned(track.size()));
    file += track;
    std::ofstream(name, std::ios::binary) << file;
}

} // namespace

int main() {
    const int mp3 = SF_FORMAT_MPEG | SF_FORMAT_MPEG_LAYER_III;
    writeSoundFile("tone_1s_44k_stereo.mp3", mp3, 44100, 2, tone(44100, 2, 1.0, 440));
    writeSoundFile("tone_half_22k_mono.mp3", mp3, 22050, 1, tone(22050, 1, 0.5, 330));
    writeSoundFile("tone_half_44k_stereo.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_16, 44100, 2,
                   tone(44100, 2, 0.5, 440));
    writeSoundFile("tone_half_11k_mono.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_16, 11025, 1,
                   tone(11025, 1, 0.5, 220));
    writeMidi("scale.mid");
    return 0;
}
