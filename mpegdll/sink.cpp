#include "mpegdll/sink.h"

#include "platform/audio/audio_output.h"

#include <sndfile.h>

#include <atomic>
#include <stdexcept>

namespace vorlin::mpegdll {
namespace {

class SoundSink final : public Sink {
public:
    SoundSink(int rate, int channels) : out_(rate, channels) {}
    bool write(const int16_t* samples, size_t frames) override { return out_.write(samples, frames); }
    bool finish() override { return out_.drain(); }
    void abort() override { out_.abort(); }
    void pause(bool paused) override { out_.pause(paused); }
    int64_t played() const override { return out_.position(); }

private:
    audio::AudioOutput out_;
};

// Writes as fast as the decoder runs: a PCM file needs no pacing.
class WavFileSink final : public Sink {
public:
    WavFileSink(const std::string& path, int rate, int channels) : channels_(channels) {
        SF_INFO info{};
        info.samplerate = rate;
        info.channels = channels;
        info.format = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
        f_ = sf_open(path.c_str(), SFM_WRITE, &info);
        if (!f_) throw std::runtime_error(path + ": " + sf_strerror(nullptr));
    }
    ~WavFileSink() override { close(); }

    bool write(const int16_t* samples, size_t frames) override {
        if (aborted_.load() || !f_) return false;
        const sf_count_t n = sf_writef_short(f_, samples, sf_count_t(frames));
        if (n > 0) stored_.fetch_add(n);
        return n == sf_count_t(frames);
    }
    bool finish() override {
        if (aborted_.load()) return false;
        return close(); // the file is complete the moment the end is reported
    }
    void abort() override { aborted_.store(true); }
    void pause(bool) override {}
    int64_t played() const override { return stored_.load(); }

private:
    bool close() {
        if (!f_) return true;
        const bool ok = sf_close(f_) == 0;
        f_ = nullptr;
        return ok;
    }

    SNDFILE* f_ = nullptr;
    int channels_;
    std::atomic<bool> aborted_{false};
    std::atomic<int64_t> stored_{0};
};

} // namespace

std::unique_ptr<Sink> openSoundSink(int rate, int channels) {
    return std::make_unique<SoundSink>(rate, channels);
}

std::unique_ptr<Sink> openWavFileSink(const std::string& path, int rate, int channels) {
    return std::make_unique<WavFileSink>(path, rate, channels);
}

} // namespace vorlin::mpegdll
