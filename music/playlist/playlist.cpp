#include "music/playlist/playlist.h"

#include "base/random.h"
#include "music/mci/mci_player.h"
#include "music/mpegplay/mpeg_player.h"
#include "music/playlist/track_rule.h"
#include "platform/dispatcher/dispatcher.h"
#include "platform/logging/logging.h"

#include <filesystem>
#include <memory>

namespace vorlin::music {

namespace {

TrackRule gRule;
// Created on first use and never destroyed: a player's thread or timer may still be busy at exit.
TMPEGPlayer* gMpeg = nullptr;
MciPlayer* gMci = nullptr;
std::function<void(const std::string&)> gOnTrackStart;

// Both players' end-of-track events: the next track starts at once.
void trackEnded() {
    try {
        PlayTrack("");
    } catch (...) {
        logging::dropped(lcMusic(), "starting the next track");
    }
}

void PlayMpegFile(const std::string& Name) {
    if (!gMpeg) {
        gMpeg = new TMPEGPlayer();
        gMpeg->SetSeekable(false);
        gMpeg->SetFromStream(false);
        gMpeg->SetPlayerPriority(TPlayPriority::Normal);
        gMpeg->SetUseTimer(true);
        gMpeg->SetTimerFreq(1000);
        gMpeg->SetAutoPlay(false);
        gMpeg->SetOutputDevice(TOutputDevice::wavemapper);
        gMpeg->SetStartPos(0);
        gMpeg->SetEndPos(0);
        gMpeg->SetPathToDLL(""); // the system's module search
        gMpeg->OnPlayEnd = [](TMPEGPlayer*) { trackEnded(); };
        // A failed load is not tried again: every later MP3 fails with "MPEG library not loaded".
        try {
            gMpeg->LoadMpegLibrary();
        } catch (...) {
            logging::dropped(lcMusic(), "loading the MPEG audio library");
        }
    }
    gMpeg->SetStreamName(Name); // closes a stream still open
    gMpeg->Open();
    gMpeg->Play();
}

void StopMpeg() {
    try {
        if (gMpeg && gMpeg->GetPlayerMode() == MPEGDLL_MODE_PLAYING) {
            gMpeg->Stop();
            gMpeg->Close();
        }
    } catch (...) {
        logging::dropped(lcMusic(), "stopping the MPEG player");
    }
}

void PlayMciFile(const std::string& Name) {
    if (!gMci) {
        // Notifications come from the MCI player's thread: they reach the main thread through the
        // application's dispatcher (dropped once it is gone).
        auto queue = platform::Dispatcher::forApplication().queue();
        gMci = new MciPlayer([queue](std::function<void()> fn) { queue->post(std::move(fn)); });
        gMci->setOnNotify([](MciPlayer&, MciPlayer::Notify result) {
            // A play that failed on the player's thread (no output device, a broken file) is dropped here.
            if (result == MciPlayer::Notify::Failure) qCWarning(lcMusic) << "playing a track failed; dropped";
            trackEnded();
        });
    }
    if (gMci->deviceId() != 0) gMci->close();
    gMci->open(Name);
    gMci->play();
}

void StopMci() {
    try {
        if (gMci && gMci->deviceId() != 0 && gMci->mode() == MciPlayer::Mode::Playing) {
            gMci->stop();
            gMci->close();
        }
    } catch (...) {
        logging::dropped(lcMusic(), "stopping the MCI player");
    }
}

// Starts one file by its extension; false when it did not start (missing, not played, or failed).
bool startFile(const std::string& name) {
    std::error_code ec;
    if (name.empty() || !std::filesystem::is_regular_file(name, ec)) return false;
    try {
        switch (musicKindOf(name)) {
        case MusicKind::Mpeg:
            PlayMpegFile(name);
            break;
        case MusicKind::Mci:
            PlayMciFile(name);
            break;
        case MusicKind::None:
            return false;
        }
    } catch (...) {
        logging::dropped(lcMusic(), ("playing " + name).c_str());
        return false;
    }
    if (gOnTrackStart) {
        try {
            gOnTrackStart(name);
        } catch (...) {
            logging::dropped(lcMusic(), "the track-start handler");
        }
    }
    return true;
}

} // namespace

void SetMusicList(const std::vector<std::string>& List, bool Shuffle, bool Loop) {
    gRule.set(List, Shuffle, Loop);
    vorlin::randomize();
}

void ClearMusicList() {
    gRule.clear();
}

std::string NextTrack() {
    return gRule.next();
}

void PlayTrack(const std::string& FileName) {
    if (!FileName.empty()) {
        gRule.clear();
        gRule.setCurrent(FileName);
        startFile(FileName);
        return;
    }
    gRule.advance(startFile);
}

void StopMusic() {
    StopMpeg();
    StopMci();
    gRule.setCurrent("");
}

std::string CurrentTrack() {
    return gRule.current();
}

void SetOnTrackStart(std::function<void(const std::string&)> handler) {
    gOnTrackStart = std::move(handler);
}

TMPEGPlayer* PlaylistMpegPlayer() {
    return gMpeg;
}
MciPlayer* PlaylistMciPlayer() {
    return gMci;
}

} // namespace vorlin::music
