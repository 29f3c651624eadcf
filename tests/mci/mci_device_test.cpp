#include "music/mci/mci_device.h"
#include "music/mci/mci_player.h"

#include <gtest/gtest.h>
#include <sndfile.h>

#include <cmath>
#include <fstream>
#include <iterator>

using namespace vorlin::music;

namespace {

const std::string kData = VORLIN_TEST_DATA_DIR "/music/";

std::vector<uint8_t> readBytes(const std::string& p) {
    std::ifstream in(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::vector<int16_t> renderAll(MciDevice& d, size_t maxFrames) {
    std::vector<int16_t> out;
    std::vector<int16_t> buf(1024 * size_t(d.channels()));
    while (out.size() / size_t(d.channels()) < maxFrames) {
        const size_t got = d.render(buf.data(), 1024);
        if (got == 0) break;
        out.insert(out.end(), buf.begin(), buf.begin() + long(got * size_t(d.channels())));
    }
    return out;
}

double rms(const int16_t* s, size_t n) {
    double sum = 0;
    for (size_t i = 0; i < n; ++i) sum += double(s[i]) * s[i];
    return n ? std::sqrt(sum / double(n)) : 0;
}

// The wave device gives libsndfile's samples, from a file and from memory alike.
TEST(WaveDevice, FileAndMemoryGiveTheSamplesInTheFile) {
    for (const char* file : {"tone_half_44k_stereo.wav", "tone_half_11k_mono.wav"}) {
        SCOPED_TRACE(file);
        SF_INFO info{};
        SNDFILE* f = sf_open((kData + file).c_str(), SFM_READ, &info);
        ASSERT_NE(f, nullptr);
        std::vector<int16_t> ref(size_t(info.frames * info.channels));
        sf_readf_short(f, ref.data(), info.frames);
        sf_close(f);
        auto fromFile = openWaveFile(kData + file);
        auto fromMemory = openWaveMemory(readBytes(kData + file));
        for (MciDevice* d : {fromFile.get(), fromMemory.get()}) {
            EXPECT_EQ(d->rate(), info.samplerate);
            EXPECT_EQ(d->channels(), info.channels);
            EXPECT_TRUE(renderAll(*d, 1u << 20) == ref);
        }
    }
}

// The sequencer really sounds: notes while the scale plays, then it ends by itself (release tails
// included) well before a generous limit.
TEST(MidiDevice, RendersTheScaleAudiblyAndEnds) {
    const std::string sf = findSoundfont();
    ASSERT_FALSE(sf.empty()) << "no General MIDI soundfont installed";
    auto synth = makeMidiSynth(sf);
    auto dev = openMidi(synth, standardMidiBytes(readBytes(kData + "scale.mid")));
    dev->start();
    const auto pcm = renderAll(*dev, size_t(dev->rate()) * 30);
    const size_t frames = pcm.size() / 2;
    EXPECT_GE(frames, size_t(dev->rate()) * 2) << "the scale lasts two seconds";
    EXPECT_LE(frames, size_t(dev->rate()) * 7 / 2) << "the sequencer should end soon after the last note";
    // Each of the four quarter notes (0.5 s each) is audible.
    for (int q = 0; q < 4; ++q)
        EXPECT_GT(rms(pcm.data() + size_t(q) * size_t(dev->rate()) / 2, size_t(dev->rate()) / 2), 300.0) << q;
    // The same synth serves the next file, from its start.
    auto again = openMidi(synth, standardMidiBytes(readBytes(kData + "scale.mid")));
    again->start();
    EXPECT_EQ(renderAll(*again, size_t(dev->rate()) * 30).size(), pcm.size());
}

TEST(MidiDevice, MissingSoundfontCannotLoadTheDriver) {
    try {
        makeMidiSynth("/no/such/soundfont.sf2");
        ADD_FAILURE() << "loaded";
    } catch (const MciError& e) {
        EXPECT_EQ(e.code(), MCIERR_CANNOT_LOAD_DRIVER);
    }
}

TEST(MidiDevice, RmidWrapperYieldsTheStandardMidiFile) {
    const auto smf = readBytes(kData + "scale.mid");
    std::vector<uint8_t> rmid = {'R', 'I', 'F', 'F', 0, 0, 0, 0, 'R', 'M', 'I', 'D', 'd', 'a', 't', 'a'};
    const uint32_t n = uint32_t(smf.size());
    for (int i = 0; i < 4; ++i) rmid.push_back(uint8_t(n >> (8 * i)));
    rmid.insert(rmid.end(), smf.begin(), smf.end());
    EXPECT_EQ(standardMidiBytes(rmid), smf);
    rmid.resize(rmid.size() - 5);
    EXPECT_THROW(standardMidiBytes(rmid), MciError);
}

} // namespace
