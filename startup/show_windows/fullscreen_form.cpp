#include "startup/show_windows/fullscreen_form.h"

#include "base/random.h"
#include "music/playlist/playlist.h"
#include "platform/registry.h"
#include "startup/show_windows/password_check.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QScreen>
#include <QWindow>

#include <cstdio>
#include <cstdlib>

namespace vorlin::showwindows {

namespace {
template <class F> void guarded(F&& f) {
    try {
        f();
    } catch (...) {
    }
}
} // namespace

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
    connect(&FGrabTimer, &QTimer::timeout, this, [this] { guarded([this] { GrabKeyboardWhenMapped(); }); });
    MouseTimer.setInterval(kMouseTimerMs);
    connect(&MouseTimer, &QTimer::timeout, this, [this] { guarded([this] { MouseTimerTimer(); }); });
    FormCreate();
}

TFullscreenForm::~TFullscreenForm() {
    if (FSaverRunning) guarded([this] { FormClose(); });
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
    if (!Runner) {
        ++RunnersCreated;
        Runner = std::make_unique<runner::TRunVorlinscreen>(
            this, [this](canvas::TCustomVorlinscreen&, Qt::KeyboardModifiers, int, int) { FormMouseMove(); },
            [this](canvas::TCustomVorlinscreen&, Qt::MouseButton, Qt::KeyboardModifiers, int, int) {
                FormMouseDown();
            },
            [this](canvas::TCustomVorlinscreen&, Qt::MouseButton, Qt::KeyboardModifiers, int, int) {
                FormMouseUp();
            },
            false, false, 1);
        ReportFirstFrame();
    } else {
        Runner->Resume();
    }
    Runner->StartMusic();
    if (HostWindow == 0) {
        CoverScreen();
        raise();
        activateWindow();
        // Only X grabs the keyboard; other platforms (offscreen) deliver keys to the active window anyway.
        if (QGuiApplication::platformName() == "xcb") {
            FGrabTries = 0;
            FGrabTimer.start();
        }
    }
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
    if (QWindow* w = windowHandle()) w->setKeyboardGrabEnabled(false);
    guarded([] { music::ClearMusicList(); });
    guarded([] { music::StopMusic(); });
    if (Runner) {
        if (Runner->Display) guarded([this] { Runner->Display->StopTransition(); });
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
    if (!event->spontaneous()) guarded([this] { FormShow(); });
}

void TFullscreenForm::closeEvent(QCloseEvent* event) {
    // A close that did not come through an allowed exit (Alt+F4, the window manager) is an exit attempt.
    if (!FExitAllowed && !ExitAllowed()) {
        event->ignore();
        return;
    }
    FExitAllowed = false;
    guarded([this] { FormClose(); });
    event->accept();
}

void TFullscreenForm::mouseMoveEvent(QMouseEvent* event) {
    event->accept();
    guarded([this] { FormMouseMove(); });
}

void TFullscreenForm::mousePressEvent(QMouseEvent* event) {
    event->accept();
    guarded([this] { FormMouseDown(); });
}

void TFullscreenForm::mouseReleaseEvent(QMouseEvent* event) {
    event->accept();
    guarded([this] { FormMouseUp(); });
}

void TFullscreenForm::keyPressEvent(QKeyEvent* event) {
    event->accept();
    guarded([this] { RequestExit(); });
}

} // namespace vorlin::showwindows
