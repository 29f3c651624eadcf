#pragma once
// TMPEGPlayer: the component that drives the external MPEG audio library ("mpegdll.dll", here
// libmpegdll.so through the platform's name mapping).
//
// It loads the library by name (from PathToDLL, or by the system's module search), resolves all 19
// entries, keeps the player's state, turns the library's error codes into TMPEGError exceptions, and
// polls the library on a timer (TimerFreq ms) to report the position (OnPosUpdate) and, once, the end of
// the stream (OnPlayEnd). After every library call the component reads LastError; a result above 0
// raises TMPEGError with that code's text.
//
// Threads: everything runs on the main thread. The library plays on its own thread and reports the end
// by a one-byte store into the player's end byte, which the player reads and clears atomically.
// The library stays loaded for the rest of the process once loaded (its thread may still be running).

#include "mpegdll/mpegdll.h"

#include <QObject>
#include <cstdint>
#include <functional>
#include <stdexcept>
#include <string>

class QTimer;

namespace vorlin::platform {
class Library;
}

namespace vorlin::music {

// A failure of the player or the library. Code: 0..5 as the library reports them (0 also for a library
// that is not loaded), 254 for a missing stream name, 255 for a failure without a library code.
class TMPEGError : public std::runtime_error {
public:
    TMPEGError(const std::string& text, int code) : std::runtime_error(text), Code(code) {}
    int Code;
};

enum class TPlayPriority { Idle, Lowest, BelowNormal, Normal, AboveNormal, Highest, TimeCritical };
enum class TOutputDevice { wavemapper, pcmfile };

// The text of an error code of the library (codes 0..5), or a generic text naming the code.
std::string mpegErrorText(int code);
// The library's priority value for a published priority, and back (any other value reads as Normal).
int priorityValue(TPlayPriority priority);
TPlayPriority priorityFromValue(int value);

class TMPEGPlayer : public QObject {
    Q_OBJECT
public:
    using TPosUpdateEvent = std::function<void(int Pos, int Len)>;
    using TNotifyEvent = std::function<void(TMPEGPlayer* Sender)>;

    explicit TMPEGPlayer(QObject* AOwner = nullptr);
    // Frees the timer. A stream still open is stopped and closed first, so that the library's thread
    // never writes into the freed end byte; the library itself stays loaded.
    ~TMPEGPlayer() override;

    // Loads the library and creates the timer (see the file comment). Throws "Can't load MPEG library"
    // (code 0) when the module is missing, code 0 when an entry is missing, and the library's code when
    // its init fails.
    void LoadMpegLibrary();
    bool LibraryLoaded() const { return FLibrary != nullptr; }

    // Opens StreamName (closing an open stream first); starts playing when AutoPlay is on.
    void Open();
    // Resumes a paused stream, or starts the open (or, when none is open, a newly opened) stream. A
    // stream that has played before goes through Restart. Does nothing while playing.
    void Play();
    // Plays the open stream again from its start.
    void Restart();
    // Pauses (true) or resumes (false). Pausing a stream that is not playing raises "Incorrect mode".
    void Pause(bool Value);
    // Stops playing; raises "Incorrect mode" when not playing or already at the end. Reports no end.
    void Stop();
    // Ends the stream; Open may follow.
    void Close();
    int GetPlayerMode();
    int GetCurrentPos();
    int GetLength();

    // The poll: reports the position and, once, the end of the stream. Called by the timer, and once
    // by every start of play.
    virtual void TimerTick();

