// SDL2 audio output: a blocking-write queue in front of one device. The SDL_AudioStream is both the
// resampler and the queue; it is touched only under State::mutex, by writers and by SDL's audio thread.
// The device id is touched only under sdlMutex(); State::mutex is never held while SDL closes a device
// (closing waits for the callback, which takes State::mutex).
#include "platform/audio/audio_output.h"

#include <SDL.h>

#include <sys/stat.h>

#include <algorithm>
#include <condition_variable>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <vector>

namespace vorlin::audio {
namespace {

constexpr int kDeviceChannels = 2;
constexpr int kBytesPerDeviceFrame = kDeviceChannels * 2;

// Opening, closing and the driver fallback change SDL's global audio state: one at a time.
std::mutex& sdlMutex() {
    static std::mutex m;
    return m;
}

// Whether any SDL audio device is open in this process. Asked of SDL itself, not counted here: the
// MPEG audio library links its own copy of this file, and its devices count too.
bool anyDeviceOpen() {
    for (SDL_AudioDeviceID id = 1; id <= 16; ++id) // SDL2 keeps at most 16 open devices
        if (SDL_GetAudioDeviceStatus(id) != SDL_AUDIO_STOPPED) return true;
    return false;
}

bool exists(const std::string& path) {
    struct stat st {};
    return stat(path.c_str(), &st) == 0;
}

// No driver asked for, no sound card and no sound server: SDL would try ALSA, whose library prints
// its failures to stderr before the fallback. Going to the dummy driver at once keeps that quiet.
bool plainlySilentMachine() {
    if (std::getenv("SDL_AUDIODRIVER") || std::getenv("PULSE_SERVER")) return false;
    if (exists("/dev/snd")) return false;
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (runtime &&
        (exists(std::string(runtime) + "/pulse/native") || exists(std::string(runtime) + "/pipewire-0")))
        return false;
    return true;
}

// Starts SDL's audio subsystem once; a driver that cannot start gives way to the dummy driver.
void initAudioLocked() {
    if (SDL_WasInit(SDL_INIT_AUDIO)) return;
    if (plainlySilentMachine()) SDL_SetHintWithPriority(SDL_HINT_AUDIODRIVER, "dummy", SDL_HINT_OVERRIDE);
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) == 0) return;
    SDL_SetHintWithPriority(SDL_HINT_AUDIODRIVER, "dummy", SDL_HINT_OVERRIDE);
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0)
        throw AudioError(std::string("Cannot start the sound output: ") + SDL_GetError());
}

} // namespace

struct AudioOutput::State {
    int srcRate = 0;
    int srcChannels = 0;
    int devRate = 0;
    SDL_AudioStream* stream = nullptr;
    int maxQueuedBytes = 0; // writers wait while more than this is waiting in the stream

    SDL_AudioDeviceID device = 0; // sdlMutex()
    bool paused = false;          // sdlMutex()

    mutable std::mutex mutex;
    std::condition_variable changed;
    bool aborted = false;
    int64_t written = 0;     // source frames written
    int64_t deviceTaken = 0; // device frames the device took from the stream (silence excluded)
    uint64_t callbacks = 0;  // device buffers filled so far

    static void callback(void* user, Uint8* out, int len);
    void openDevice();
    void closeDevice();
};

void AudioOutput::State::callback(void* user, Uint8* out, int len) {
    auto* s = static_cast<State*>(user);
    int got = 0;
    {
        std::lock_guard lock(s->mutex);
        if (!s->aborted) {
            got = SDL_AudioStreamGet(s->stream, out, len);
            if (got < 0) got = 0;
            s->deviceTaken += got / kBytesPerDeviceFrame;
        }
        ++s->callbacks;
    }
    if (got < len) std::memset(out + got, 0, size_t(len - got));
    s->changed.notify_all();
}

// Opens the device unless it is open or the output is aborted. Throws AudioError.
void AudioOutput::State::openDevice() {
    std::lock_guard sdl(sdlMutex());
    if (device != 0) return;
    {
        std::lock_guard lock(mutex);
        if (aborted) return;
    }
    SDL_AudioSpec want{};
    want.freq = devRate;
    want.format = AUDIO_S16SYS;
    want.channels = kDeviceChannels;
    want.samples = 1024;
    want.callback = callback;
    want.userdata = this;
    SDL_AudioSpec have{};
    // flags 0: SDL converts to whatever the hardware wants, so the device format is always `want`.
    device = SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
    std::string error = device == 0 ? SDL_GetError() : "";
    if (device == 0) {
        const char* driver = SDL_GetCurrentAudioDriver();
        if ((!driver || std::strcmp(driver, "dummy") != 0) && !anyDeviceOpen()) {
            // The usual case without a sound card: ALSA starts but cannot open a device. Restarting
            // SDL's audio on another driver would close every open device, hence only when none is.
            SDL_AudioQuit();
            if (SDL_AudioInit("dummy") == 0) device = SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
            if (device == 0) error = SDL_GetError();
        }
    }
    if (!error.empty()) {
        // SDL keeps its error text in thread-local storage that it frees only for threads it made;
        // a player's std::thread would leak it.
        SDL_TLSCleanup();
    }
    if (device == 0) throw AudioError("Cannot open the sound output: " + error);
    SDL_PauseAudioDevice(device, paused ? 1 : 0);
}

