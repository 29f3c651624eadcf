#pragma once
// The system side of a running full-screen show: the cursor's show/hide counter, and keeping every other
// screen saver away while the show runs.
//
// Cursor: a process-wide counter as the platform's ShowCursor keeps it. ShowCursor(false) decreases it,
// ShowCursor(true) increases it, and the cursor is hidden (Qt's blank cursor as the application's
// override cursor) while the counter is below 0. Callers keep their calls balanced.
//
// Other screen savers: the X server's own saver is suspended (XScreenSaverSuspend) while the show runs,
// and, when the xscreensaver daemon is there, the daemon of the show's own display is told to deactivate
// at the start and every 30 s, so that it never starts on top of the show. Off X (offscreen, Wayland)
// neither happens. Main thread only.

#include <QObject>
#include <QTimer>

namespace vorlin::showwindows {

// Returns the new counter value.
int ShowCursor(bool show);
int cursorCount();
// True when the application shows the blank cursor.
bool cursorBlank();

// XScreenSaverSuspend on the application's X display; false when the application is not on X.
bool suspendXScreenSaver(bool suspend);

// The counterpart of SPI_SCREENSAVERRUNNING: while set, nothing else may start a screen saver.
class SaverRunningFlag : public QObject {
    Q_OBJECT
public:
    static constexpr int kDeactivateMs = 30000;
    explicit SaverRunningFlag(QObject* parent = nullptr);
    ~SaverRunningFlag() override;
    // Setting twice in a row does nothing the second time.
    void set(bool running);
    bool running() const { return running_; }
    // How many deactivation requests were sent to the xscreensaver daemon.
    int deactivations() const { return deactivations_; }

private:
    void deactivateOthers();
    bool running_ = false;
    int deactivations_ = 0;
    QTimer timer_;
};

} // namespace vorlin::showwindows
