#include "show/windows/fullscreen_form.h"

#include "base/random.h"
#include "music/playlist/playlist.h"
#include "platform/logging/logging.h"
#include "platform/registry.h"
#include "show/settings/show_settings.h"
#include "show/windows/monitor_layout.h"
#include "show/windows/password_check.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QScreen>
#include <QWindow>

#include <cstdio>
#include <cstdlib>
#include <ctime>

#include <unistd.h>

namespace vorlin::showwindows {

TFullscreenForm::TFullscreenForm(std::uint32_t hostWindow, QWidget* parent)
    : QWidget(parent), HostWindow(hostWindow) {
    setWindowTitle("Screen Show");
    setAutoFillBackground(true);
    QPalette p = palette();
    p.setColor(QPalette::Window, Qt::black);
    setPalette(p);
    setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);
    if (HostWindow != 0) {
        embedInto(*this, HostWindow);
        if (const auto g = hostGeometry(HostWindow)) setGeometry(0, 0, g->width, g->height);
        FHostWatcher = std::make_unique<HostWatcher>(HostWindow, [this] {
            CloseNow();
            QCoreApplication::exit(0);
        });
    } else {
        setWindowFlags(Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
        CoverScreen();
    }
    FGrabTimer.setInterval(50);
    connect(&FGrabTimer, &QTimer::timeout, this, [this] {
        logging::guarded(lcShow(), "GrabKeyboardWhenMapped", [this] { GrabKeyboardWhenMapped(); });
    });
    MouseTimer.setInterval(kMouseTimerMs);
    connect(&MouseTimer, &QTimer::timeout, this,
            [this] { logging::guarded(lcShow(), "MouseTimerTimer", [this] { MouseTimerTimer(); }); });
    FormCreate();
}

TFullscreenForm::~TFullscreenForm() {
    if (FSaverRunning) logging::guarded(lcShow(), "FormClose", [this] { FormClose(); });
}

void TFullscreenForm::CoverScreen() {
    // Without a window manager a full-screen request gives a 640×480 window: take the screen's geometry.
    QScreen* s = screen() ? screen() : QGuiApplication::primaryScreen();
    if (s) setGeometry(s->geometry());
    setWindowState(windowState() | Qt::WindowFullScreen);
}

void TFullscreenForm::FormCreate() {
    vorlin::randomize();
    MouseAllowance = kMouseAllowance;
    MouseTimer.start();
}

void TFullscreenForm::FormShow() {
    SetSaverRunning(true);
    const int mode = show::showSettings().Monitors;
    // A runner made for a spanning show draws off screen: it cannot serve another arrangement.
    if (Runner && Runner->Display &&
        (Runner->Display->parentWidget() == FSpanCanvasHolder.get()) != (mode == show::mmSpan)) {
        const QPointer<canvas::TVorlinscreen> old = Runner->Display;
        logging::guarded(lcShow(), "StopTransition", [&] { old->StopTransition(); });
        Runner.reset();
        delete old.data();
    }
    if (!Runner) {
        CreateRunner(mode);
        ReportFirstFrame();
        if (HostWindow != 0) SpreadOverHostMonitors();
    } else {
        Runner->Resume();
    }
    const auto place = HostWindow != 0 ? HostMonitor() : std::nullopt;
    // One process per monitor: only the first monitor's plays the music.
    if (!place || place->rank == 0) Runner->StartMusic();
    if (HostWindow == 0) {
        CoverScreen();
        raise();
        activateWindow();
        EndMonitorSurfaces();
        Monitors = std::make_unique<TMonitorSurfaces>(*this, mode);
        // Only X grabs the keyboard; other platforms (offscreen) deliver keys to the active window anyway.
        if (QGuiApplication::platformName() == "xcb") {
            FGrabTries = 0;
            FGrabTimer.start();
        }
    } else if (place && mode != show::mmDifferent) {
        // The processes a host started for its monitors make the same choices from one seed, so that
        // they show the same pictures in step (or the parts of one picture) without talking to each other.
        vorlin::setRandomSeed(sharedShowSeed());
        if (mode == show::mmSpan) {
            EndMonitorSurfaces();
            Monitors = std::make_unique<TMonitorSurfaces>(*this, mode);
        }
    }
}

void TFullscreenForm::CreateRunner(int monitorMode) {
    ++RunnersCreated;
    QWidget* parent = monitorMode == show::mmSpan ? SpanCanvasHolder() : this;
    Runner = std::make_unique<runner::TRunVorlinscreen>(
        parent, [this](canvas::TCustomVorlinscreen&, Qt::KeyboardModifiers, int, int) { FormMouseMove(); },
        [this](canvas::TCustomVorlinscreen&, Qt::MouseButton, Qt::KeyboardModifiers, int, int) {
            FormMouseDown();
        },
        [this](canvas::TCustomVorlinscreen&, Qt::MouseButton, Qt::KeyboardModifiers, int, int) {
            FormMouseUp();
        },
        false, false, 1);
}

void TFullscreenForm::EndMonitorSurfaces() {
    if (!Monitors) return;
    Monitors->Detach();
    // The close may come from a surface's own event handler: the surfaces go once that has returned.
    Monitors.release()->deleteLater();
}

QWidget* TFullscreenForm::SpanCanvasHolder() {
    if (!FSpanCanvasHolder) FSpanCanvasHolder = std::make_unique<QWidget>();
    return FSpanCanvasHolder.get();
}

std::optional<TFullscreenForm::HostPlace> TFullscreenForm::HostMonitor() const {
    const auto host = HostWindow != 0 ? hostGeometry(HostWindow) : std::nullopt;
    const std::vector<Rect> monitors = monitorRects();
    if (!host || monitors.size() < 2) return std::nullopt;
    const int at = monitorOf(Rect{host->x, host->y, host->x + host->width, host->y + host->height}, monitors);
    if (at < 0) return std::nullopt;
    return HostPlace{positionRank(monitors, at), static_cast<int>(monitors.size()), monitors[at]};
}

std::uint32_t TFullscreenForm::sharedShowSeed() {
    // The host starts its processes together: they share their parent and, almost always, the minute.
    const auto minute = static_cast<std::uint32_t>(std::time(nullptr) / 60);
    return static_cast<std::uint32_t>(::getppid()) * 2654435761u ^ minute;
}

void TFullscreenForm::SpreadOverHostMonitors() {
    const auto& s = show::showSettings();
    const auto place = HostMonitor();
    if (s.Monitors != show::mmDifferent || !Runner || !place) return;
    const int rank = place->rank, count = place->count;
    Runner->PictureIndex = runner::monitorStartIndex(rank, count, static_cast<int>(s.Pictures.size())) - 1;
    // Random order has no place to start from: each monitor keeps to its own share of the list.
    if (s.RandomImage) Runner->PictureTaken = [rank, count](int index) { return index % count != rank; };
}

void TFullscreenForm::ReportFirstFrame() {
    // For the start-up benchmark: one line on stderr once the first frame has been drawn and the paint
    // it asked for has been served.
    const char* v = std::getenv("VORLIN_REPORT_FIRST_FRAME");
    if (!v || !*v || !Runner || !Runner->Display) return;
    Runner->Display->OnProgress = [this, reported = false](canvas::TCustomVorlinscreen&) mutable {
        if (reported) return;
        reported = true;
        QTimer::singleShot(0, this, [] {
            std::fputs("first-frame\n", stderr);
            std::fflush(stderr);
        });
    };
}

void TFullscreenForm::GrabKeyboardWhenMapped() {
    // A grab succeeds only once the window is viewable; until then try again shortly.
    QWindow* w = windowHandle();
    if ((w && w->isExposed() && w->setKeyboardGrabEnabled(true)) || ++FGrabTries > 40) FGrabTimer.stop();
}

void TFullscreenForm::FormClose() {
    FGrabTimer.stop();
    EndMonitorSurfaces();
    if (QWindow* w = windowHandle()) w->setKeyboardGrabEnabled(false);
    logging::guarded(lcShow(), "ClearMusicList", [] { music::ClearMusicList(); });
    logging::guarded(lcShow(), "StopMusic", [] { music::StopMusic(); });
    if (Runner) {
        if (Runner->Display)
            logging::guarded(lcShow(), "StopTransition", [this] { Runner->Display->StopTransition(); });
        if (Runner->Timer) Runner->Timer->stop();
    }
    SetSaverRunning(false);
}

void TFullscreenForm::SetSaverRunning(bool Running) {
    // Only changes act, so that the cursor counter stays balanced however often show and close come.
    if (Running == FSaverRunning) return;
    FSaverRunning = Running;
    if (HostWindow == 0) FSaverFlag.set(Running);
    ShowCursor(!Running);
}

void TFullscreenForm::MouseTimerTimer() {
    ++MouseTimerTicks;
    MouseAllowance = kMouseAllowance;
}

void TFullscreenForm::CountMouseActivity() {
    if (MouseAllowance > 0) {
        --MouseAllowance;
        return;
    }
    RequestExit();
}

void TFullscreenForm::FormMouseMove() {
    CountMouseActivity();
}
void TFullscreenForm::FormMouseDown() {
    CountMouseActivity();
}
void TFullscreenForm::FormMouseUp() {
    RequestExit();
}

bool TFullscreenForm::ExitAllowed() {
    ++ExitAttempts;
    QWindow* w = windowHandle();
    // The password dialog needs the keyboard.
    if (w) w->setKeyboardGrabEnabled(false);
    bool allowed = true;
    try {
        allowed = exitAllowed(
            platform::Registry(), static_cast<unsigned long>(winId()), [](bool show) { ShowCursor(show); },
            [this] { MouseAllowance = kMouseAllowance; });
    } catch (...) {
        allowed = true;
    }
    if (!allowed && w && HostWindow == 0) w->setKeyboardGrabEnabled(true);
    return allowed;
}

void TFullscreenForm::RequestExit() {
    if (!isVisible()) return;
    if (!ExitAllowed()) return;
    FExitAllowed = true;
    close();
}

void TFullscreenForm::CloseNow() {
    FExitAllowed = true;
    if (isVisible())
        close();
    else if (FSaverRunning)
        FormClose();
    FExitAllowed = false;
}

void TFullscreenForm::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (!event->spontaneous()) logging::guarded(lcShow(), "FormShow", [this] { FormShow(); });
}

void TFullscreenForm::closeEvent(QCloseEvent* event) {
    // A close that did not come through an allowed exit (Alt+F4, the window manager) is an exit attempt.
    if (!FExitAllowed && !ExitAllowed()) {
        event->ignore();
        return;
    }
    FExitAllowed = false;
    logging::guarded(lcShow(), "FormClose", [this] { FormClose(); });
    event->accept();
}

void TFullscreenForm::mouseMoveEvent(QMouseEvent* event) {
    event->accept();
    logging::guarded(lcShow(), "FormMouseMove", [this] { FormMouseMove(); });
}

void TFullscreenForm::mousePressEvent(QMouseEvent* event) {
    event->accept();
    logging::guarded(lcShow(), "FormMouseDown", [this] { FormMouseDown(); });
}

void TFullscreenForm::mouseReleaseEvent(QMouseEvent* event) {
    event->accept();
    logging::guarded(lcShow(), "FormMouseUp", [this] { FormMouseUp(); });
}

void TFullscreenForm::keyPressEvent(QKeyEvent* event) {
    event->accept();
    logging::guarded(lcShow(), "RequestExit", [this] { RequestExit(); });
}

} // namespace vorlin::showwindows
