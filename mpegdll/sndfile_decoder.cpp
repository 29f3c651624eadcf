// Sampled files through libsndfile; more than two channels keep the first two.
#include "mpegdll/decoder.h"

#include <sndfile.h>

#include <vector>

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
        fileChannels_ = info.channels;
        channels_ = info.channels > 2 ? 2 : info.channels;
        length_ = info.frames;
        seekable_ = info.seekable != 0;
    }
    ~SndfileDecoder() override { sf_close(f_); }

    int64_t lengthFrames() const override { return length_; }

    size_t read(int16_t* out, size_t frames) override {
        if (fileChannels_ == channels_) {
            const sf_count_t got = sf_readf_short(f_, out, sf_count_t(frames));
            return got > 0 ? size_t(got) : 0;
        }
        wide_.resize(frames * size_t(fileChannels_));
        const sf_count_t got = sf_readf_short(f_, wide_.data(), sf_count_t(frames));
        for (sf_count_t i = 0; i < got; ++i) {
            out[2 * i] = wide_[size_t(i * fileChannels_)];
            out[2 * i + 1] = wide_[size_t(i * fileChannels_ + 1)];
        }
        return got > 0 ? size_t(got) : 0;
    }

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
    int fileChannels_ = 0;
    int64_t length_ = 0;
    bool seekable_ = false;
    std::vector<int16_t> wide_;
};

} // namespace

std::unique_ptr<Decoder> openSndfileDecoder(const std::string& path) {
    return std::make_unique<SndfileDecoder>(path);
}

} // namespace vorlin::mpegdll
