// Decoders behind the library: an MP3 (MPEG audio layer 1-3) decoder on libmpg123 and a decoder for
// sampled files (WAV, AIFF, FLAC, Ogg) on libsndfile. `openDecoder` chooses by the file's content, not
// its name: libmpg123 finds almost nothing in a WAV, and a file named .mp3 may be anything.
// Output is always signed 16-bit interleaved, 1 or 2 channels. A decoder is used by one thread at a time.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>

namespace vorlin::mpegdll {

// A file that cannot be decoded; `code` is the library's error code (1 decoder, 3 input stream).
class DecodeError : public std::runtime_error {
public:
    DecodeError(int code, const std::string& what) : std::runtime_error(what), code_(code) {}
    int code() const { return code_; }

private:
    int code_;
};

class Decoder {
public:
    virtual ~Decoder() = default;
    int rate() const { return rate_; }
    int channels() const { return channels_; }
    // Length in frames; exact for both kinds (libmpg123 scans the whole stream on open).
    virtual int64_t lengthFrames() const = 0;
    // Decodes up to `frames` frames into `out`; 0 means the end. A fault in the middle of a stream
    // ends it: what was decoded before stays valid.
    virtual size_t read(int16_t* out, size_t frames) = 0;
    // Moves to `frame` (clamped to the length); false when the stream cannot seek.
    virtual bool seek(int64_t frame) = 0;
    virtual int bitrateKbps() const = 0;
    virtual int layer() const = 0;

protected:
    int rate_ = 0;
    int channels_ = 0;
};

// Opens `path` with the decoder its content calls for. Throws DecodeError naming the file and fault.
std::unique_ptr<Decoder> openDecoder(const std::string& path);
std::unique_ptr<Decoder> openMpg123Decoder(const std::string& path);
std::unique_ptr<Decoder> openSndfileDecoder(const std::string& path);

} // namespace vorlin::mpegdll
