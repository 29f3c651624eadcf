// The MIDI sequencer: a FluidSynth player timed by the samples it renders (no audio driver of its
// own), so that the MCI player's thread paces it through the audio output like any other source.
#include "music/mci/mci_device.h"
#include "music/mci/mci_player.h"
#include "platform/runtime_folder.h"

#include <fluidsynth.h>

#include <cstring>
#include <mutex>
#include <sys/stat.h>

namespace vorlin::music {
namespace {

constexpr int kMidiRate = 44100;

uint32_t be32(const uint8_t* p) {
    return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3];
}
uint32_t le32(const uint8_t* p) {
    return uint32_t(p[3]) << 24 | uint32_t(p[2]) << 16 | uint32_t(p[1]) << 8 | p[0];
}

[[noreturn]] void invalidFile() {
    throw MciError(MCIERR_INVALID_FILE, mciErrorText(MCIERR_INVALID_FILE));
}

// FluidSynth reports to stderr by default; MCI reports nothing, so neither do we.
void quietFluidLog() {
    static std::once_flag once;
    std::call_once(once, [] {
        for (int level : {FLUID_PANIC, FLUID_ERR, FLUID_WARN, FLUID_INFO, FLUID_DBG})
            fluid_set_log_function(level, nullptr, nullptr);
    });
}

} // namespace

class MidiSynth {
public:
    explicit MidiSynth(const std::string& soundfont) {
        quietFluidLog();
        settings_ = new_fluid_settings();
        if (!settings_) throw MciError(MCIERR_CANNOT_LOAD_DRIVER, mciErrorText(MCIERR_CANNOT_LOAD_DRIVER));
        fluid_settings_setnum(settings_, "synth.sample-rate", kMidiRate);
        fluid_settings_setstr(settings_, "player.timing-source", "sample");
        fluid_settings_setint(settings_, "synth.cpu-cores", 1);
        synth_ = new_fluid_synth(settings_);
        if (!synth_ || soundfont.empty() ||
            fluid_synth_sfload(synth_, soundfont.c_str(), 1) == FLUID_FAILED) {
            release();
            throw MciError(MCIERR_CANNOT_LOAD_DRIVER, mciErrorText(MCIERR_CANNOT_LOAD_DRIVER));
        }
        // The default gain (0.2) is far quieter than the wave device at full scale.
        fluid_synth_set_gain(synth_, 0.7f);
    }
    ~MidiSynth() { release(); }
    fluid_synth_t* synth() const { return synth_; }

private:
    void release() {
        if (synth_) delete_fluid_synth(synth_);
        if (settings_) delete_fluid_settings(settings_);
        synth_ = nullptr;
        settings_ = nullptr;
    }

    fluid_settings_t* settings_ = nullptr;
    fluid_synth_t* synth_ = nullptr;
};

namespace {

class MidiDevice final : public MciDevice {
public:
    MidiDevice(std::shared_ptr<MidiSynth> synth, std::vector<uint8_t> smf)
        : synth_(std::move(synth)), smf_(std::move(smf)) {
        fluid_synth_system_reset(synth_->synth());
        player_ = new_fluid_player(synth_->synth());
        if (!player_ || fluid_player_add_mem(player_, smf_.data(), smf_.size()) != FLUID_OK) {
            if (player_) delete_fluid_player(player_);
            throw MciError(MCIERR_INVALID_FILE, mciErrorText(MCIERR_INVALID_FILE));
        }
    }
    ~MidiDevice() override {
        fluid_player_stop(player_);
        delete_fluid_player(player_);
        fluid_synth_system_reset(synth_->synth()); // no note of this file sounds into the next one
    }

    int rate() const override { return kMidiRate; }
    int channels() const override { return 2; }

    // The player is timed by rendered samples, so a stopped play simply is not rendered: it keeps its
    // place and goes on from there. Only a fresh player needs starting; a finished one stays finished.
    void start() override {
        if (fluid_player_get_status(player_) == FLUID_PLAYER_READY) fluid_player_play(player_);
    }

