// The MCI devices: sources of 16-bit frames that the MCI player's thread renders into its audio output.
// One file per device kind: the wave device (libsndfile) and the MIDI sequencer (FluidSynth).
// A device is used by one thread at a time: opened on the main thread, rendered on the playing thread,
// started and destroyed on the main thread while no play runs.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace vorlin::music {

class MciDevice {
public:
    virtual ~MciDevice() = default;
    virtual int rate() const = 0;
    virtual int channels() const = 0;
    // Called before each play, on the main thread.
    virtual void start() {}
    // Renders up to `frames` frames into `out`; 0 means the play has reached the end.
    virtual size_t render(int16_t* out, size_t frames) = 0;
};

// The wave device over a file or over bytes in memory (libsndfile's virtual I/O).
// Both throw MciError (MCIERR_INVALID_FILE) for content libsndfile cannot read or cannot play.
std::unique_ptr<MciDevice> openWaveFile(const std::string& path);
std::unique_ptr<MciDevice> openWaveMemory(std::vector<uint8_t> bytes);

// The synthesizer behind the sequencer: FluidSynth with a General MIDI soundfont loaded once and kept
// for the following opens. Throws MciError (MCIERR_CANNOT_LOAD_DRIVER) when no soundfont loads.
class MidiSynth;
std::shared_ptr<MidiSynth> makeMidiSynth(const std::string& soundfont);
// The first installed General MIDI soundfont in the usual Debian places, or "" when there is none.
std::string findSoundfont();

// Checks the chunk layout of a Standard MIDI File (or an RMID wrapping one) and returns the SMF bytes;
// throws MciError (MCIERR_INVALID_FILE) for a file that is not one or is cut short.
std::vector<uint8_t> standardMidiBytes(const std::vector<uint8_t>& file);
// The sequencer playing `smf` (checked bytes) on `synth`, which it resets first.
std::unique_ptr<MciDevice> openMidi(std::shared_ptr<MidiSynth> synth, std::vector<uint8_t> smf);

} // namespace vorlin::music
