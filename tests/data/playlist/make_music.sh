#!/usr/bin/env bash
# Makes the small music files the MPEG player and playlist tests play (committed; re-run to remake them):
# sine tones as MP3 (LAME through libsndfile) and WAV, and a short MIDI file of two notes.
set -euo pipefail
cd "$(dirname "$0")"
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
cat > "$tmp/tone.c" <<'EOF'
#include <math.h>
#include <sndfile.h>
#include <stdlib.h>
// tone <out> <mp3|wav> <rate> <milliseconds> <hz>
int main(int argc, char** argv) {
    if (argc != 6) return 2;
    SF_INFO info = {0};
    info.samplerate = atoi(argv[3]);
    info.channels = 1;
    info.format = argv[2][0] == 'm' ? (SF_FORMAT_MPEG | SF_FORMAT_MPEG_LAYER_III) : (SF_FORMAT_WAV | SF_FORMAT_PCM_16);
    SNDFILE* f = sf_open(argv[1], SFM_WRITE, &info);
    if (!f) return 1;
    long n = (long)info.samplerate * atoi(argv[4]) / 1000;
    double hz = atof(argv[5]);
    for (long i = 0; i < n; ++i) {
        float s = (float)(0.3 * sin(2 * M_PI * hz * i / info.samplerate));
        sf_writef_float(f, &s, 1);
    }
    return sf_close(f);
}
EOF
cc -O1 -o "$tmp/tone" "$tmp/tone.c" $(pkg-config --cflags --libs sndfile) -lm
"$tmp/tone" tone_300ms.mp3 mp3 22050 300 440
"$tmp/tone" tone_1200ms.mp3 mp3 22050 1200 660
"$tmp/tone" a.wav wav 11025 150 440
"$tmp/tone" b.wav wav 11025 150 550
"$tmp/tone" c.wav wav 11025 150 660
cp tone_300ms.mp3 lower.mp3
cp tone_300ms.mp3 UPPER.MP3
# MIDI: format 0, one track, 96 ticks per quarter at 500000 us: two 1/8 notes.
printf 'MThd\0\0\0\6\0\0\0\1\0\x60MTrk\0\0\0\x14\0\x90\x3c\x60\x30\x80\x3c\0\0\x90\x40\x60\x30\x80\x40\0\0\xff\x2f\0' > notes.mid
cp notes.mid notes.midi
cp notes.mid notes.rmi
# Not music at all, with a music file's name.
printf 'this is not an mp3 file\n' > broken.mp3
