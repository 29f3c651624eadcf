#include "show/windows/monitor_surfaces.h"

#include "platform/logging/logging.h"
#include "show/canvas/qt_rect.h"
#include "show/settings/show_settings.h"
#include "show/windows/fullscreen_form.h"
#include "show/windows/monitor_layout.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QWindow>

#include <algorithm>
#include <string>

namespace vorlin::showwindows {

namespace {

using canvas::toQRect;
using canvas::toRect;

void makeBlack(QWidget& w) {
    w.setAutoFillBackground(true);
    QPalette p = w.palette();
    p.setColor(QPalette::Window, Qt::black);
    w.setPalette(p);
}

} // namespace

std::vector<Rect> monitorRects() {
    std::vector<Rect> rects;
    for (const QScreen* s : QGuiApplication::screens()) rects.push_back(toRect(s->geometry()));
    return rects;
}

// ---------------------------------------------------------------- TCanvasView

TCanvasView::TCanvasView(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_OpaquePaintEvent);
    // The view fills its window, whatever size the window manager or compositor gives that.
    parent->installEventFilter(this);
    setGeometry(parent->rect());
}

bool TCanvasView::eventFilter(QObject* watched, QEvent* event) {
    if (watched == parent() && event->type() == QEvent::Resize) setGeometry(parentWidget()->rect());
    return false;
}

void TCanvasView::SetSource(QWidget* source, const QRect& area) {
    FSource = source;
    FArea = area;
    update();
}

QRect TCanvasView::Area() const {
    return FArea.isNull() && FSource ? FSource->rect() : FArea;
}

void TCanvasView::paintEvent(QPaintEvent*) {
    logging::guarded(lcShow(), "paint", [this] {
        QPainter painter(this);
        const QRect area = Area();
        if (!FSource || area.isEmpty()) {
            painter.fillRect(rect(), Qt::black);
            return;
        }
        // The source paints its area through this painter: scaled to the view, moved to its origin.
        if (area.size() != size())
            painter.scale(double(width()) / area.width(), double(height()) / area.height());
        FSource->render(&painter, QPoint(0, 0), QRegion(area), QWidget::RenderFlags());
    });
}

// ---------------------------------------------------------------- TShowSurface

TShowSurface::TShowSurface(TFullscreenForm& owner, QScreen* screen) : Screen(screen), FOwner(owner) {
    setWindowTitle("Screen Show");
    setWindowFlags(Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
    makeBlack(*this);
    setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);
    // The window must know its screen before it is shown: a full-screen request names that screen's
    // output to the compositor.
    create();
    if (QWindow* w = windowHandle(); w && screen) w->setScreen(screen);
}

TShowSurface::~TShowSurface() {
    if (Runner) {
        if (Runner->Display)
            logging::guarded(lcShow(), "StopTransition", [this] { Runner->Display->StopTransition(); });
        Runner.reset();
    }
}

void TShowSurface::Cover() {
    if (!Screen) return;
    if (QWindow* w = windowHandle(); w && w->screen() != Screen) w->setScreen(Screen);
    setGeometry(Screen->geometry());
    if (!isVisible()) {
        showFullScreen();
        raise();
    } else {
        setWindowState(windowState() | Qt::WindowFullScreen);
    }
}

void TShowSurface::CreateRunner() {
    auto& owner = FOwner;
    Runner = std::make_unique<runner::TRunVorlinscreen>(
        this,
        [&owner](canvas::TCustomVorlinscreen&, Qt::KeyboardModifiers, int, int) { owner.FormMouseMove(); },
        [&owner](canvas::TCustomVorlinscreen&, Qt::MouseButton, Qt::KeyboardModifiers, int, int) {
            owner.FormMouseDown();
        },
        [&owner](canvas::TCustomVorlinscreen&, Qt::MouseButton, Qt::KeyboardModifiers, int, int) {
            owner.FormMouseUp();
        },
        false, false, 1);
}

void TShowSurface::keyPressEvent(QKeyEvent* event) {
    event->accept();
    logging::guarded(lcShow(), "RequestExit", [this] { FOwner.RequestExit(); });
}

void TShowSurface::mouseMoveEvent(QMouseEvent* event) {
    event->accept();
    logging::guarded(lcShow(), "FormMouseMove", [this] { FOwner.FormMouseMove(); });
}

