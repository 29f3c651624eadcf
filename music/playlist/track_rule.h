#pragma once
// The playlist's track-choice rule (no Qt): which file plays next, in order or shuffled, once or looped.
//
//   in order, no loop:  every file once in list order, then none (position -1); the next advance
//                       starts over at the first file;
//   in order, loop:     list order over and over;
//   shuffle, no loop:   exactly count independent uniform draws (repeats possible), then none; the next
//                       advance starts a new series;
//   shuffle, loop:      independent uniform draws for ever.
//
// Draws come from the shared generator (vorlin::random); seeding it is the caller's business.
// A rule without a list (never set) and a rule with an empty list both yield nothing.
// advance() adds what the playlist needs for files that cannot start: it keeps picking until one starts,
// trying at most count picks, so a list of only bad files ends the music instead of spinning.

#include <functional>
#include <string>
#include <vector>

namespace vorlin::music {

class TrackRule {
public:
    // Replaces the list (creating it) and the flags, and returns to the start of the rule.
    void set(const std::vector<std::string>& list, bool shuffle, bool loop);
    // Empties the list (when it exists) and returns to the start of the rule.
    void clear();

    // The next-track rule: picks the next file and returns it (empty when the rule yields none).
    const std::string& next();

    // Picks by next() and calls start(file) until start returns true; at most as many picks as the list
    // holds, and no more once the rule yields none. Returns whether a file started.
    bool advance(const std::function<bool(const std::string&)>& start);

    bool hasList() const { return hasList_; }
    const std::vector<std::string>& list() const { return list_; }
    bool shuffle() const { return shuffle_; }
    bool loop() const { return loop_; }
    const std::string& current() const { return current_; }
    void setCurrent(const std::string& file) { current_ = file; }
    int position() const { return position_; }
    int played() const { return played_; }

private:
    std::vector<std::string> list_;
    bool hasList_ = false;
    bool shuffle_ = false;
    bool loop_ = false;
    std::string current_;
    int position_ = -1;
    int played_ = -1;
};

// What plays a file, by its extension (from the last "." on, any letter case): ".MP3" the MPEG audio
// player, ".WAV" and ".MID" the MCI player, anything else nothing.
enum class MusicKind { None, Mpeg, Mci };
MusicKind musicKindOf(const std::string& fileName);

} // namespace vorlin::music
