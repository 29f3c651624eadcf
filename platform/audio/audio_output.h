// The sound output: one SDL2 audio device per player, fed by blocking writes.
//
// A player opens one AudioOutput with the format of its source (any rate, 1 or 2 channels, signed
// 16-bit interleaved); the device itself runs at 44.1 or 48 kHz stereo 16-bit and the output resamples
// (SDL_AudioStream) where the source differs. The player's own thread writes decoded frames; `write`
// blocks while about a fifth of a second is already waiting, so a decoder runs only as fast as the
// sound plays. SDL's audio thread takes the frames from the queue and plays silence when it runs dry.
//
// The SDL device is open only while the output plays: the first `write` of a stretch opens it, and a
// completed `drain` or an `abort` closes it. Some drivers (the dummy driver among them) allow one open
// device at a time, and a player that has finished must not keep the next player from sounding.
//
// Driver choice: SDL_AUDIODRIVER decides (dummy or disk where no sound card exists). When the chosen
// driver cannot start or cannot open a device and no other device is open, the output falls back to
// SDL's dummy driver quietly, so that a show goes on silently instead of failing. With no driver set
// on a machine with neither a sound card nor a sound server, the dummy driver is chosen at once.
//
// Threads: every entry may be called from any thread. `write` and `drain` are meant for one producer
// thread; `abort`, `pause`, `position` and the destructor may be called from another thread meanwhile.
// The destructor must not run on the producer thread while it is blocked in `write` or `drain`.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>

namespace vorlin::audio {

// The device could not be opened even on the fallback driver, or the source format is unusable.
class AudioError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class AudioOutput {
public:
    // Prepares an output for a source of `rate` Hz (1000..384000) and `channels` (1 or 2); starts SDL's
    // audio (falling back to the dummy driver). Throws AudioError.
    // Leaves: no device open yet, the queue empty, position 0, not paused, not aborted.
    AudioOutput(int rate, int channels);
    // Leaves: the device closed; queued frames that were not played are dropped.
    ~AudioOutput();
    AudioOutput(const AudioOutput&) = delete;
    AudioOutput& operator=(const AudioOutput&) = delete;

    // Queues `frames` source frames, blocking while the queue is full; opens the device when it is closed
    // and throws AudioError when no device can be opened. Returns false at once (queueing nothing more)
    // once `abort` has been called. Leaves: the device open, the frames queued for playing.
    bool write(const int16_t* samples, size_t frames);
    // Blocks until every queued frame has been played (the resampler's tail included). Returns false
    // if `abort` ended the wait. Leaves: the queue empty, the device closed; a write starts a new stretch.
    bool drain();
    // Drops every queued frame and makes `write`/`drain` return false now and from then on.
    // Leaves: the device closed; position frozen where it was.
    void abort();
    // Undoes `abort` once no thread is blocked in `write`/`drain` any more.
    // Leaves: the queue empty, writes accepted again, the position where it was.
    void reset();
    // Pauses (true) or resumes (false) the device, now or when it opens; a paused device takes no
    // frames, so a writer blocks. Leaves: the queue untouched.
    void pause(bool paused);

    // Source frames played so far (taken by the device), since open.
    int64_t position() const;
    // The source format this output was opened with, and the device's own rate.
    int sourceRate() const;
    int sourceChannels() const;
    int deviceRate() const;
    // The SDL driver in use ("dummy", "disk", "alsa", ...).
    static std::string driverName();

    struct State; // defined in audio_output.cpp; shared with SDL's audio thread

private:
    std::unique_ptr<State> s_;
};

} // namespace vorlin::audio
