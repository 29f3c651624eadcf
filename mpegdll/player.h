// The library's one player: an open stream, its playing thread and the output it plays to.
//
// Every member is called by the controlling thread (the entries hold a lock around each call). While a
// play runs, the playing thread owns the decoder and the sink's write side; the controlling thread only
// reads atomics, asks the sink for its position, and joins the thread before it touches the decoder.
// Each member returns the library's error code (0 = success).
#pragma once

#include "mpegdll/decoder.h"
#include "mpegdll/sink.h"

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

namespace vorlin::mpegdll {

class Player {
public:
    ~Player();

    int open(const std::string& path);
    // Stops and drops the stream. Leaves: mode 0.
    int close();
    int setPriority(int32_t priority);
    int setOutputDevice(int32_t device, const char* name);
    // Starts the playing thread at `startMs` up to `endMs` (0 = the end); `ended` receives 1 once the
    // stream has played out. Leaves: mode 3.
    int play(int32_t startMs, int32_t endMs, uint8_t* ended);
    // Ends the playing thread; `ended` stays as it is. Leaves: mode 1, the stream open.
    int stop();
    int pause(bool pause);
    int restart();
    int seek(int32_t ms);
    int resetMode();

    int32_t mode() const { return mode_.load(); }
    int32_t positionMs() const;
    int32_t lengthMs() const;
    int32_t frequency() const { return decoder_ ? decoder_->rate() : 0; }
    int32_t bitrate() const { return decoder_ ? decoder_->bitrateKbps() : 0; }
    int32_t layer() const { return decoder_ ? decoder_->layer() : 0; }

private:
    void join();
    void run(int64_t endFrame, uint8_t* ended);
    void pump(int64_t endFrame);
    int64_t msToFrames(int64_t ms) const { return ms * decoder_->rate() / 1000; }

    std::unique_ptr<Decoder> decoder_;
    std::unique_ptr<Sink> sink_;
    std::thread thread_;
    int32_t device_ = 0;
    std::string outFile_;
    std::atomic<int32_t> priority_{0};
    int32_t lastStartMs_ = 0, lastEndMs_ = 0;
    uint8_t* lastEnded_ = nullptr;
    int64_t startFrame_ = 0;

    std::atomic<int32_t> mode_{0};
    std::atomic<bool> stopping_{false};
    std::atomic<int64_t> seekRequest_{-1};
    std::atomic<int64_t> seekBase_{0}; // frames skipped or rewound by seeks while playing
    std::mutex pauseMutex_;
    std::condition_variable pauseChanged_;
    bool paused_ = false; // guarded by pauseMutex_
};

} // namespace vorlin::mpegdll
