#pragma once
// The show runner: turns the show settings into a running slide show inside a parent widget. It creates
// one transition canvas filling the parent, applies the display options, and on its timer chooses the
// next picture, has the canvas load it, chooses an effect and starts the transition. When a transition
// completes the timer waits ImageInterval seconds, so the interval runs from the end of one transition
// to the start of the next. It also starts the background music through the playlist.
//
// A picture that fails to load never freezes the show and is never shown again as if it were new: a
// tick moves on to the next picture by the same choice rule, at most kMaxLoadTries times; when none
// loads, no transition starts and the timer tries again one interval later.
//
// Ownership: the runner owns Timer; the canvas belongs to the parent widget (Display becomes null when
// the parent destroys it). Destroying the runner stops its timer, so no tick reaches a destroyed runner.
// Every operation reads the show settings record at the moment it runs. Main thread only; no exception
// leaves an operation.

#include "show/canvas/vorlinscreen.h"
#include "show/runner/runner_rules.h"
#include "show/settings/show_settings.h"

#include <QPointer>
#include <QTimer>

#include <memory>
#include <string>

namespace vorlin::runner {

class TRunVorlinscreen {
public:
    static constexpr int kFirstTickMs = 100;
    static constexpr int kMaxLoadTries = 5;

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
    // those the other monitors show); empty: none.
    TPictureTaken PictureTaken;

    // How many ticks and load attempts ran (for the owner's diagnostics and tests).
    int TickCount = 0;
    int LoadAttempts = 0;

private:
    const show::ShowSettings& settings() const { return settingsFile_->settings; }
    // NextPicture up to kMaxLoadTries times until one loads.
    bool LoadNextPicture();
    // Has the canvas load CurrentFile; false when it is missing or does not load.
    bool LoadCurrentFile();

    show::ShowSettingsFile* settingsFile_;
};

} // namespace vorlin::runner