void TShowSurface::mousePressEvent(QMouseEvent* event) {
    event->accept();
    logging::guarded(lcShow(), "FormMouseDown", [this] { FOwner.FormMouseDown(); });
}

void TShowSurface::mouseReleaseEvent(QMouseEvent* event) {
    event->accept();
    logging::guarded(lcShow(), "FormMouseUp", [this] { FOwner.FormMouseUp(); });
}

void TShowSurface::closeEvent(QCloseEvent* event) {
    // A surface closes only with the show: a close request from outside is an exit attempt.
    event->ignore();
    logging::guarded(lcShow(), "RequestExit", [this] { FOwner.RequestExit(); });
}

// ---------------------------------------------------------------- TMonitorSurfaces

TMonitorSurfaces::TMonitorSurfaces(TFullscreenForm& form, int mode) : FForm(form), FMode(mode) {
    canvas::TVorlinscreen* shared = form.Runner ? form.Runner->Display.data() : nullptr;
    if (shared && FMode != show::mmDifferent) {
        // Every frame of the shared canvas reaches the views.
        FPreviousOnProgress = shared->OnProgress;
        shared->OnProgress = [this, previous = FPreviousOnProgress](canvas::TCustomVorlinscreen& sender) {
            if (previous) previous(sender);
            RepaintViews();
        };
    }
    if (FMode == show::mmSpan) {
        FFormView = new TCanvasView(&form);
        FFormView->show();
    }
    auto* app = qGuiApp;
    connect(app, &QGuiApplication::screenAdded, this,
            [this](QScreen*) { logging::guarded(lcShow(), "Sync", [this] { Sync(); }); });
    // Qt moves the windows of a removed screen before it is gone: look again once it is.
    connect(app, &QGuiApplication::screenRemoved, this, [this](QScreen*) {
        QMetaObject::invokeMethod(
            this, [this] { logging::guarded(lcShow(), "Sync", [this] { Sync(); }); }, Qt::QueuedConnection);
    });
    if (QWindow* w = form.windowHandle())
        connect(w, &QWindow::screenChanged, this,
                [this](QScreen*) { logging::guarded(lcShow(), "Sync", [this] { Sync(); }); });
    Sync();
}

TMonitorSurfaces::~TMonitorSurfaces() {
    FSurfaces.clear();
}

void TMonitorSurfaces::Detach() {
    if (FDetached) return;
    FDetached = true;
    disconnect(qGuiApp, nullptr, this, nullptr);
    if (QWindow* w = FForm.windowHandle()) disconnect(w, nullptr, this, nullptr);
    for (const auto& c : FScreenConnections) disconnect(c);
    FScreenConnections.clear();
    if (FForm.Runner) {
        if (FForm.Runner->Display && FMode != show::mmDifferent)
            FForm.Runner->Display->OnProgress = FPreviousOnProgress;
        FForm.Runner->PictureTaken = nullptr;
    }
    for (const auto& s : FSurfaces) {
        s->hide();
        if (s->Runner) {
            if (s->Runner->Display)
                logging::guarded(lcShow(), "StopTransition", [&] { s->Runner->Display->StopTransition(); });
            if (s->Runner->Timer) s->Runner->Timer->stop();
        }
    }
    if (FFormView) {
        FFormView->hide();
        FFormView->deleteLater();
    }
}

void TMonitorSurfaces::Sync() {
    if (FDetached) return;
    ++Syncs;
    const QList<QScreen*> screens = QGuiApplication::screens();
    if (FForm.HostWindow != 0) {
        // In a host's window: no surfaces of its own (the host covers the other monitors).
        if (FMode == show::mmSpan) ArrangeSpan();
        WatchScreens();
        return;
    }
    QScreen* own = FForm.screen();
    // Surfaces whose screen is gone, or is the show window's now, go.
    std::erase_if(FSurfaces, [&](const std::unique_ptr<TShowSurface>& s) {
        return !s->Screen || s->Screen == own || !screens.contains(s->Screen.data());
    });
    for (QScreen* screen : screens) {
        if (screen == own) continue;
        const bool covered = std::any_of(FSurfaces.begin(), FSurfaces.end(),
                                         [&](const auto& s) { return s->Screen == screen; });
        if (covered) continue;
        auto surface = std::make_unique<TShowSurface>(FForm, screen);
        if (FMode == show::mmDifferent) {
            surface->CreateRunner();
        } else {
            surface->View = new TCanvasView(surface.get());
            if (FMode == show::mmSame && FForm.Runner)
                surface->View->SetSource(FForm.Runner->Display, QRect());
        }
        FSurfaces.push_back(std::move(surface));
    }
    FForm.CoverScreen();
    if (FMode == show::mmSpan) ArrangeSpan();
    if (FMode == show::mmDifferent) AssignPictureRules();
    for (const auto& s : FSurfaces) s->Cover();
    WatchScreens();
    // One trace line per arrangement, for the end-to-end tests that add and remove monitors.
    if (logging::showTrace().on())
        logging::showTrace()("monitors " + std::to_string(screens.size()) + " screens, " +
                             std::to_string(FSurfaces.size()) + " surfaces");
}

