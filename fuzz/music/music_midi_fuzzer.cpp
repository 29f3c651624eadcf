// The MCI sequencer on arbitrary bytes: our chunk check, then FluidSynth's MIDI player from memory
// (fluid_player_add_mem) rendering through one synth with the installed soundfont.
#include "music/mci/mci_device.h"
#include "music/mci/mci_player.h"

#include <cstdint>
#include <memory>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const std::shared_ptr<vorlin::music::MidiSynth> synth =
        vorlin::music::makeMidiSynth(vorlin::music::findSoundfont());
    try {
        auto smf = vorlin::music::standardMidiBytes(std::vector<uint8_t>(data, data + size));
        auto dev = vorlin::music::openMidi(synth, std::move(smf));
        dev->start();
        std::vector<int16_t> buf(2 * 1024);
        // Long pauses in a file are legal: two seconds of sound per input keep the fuzzer moving.
        for (size_t total = 0; total < 88200;) {
            const size_t got = dev->render(buf.data(), 1024);
            if (got == 0) break;
            total += got;
        }
    } catch (const vorlin::music::MciError&) {
    }
    return 0;
}