    size_t render(int16_t* out, size_t frames) override {
        if (fluid_player_get_status(player_) != FLUID_PLAYER_PLAYING) return endOfPlay();
        // FluidSynth's player lingers for seconds after the last event; the device ends once the
        // last event has passed and the notes' release tails have faded (or after kMaxTailFrames).
        const int total = fluid_player_get_total_ticks(player_);
        if (total > 0 && fluid_player_get_current_tick(player_) >= total) {
            if (fluid_synth_get_active_voice_count(synth_->synth()) == 0 || tailFrames_ >= kMaxTailFrames)
                return endOfPlay();
            tailFrames_ += frames;
        }
        if (fluid_synth_write_s16(synth_->synth(), int(frames), out, 0, 2, out, 1, 2) != FLUID_OK) return 0;
        return frames;
    }

private:
    static constexpr size_t kMaxTailFrames = kMidiRate * 3 / 2;

    size_t endOfPlay() {
        fluid_player_stop(player_);
        fluid_synth_all_sounds_off(synth_->synth(), -1);
        return 0;
    }

    std::shared_ptr<MidiSynth> synth_;
    std::vector<uint8_t> smf_; // FluidSynth copies it, but keep the checked bytes for the device's life
    fluid_player_t* player_ = nullptr;
    size_t tailFrames_ = 0;
};

} // namespace

std::shared_ptr<MidiSynth> makeMidiSynth(const std::string& soundfont) {
    return std::make_shared<MidiSynth>(soundfont);
}

std::string findSoundfont() {
    // The machine's own soundfont first (it may be a fuller one); then the one a built saver carries.
    const std::string bundled = platform::bundledRuntimeFolder();
    const std::string places[] = {"/usr/share/sounds/sf2/default-GM.sf2",
                                  "/usr/share/sounds/sf2/FluidR3_GM.sf2",
                                  "/usr/share/sounds/sf2/TimGM6mb.sf2",
                                  bundled.empty() ? std::string() : bundled + "/soundfonts/default-GM.sf2"};
    for (const auto& p : places) {
        struct stat st {};
        if (!p.empty() && stat(p.c_str(), &st) == 0 && S_ISREG(st.st_mode)) return p;
    }
    return {};
}

std::vector<uint8_t> standardMidiBytes(const std::vector<uint8_t>& file) {
    size_t begin = 0, end = file.size();
    // RMID: a RIFF file whose "data" chunk is the Standard MIDI File.
    if (end >= 12 && std::memcmp(file.data(), "RIFF", 4) == 0 &&
        std::memcmp(file.data() + 8, "RMID", 4) == 0) {
        size_t p = 12;
        bool found = false;
        while (p + 8 <= file.size()) {
            const uint64_t len = le32(file.data() + p + 4);
            if (std::memcmp(file.data() + p, "data", 4) == 0) {
                if (p + 8 + len > file.size()) invalidFile();
                begin = p + 8;
                end = size_t(begin + len);
                found = true;
                break;
            }
            p += 8 + size_t(len) + (len & 1);
        }
        if (!found) invalidFile();
    }
    const uint8_t* d = file.data() + begin;
    const size_t n = end - begin;
    if (n < 14 || std::memcmp(d, "MThd", 4) != 0) invalidFile();
    const uint32_t headerLen = be32(d + 4);
    if (headerLen < 6 || uint64_t(headerLen) + 8 > n) invalidFile();
    const unsigned format = unsigned(d[8]) << 8 | d[9];
    const unsigned tracks = unsigned(d[10]) << 8 | d[11];
    const unsigned division = unsigned(d[12]) << 8 | d[13];
    if (format > 2 || tracks == 0 || division == 0) invalidFile();
    // Every announced track must be there in full: a cut file is refused rather than half played.
    size_t p = 8 + headerLen;
    unsigned found = 0;
    while (found < tracks) {
        if (p + 8 > n) invalidFile();
        const uint64_t len = be32(d + p + 4);
        if (p + 8 + len > n) invalidFile();
        if (std::memcmp(d + p, "MTrk", 4) == 0) ++found;
        p += 8 + size_t(len);
    }
    return std::vector<uint8_t>(d, d + n);
}

std::unique_ptr<MciDevice> openMidi(std::shared_ptr<MidiSynth> synth, std::vector<uint8_t> smf) {
    return std::make_unique<MidiDevice>(std::move(synth), std::move(smf));
}

} // namespace vorlin::music
