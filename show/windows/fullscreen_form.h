#pragma once
// The full-screen show window: a borderless, always-on-top, black window covering one screen, with one
// show runner inside; while it shows, TMonitorSurfaces covers every other screen (monitor_surfaces.h) by
// the show option Monitors, and input on any of them comes to this window's exit rules. It decides when the
// show ends:
//  - mouse moves and button presses spend a mouse allowance of 4 that MouseTimer refills every 2000 ms
//    on its own fixed period (mouse events never restart it); the fifth within one period is an exit
//    attempt, so slow occasional movement never ends the show;
//  - releasing a mouse button, any key (Alt and F10 included) and a window-manager close request
//    (Alt+F4) are exit attempts at once.
// An exit attempt asks for the screen-saver password when the user has one set (see password_check.h);
// a refused password leaves the show running with the cursor hidden and a full allowance.
//
// While shown the window keeps other screen savers away and hides the cursor (SetSaverRunning); closing
// clears the playlist, stops the music, the transition and the runner's timer, then releases both. A
// window that is closed only hides, so the builder can show it again: it keeps its runner and restarts
// the transition.
//
// Given a host window (a screen-saver host's window), the show is drawn into that foreign window instead:
// no window of its own, nothing done to other screen savers, and the process ends when the host goes.
// Such a host starts one process per monitor. With different pictures on each monitor, the process starts
// its pictures at its monitor's place in the list (list order) or keeps to every n-th picture of it (random
// order, n monitors), so that neighbours never show the same picture; otherwise all processes draw their
// choices from one seed, showing the same pictures in step, or each its monitor's part of a spanning
// canvas. Only the first monitor's process plays music.
// Main thread only; no exception leaves a handler.

#include "show/runner/run_vorlinscreen.h"
#include "show/windows/monitor_surfaces.h"
#include "show/windows/saver_running.h"
#include "show/windows/x_host.h"

#include <QTimer>
#include <QWidget>

#include <cstdint>
#include <memory>
#include <optional>

namespace vorlin::showwindows {

class TFullscreenForm : public QWidget {
    Q_OBJECT
public:
    static constexpr int kMouseAllowance = 4;
    static constexpr int kMouseTimerMs = 2000;

    explicit TFullscreenForm(std::uint32_t hostWindow = 0, QWidget* parent = nullptr);
    ~TFullscreenForm() override;

    void FormCreate();
    void FormShow();
    void FormClose();
    void FormMouseMove();
    void FormMouseDown();
    void FormMouseUp();
    void MouseTimerTimer();
    void CountMouseActivity();
    void RequestExit();
    void SetSaverRunning(bool Running);
    // Closes without an exit check (the host ends the show).
    void CloseNow();
    // Takes the whole of the window's screen (no window manager gives a full-screen window its size).
    void CoverScreen();
    // The never-shown parent of the canvas of a show spanning all monitors (made on first use).
    QWidget* SpanCanvasHolder();
    // Drawing into a host's window on one of several monitors: that monitor, its place among them (left
    // to right, then top to bottom) and how many there are. Nothing with one monitor or no host.
    struct HostPlace {
        int rank;
        int count;
        Rect area;
    };
    std::optional<HostPlace> HostMonitor() const;

    QTimer MouseTimer;
    int MouseAllowance = kMouseAllowance;
    std::unique_ptr<runner::TRunVorlinscreen> Runner;
    const std::uint32_t HostWindow;
    // The other monitors' surfaces while the window shows (own window only).
    std::unique_ptr<TMonitorSurfaces> Monitors;

    // Counters for diagnostics and tests.
    int MouseTimerTicks = 0;
    int ExitAttempts = 0;
    int RunnersCreated = 0;

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    // The password check; true when the window may close.
    bool ExitAllowed();
    void GrabKeyboardWhenMapped();
    void ReportFirstFrame();
    void CreateRunner(int monitorMode);
    void EndMonitorSurfaces();
    // A host's process on one of several monitors: where its pictures start (different pictures mode).
    void SpreadOverHostMonitors();
    // The random seed every process of one host activation computes alike.
    static std::uint32_t sharedShowSeed();

    bool FExitAllowed = false;
    bool FSaverRunning = false;
    SaverRunningFlag FSaverFlag;
    QTimer FGrabTimer;
    int FGrabTries = 0;
    std::unique_ptr<HostWatcher> FHostWatcher;
    std::unique_ptr<QWidget> FSpanCanvasHolder;
};

} // namespace vorlin::showwindows
