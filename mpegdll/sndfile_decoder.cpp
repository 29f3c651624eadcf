// Sampled files through libsndfile; more than two channels keep the first two.
#include "mpegdll/decoder.h"
#include "platform/audio/stereo_frames.h"

#include <sndfile.h>

namespace vorlin::mpegdll {
namespace {

class SndfileDecoder final : public Decoder {
public:
    explicit SndfileDecoder(const std::string& path) {
        SF_INFO info{};
        f_ = sf_open(path.c_str(), SFM_READ, &info);
        if (!f_) throw DecodeError(3, path + ": " + sf_strerror(nullptr));
        if (info.samplerate < 1000 || info.samplerate > 384000 || info.channels < 1 || info.frames < 0) {
            sf_close(f_);
            throw DecodeError(3, path + ": unsupported sample rate or channel count");
        }
        rate_ = info.samplerate;
        frames_ = audio::StereoFrames(info.channels);
        channels_ = frames_.channels();
        length_ = info.frames;
        seekable_ = info.seekable != 0;
    }
    ~SndfileDecoder() override { sf_close(f_); }

    int64_t lengthFrames() const override { return length_; }

    size_t read(int16_t* out, size_t frames) override { return frames_.read(f_, out, frames); }

    bool seek(int64_t frame) override {
        if (!seekable_) return false;
        if (frame < 0) frame = 0;
        if (frame > length_) frame = length_;
        return sf_seek(f_, sf_count_t(frame), SEEK_SET) >= 0;
    }
    int bitrateKbps() const override { return rate_ * channels_ * 16 / 1000; }
    int layer() const override { return 0; }

private:
    SNDFILE* f_ = nullptr;
    audio::StereoFrames frames_;
    int64_t length_ = 0;
    bool seekable_ = false;
};

} // namespace

std::unique_ptr<Decoder> openSndfileDecoder(const std::string& path) {
    return std::make_unique<SndfileDecoder>(path);
}

} // namespace vorlin::mpegdll