    // Properties.
    const std::string& PathToDLL() const { return FPathToDLL; }
    void SetPathToDLL(const std::string& Value) { FPathToDLL = Value; }
    const std::string& StreamName() const { return FStreamName; }
    void SetStreamName(const std::string& Value); // closes an open stream
    const std::string& OutFilename() const { return FOutFilename; }
    void SetOutFilename(const std::string& Value) { FOutFilename = Value; }
    TOutputDevice OutputDevice() const {
        return FDevice != 0 ? TOutputDevice::pcmfile : TOutputDevice::wavemapper;
    }
    void SetOutputDevice(TOutputDevice Value);
    int StartPos() const { return FStartPos; }
    void SetStartPos(int Value) { FStartPos = Value; }
    int EndPos() const { return FEndPos; }
    void SetEndPos(int Value) { FEndPos = Value; }
    bool AutoPlay() const { return FAutoPlay; }
    void SetAutoPlay(bool Value) { FAutoPlay = Value; }
    TPlayPriority PlayerPriority() const { return priorityFromValue(FPriority); }
    void SetPlayerPriority(TPlayPriority Value);
    bool Seekable() const { return FSeekable; }
    void SetSeekable(bool Value) { FSeekable = Value; }
    bool FromStream() const { return FFromStream; }
    void SetFromStream(bool Value) { FFromStream = Value; }
    bool UseTimer() const { return FUseTimer; }
    void SetUseTimer(bool Value) { FUseTimer = Value; }
    int TimerFreq() const { return FTimerFreq; }
    void SetTimerFreq(int Value); // 0 also turns UseTimer off
    int PlayedXTimes() const { return FPlayedXTimes; }

    // State, read-only.
    bool Opened() const { return FOpened; }
    bool Playing() const { return FPlaying; }
    bool Paused() const { return FPaused; }
    bool Ended() const;
    int Length() const { return FLength; }
    int LastErrorCode() const { return FLastError; }
    // The poll timer (null until the library is loaded).
    QTimer* Timer() const { return FTimer; }

    TPosUpdateEvent OnPosUpdate;
    TNotifyEvent OnPlayEnd;

private:
    void requireLibrary() const;
    void check();
    // requireLibrary, then the entry (one that takes nothing and answers a number), then check.
    int query(std::int32_t (*entry)());
    void startTimer();
    void setEnded(std::uint8_t value);

    platform::Library* FLibrary = nullptr;
    std::string FPathToDLL;
    std::string FStreamName;
    std::string FOutFilename;
    std::int32_t FDevice = 0;
    std::int32_t FStartPos = 0;
    std::int32_t FEndPos = 0;
    bool FOpened = false;
    bool FPlaying = false;
    bool FPaused = false;
    alignas(4) std::uint8_t FEnded = 0; // written by the library's thread
    bool FAutoPlay = false;
    std::int32_t FPriority = 0;
    bool FSeekable = false;
    bool FFromStream = false;
    bool FUseTimer = true;
    std::int32_t FTimerFreq = 1000;
    std::int32_t FPlayedXTimes = 0;
    QTimer* FTimer = nullptr;
    std::int32_t FLength = 0;
    std::int32_t FLastError = 0;

    struct Entries {
        mpegdll_init_fn init = nullptr;
        mpegdll_deinit_fn deinit = nullptr;
        mpegdll_LastError_fn LastError = nullptr;
        mpegdll_Open_fn Open = nullptr;
        mpegdll_Close_fn Close = nullptr;
        mpegdll_GetLength_fn GetLength = nullptr;
        mpegdll_GetCurrentPos_fn GetCurrentPos = nullptr;
        mpegdll_GetPlayerMode_fn GetPlayerMode = nullptr;
        mpegdll_ResetPlayerMode_fn ResetPlayerMode = nullptr;
        mpegdll_SetPriority_fn SetPriority = nullptr;
        mpegdll_SetOutputDevice_fn SetOutputDevice = nullptr;
        mpegdll_Play_fn Play = nullptr;
        mpegdll_Stop_fn Stop = nullptr;
        mpegdll_Pause_fn Pause = nullptr;
        mpegdll_Restart_fn Restart = nullptr;
        mpegdll_Seek_fn Seek = nullptr;
        mpegdll_GetFrequency_fn GetFrequency = nullptr;
        mpegdll_GetBitrate_fn GetBitrate = nullptr;
        mpegdll_GetLayer_fn GetLayer = nullptr;
    } F;
};

} // namespace vorlin::music
