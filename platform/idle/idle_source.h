#pragma once
// A source of the session's idleness. A source says `idle` once the session has had no user input for
// its timeout, then `active` at the next input, and so on in turn; it never says the same twice in a row.
// `gone` means the session itself went away (compositor, X server or session bus): the source says
// nothing after it. Sources wait for events (or, on X11, sleep until the earliest moment the timeout can
// be reached); none wakes more often than once a second.
//
// openIdleSource picks the first source the session offers, in this order: Wayland ext-idle-notify-v1,
// Wayland org_kde_kwin_idle, GNOME's org.gnome.Mutter.IdleMonitor on the session bus, X11
// MIT-SCREEN-SAVER. Main thread only; a QCoreApplication must exist.

#include <QObject>

#include <memory>
#include <string>

namespace vorlin::idle {

class IdleSource : public QObject {
    Q_OBJECT
public:
    // What the one line on standard error names ("Wayland ext-idle-notify-v1", ...).
    virtual std::string name() const = 0;
    // A new timeout counts from the last input, as the first one did; an idle session says `idle` again
    // once the new timeout is reached.
    virtual void setTimeout(int milliseconds) = 0;
    // True between `idle` and `active`.
    bool isIdle() const { return idle_; }

signals:
    void idle();
    void active();
    void gone(const QString& why);

protected:
    // Sources report through these, which keep the turns.
    void reportIdle();
    void reportActive();
    void reportGone(const QString& why);

private:
    bool idle_ = false;
    bool gone_ = false;
};

// The first source the session offers, started with `milliseconds`; nullptr with `why` set (one line
// naming what was tried) when there is none.
std::unique_ptr<IdleSource> openIdleSource(int milliseconds, std::string& why);

} // namespace vorlin::idle
