#pragma once
// The show runner: turns the show settings into a running slide show inside a parent widget. It creates
// one transition canvas filling the parent, applies the display options, and on its timer chooses the
// next picture, has the canvas load it, chooses an effect and starts the transition. When a transition
// completes the timer waits ImageInterval seconds, so the interval runs from the end of one transition
// to the start of the next. It also starts the background music through the playlist.
//
// A picture that fails to load never freezes the show and is never shown again as if it were new: a
// tick moves on to the next picture by the same choice rule, at most kMaxLoadTries times; when none
// loads, no transition starts and the timer tries again one interval later. In random order the draw
// avoids the picture on screen, not one that failed to load.
//
// Loading ahead (LoadAhead, on by default outside the demonstration): the next picture is chosen and
// decoded on a worker thread at the size the canvas will show it: in list order as soon as a transition
// starts, in random order when it ends (so that the random draws come in the same order as when the tick
// chooses: after the draws the transition's frames made, before the next effect). The tick then takes the
// ready picture; when it is not ready yet the tick waits for it on the timer, so the event loop keeps
// handling keys and the mouse, and stopping the timer stops the waiting tick as it stops the show. A picture
// loaded ahead is dropped when the show settings or the canvas changed meanwhile in a way that bears on it
// (the list, the order, the stretch, the colour, the canvas's size): the tick then chooses and loads again
// from where the show stood. The choice made ahead moves the list position and the fair shuffle's round
// only in its own copy, taken over when the tick takes the picture, so a dropped choice skips nothing.
//
// Several monitors, each with its own runner (Monitors=1: runners that read the same show settings and
// have a PictureTaken rule): a picture chosen ahead passes over what the other monitors will show by this
// monitor's tick, the pictures they have chosen ahead (or, where none, the ones they show), so that each
// monitor keeps the sequence it has when it chooses at its tick. A choice made at the tick passes over
// what the others show (PictureTaken). A picture chosen ahead that another monitor shows by the time of
// the tick (another chose it at its tick, or the list is too short for every monitor's next picture) is
// chosen again at the tick, so no two monitors show one picture where the list allows.
//
// Ownership: the runner owns Timer; the canvas belongs to the parent widget (Display becomes null when
// the parent destroys it). Destroying the runner stops its timer, so no tick reaches a destroyed runner.
// Every operation reads the show settings record at the moment it runs. Main thread only; no exception
// leaves an operation.

#include "show/canvas/vorlinscreen.h"
#include "show/runner/picture_load_ahead.h"
#include "show/runner/runner_rules.h"
#include "show/settings/show_settings.h"

