#include "platform/idle/idle_watcher.h"

#include "platform/idle/session_state.h"
#include "platform/idle/x11_idle.h"
#include "platform/logging/logging.h"

#include <QFileInfo>

#include <sys/prctl.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>

namespace vorlin::idle {

namespace {
// A rewrite of the settings file shows as several changes in a row: read once they have settled.
constexpr int kReloadDelayMs = 200;
constexpr int kShowStopMs = 2000;
} // namespace

IdleWatcher::IdleWatcher(std::unique_ptr<IdleSource> source, Options options)
    : source_(std::move(source)), options_(std::move(options)) {
    show_.setProgram(options_.program);
    show_.setArguments(options_.showArguments);
    show_.setProcessChannelMode(QProcess::ForwardedChannels);
    // A watcher that is killed outright takes its show with it.
    show_.setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGTERM); });
    holdRecheck_.setInterval(kHoldRecheckMs);
    reloadDelay_.setSingleShot(true);
    reloadDelay_.setInterval(kReloadDelayMs);

    connect(source_.get(), &IdleSource::idle, this, [this] { onIdle(); });
    connect(source_.get(), &IdleSource::active, this, [this] { onActive(); });
    connect(source_.get(), &IdleSource::gone, this, [this](const QString& why) {
        std::fprintf(stderr, "VorlinSaver: %s; the idle watcher ends\n", why.toLocal8Bit().constData());
        stopShow();
        emit finished(0);
    });
    connect(&show_, &QProcess::finished, this,
            [this](int code, QProcess::ExitStatus status) { onShowEnded(code, status); });
    connect(&show_, &QProcess::errorOccurred, this, [this](QProcess::ProcessError error) {
        if (error == QProcess::FailedToStart) {
            std::fprintf(stderr, "VorlinSaver: cannot start the show %s\n",
                         options_.program.toLocal8Bit().constData());
        }
    });
    connect(&holdRecheck_, &QTimer::timeout, this, [this] { tryShow(); });
    connect(&reloadDelay_, &QTimer::timeout, this, [this] { reloadTimeout(); });

    if (!options_.watchedFile.isEmpty()) {
        // The folder too: an atomic rewrite replaces the file, and a file that is gone is not watched.
        const QFileInfo file(options_.watchedFile);
        files_.addPath(file.absolutePath());
        if (file.exists()) files_.addPath(file.absoluteFilePath());
        const auto changed = [this] { reloadDelay_.start(); };
        connect(&files_, &QFileSystemWatcher::fileChanged, this, changed);
        connect(&files_, &QFileSystemWatcher::directoryChanged, this, changed);
    }
    timeout_ = options_.timeoutMs();
    source_->setTimeout(timeout_);
}

IdleWatcher::~IdleWatcher() {
    stopShow();
}

void IdleWatcher::trace(const QString& line) const {
    const logging::TraceLines lines(lcIdle(), "idle-watch", options_.trace);
    if (lines.on()) lines(line);
}

void IdleWatcher::onIdle() {
    trace("idle");
    try {
        tryShow();
    } catch (...) {
    }
}

void IdleWatcher::onActive() {
    trace("active");
    holdRecheck_.stop();
}

void IdleWatcher::tryShow() {
    if (!source_->isIdle() || showRunning()) {
        holdRecheck_.stop();
        return;
    }
    // X is asked only in an X session: on Wayland, DISPLAY names Xwayland (which GNOME would start just
    // for the question), where neither the daemon nor a full-screen X window says anything about the
    // session.
    const bool x11 = std::getenv("WAYLAND_DISPLAY") == nullptr || !*std::getenv("WAYLAND_DISPLAY");
    if (x11 && xscreensaverDaemonRuns()) {
        trace("quiet: the xscreensaver daemon runs");
        holdRecheck_.stop();
        return;
    }
    if (sessionLocked()) {
        trace("quiet: the session is locked");
        holdRecheck_.stop();
        return;
    }
    if (idleInhibited() || (x11 && focusedWindowFullScreen())) {
        trace("held: something holds the session awake");
        if (!holdRecheck_.isActive()) holdRecheck_.start();
        return;
    }
    holdRecheck_.stop();
    startShow();
}

void IdleWatcher::startShow() {
    trace("show-start");
    show_.start();
}

void IdleWatcher::onShowEnded(int exitCode, QProcess::ExitStatus status) {
    if (status == QProcess::CrashExit)
        std::fprintf(stderr, "VorlinSaver: the show crashed; the idle watcher goes on\n");
    trace(QString("show-end %1").arg(status == QProcess::CrashExit ? -1 : exitCode));
}

void IdleWatcher::reloadTimeout() {
    // A replaced file is a new file: watch it again.
    if (!options_.watchedFile.isEmpty() && QFileInfo::exists(options_.watchedFile) &&
        !files_.files().contains(QFileInfo(options_.watchedFile).absoluteFilePath()))
        files_.addPath(QFileInfo(options_.watchedFile).absoluteFilePath());
    try {
        const int timeout = options_.timeoutMs();
        if (timeout == timeout_) return;
        timeout_ = timeout;
        trace(QString("timeout %1").arg(timeout));
        source_->setTimeout(timeout);
    } catch (...) {
    }
}

void IdleWatcher::stopShow() {
    if (show_.state() == QProcess::NotRunning) return;
    show_.terminate();
    if (!show_.waitForFinished(kShowStopMs)) {
        show_.kill();
        show_.waitForFinished(kShowStopMs);
    }
}

} // namespace vorlin::idle
