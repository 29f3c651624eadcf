// MPEG audio through libmpg123, forced to signed 16-bit output at the stream's own rate.
#include "mpegdll/decoder.h"

#include <mpg123.h>
#include <sys/stat.h>

#include <mutex>

namespace vorlin::mpegdll {
namespace {

int64_t fileSize(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 ? int64_t(st.st_size) : 0;
}

class Mpg123Decoder final : public Decoder {
public:
    explicit Mpg123Decoder(const std::string& path) {
        static std::once_flag once;
        std::call_once(once, [] { mpg123_init(); });
        int err = MPG123_OK;
        h_ = mpg123_new(nullptr, &err);
        if (!h_) throw DecodeError(1, path + ": cannot start the MPEG decoder");
        mpg123_param(h_, MPG123_ADD_FLAGS, MPG123_QUIET, 0.0);
        mpg123_format_none(h_);
        const long* rates = nullptr;
        size_t count = 0;
        mpg123_rates(&rates, &count);
        for (size_t i = 0; i < count; ++i)
            mpg123_format(h_, rates[i], MPG123_MONO | MPG123_STEREO, MPG123_ENC_SIGNED_16);
        if (mpg123_open(h_, path.c_str()) != MPG123_OK) fail(3, path, "cannot open the file");
        long rate = 0;
        int channels = 0, encoding = 0;
        bool found = mpg123_getformat(h_, &rate, &channels, &encoding) == MPG123_OK;
        // libmpg123 converts a stream whose frames change rate by counting through every frame the
        // Xing/Info header claims, one by one: a header claiming four billion frames makes one call
        // run for minutes. Every frame takes at least its 4-byte header, so a claim beyond a quarter of
        // the file's size is false; such a header is ignored (with the gapless trim it carries).
        if (found && int64_t(mpg123_framelength(h_)) > fileSize(path) / 4) {
            mpg123_close(h_);
            mpg123_param(h_, MPG123_ADD_FLAGS, MPG123_IGNORE_INFOFRAME, 0.0);
            found = mpg123_open(h_, path.c_str()) == MPG123_OK &&
                    mpg123_getformat(h_, &rate, &channels, &encoding) == MPG123_OK;
        }
        if (!found || rate <= 0 || channels < 1 || channels > 2) fail(3, path, "no MPEG audio frames found");
        // Keep exactly this format: a stream whose later frames differ is converted by libmpg123.
        mpg123_format_none(h_);
        mpg123_format(h_, rate, channels, MPG123_ENC_SIGNED_16);
        rate_ = int(rate);
        channels_ = channels;
        if (mpg123_scan(h_) != MPG123_OK) fail(3, path, "cannot read the stream");
        const off_t len = mpg123_length(h_);
        length_ = len > 0 ? int64_t(len) : 0;
        path_ = path;
        rewind();
        mpg123_frameinfo info{};
        if (mpg123_info(h_, &info) == MPG123_OK) {
            bitrate_ = info.bitrate;
            layer_ = info.layer;
        }
    }
    ~Mpg123Decoder() override {
        mpg123_close(h_);
        mpg123_delete(h_);
    }

    int64_t lengthFrames() const override { return length_; }

    size_t read(int16_t* out, size_t frames) override {
        if (done_) return 0;
        const size_t frameBytes = size_t(channels_) * 2;
        size_t total = 0;
        while (total < frames) {
            size_t got = 0;
            const int rc = mpg123_read(h_, reinterpret_cast<unsigned char*>(out + total * size_t(channels_)),
                                       (frames - total) * frameBytes, &got);
            total += got / frameBytes;
            if (rc == MPG123_NEW_FORMAT || rc == MPG123_OK) {
                if (got == 0 && rc == MPG123_OK) break;
                continue;
            }
            done_ = true; // MPG123_DONE, or a fault that ends the stream here
            break;
        }
        return total;
    }

    bool seek(int64_t frame) override {
        if (frame <= 0) return rewind();
        if (frame > length_) frame = length_;
        done_ = false;
        return mpg123_seek(h_, off_t(frame), SEEK_SET) >= 0;
    }
    int bitrateKbps() const override { return bitrate_; }
    int layer() const override { return layer_; }

private:
    // Back to the start by opening the file again: a seek primes the decoder from the middle of the
    // bit reservoir, and the first frames would differ slightly from a plain decode.
    bool rewind() {
        done_ = false;
        mpg123_close(h_);
        return mpg123_open(h_, path_.c_str()) == MPG123_OK;
    }

    [[noreturn]] void fail(int code, const std::string& path, const char* what) {
        mpg123_delete(h_);
        h_ = nullptr;
        throw DecodeError(code, path + ": " + what);
    }

    mpg123_handle* h_ = nullptr;
    std::string path_;
    int64_t length_ = 0;
    int bitrate_ = 0;
    int layer_ = 0;
    bool done_ = false;
};

} // namespace

std::unique_ptr<Decoder> openMpg123Decoder(const std::string& path) {
    return std::make_unique<Mpg123Decoder>(path);
}

} // namespace vorlin::mpegdll
