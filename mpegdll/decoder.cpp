#include "mpegdll/decoder.h"

#include <cstring>
#include <fstream>

namespace vorlin::mpegdll {
namespace {

// Containers libsndfile reads by content; everything else goes to the MPEG decoder.
bool looksSampled(const char* h, std::streamsize n) {
    if (n < 4) return false;
    if (n >= 12 && (std::memcmp(h, "RIFF", 4) == 0 || std::memcmp(h, "RIFX", 4) == 0) &&
        std::memcmp(h + 8, "WAVE", 4) == 0)
        return true;
    if (n >= 12 && std::memcmp(h, "FORM", 4) == 0 &&
        (std::memcmp(h + 8, "AIFF", 4) == 0 || std::memcmp(h + 8, "AIFC", 4) == 0))
        return true;
    return std::memcmp(h, "fLaC", 4) == 0 || std::memcmp(h, "OggS", 4) == 0 || std::memcmp(h, ".snd", 4) == 0;
}

} // namespace

std::unique_ptr<Decoder> openDecoder(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw DecodeError(3, path + ": cannot open the file");
    char head[12] = {};
    in.read(head, sizeof head);
    const std::streamsize n = in.gcount();
    if (n == 0) throw DecodeError(3, path + ": the file is empty");
    if (!looksSampled(head, n)) return openMpg123Decoder(path);
    try {
        return openSndfileDecoder(path);
    } catch (const DecodeError&) {
        // A RIFF/WAVE file may carry MPEG audio (format tag 0x55), which libmpg123 reads past the
        // header; the first fault is the one to report when it cannot either.
        try {
            return openMpg123Decoder(path);
        } catch (const DecodeError&) {
        }
        throw;
    }
}

} // namespace vorlin::mpegdll
