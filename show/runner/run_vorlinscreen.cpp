#include "show/runner/run_vorlinscreen.h"

#include "base/random.h"
#include "music/playlist/playlist.h"
#include "show/runner/runner_rules.h"

#include <QFileInfo>

#include <algorithm>
#include <chrono>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <exception>

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

// VORLIN_TRACE=1: lines on stderr for the soak and fault tests that watch the process from outside.
bool tracing() {
    static const bool on = std::getenv("VORLIN_TRACE") != nullptr;
    return on;
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
        ApplySettings();
        Windowed = windowed;
        Demonstration = demonstration;
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
        // The runner stays as far as it was built.
    }
}

TRunVorlinscreen::~TRunVorlinscreen() {
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
        Display->SetStretch(s.StetchImage);
        Display->SetColor(gfx::Color::fromColorRef(static_cast<std::uint32_t>(s.BackgroundColor)));
        if (const auto pace = paceForSpeed(s.EffectSpeed)) {
            Display->SetStep(pace->step);
            Display->SetDelay(pace->delay);
        }
    } catch (...) {
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
    }
}

bool TRunVorlinscreen::NextPicture() {
    try {
        const auto& s = settings();
        if (Demonstration) {
            std::string candidate = demonstrationCandidate(CurrentFile);
            if (settingsFile_->resolveFile(candidate))
                CurrentFile = candidate;
            else
                return false;
        } else if (!s.Pictures.empty()) {
            const int index =
                choosePictureIndex(s.Pictures, s.RandomImage, CurrentFile, PictureIndex, PictureTaken);
            const std::string shown = CurrentFile;
            CurrentFile = s.Pictures[index];
            if (LoadCurrentFile()) return true;
            // A picture that does not load never takes the place of the one on screen: the random draw
            // goes on avoiding that one.
            CurrentFile = shown;
            return false;
        } else {
            return false;
        }
        return LoadCurrentFile();
    } catch (...) {
        return false;
    }
}

bool TRunVorlinscreen::LoadCurrentFile() {
    ++LoadAttempts;
    if (!Display || CurrentFile.empty() || !fileExists(CurrentFile)) return false;
    try {
        Display->LoadPictureFile(CurrentFile);
        return true;
    } catch (...) {
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

void TRunVorlinscreen::StartNext() {
    try {
        const auto& s = settings();
        if (s.Pictures.empty() || !Display) return;
        if (Display->FAnimating) {
            Display->StopTransition();
            LoadNextPicture(); // when none loads, the picture already loaded runs to its end
        }
        const int style = Demonstration ? (DemonstrationStyle & 0xFF) : chooseEffect(s.EnabledEffects);
        Display->SetStyle(style);
        if (s.AllowReverseTransition) Display->SetReverse(chooseReverse());
        if (s.ClearOldImage) {
            Display->ClearScreen();
            Display->repaint();
        }
        Display->StartTransition();
    } catch (...) {
    }
}

void TRunVorlinscreen::Tick() {
    try {
        ++TickCount;
        Timer->stop();
        Timer->setInterval(intervalMs(settings().ImageInterval));
        const long long tickAt = tracing() ? traceClockMs() : 0;
        if (LoadNextPicture()) {
            StartNext();
            // The time from the tick to the transition's start: the picture's load (broken files tried on
            // the way included) and its preparation.
            if (tracing() && Display && Display->FAnimating) {
                const long long now = traceClockMs();
                std::fprintf(
                    stderr,
                    "vorlin-trace: load %lld ms\nvorlin-trace: effect %d%s\nvorlin-trace: start %lld\n",
                    now - tickAt, static_cast<int>(Display->Style()), Display->Reverse() ? " reverse" : "",
                    now);
            }
            // A transition that could not start would never report its end: wait one interval instead.
            if (Display && !Display->FAnimating && !Timer->isActive() && Timer->interval() > 0)
                Timer->start();
            return;
        }
        // Nothing loaded: try again one interval later (a second at the least, so that a show with an
        // interval of 0 keeps looking for its first picture without spinning). No pictures at all:
        // nothing to retry; the show area stays in the background colour.
        if (!Demonstration && settings().Pictures.empty()) return;
        Timer->start(std::max(Timer->interval(), 1000));
    } catch (...) {
    }
}

void TRunVorlinscreen::Resume() {
    try {
        if (!Display || !Timer) return;
        if (!Display->Picture().isEmpty()) {
            Display->StartTransition();
            return;
        }
        if (Display->FAnimating || Timer->isActive()) return;
        Timer->setInterval(kFirstTickMs);
        Timer->start();
    } catch (...) {
    }
}

void TRunVorlinscreen::TransitionDone() {
    try {
        if (tracing())
            std::fprintf(stderr, "vorlin-trace: transition %s\nvorlin-trace: end %lld\n", CurrentFile.c_str(),
                         traceClockMs());
        if (Timer && Timer->interval() > 0) Timer->start();
    } catch (...) {
    }
}

} // namespace vorlin::runner
