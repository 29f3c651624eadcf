// The MCI player. The main thread sends the commands; one playing thread per play renders the device
// into the audio output. The notification of a play is sent once, by whoever ends it first: the
// playing thread at the end, or stop/close/open/play on the main thread (under notifyMutex).
#include "music/mci/mci_player.h"

#include "base/text.h"
#include "music/mci/mci_device.h"
#include "platform/audio/audio_output.h"

#include <atomic>
#include <cstring>
#include <fstream>
#include <iterator>
#include <mutex>
#include <sys/stat.h>
#include <thread>
#include <vector>

namespace vorlin::music {
namespace {

const char* const kNoDevice = "No MCI device open";

std::string lowerExtension(const std::string& path) {
    const size_t slash = path.find_last_of('/');
    const size_t dot = path.find_last_of('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return {};
    return lower(path.substr(dot));
}

bool isMidiContent(const std::vector<uint8_t>& b) {
    if (b.size() >= 4 && std::memcmp(b.data(), "MThd", 4) == 0) return true;
    return b.size() >= 12 && std::memcmp(b.data(), "RIFF", 4) == 0 &&
           std::memcmp(b.data() + 8, "RMID", 4) == 0;
}

bool isWaveContent(const std::vector<uint8_t>& b) {
    return b.size() >= 12 && std::memcmp(b.data(), "RIFF", 4) == 0 &&
           std::memcmp(b.data() + 8, "WAVE", 4) == 0;
}

} // namespace

struct MciPlayer::Impl : std::enable_shared_from_this<MciPlayer::Impl> {
    // Main thread only.
    Post post;
    NotifyEvent onNotify;
    MciPlayer* owner = nullptr;
    uint32_t deviceId = 0;
    uint32_t nextId = 1;
    std::string fileName;
    std::unique_ptr<MciDevice> device;
    std::unique_ptr<audio::AudioOutput> output;
    std::shared_ptr<MidiSynth> synth;
    std::thread thread;

    // Shared with the playing thread.
    std::atomic<bool> playing{false};
    std::atomic<bool> stopping{false};
    std::mutex notifyMutex;
    bool pending = false; // the current play has not notified yet (notifyMutex)

    // Sends the pending notification, if any, with `result`. Caller holds notifyMutex. Any thread.
    void sendLocked(Notify result) {
        if (!pending) return;
        pending = false;
        std::weak_ptr<Impl> weak = weak_from_this();
        if (!post) return;
        try {
            post([weak, result] {
                const auto self = weak.lock();
                if (!self || !self->owner || !self->onNotify) return;
                try {
                    self->onNotify(*self->owner, result);
                } catch (...) {
                    // A notify handler's fault must not end the main loop; the music just moves on.
                }
            });
        } catch (...) {
            // Nothing to hand the notification to (out of memory): it is lost, the player goes on.
        }
    }

    // The play ended (playing := false) and notifies `result` unless it already has.
    void finishPlay(Notify result) {
        std::lock_guard lock(notifyMutex);
        playing.store(false);
        sendLocked(result);
    }

    void run() {
        Notify result = Notify::Failure;
        try {
            result = pump();
        } catch (const std::exception&) {
            // The output could not open (another player holds a one-device driver) or memory ran out.
        }
        if (stopping.load()) return; // stop() notifies Aborted
        finishPlay(result);
    }

    Notify pump() {
        std::vector<int16_t> buf(2048 * size_t(device->channels()));
        for (;;) {
            if (stopping.load()) return Notify::Aborted;
            const size_t got = device->render(buf.data(), 2048);
            if (got == 0) return output->drain() ? Notify::Successful : Notify::Aborted;
            if (!output->write(buf.data(), got)) return Notify::Failure;
        }
    }

    // Ends a play in progress (its thread joined), notifying Aborted if it had not ended by itself.
    void stopPlay() {
        if (thread.joinable()) {
            stopping.store(true);
            output->abort();
            thread.join();
            stopping.store(false);
            output->reset();
        }
        finishPlay(Notify::Aborted);
    }

