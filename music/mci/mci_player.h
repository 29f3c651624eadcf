// The MCI player: plays one WAV or MIDI file at a time through its own audio output and reports the
// end of every play, an aborted one included, on the owner's main thread.
//
// The device is chosen from the file: RIFF/WAVE content (and other sampled formats libsndfile reads)
// goes to the wave device, "MThd" (or RIFF/RMID) content to the MIDI sequencer, which renders with
// FluidSynth and the installed General MIDI soundfont. A file whose content says nothing is tried by
// its extension (".wav", ".mid", ".midi", ".rmi").
//
// Calls: every member is called on the owner's main thread. Playing runs on a thread of the player's
// own; a notification is handed to the `Post` callback from that thread (or from `stop`/`close`/`play`
// on the main thread), and the callback runs the notify event on the main thread. Each `play` is
// followed by exactly one notification: Successful when the file played to its end, Aborted when
// `stop`, `close`, `open` or the player's destruction cut it short, Superseded when another `play`
// came while it was still playing, Failure when the output failed while playing. A notification still
// queued when the player is destroyed is dropped.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>

namespace vorlin::music {

// MCI error codes this layer raises (the values MCI uses for the same faults).
enum MciErrorCode : uint32_t {
    MCIERR_INVALID_DEVICE_ID = 257,
    MCIERR_HARDWARE = 262,
    MCIERR_CANNOT_LOAD_DRIVER = 266,
    MCIERR_EXTENSION_NOT_FOUND = 273,
    MCIERR_FILE_NOT_FOUND = 275,
    MCIERR_INVALID_FILE = 296,
};

// The MCI text for an error code, or "Unknown error code" when there is none.
std::string mciErrorText(uint32_t code);

// A failed MCI command. what() is the text the user would see; code() is 0 for "No MCI device open".
class MciError : public std::runtime_error {
public:
    MciError(uint32_t code, const std::string& text) : std::runtime_error(text), code_(code) {}
    uint32_t code() const { return code_; }

private:
    uint32_t code_;
};

class MciPlayer {
public:
    // MCI_STATUS_MODE answers (MCI's values).
    enum class Mode : uint32_t { NotReady = 524, Stopped = 525, Playing = 526, Paused = 529, Open = 530 };
    // MM_MCINOTIFY results (MCI's values).
    enum class Notify : uint32_t { Successful = 1, Superseded = 2, Aborted = 4, Failure = 8 };

    // Hands a function to the main thread; called from any thread, must not block or run it at once.
    using Post = std::function<void(std::function<void()>)>;
    // The notify event: runs on the main thread for every notification.
    using NotifyEvent = std::function<void(MciPlayer& sender, Notify result)>;

    explicit MciPlayer(Post post);
    // Stops and closes (an unfinished play is aborted; its notification is dropped with the player).
    ~MciPlayer();
    MciPlayer(const MciPlayer&) = delete;
    MciPlayer& operator=(const MciPlayer&) = delete;

    void setOnNotify(NotifyEvent event);

    // MCI_OPEN of `path` (MCI_WAIT): closes an open device first, then opens the file's device.
    // Throws MciError with MCI's text for the fault (file missing, unreadable or unsupported,
    // no soundfont, no sound output). Leaves: a device open and stopped at the start, deviceId() > 0.
    void open(const std::string& path);
    // MCI_PLAY with MCI_NOTIFY: returns at once; plays from the current position to the end.
    // Throws "No MCI device open" without a device. Leaves: mode Playing (until the end).
    void play();
    // MCI_STATUS_MODE (MCI_WAIT). Throws "No MCI device open" without a device.
    Mode mode() const;
    // MCI_STOP (MCI_WAIT): stops playing (a play in progress notifies Aborted) and keeps the position.
    // Throws "No MCI device open" without a device. Leaves: mode Stopped, the device open.
    void stop();
    // MCI_CLOSE (MCI_WAIT): when a device is open, stops it (Aborted) and closes it. Leaves: deviceId() 0.
    void close();

    // The device identifier of the open device, 0 when none is open.
    uint32_t deviceId() const;
    // The file name of the last open.
    const std::string& fileName() const;

    struct Impl;

private:
    std::shared_ptr<Impl> d_;
};

} // namespace vorlin::music
