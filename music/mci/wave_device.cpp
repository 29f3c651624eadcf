// The wave device: sampled sound read by libsndfile, from a file or from memory.
#include "music/mci/mci_device.h"
#include "music/mci/mci_player.h"
#include "platform/audio/stereo_frames.h"

#include <sndfile.h>

#include <cstring>

namespace vorlin::music {
namespace {

// libsndfile's virtual I/O over a byte vector the device owns.
struct MemoryFile {
    std::vector<uint8_t> bytes;
    sf_count_t pos = 0;

    static sf_count_t size(void* u) { return sf_count_t(static_cast<MemoryFile*>(u)->bytes.size()); }
    static sf_count_t seek(sf_count_t offset, int whence, void* u) {
        auto* m = static_cast<MemoryFile*>(u);
        sf_count_t base = whence == SEEK_CUR ? m->pos : whence == SEEK_END ? size(u) : 0;
        const sf_count_t to = base + offset;
        if (to < 0 || to > size(u)) return -1;
        m->pos = to;
        return m->pos;
    }
    static sf_count_t read(void* dst, sf_count_t count, void* u) {
        auto* m = static_cast<MemoryFile*>(u);
        const sf_count_t n = std::min(count, size(u) - m->pos);
        if (n <= 0) return 0;
        std::memcpy(dst, m->bytes.data() + m->pos, size_t(n));
        m->pos += n;
        return n;
    }
    static sf_count_t write(const void*, sf_count_t, void*) { return 0; }
    static sf_count_t tell(void* u) { return static_cast<MemoryFile*>(u)->pos; }
};

class WaveDevice final : public MciDevice {
public:
    // Takes `f` (already open) and, for memory files, the bytes it reads.
    WaveDevice(SNDFILE* f, const SF_INFO& info, std::unique_ptr<MemoryFile> mem)
        : f_(f), mem_(std::move(mem)), frames_(info.channels) {
        if (info.samplerate < 1000 || info.samplerate > 384000 || info.channels < 1 || info.channels > 64 ||
            info.frames < 0) {
            sf_close(f_);
            throw MciError(MCIERR_INVALID_FILE, mciErrorText(MCIERR_INVALID_FILE));
        }
        rate_ = info.samplerate;
    }
    ~WaveDevice() override { sf_close(f_); }

    int rate() const override { return rate_; }
    // More than two channels: the first two.
    int channels() const override { return frames_.channels(); }

    size_t render(int16_t* out, size_t frames) override { return frames_.read(f_, out, frames); }

private:
    SNDFILE* f_;
    std::unique_ptr<MemoryFile> mem_;
    audio::StereoFrames frames_;
    int rate_ = 0;
};

} // namespace

std::unique_ptr<MciDevice> openWaveFile(const std::string& path) {
    SF_INFO info{};
    SNDFILE* f = sf_open(path.c_str(), SFM_READ, &info);
    if (!f) throw MciError(MCIERR_INVALID_FILE, mciErrorText(MCIERR_INVALID_FILE));
    return std::make_unique<WaveDevice>(f, info, nullptr);
}

std::unique_ptr<MciDevice> openWaveMemory(std::vector<uint8_t> bytes) {
    auto mem = std::make_unique<MemoryFile>();
    mem->bytes = std::move(bytes);
    static SF_VIRTUAL_IO io{MemoryFile::size, MemoryFile::seek, MemoryFile::read, MemoryFile::write,
                            MemoryFile::tell};
    SF_INFO info{};
    SNDFILE* f = sf_open_virtual(&io, SFM_READ, &info, mem.get());
    if (!f) throw MciError(MCIERR_INVALID_FILE, mciErrorText(MCIERR_INVALID_FILE));
    return std::make_unique<WaveDevice>(f, info, std::move(mem));
}

} // namespace vorlin::music
