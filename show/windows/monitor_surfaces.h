#pragma once
// The full-screen show on every monitor. The show window (TFullscreenForm) covers one screen; while it
// shows, a TMonitorSurfaces keeps one more full-screen surface on every other screen (QScreen) and follows
// screens as they come and go (Qt's screenAdded and screenRemoved, a screen's geometry change, the show
// window moving to another screen). What a surface shows follows the show option Monitors:
//  - mmSame: a view of the show window's canvas (scaled when the screens' sizes differ), repainted with
//    every frame of it: every monitor shows the same frame;
//  - mmDifferent: a runner of its own. Every runner passes over the pictures the others show, and in list
//    order they start spread over the list, so no two monitors show one picture while there are enough;
//  - mmSpan: a view of its own part of one canvas laid over the monitors' bounding box; the show window
//    shows its part the same way (the canvas itself is never on screen).
// In a host's window (one process per monitor) there are no surfaces; with mmSpan the window shows its
// monitor's part of the spanning canvas.
// Every surface hands its keys, mouse events and close requests to the show window's exit rules, so a key
// or the spent mouse allowance on any screen ends the show on all of them. The show window's close calls
// Detach (every surface hidden at once, the show window's runner given back as it was) and then deletes
// this object later: the close may come from inside a surface's own event. Main thread only; no exception
// leaves a handler.

#include "base/geometry.h"
#include "show/runner/run_vorlinscreen.h"

#include <QMetaObject>
#include <QObject>
#include <QPointer>
#include <QRect>
#include <QWidget>

#include <memory>
#include <vector>

class QScreen;

namespace vorlin::showwindows {

class TFullscreenForm;

// The geometry of every screen (QScreen), in Qt's order, as desktop rectangles.
std::vector<Rect> monitorRects();

// Paints an area of another widget (a canvas), scaled to fill the view. Mouse events pass through to
// the window under it.
class TCanvasView : public QWidget {
    Q_OBJECT
public:
    explicit TCanvasView(QWidget* parent);
    // A null area stands for the source's whole rectangle.
    void SetSource(QWidget* source, const QRect& area);
    QWidget* Source() const { return FSource; }
    QRect Area() const;

protected:
    void paintEvent(QPaintEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QPointer<QWidget> FSource;
    QRect FArea;
};

// A full-screen window on one screen that is not the show window's.
class TShowSurface : public QWidget {
    Q_OBJECT
public:
    TShowSurface(TFullscreenForm& owner, QScreen* screen);
    ~TShowSurface() override;

    // Takes the whole of its screen (again, after the screen's geometry changed).
    void Cover();
    // Makes a runner of its own (mmDifferent); its mouse events go to the show window.
    void CreateRunner();

    QPointer<QScreen> Screen;
    TCanvasView* View = nullptr;                      // mmSame, mmSpan
    std::unique_ptr<runner::TRunVorlinscreen> Runner; // mmDifferent

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    TFullscreenForm& FOwner;
};

class TMonitorSurfaces : public QObject {
    Q_OBJECT
public:
    // `form` has its runner; with mmSpan its canvas lies in form.SpanCanvasHolder().
    TMonitorSurfaces(TFullscreenForm& form, int mode);
    // Touches neither the show window nor its runner (it may be gone by then): Detach does that.
    ~TMonitorSurfaces() override;

    // Hides every surface and stops their runners, gives the show window's runner its frame event and
    // picture choice back, and stops following the screens. Nothing shows or follows afterwards.
    void Detach();

    // Brings the surfaces in line with the screens: one on each screen but the show window's.
    void Sync();
    // Repaints every view (after a frame of the shared canvas).
    void RepaintViews();

    const std::vector<std::unique_ptr<TShowSurface>>& Surfaces() const { return FSurfaces; }
    // The show window's own view of the spanning canvas (mmSpan only).
    TCanvasView* FormView() const { return FFormView.data(); }
    int Mode() const { return FMode; }
    // How many times Sync ran (diagnostics and tests).
    int Syncs = 0;

private:
    void ArrangeSpan();
    void AssignPictureRules();
    void WatchScreens();

    TFullscreenForm& FForm;
    const int FMode;
    std::vector<std::unique_ptr<TShowSurface>> FSurfaces;
    QPointer<TCanvasView> FFormView; // a child of the show window
    bool FDetached = false;
    canvas::TNotifyEvent FPreviousOnProgress;
    std::vector<QMetaObject::Connection> FScreenConnections;
};

} // namespace vorlin::showwindows
