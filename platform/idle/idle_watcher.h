#pragma once
// The idle watcher: waits on an idle source and, once the session is idle, runs the show as a child
// process (the program itself with "/s"), so that every exit rule of the full-screen show holds and a
// show that crashes leaves the watcher watching. When the show ends it goes back to waiting; a new show
// needs the session to become active and then idle again, so a show that fails at once never loops.
//
// At the moment idleness is reached no show starts while
//  - a show of ours still runs;
//  - the xscreensaver daemon runs on the X display of an X session (it starts the saver itself: one
//    show, not two);
//  - the session is locked;
//  - something holds the session awake (GNOME's idle inhibit; in an X session a full-screen focused
//    window; Wayland compositors count their inhibitors themselves); these
//    are asked again every few seconds while the session stays idle.
// The timeout comes from `timeoutMs`, asked at start and again whenever `watchedFile` changes (the
// configuration dialog rewrites it), so a new value reaches a running watcher within a second or so.
// The source going away (compositor, X server, session bus) ends the watcher with status 0, its show too.
// Main thread only; no exception leaves a handler.

#include "platform/idle/idle_source.h"

#include <QFileSystemWatcher>
#include <QProcess>
#include <QTimer>

#include <functional>
#include <memory>

namespace vorlin::idle {

class IdleWatcher : public QObject {
    Q_OBJECT
public:
    static constexpr int kHoldRecheckMs = 5000;

    struct Options {
        QString program;                 // the show's program
        QStringList showArguments{"/s"}; // its arguments
        std::function<int()> timeoutMs;  // the idle time before a show
        QString watchedFile;             // re-ask timeoutMs when this file changes ("" none)
        // Its trace lines (vorlin.idle debug messages) go to stderr as "idle-watch: <line>", for the
        // tests and benchmarks that watch the process.
        bool trace = false;
    };

    IdleWatcher(std::unique_ptr<IdleSource> source, Options options);
    ~IdleWatcher() override;

    const IdleSource& source() const { return *source_; }
    int timeoutMs() const { return timeout_; }
    bool showRunning() const { return show_.state() != QProcess::NotRunning; }

signals:
    // The watcher is done (the session went away); the status to end the process with.
    void finished(int status);

private:
    void onIdle();
    void onActive();
    void tryShow();
    void startShow();
    void onShowEnded(int exitCode, QProcess::ExitStatus status);
    void reloadTimeout();
    void stopShow();
    void trace(const QString& line) const;

    std::unique_ptr<IdleSource> source_;
    Options options_;
    int timeout_ = 0;
    QProcess show_;
    QTimer holdRecheck_;
    QTimer reloadDelay_;
    QFileSystemWatcher files_;
};

} // namespace vorlin::idle
