#include "mpegdll/player.h"

#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <vector>

namespace vorlin::mpegdll {
namespace {

constexpr int kOk = 0, kErrDecoder = 1, kErrMode = 2, kErrSeek = 4, kErrOutput = 5;
constexpr int kClosed = 0, kStopped = 1, kPaused = 2, kPlaying = 3;

// The Windows thread priorities a caller may pass, as nice values for the playing thread.
bool niceFor(int32_t priority, int& nice) {
    switch (priority) {
    case -15:
        nice = 19;
        return true;
    case -2:
        nice = 10;
        return true;
    case -1:
        nice = 5;
        return true;
    case 0:
        nice = 0;
        return true;
    case 1:
        nice = -5;
        return true;
    case 2:
        nice = -10;
        return true;
    case 15:
        nice = -20;
        return true;
    default:
        return false;
    }
}

// Milliseconds for a frame count, held to the entries' 32-bit range. libsndfile gives the largest 64-bit
// count for a stream of unknown length (a FLAC or Ogg stream without its total), which the plain
// multiplication by 1000 would overflow.
int32_t framesToMs(int64_t frames, int rate) {
    if (frames <= 0 || rate <= 0) return 0;
    const int64_t limit = int64_t(INT32_MAX);
    if (frames / rate >= limit / 1000) return INT32_MAX;
    return int32_t(std::min(frames * 1000 / rate, limit));
}

} // namespace

Player::~Player() {
    close();
}

void Player::join() {
    if (!thread_.joinable()) return;
    stopping_.store(true);
    if (sink_) sink_->abort();
    {
        std::lock_guard lock(pauseMutex_);
        paused_ = false;
    }
    pauseChanged_.notify_all();
    thread_.join();
    stopping_.store(false);
}

int Player::open(const std::string& path) {
    close();
    try {
        decoder_ = openDecoder(path);
    } catch (const DecodeError& e) {
        return e.code();
    } catch (const std::exception&) {
        return kErrDecoder;
    }
    startFrame_ = 0;
    seekBase_.store(0);
    mode_.store(kStopped);
    return kOk;
}

int Player::close() {
    join();
    sink_.reset();
    decoder_.reset();
    mode_.store(kClosed);
    return kOk;
}

int Player::setPriority(int32_t priority) {
    int nice = 0;
    if (!niceFor(priority, nice)) return kErrMode;
    priority_.store(priority);
    return kOk;
}

int Player::setOutputDevice(int32_t device, const char* name) {
    if (mode_.load() == kPlaying || mode_.load() == kPaused) return kErrMode;
    if (device == 0) {
        device_ = 0;
        outFile_.clear();
        return kOk;
    }
    if (device == 2 && name && *name) {
        device_ = 2;
        outFile_ = name;
        return kOk;
    }
    return kErrOutput;
}

int Player::play(int32_t startMs, int32_t endMs, uint8_t* ended) {
    if (!decoder_) return kErrMode;
    if (mode_.load() == kPlaying || mode_.load() == kPaused) return kErrMode;
    if (startMs < 0 || (endMs != 0 && endMs < startMs)) return kErrMode;
    join(); // a play that ran out leaves its thread to be collected here
    sink_.reset();
    const int64_t length = decoder_->lengthFrames();
    startFrame_ = std::min(msToFrames(startMs), length);
    const int64_t endFrame = endMs == 0 ? length : std::min(msToFrames(endMs), length);
    if (!decoder_->seek(startFrame_)) return kErrSeek;
    try {
        sink_ = device_ == 2 ? openWavFileSink(outFile_, decoder_->rate(), decoder_->channels())
                             : openSoundSink(decoder_->rate(), decoder_->channels());
    } catch (const std::exception&) {
        return kErrOutput;
    }
    lastStartMs_ = startMs;
    lastEndMs_ = endMs;
    lastEnded_ = ended;
    seekBase_.store(startFrame_);
    seekRequest_.store(-1);
    mode_.store(kPlaying);
    try {
        thread_ = std::thread([this, endFrame, ended] { run(endFrame, ended); });
    } catch (const std::exception&) {
        mode_.store(kStopped);
        return kErrDecoder;
    }
    return kOk;
}

// The playing thread: decode a slice, hand it to the sink, until the end, a stop or a fault.
void Player::run(int64_t endFrame, uint8_t* ended) {
    int nice = 0;
    if (niceFor(priority_.load(), nice) && nice != 0)
        setpriority(PRIO_PROCESS, id_t(syscall(SYS_gettid)), nice); // raising may be refused: fine

    try {
        pump(endFrame);
    } catch (const std::exception&) {
        // The output could not open (another player holds a one-device driver) or memory ran out:
        // the stream ends here.
    }
    // Any end but a stop counts as the end of the stream (a fault included), so that a caller waiting
    // for the end byte moves on instead of waiting forever.
    if (!stopping_.load()) {
        mode_.store(kStopped);
        if (ended) std::atomic_ref<uint8_t>(*ended).store(1);
    }
}

void Player::pump(int64_t endFrame) {
    const int channels = decoder_->channels();
    const size_t slice = 2048;
    std::vector<int16_t> buf(slice * size_t(channels));
    int64_t pos = startFrame_;
    for (;;) {
        {
            std::unique_lock lock(pauseMutex_);
            pauseChanged_.wait(lock, [&] { return !paused_ || stopping_.load(); });
        }
        if (stopping_.load()) break;
        const int64_t target = seekRequest_.exchange(-1);
        if (target >= 0 && decoder_->seek(target)) {
            seekBase_.store(target - sink_->played());
            pos = target;
        }
        const int64_t want = std::min<int64_t>(int64_t(slice), endFrame - pos);
        const size_t got = want > 0 ? decoder_->read(buf.data(), size_t(want)) : 0;
        if (got == 0) {
            sink_->finish();
            break;
        }
        pos += int64_t(got);
        if (!sink_->write(buf.data(), got)) break;
    }
}

int Player::stop() {
    if (!decoder_) return kErrMode;
    join();
    mode_.store(kStopped);
    return kOk;
}

int Player::pause(bool pause) {
    const int32_t m = mode_.load();
    if (pause ? m != kPlaying : m != kPaused) return kErrMode;
    {
        std::lock_guard lock(pauseMutex_);
        paused_ = pause;
    }
    sink_->pause(pause);
    pauseChanged_.notify_all();
    mode_.store(pause ? kPaused : kPlaying);
    return kOk;
}

int Player::restart() {
    if (!decoder_) return kErrMode;
    join();
    mode_.store(kStopped);
    if (lastEnded_) std::atomic_ref<uint8_t>(*lastEnded_).store(0);
    return play(0, lastEndMs_, lastEnded_);
}

int Player::seek(int32_t ms) {
    if (!decoder_) return kErrMode;
    if (ms < 0) return kErrMode;
    const int64_t frame = std::min(msToFrames(ms), decoder_->lengthFrames());
    const int32_t m = mode_.load();
    if (m == kPlaying || m == kPaused) {
        seekRequest_.store(frame);
        return kOk;
    }
    join();
    sink_.reset();
    if (!decoder_->seek(frame)) return kErrSeek;
    startFrame_ = frame;
    seekBase_.store(frame);
    return kOk;
}

int Player::resetMode() {
    if (!decoder_) return kErrMode;
    if (mode_.load() != kPlaying && mode_.load() != kPaused) mode_.store(kStopped);
    return kOk;
}

int32_t Player::positionMs() const {
    if (!decoder_) return 0;
    return framesToMs(seekBase_.load() + (sink_ ? sink_->played() : 0), decoder_->rate());
}

int32_t Player::lengthMs() const {
    if (!decoder_) return 0;
    return framesToMs(decoder_->lengthFrames(), decoder_->rate());
}

} // namespace vorlin::mpegdll