    void closeDevice() {
        if (deviceId == 0) return;
        stopPlay();
        output.reset();
        device.reset();
        deviceId = 0;
    }
};

MciPlayer::MciPlayer(Post post) : d_(std::make_shared<Impl>()) {
    d_->post = std::move(post);
    d_->owner = this;
}

MciPlayer::~MciPlayer() {
    d_->owner = nullptr;
    d_->closeDevice();
}

void MciPlayer::setOnNotify(NotifyEvent event) {
    d_->onNotify = std::move(event);
}

void MciPlayer::open(const std::string& path) {
    d_->closeDevice();
    d_->fileName = path;
    struct stat st {};
    if (path.empty() || stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode))
        throw MciError(MCIERR_FILE_NOT_FOUND, mciErrorText(MCIERR_FILE_NOT_FOUND));

    std::vector<uint8_t> head(12);
    {
        std::ifstream in(path, std::ios::binary);
        if (!in) throw MciError(MCIERR_FILE_NOT_FOUND, mciErrorText(MCIERR_FILE_NOT_FOUND));
        in.read(reinterpret_cast<char*>(head.data()), std::streamsize(head.size()));
        head.resize(size_t(in.gcount()));
    }
    const std::string ext = lowerExtension(path);
    const bool midiName = ext == ".mid" || ext == ".midi" || ext == ".rmi";
    std::unique_ptr<MciDevice> device;
    if (isMidiContent(head) || (midiName && !isWaveContent(head))) {
        std::ifstream in(path, std::ios::binary);
        std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        std::vector<uint8_t> smf = standardMidiBytes(bytes);
        if (!d_->synth) d_->synth = makeMidiSynth(findSoundfont());
        device = openMidi(d_->synth, std::move(smf));
    } else {
        try {
            device = openWaveFile(path);
        } catch (const MciError&) {
            // Content nobody reads and a name no device claims: MCI has no device for it.
            if (!isWaveContent(head) && ext != ".wav")
                throw MciError(MCIERR_EXTENSION_NOT_FOUND, mciErrorText(MCIERR_EXTENSION_NOT_FOUND));
            throw;
        }
    }
    try {
        d_->output = std::make_unique<audio::AudioOutput>(device->rate(), device->channels());
    } catch (const audio::AudioError&) {
        throw MciError(MCIERR_HARDWARE, mciErrorText(MCIERR_HARDWARE));
    }
    d_->device = std::move(device);
    d_->deviceId = d_->nextId++;
}

void MciPlayer::play() {
    if (d_->deviceId == 0) throw MciError(0, kNoDevice);
    {
        // Still playing: the earlier play's notification is superseded, playing goes on. Under the
        // lock, so that a play ending meanwhile either sees the new pending notification or is over.
        std::lock_guard lock(d_->notifyMutex);
        if (d_->playing.load()) {
            d_->sendLocked(Notify::Superseded);
            d_->pending = true;
            return;
        }
    }
    if (d_->thread.joinable()) d_->thread.join(); // the previous play ended by itself
    d_->device->start();
    {
        std::lock_guard lock(d_->notifyMutex);
        d_->pending = true;
        d_->playing.store(true);
    }
    try {
        d_->thread = std::thread([impl = d_.get()] { impl->run(); });
    } catch (const std::system_error&) {
        d_->finishPlay(Notify::Failure);
    }
}

MciPlayer::Mode MciPlayer::mode() const {
    if (d_->deviceId == 0) throw MciError(0, kNoDevice);
    return d_->playing.load() ? Mode::Playing : Mode::Stopped;
}

void MciPlayer::stop() {
    if (d_->deviceId == 0) throw MciError(0, kNoDevice);
    d_->stopPlay();
}

void MciPlayer::close() {
    d_->closeDevice();
}

uint32_t MciPlayer::deviceId() const {
    return d_->deviceId;
}
const std::string& MciPlayer::fileName() const {
    return d_->fileName;
}

} // namespace vorlin::music