void TMonitorSurfaces::ArrangeSpan() {
    const Rect box = boundingBox(monitorRects());
    QWidget* holder = FForm.SpanCanvasHolder();
    canvas::TVorlinscreen* shared = FForm.Runner ? FForm.Runner->Display.data() : nullptr;
    if (!holder || !shared || box.isEmpty()) return;
    // The holder is never shown, so its canvas learns its size directly, not through resize events.
    holder->setGeometry(0, 0, box.width(), box.height());
    shared->setGeometry(0, 0, box.width(), box.height());
    shared->UpdateDisplayRect();
    const auto place = FForm.HostWindow != 0 ? FForm.HostMonitor() : std::nullopt;
    if (FFormView && place)
        FFormView->SetSource(shared, toQRect(spanPart(place->area, box)));
    else if (QScreen* own = FForm.screen(); FFormView && own)
        FFormView->SetSource(shared, toQRect(spanPart(toRect(own->geometry()), box)));
    for (const auto& s : FSurfaces)
        if (s->Screen && s->View)
            s->View->SetSource(shared, toQRect(spanPart(toRect(s->Screen->geometry()), box)));
}

void TMonitorSurfaces::AssignPictureRules() {
    std::vector<runner::TRunVorlinscreen*> runners;
    std::vector<QScreen*> screensOf;
    if (FForm.Runner) runners.push_back(FForm.Runner.get()), screensOf.push_back(FForm.screen());
    for (const auto& s : FSurfaces)
        if (s->Runner) runners.push_back(s->Runner.get()), screensOf.push_back(s->Screen);

    const QList<QScreen*> screens = QGuiApplication::screens();
    const std::vector<Rect> rects = monitorRects();
    const int count = static_cast<int>(show::showSettings().Pictures.size());
    for (std::size_t k = 0; k < runners.size(); ++k) {
        runner::TRunVorlinscreen* r = runners[k];
        r->PictureTaken = [this, r](int index) {
            const auto& pictures = show::showSettings().Pictures;
            if (index < 0 || index >= static_cast<int>(pictures.size())) return false;
            const auto takenBy = [&](const runner::TRunVorlinscreen* other) {
                return other && other != r && other->CurrentFile == pictures[index];
            };
            if (FForm.Runner && takenBy(FForm.Runner.get())) return true;
            return std::any_of(FSurfaces.begin(), FSurfaces.end(),
                               [&](const auto& s) { return takenBy(s->Runner.get()); });
        };
        // A runner that has not chosen yet starts at its monitor's place in the list.
        const auto at = static_cast<int>(screens.indexOf(screensOf[k]));
        if (r->TickCount == 0 && at >= 0) {
            const int rank = positionRank(rects, at);
            r->PictureIndex = runner::monitorStartIndex(rank, static_cast<int>(rects.size()), count) - 1;
        }
    }
}

void TMonitorSurfaces::WatchScreens() {
    for (const auto& c : FScreenConnections) disconnect(c);
    FScreenConnections.clear();
    for (QScreen* s : QGuiApplication::screens())
        FScreenConnections.push_back(connect(s, &QScreen::geometryChanged, this, [this](const QRect&) {
            logging::guarded(lcShow(), "Sync", [this] { Sync(); });
        }));
}

void TMonitorSurfaces::RepaintViews() {
    if (FDetached) return;
    if (FFormView) FFormView->update();
    for (const auto& s : FSurfaces)
        if (s->View) s->View->update();
}

} // namespace vorlin::showwindows