void AudioOutput::State::closeDevice() {
    std::lock_guard sdl(sdlMutex());
    if (device == 0) return;
    SDL_CloseAudioDevice(device); // waits for the callback to return
    device = 0;
}

AudioOutput::AudioOutput(int rate, int channels) : s_(std::make_unique<State>()) {
    if (rate < 1000 || rate > 384000 || channels < 1 || channels > 2)
        throw AudioError("Unsupported sound format: " + std::to_string(rate) + " Hz, " +
                         std::to_string(channels) + " channels");
    s_->srcRate = rate;
    s_->srcChannels = channels;
    // Rates of the 8 kHz family go to a 48 kHz device, the rest to 44.1 kHz: the simpler ratio.
    s_->devRate = rate % 8000 == 0 ? 48000 : 44100;
    {
        std::lock_guard lock(sdlMutex());
        initAudioLocked();
    }
    s_->stream =
        SDL_NewAudioStream(AUDIO_S16SYS, Uint8(channels), rate, AUDIO_S16SYS, kDeviceChannels, s_->devRate);
    if (!s_->stream) throw AudioError(std::string("Cannot convert the sound: ") + SDL_GetError());
    s_->maxQueuedBytes = s_->devRate / 5 * kBytesPerDeviceFrame;
}

AudioOutput::~AudioOutput() {
    s_->closeDevice();
    SDL_FreeAudioStream(s_->stream);
}

bool AudioOutput::write(const int16_t* samples, size_t frames) {
    if (frames == 0) return true;
    s_->openDevice();
    const size_t chunkFrames = 4096;
    std::unique_lock lock(s_->mutex);
    while (frames > 0) {
        s_->changed.wait(
            lock, [&] { return s_->aborted || SDL_AudioStreamAvailable(s_->stream) <= s_->maxQueuedBytes; });
        if (s_->aborted) return false;
        const size_t n = std::min(frames, chunkFrames);
        if (SDL_AudioStreamPut(s_->stream, samples, int(n * size_t(s_->srcChannels) * 2)) != 0) return false;
        s_->written += int64_t(n);
        samples += n * size_t(s_->srcChannels);
        frames -= n;
    }
    return true;
}

bool AudioOutput::drain() {
    bool deviceOpen;
    {
        std::lock_guard sdl(sdlMutex()); // before State::mutex: openDevice takes them in this order
        deviceOpen = s_->device != 0;
    }
    {
        std::unique_lock lock(s_->mutex);
        if (s_->aborted) return false;
        if (s_->srcRate != s_->devRate) {
            // SDL's resampler keeps the last few hundred frames back even through a flush: push
            // silence behind them (not counted as written) so that the real tail is played.
            const std::vector<int16_t> silence(size_t(s_->srcRate / 20) * size_t(s_->srcChannels));
            SDL_AudioStreamPut(s_->stream, silence.data(), int(silence.size() * 2));
        }
        SDL_AudioStreamFlush(s_->stream);
        if (deviceOpen) {
            s_->changed.wait(lock, [&] {
                return s_->aborted || SDL_AudioStreamAvailable(s_->stream) == 0 ||
                       s_->deviceTaken * s_->srcRate / s_->devRate >= s_->written;
            });
            // The frames taken last are still in the device's buffer: let it play one more buffer.
            const uint64_t seen = s_->callbacks;
            s_->changed.wait(lock, [&] { return s_->aborted || s_->callbacks >= seen + 2; });
        }
        if (s_->aborted) return false;
        SDL_AudioStreamClear(s_->stream); // the padding silence that was not needed
    }
    s_->closeDevice();
    return true;
}

void AudioOutput::abort() {
    {
        std::lock_guard lock(s_->mutex);
        s_->aborted = true;
        SDL_AudioStreamClear(s_->stream);
    }
    s_->changed.notify_all();
    s_->closeDevice();
}

void AudioOutput::reset() {
    std::lock_guard lock(s_->mutex);
    SDL_AudioStreamClear(s_->stream);
    s_->aborted = false;
    // Frames that were written but never played are forgotten, so the position stays where it was.
    s_->written = std::min(s_->written, s_->deviceTaken * s_->srcRate / s_->devRate);
    s_->deviceTaken = s_->written * s_->devRate / s_->srcRate;
}

void AudioOutput::pause(bool paused) {
    std::lock_guard lock(sdlMutex());
    s_->paused = paused;
    if (s_->device != 0) SDL_PauseAudioDevice(s_->device, paused ? 1 : 0);
}

int64_t AudioOutput::position() const {
    std::lock_guard lock(s_->mutex);
    const int64_t played = s_->deviceTaken * s_->srcRate / s_->devRate;
    return std::min(played, s_->written);
}

int AudioOutput::sourceRate() const {
    return s_->srcRate;
}
int AudioOutput::sourceChannels() const {
    return s_->srcChannels;
}
int AudioOutput::deviceRate() const {
    return s_->devRate;
}

std::string AudioOutput::driverName() {
    std::lock_guard lock(sdlMutex());
    const char* d = SDL_WasInit(SDL_INIT_AUDIO) ? SDL_GetCurrentAudioDriver() : nullptr;
    return d ? d : "";
}

} // namespace vorlin::audio
