#include "show/runner/run_vorlinscreen.h"

#include "base/random.h"
#include "music/playlist/playlist.h"
#include "platform/dispatcher/dispatcher.h"
#include "platform/logging/logging.h"
#include "show/runner/runner_rules.h"

#include <QFileInfo>

#include <algorithm>
#include <chrono>
#include <climits>
#include <cstdint>
#include <exception>
#include <string>

namespace vorlin::runner {

namespace {

bool fileExists(const std::string& path) {
    const QFileInfo info(QString::fromStdString(path));
    return info.exists() && info.isFile();
}

// ImageInterval seconds in milliseconds, kept inside the timer's range; 0 for zero or less.
int intervalMs(std::int32_t seconds) {
    const std::int64_t ms = std::int64_t{seconds} * 1000;
    return static_cast<int>(std::clamp<std::int64_t>(ms, 0, INT_MAX));
}

// The show's trace lines (vorlin.show debug messages; with VORLIN_TRACE=1 on stderr for the soak, fault
// and end-to-end tests that watch the process from outside).
bool tracing() {
    return logging::showTrace().on();
}

void trace(const std::string& line) {
    logging::showTrace()(line);
}

long long traceClockMs() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

} // namespace

TRunVorlinscreen::TRunVorlinscreen(QWidget* Parent, canvas::TMouseMoveEvent OnMouseMove,
                                   canvas::TMouseEvent OnMouseDown, canvas::TMouseEvent OnMouseUp,
                                   bool windowed, bool demonstration, int demonstrationStyle,
                                   show::ShowSettingsFile* settings)
    : settingsFile_(settings ? settings : &show::showSettingsFile()) {
    try {
        LiveRunners().push_back(this);
        vorlin::randomize();
        auto* display = new canvas::TVorlinscreen(Parent);
        Display = display;
        display->SetColor(gfx::Color{0, 0, 0});
        display->SetAlign(canvas::alClient);
        display->SetAutoSize(false);
        display->SetBgMode(canvas::bmNone);
        display->SetCenter(true);
        display->SetStretchFine(false);
        // A child made after its parent was shown stays hidden until shown itself.
        display->show();
        Windowed = windowed;
        Demonstration = demonstration;
        ApplySettings();
        if (Windowed) {
            display->ShrinkToFit = true;
            display->PadToWindow = true;
        }
        display->OnComplete = [this](canvas::TCustomVorlinscreen&) { TransitionDone(); };
        display->OnMouseMove = std::move(OnMouseMove);
        display->OnMouseDown = std::move(OnMouseDown);
        display->OnMouseUp = std::move(OnMouseUp);
        CurrentFile.clear();
        PictureIndex = -1;
        DemonstrationStyle = demonstrationStyle;
        Timer = std::make_unique<QTimer>();
        Timer->setSingleShot(false);
        Timer->setInterval(kFirstTickMs);
        QObject::connect(Timer.get(), &QTimer::timeout, [this] { Tick(); });
        Timer->start();
        music::PlayTrack("");
    } catch (...) {
        logging::dropped(lcShow(), "starting the show runner");
        // The runner stays as far as it was built.
    }
}

TRunVorlinscreen::~TRunVorlinscreen() {
    std::erase(LiveRunners(), this);
    FLoadAhead.reset(); // gives up a load in flight and joins its worker
    if (Timer) Timer->stop();
    if (Display) {
        // The canvas outlives the runner (it belongs to the parent): cut its ties to this object.
        Display->OnComplete = nullptr;
    }
}

void TRunVorlinscreen::ApplySettings() {
    if (!Display) return;
    try {
        const auto& s = settings();
        // The demonstration shows an effect between its two samples: no drift.
        const canvas::PictureLook look{static_cast<show::TPictureFill>(s.Fill), s.StetchImage,
                                       s.PanZoom && !Demonstration, s.Caption != show::cpNone};
        Display->SetLook(look);
        // A look composes the picture at the control's size, stretched there already.
        Display->SetStretch(s.StetchImage && !Display->LookActive());
        Display->SetClock(static_cast<show::TClockMode>(s.Clock));
        Display->SetColor(gfx::Color::fromColorRef(static_cast<std::uint32_t>(s.BackgroundColor)));
        if (const auto pace = paceForSpeed(s.EffectSpeed)) {
            Display->SetStep(pace->step);
            Display->SetDelay(pace->delay);
        }
    } catch (...) {
        logging::dropped(lcShow(), "applying the show settings");
    }
}

void TRunVorlinscreen::StartMusic() {
    try {
        const auto& s = settings();
        if (!s.PlayMusic || s.Music.empty() || Windowed) return;
        music::StopMusic();
        music::SetMusicList(s.Music, s.RandomMusic, s.LoopMusic);
        music::PlayTrack("");
    } catch (...) {
        logging::dropped(lcShow(), "starting the music");
    }
}

std::vector<TRunVorlinscreen*>& TRunVorlinscreen::LiveRunners() {
    static std::vector<TRunVorlinscreen*> runners;
    return runners;
}

std::vector<const TRunVorlinscreen*> TRunVorlinscreen::OtherMonitors() const {
    std::vector<const TRunVorlinscreen*> others;
    if (!PictureTaken) return others;
    for (const TRunVorlinscreen* r : LiveRunners())
        if (r != this && r->PictureTaken && r->settingsFile_ == settingsFile_) others.push_back(r);
    return others;
}

bool TRunVorlinscreen::ChooseNextPicture(int& index, TShuffleRound& shuffle, std::string& file, When when,
                                         int* chosen) const {
    const auto& s = settings();
    if (chosen) *chosen = -1;
    if (Demonstration) {
        std::string candidate = demonstrationCandidate(file);
        if (!settingsFile_->resolveFile(candidate)) return false;
        file = candidate;
        return true;
    }
    if (s.Pictures.empty()) return false;
    TPictureTaken taken = PictureTaken;
    // Ahead: by this monitor's tick the others will have moved on to what they chose ahead, so the
    // picture each other monitor shows next is passed over (the one it has chosen ahead, else the one on
    // it). Now: what the others show, as without loading ahead (a monitor starts at its place in the
    // list even where another has chosen that picture ahead; that one chooses again at its tick).
    if (const auto others = OtherMonitors(); when == When::Ahead && !others.empty()) {
        taken = [others, &s](int i) {
            return std::any_of(others.begin(), others.end(), [&](const TRunVorlinscreen* o) {
                return (o->FAhead ? o->FAhead->file : o->CurrentFile) == s.Pictures[i];
            });
        };
    }
    const int entry = choosePictureIndex(s.Pictures, s.RandomImage, CurrentFile, index, taken,
                                         s.Shuffle ? &shuffle : nullptr);
    file = s.Pictures[entry];
    if (chosen) *chosen = entry;
    return true;
}

bool TRunVorlinscreen::NextPicture() {
    try {
        DropAhead(); // chosen here, from where the show stands
        std::string file = CurrentFile;
        if (!ChooseNextPicture(PictureIndex, FShuffle, file, When::Now)) return false;
        // In demonstration the sample chosen stays chosen; otherwise a picture that does not load never
        // takes the place of the one on screen: the random draw goes on avoiding that one.
        if (Demonstration) CurrentFile = file;
        ++LoadAttempts;
        if (!Display || file.empty() || !fileExists(file)) return false;
        const std::int32_t caption = settings().Caption;
        Display->SetCaption(canvas::captionFor(
            caption, file,
            canvas::captionNeedsMetadata(caption) ? readPictureMetadata(file) : gfx::PhotoMetadata{}));
        Display->LoadPictureFile(file);
        CurrentFile = file;
        return true;
    } catch (...) {
        logging::dropped(lcShow(), "loading the next picture");
        return false;
    }
}

bool TRunVorlinscreen::LoadNextPicture() {
    for (int attempt = 0; attempt < kMaxLoadTries; ++attempt) {
        if (NextPicture()) return true;
        if (!Demonstration && settings().Pictures.empty()) return false;
    }
    return false;
}

TRunVorlinscreen::AheadKey TRunVorlinscreen::KeyFor(const std::string& file) const {
    const auto& s = settings();
    const bool metadata = canvas::captionNeedsMetadata(s.Caption);
    if (!Display) return AheadKey{s.Pictures, s.RandomImage, PictureRequest{file, {}, {}, metadata}};
    return AheadKey{s.Pictures, s.RandomImage,
                    PictureRequest{file, Display->Color(), Display->PictureFitNow(), metadata}};
}

bool TRunVorlinscreen::AheadStillHolds() const {
    return FAhead && Display && FAhead->key == KeyFor(FAhead->key.request.path);
}

void TRunVorlinscreen::BeginLoadAhead(When when) {
    if (!Display || FAhead) return;
    Ahead ahead;
    ahead.pictureIndex = PictureIndex;
    ahead.shuffle = FShuffle;
    ahead.file = CurrentFile;
    ahead.when = when;
    if (!ChooseNextPicture(ahead.pictureIndex, ahead.shuffle, ahead.file, when, &ahead.chosen)) return;
    ahead.key = KeyFor(ahead.file);
    ahead.tries = 1;
    ++LoadAttempts;
    FAhead = std::move(ahead);
    if (!FLoadAhead)
        FLoadAhead =
            std::make_unique<PictureLoadAhead>(platform::Dispatcher::forApplication().queue(),
                                               [this](LoadedPicture r) { LoadAheadDone(std::move(r)); });
    FLoadAhead->start(FAhead->key.request);
}

void TRunVorlinscreen::LoadAheadDone(LoadedPicture result) {
    try {
        if (!FAhead || FAhead->done) return;
        if (tracing() && !result.ok) trace("failed " + result.error);
        // A picture that fails is passed over by the same rule the tick follows, within the same tries; once
        // the tick waits for it, the next one is shown at once, so it passes over what the others show.
        if (FTickWaiting) FAhead->when = When::Now;
        if (!result.ok && Display && FAhead->tries < kMaxLoadTries &&
            ChooseNextPicture(FAhead->pictureIndex, FAhead->shuffle, FAhead->file, FAhead->when,
                              &FAhead->chosen)) {
            ++FAhead->tries;
            ++LoadAttempts;
            FAhead->key = KeyFor(FAhead->file);
            FLoadAhead->start(FAhead->key.request);
            return;
        }
        FAhead->done = true;
        FAhead->result = std::move(result);
        // A tick waiting for this picture goes on at once (unless its owner stopped the timer meanwhile).
        if (FTickWaiting && Timer && Timer->isActive()) Timer->start(0);
    } catch (...) {
        logging::dropped(lcShow(), "taking a picture loaded ahead");
    }
}

void TRunVorlinscreen::DropAhead() {
    if (!FAhead) return;
    if (FLoadAhead) FLoadAhead->cancel();
    FAhead.reset();
}

void TRunVorlinscreen::StartNext() {
    try {
        const auto& s = settings();
        if (s.Pictures.empty() || !Display) return;
        if (Display->Animating()) {
            Display->StopTransition();
            LoadNextPicture(); // when none loads, the picture already loaded runs to its end
        }
        const int style = Demonstration ? (DemonstrationStyle & 0xFF) : chooseEffect(s.EnabledEffects);
        Display->SetStyle(style);
        if (s.AllowReverseTransition) Display->SetReverse(chooseReverse());
        // Drawn only with pan and zoom: a show without it draws what it always drew.
        if (Display->PanZoom()) Display->SetDrift(canvas::chooseDrift());
        if (s.ClearOldImage) {
            Display->ClearScreen();
            Display->repaint();
        }
        Display->StartTransition();
    } catch (...) {
        logging::dropped(lcShow(), "starting a transition");
    }
}

void TRunVorlinscreen::Tick() {
    try {
        if (!FTickWaiting) {
            ++TickCount;
            Timer->stop();
            FIntervalMs = intervalMs(settings().ImageInterval);
            Timer->setInterval(FIntervalMs);
            FTickAt = tracing() ? traceClockMs() : 0;
            if (!LoadsAhead()) {
                if (LoadNextPicture())
                    StartLoaded();
                else
                    RetryLater();
                return;
            }
            FTickWaiting = true;
            // Another monitor shows the picture chosen ahead by now: choose again, as the tick would.
            if (FAhead && PictureTaken && FAhead->chosen >= 0 && PictureTaken(FAhead->chosen)) DropAhead();
        }
        // The picture chosen ahead no longer fits what the show is now: choose and load again.
        if (FAhead && !AheadStillHolds()) DropAhead();
        if (!FAhead) BeginLoadAhead(When::Now);
        if (!FAhead || FAhead->done) {
            FTickWaiting = false;
            Timer->stop();
            Timer->setInterval(FIntervalMs);
            FinishTick();
            return;
        }
        // Waits on the timer, so that keys and the mouse are handled meanwhile; the worker's result
        // wakes it at once.
        Timer->start(kWaitPollMs);
    } catch (...) {
        logging::dropped(lcShow(), "the show tick");
    }
}

void TRunVorlinscreen::FinishTick() {
    std::optional<Ahead> ahead = std::move(FAhead);
    FAhead.reset();
    // Another monitor came to show this picture while it loaded (its tick ran while this one waited):
    // choose again from what the others show now, as a tick without loading ahead does. Here, on the
    // main thread at the moment a picture becomes current, two monitors cannot both take one picture.
    if (ahead && ahead->chosen >= 0 && PictureTaken && PictureTaken(ahead->chosen)) {
        if (LoadNextPicture())
            StartLoaded();
        else
            RetryLater();
        return;
    }
    // The tick's choice, as if it had been made now: the list position moves on, and the picture becomes
    // the current one only when it loaded.
    if (ahead) {
        PictureIndex = ahead->pictureIndex;
        FShuffle = std::move(ahead->shuffle);
    }
    if (ahead && ahead->result && ahead->result->ok && Display) {
        Display->SetCaption(canvas::captionFor(settings().Caption, ahead->file, ahead->result->metadata));
        Display->TakeLoadedPicture(std::move(ahead->result->picture));
        CurrentFile = ahead->file;
        StartLoaded();
        return;
    }
    RetryLater();
}

void TRunVorlinscreen::StartLoaded() {
    StartNext();
    // In list order the choice draws nothing from the shared generator: the next picture can load while
    // this transition runs. In random order it is drawn when the transition has ended (TransitionDone).
    if (LoadsAhead() && !settings().RandomImage && FIntervalMs > 0 && Display && Display->Animating())
        BeginLoadAhead(When::Ahead);
    // The time from the tick to the transition's start: the picture's load (broken files tried on the way
    // included) and its preparation.
    if (tracing() && Display && Display->Animating()) {
        const long long now = traceClockMs();
        trace("load " + std::to_string(now - FTickAt) + " ms");
        trace("effect " + std::to_string(static_cast<int>(Display->Style())) +
              (Display->Reverse() ? " reverse" : ""));
        trace("start " + std::to_string(now));
    }
    // A transition that could not start would never report its end: wait one interval instead.
    if (Display && !Display->Animating() && !Timer->isActive() && Timer->interval() > 0) Timer->start();
}

void TRunVorlinscreen::RetryLater() {
    // Nothing loaded: try again one interval later (a second at the least, so that a show with an
    // interval of 0 keeps looking for its first picture without spinning). No pictures at all: nothing
    // to retry; the show area stays in the background colour.
    if (!Demonstration && settings().Pictures.empty()) return;
    Timer->start(std::max(Timer->interval(), 1000));
}

void TRunVorlinscreen::Resume() {
    try {
        if (!Display || !Timer) return;
        if (!Display->Picture().isEmpty()) {
            Display->StartTransition();
            return;
        }
        if (Display->Animating() || Timer->isActive()) return;
        Timer->setInterval(kFirstTickMs);
        Timer->start();
    } catch (...) {
        logging::dropped(lcShow(), "resuming the show");
    }
}

void TRunVorlinscreen::TransitionDone() {
    try {
        if (tracing()) {
            trace("transition " + CurrentFile);
            trace("end " + std::to_string(traceClockMs()));
        }
        if (Timer && Timer->interval() > 0) {
            // The picture drifts until the next tick.
            if (Display) Display->StartDrift(Timer->interval());
            Timer->start();
            // After the transition's own draws from the shared generator: the next picture is drawn
            // where the tick would draw it.
            if (LoadsAhead()) BeginLoadAhead(When::Ahead);
        }
    } catch (...) {
        logging::dropped(lcShow(), "ending a transition");
    }
}

} // namespace vorlin::runner
