#include "music/mpegplay/mpeg_player.h"

#include "platform/library.h"
#include "platform/logging/logging.h"

#include <QTimer>

#include <array>
#include <atomic>
#include <vector>

namespace vorlin::music {

namespace {

// The library's error texts by code (at most 50 characters each).
constexpr std::array<const char*, 6> kErrorTexts = {
    "MPEG library not loaded", "Internal decoder error",       "Incorrect mode",
    "Input stream error",      "Input stream is non-seekable", "Output device failure",
};
constexpr const char* kCantLoad = "Can't load MPEG library";
constexpr const char* kNoStream = "Can't play non-specified stream";
constexpr int kNoStreamCode = 254;
constexpr int kNoLibraryCode = 255;

constexpr std::array<int, 7> kPriorityValues = {-15, -2, -1, 0, 1, 2, 15};

// The buffers the library reads names from: the name and its terminating zero must fit.
constexpr std::size_t kStreamNameBuffer = 512;
constexpr std::size_t kOutNameBuffer = 260;

[[noreturn]] void raise(int code) {
    throw TMPEGError(mpegErrorText(code), code);
}

// Modules once loaded are never unloaded: the library's playing thread may outlive any player. The list
// is reachable for the rest of the process, so leak checkers do not count it.
void keepLoaded(std::unique_ptr<platform::Library> library) {
    static auto* kept = new std::vector<platform::Library*>;
    kept->push_back(library.release());
}

} // namespace

std::string mpegErrorText(int code) {
    if (code >= 0 && code < int(kErrorTexts.size())) return kErrorTexts[code];
    if (code == kNoStreamCode) return kNoStream;
    if (code == kNoLibraryCode) return "MPEG library failed to play";
    return "MPEG library error " + std::to_string(code);
}

int priorityValue(TPlayPriority priority) {
    return kPriorityValues[std::size_t(priority)];
}

TPlayPriority priorityFromValue(int value) {
    for (std::size_t i = 0; i < kPriorityValues.size(); ++i) {
        if (kPriorityValues[i] == value) return TPlayPriority(i);
    }
    return TPlayPriority::Normal;
}

TMPEGPlayer::TMPEGPlayer(QObject* AOwner) : QObject(AOwner) {}

TMPEGPlayer::~TMPEGPlayer() {
    // The library's thread holds the address of FEnded while a stream plays: end the stream first.
    if (FLibrary && FOpened) {
        const int mode = F.GetPlayerMode();
        if (mode == MPEGDLL_MODE_PLAYING || mode == MPEGDLL_MODE_PAUSED) F.Stop();
        F.Close();
        F.LastError(); // read and dropped: a destructor reports nothing
    }
    delete FTimer;
}

void TMPEGPlayer::requireLibrary() const {
    if (!FLibrary) raise(0);
}

void TMPEGPlayer::check() {
    FLastError = F.LastError();
    if (FLastError > 0) raise(FLastError > 255 ? 255 : FLastError);
}

bool TMPEGPlayer::Ended() const {
    return std::atomic_ref<std::uint8_t>(const_cast<std::uint8_t&>(FEnded)).load() != 0;
}

void TMPEGPlayer::setEnded(std::uint8_t value) {
    std::atomic_ref<std::uint8_t>(FEnded).store(value);
}

void TMPEGPlayer::LoadMpegLibrary() {
    std::string path = FPathToDLL;
    if (!path.empty() && path.back() != '/') path += '/';
    path += "mpegdll.dll";
    auto library = platform::Library::load(path);
    if (!library) throw TMPEGError(kCantLoad, 0);

    Entries e;
    bool complete = true;
    auto resolve = [&](auto& entry, const char* name) {
        entry = library->function<std::remove_reference_t<decltype(entry)>>(name);
        if (!entry) complete = false;
    };
    resolve(e.init, "init");
    resolve(e.deinit, "deinit");
    resolve(e.LastError, "LastError");
    resolve(e.Open, "Open");
    resolve(e.Close, "Close");
    resolve(e.GetLength, "GetLength");
    resolve(e.GetCurrentPos, "GetCurrentPos");
    resolve(e.GetPlayerMode, "GetPlayerMode");
    resolve(e.ResetPlayerMode, "ResetPlayerMode");
    resolve(e.SetPriority, "SetPriority");
    resolve(e.SetOutputDevice, "SetOutputDevice");
    resolve(e.Play, "Play");
    resolve(e.Stop, "Stop");
    resolve(e.Pause, "Pause");
    resolve(e.Restart, "Restart");
    resolve(e.Seek, "Seek");
    resolve(e.GetFrequency, "GetFrequency");
    resolve(e.GetBitrate, "GetBitrate");
    resolve(e.GetLayer, "GetLayer");
    if (!complete) raise(0); // `library` is freed on the way out

    if (!e.init()) {
        // The handle is forgotten but the module stays: its init may have started something.
        const int code = e.LastError();
        FLastError = code;
        keepLoaded(std::move(library));
        raise(code > 0 ? (code > 255 ? 255 : code) : 0);
    }
    F = e;
    FLibrary = library.get();
    keepLoaded(std::move(library));

    delete FTimer;
    FTimer = new QTimer(this);
    FTimer->setSingleShot(false);
    FTimer->setInterval(FUseTimer ? FTimerFreq : 0);
    connect(FTimer, &QTimer::timeout, this, [this] {
        // No exception may leave the timer's handler; a failed poll is dropped and the next one retries.
        try {
            TimerTick();
        } catch (...) {
            logging::dropped(lcMusic(), "the MPEG player's position poll");
        }
    });
    FLength = 0;
}

void TMPEGPlayer::SetStreamName(const std::string& Value) {
    if (FOpened) Close();
    FStreamName = Value;
}

void TMPEGPlayer::SetOutputDevice(TOutputDevice Value) {
    FDevice = (!FOutFilename.empty() && Value == TOutputDevice::pcmfile) ? MPEGDLL_DEVICE_PCMFILE
                                                                         : MPEGDLL_DEVICE_WAVEMAPPER;
}

void TMPEGPlayer::SetPlayerPriority(TPlayPriority Value) {
    FPriority = priorityValue(Value);
    if (FLibrary) {
        F.SetPriority(FPriority);
        check();
    }
}

void TMPEGPlayer::SetTimerFreq(int Value) {
    FTimerFreq = Value;
    if (Value == 0) FUseTimer = false;
    if (FTimer) FTimer->setInterval(FUseTimer ? FTimerFreq : 0);
}

void TMPEGPlayer::Open() {
    requireLibrary();
    if (FOpened) Close();
    FOpened = false;
    if (FFromStream) {
        // Stream mode: the library reads through callbacks; this library has none and refuses (code 3).
        F.Open(nullptr, 1, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, this);
        check();
    } else {
        if (FStreamName.empty()) throw TMPEGError(kNoStream, kNoStreamCode);
        // A name cut to fit the library's buffer would open another file: refuse it instead.
        if (FStreamName.size() >= kStreamNameBuffer) raise(3);
        char name[kStreamNameBuffer] = {};
        FStreamName.copy(name, FStreamName.size());
        F.Open(name, 0, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr);
        check();
    }
    FOpened = true;
    FPlayedXTimes = 1;
    FLength = GetLength();
    if (FAutoPlay) Play();
}

void TMPEGPlayer::startTimer() {
    if (FUseTimer && FTimer && FTimer->interval() != 0) {
        FTimer->start();
        TimerTick();
    }
}

void TMPEGPlayer::Play() {
    requireLibrary();
    if (FPaused) {
        Pause(false);
        return;
    }
    if (FPlaying) return;
    if (!FOpened) {
        Open();
        if (FPlaying) return; // AutoPlay has started it already
    }
    if (FPlayedXTimes >= 2) {
        Restart();
        return;
    }
    F.SetPriority(FPriority);
    check();
    if (FOutFilename.size() >= kOutNameBuffer) raise(5);
    char out[kOutNameBuffer] = {};
    FOutFilename.copy(out, FOutFilename.size());
    F.SetOutputDevice(FDevice, out);
    check();
    setEnded(0);
    const int result = F.Play(FStartPos, FEndPos, &FEnded);
    check();
    if (result != 0) raise(kNoLibraryCode);
    FPlaying = true;
    ++FPlayedXTimes;
    startTimer();
}

void TMPEGPlayer::Restart() {
    requireLibrary();
    if (!FOpened) raise(2);
    setEnded(0);
    F.Restart();
    check();
    FPlaying = true;
    ++FPlayedXTimes;
    startTimer();
}

void TMPEGPlayer::Pause(bool Value) {
    requireLibrary();
    if (!FPlaying || Ended()) {
        FPaused = false;
        if (Value) raise(2);
        return;
    }
    F.Pause(Value ? 0 : 1);
    check();
    FPaused = Value;
}

void TMPEGPlayer::Stop() {
    if (!FPlaying || Ended()) raise(2);
    requireLibrary();
    F.Stop();
    check();
    FPlaying = false;
    FPaused = false;
}

void TMPEGPlayer::Close() {
    requireLibrary();
    FOpened = false;
    FPaused = false;
    FPlaying = false;
    FPlayedXTimes = 0;
    F.Close();
    check();
}

int TMPEGPlayer::query(std::int32_t (*entry)()) {
    requireLibrary();
    const int value = entry();
    check();
    return value;
}

int TMPEGPlayer::GetPlayerMode() {
    return query(F.GetPlayerMode);
}

int TMPEGPlayer::GetCurrentPos() {
    return query(F.GetCurrentPos);
}

int TMPEGPlayer::GetLength() {
    return query(F.GetLength);
}

void TMPEGPlayer::TimerTick() {
    if (!FOpened || !FPlaying) {
        if (FTimer) FTimer->stop();
        return;
    }
    int pos = GetCurrentPos();
    if (pos > FLength) pos = 0;
    if (OnPosUpdate) OnPosUpdate(pos, FLength);
    if (Ended()) {
        if (FTimer) FTimer->stop();
        FPlaying = false;
        if (OnPlayEnd) {
            setEnded(0);
            OnPlayEnd(this);
        }
    }
}

} // namespace vorlin::music
