#pragma once
// The music playlist: the one place through which the program plays background music.
//
// Module-level state, one per process: the list, its shuffle and loop flags, the file chosen last, and
// the two players, each created on first use and kept until the process ends: MP3 files go to the MPEG
// audio player (TMPEGPlayer), WAV and MIDI files (".WAV", ".MID") to the MCI player. When a player
// reports the end of a track, the playlist starts the next one by its rule (TrackRule).
//
// A track that cannot start (missing file, an extension nothing plays, a decoder or device failure)
// does not end the music: the playlist moves on by its rule, trying at most as many tracks as the list
// holds within one advance, so a list of only bad files falls silent instead of spinning.
//
// Every error while starting or stopping is caught and dropped; nothing is shown.
// Threads: main thread only (the players' ends arrive by a timer and through the application's
// dispatcher). Needs a QCoreApplication once a track plays.

#include <functional>
#include <string>
#include <vector>

namespace vorlin::music {

class TMPEGPlayer;
class MciPlayer;

// Replaces the list by a copy of List, stores the flags, re-seeds the shared random generator from the
// clock and returns to the start of the rule. Neither stops nor starts playback.
void SetMusicList(const std::vector<std::string>& List, bool Shuffle, bool Loop);
// Empties the list: every later advance finds nothing.
void ClearMusicList();
// Plays FileName alone (the list is emptied, so nothing follows it), or, with an empty name, advances
// to the next track of the list and plays it.
void PlayTrack(const std::string& FileName);
// Stops whatever plays (the list stays). A cut-short MCI play still reports its end later, which then
// advances the list: call ClearMusicList first for silence.
void StopMusic();
// The next-track rule alone: chooses the next file (returned; empty when none) without playing it.
std::string NextTrack();

// The file chosen last (empty when none).
std::string CurrentTrack();
// Called with the file's name each time a track has started playing.
void SetOnTrackStart(std::function<void(const std::string&)> handler);
// The players, null until their first use.
TMPEGPlayer* PlaylistMpegPlayer();
MciPlayer* PlaylistMciPlayer();

} // namespace vorlin::music