#include <QPointer>
#include <QTimer>

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace vorlin::runner {

class TRunVorlinscreen {
public:
    static constexpr int kFirstTickMs = 100;
    static constexpr int kMaxLoadTries = 5;
    // How often a tick that waits for its picture looks again (the worker's result also wakes it at once).
    static constexpr int kWaitPollMs = 200;

    // Parent: the widget the canvas fills. The mouse handlers (may be empty) receive the canvas's mouse
    // events. Windowed: a small window, no music, pictures shrunk and padded to it. Demonstration: the two
    // sample pictures and the effect DemonstrationStyle. `settings` is the show settings file to read
    // (the process-wide one when null).
    TRunVorlinscreen(QWidget* Parent, canvas::TMouseMoveEvent OnMouseMove, canvas::TMouseEvent OnMouseDown,
                     canvas::TMouseEvent OnMouseUp, bool Windowed, bool Demonstration, int DemonstrationStyle,
                     show::ShowSettingsFile* settings = nullptr);
    ~TRunVorlinscreen();
    TRunVorlinscreen(const TRunVorlinscreen&) = delete;
    TRunVorlinscreen& operator=(const TRunVorlinscreen&) = delete;

    // Copies Stretch, Color and the effect speed's Step and Delay to the canvas.
    void ApplySettings();
    // Hands the music list to the playlist and plays it: only with PlayMusic, some music and not Windowed.
    void StartMusic();
    // Chooses the next picture (CurrentFile) and has the canvas load it; true when a picture was loaded.
    bool NextPicture();
    // Chooses the effect and the direction and starts the transition (nothing without pictures).
    void StartNext();
    // One picture change; the timer stays off until TransitionDone.
    void Tick();
    // Starts the show again when its owner shows it anew: the transition to the picture loaded, or, when
    // none is loaded yet (the show had no pictures so far), the first picture change after kFirstTickMs.
    void Resume();
    // The canvas finished a transition: the timer waits one interval (never when the interval is 0 or
    // less: such a timer never fires).
    void TransitionDone();

    QPointer<canvas::TVorlinscreen> Display;
    std::unique_ptr<QTimer> Timer;
    // The picture last loaded (the one a random draw avoids); in demonstration, the sample last chosen.
    std::string CurrentFile;
    int PictureIndex = -1;
    bool Windowed = false;
    bool Demonstration = false;
    int DemonstrationStyle = 1;
    // Pictures the next choice passes over while others are free (a show on several monitors names
    // those the other monitors show); empty: none. A picture chosen ahead passes over what the other
    // monitors' runners will show next instead (see the top).
    TPictureTaken PictureTaken;

    // How many ticks and load attempts ran (for the owner's diagnostics and tests).
    int TickCount = 0;
    int LoadAttempts = 0;
    // Load the next picture on a worker while a picture shows (off: each tick loads on the main thread).
    bool LoadAhead = true;
    // A tick is waiting for its picture.
    bool TickWaiting() const { return FTickWaiting; }

private:
    // A picture chosen for the tick running now, or ahead for the next tick.
    enum class When { Now, Ahead };
    // What a picture loaded ahead was chosen and loaded for; it is used only while all of it still holds.
    struct AheadKey {
        std::vector<std::string> pictures;
        bool randomImage = false;
        PictureRequest request;
        bool operator==(const AheadKey&) const = default;
    };
    // The choice made ahead: PictureIndex, the shuffle round and CurrentFile as the tick that takes it will
    // set them.
    struct Ahead {
        AheadKey key;
        When when = When::Ahead;
        int chosen = -1; // the list entry chosen
        int pictureIndex = -1;
        TShuffleRound shuffle;
        std::string file;
        int tries = 0;
        bool done = false;
        std::optional<LoadedPicture> result;
    };

    const show::ShowSettings& settings() const { return settingsFile_->settings; }
    // NextPicture up to kMaxLoadTries times until one loads.
    bool LoadNextPicture();
    // Whether the next picture is loaded ahead: not in the demonstration.
    bool LoadsAhead() const { return LoadAhead && !Demonstration; }
    // Chooses the picture after `file` (at `index` in list order, at its place in `shuffle` with Shuffle)
    // by the show's rule, advancing all three; false when there is none. `chosen` (when given) receives the
    // list entry chosen (−1: a sample).
    bool ChooseNextPicture(int& index, TShuffleRound& shuffle, std::string& file, When when,
                           int* chosen = nullptr) const;
    // The other monitors' runners of this show (see the top): those that read the same settings and
    // have a PictureTaken rule, while this one has one.
    std::vector<const TRunVorlinscreen*> OtherMonitors() const;
    // Every runner alive (main thread), for OtherMonitors.
    static std::vector<TRunVorlinscreen*>& LiveRunners();
    // Main thread. Chooses the next picture and starts loading it on the worker.
    void BeginLoadAhead(When when);
    void LoadAheadDone(LoadedPicture result);
    // Drops the choice made ahead (the show stands where it was before it).
    void DropAhead();
    bool AheadStillHolds() const;
    AheadKey KeyFor(const std::string& file) const;
    // The tick's second half, once the picture loaded ahead (or the failure of every try) is there.
    void FinishTick();
    // After a tick that loaded a picture: start the transition, or wait one interval when none started.
    void StartLoaded();
    // After a tick that loaded nothing.
    void RetryLater();

    show::ShowSettingsFile* settingsFile_;
    std::unique_ptr<PictureLoadAhead> FLoadAhead;
    std::optional<Ahead> FAhead;
    // The fair shuffle's round (Shuffle with RandomImage); moves on like PictureIndex.
    TShuffleRound FShuffle;
    bool FTickWaiting = false;
    int FIntervalMs = 0;
    long long FTickAt = 0; // trace clock at the tick's start
};

} // namespace vorlin::runner
