// Where the library's playing thread puts decoded frames: the sound output (device 0) or a WAV file
// (device 2). `write`, `finish` run on the playing thread; `abort`, `pause`, `played` on the controlling
// thread while it runs.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace vorlin::mpegdll {

class Sink {
public:
    virtual ~Sink() = default;
    // false: aborted or failed; the playing thread then stops.
    virtual bool write(const int16_t* samples, size_t frames) = 0;
    // Everything written has been played (sound) or stored (file). false: aborted or failed.
    virtual bool finish() = 0;
    // Makes a blocked `write`/`finish` return false.
    virtual void abort() = 0;
    virtual void pause(bool paused) = 0;
    // Frames played (sound) or stored (file) so far.
    virtual int64_t played() const = 0;
};

// Both throw std::runtime_error when the device or file cannot be opened.
std::unique_ptr<Sink> openSoundSink(int rate, int channels);
std::unique_ptr<Sink> openWavFileSink(const std::string& path, int rate, int channels);

} // namespace vorlin::mpegdll
