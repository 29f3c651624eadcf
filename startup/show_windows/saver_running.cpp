#include "startup/show_windows/saver_running.h"

#include <QCursor>
#include <QGuiApplication>
#include <QProcess>
#include <QStandardPaths>

#include <X11/Xlib.h>
#include <X11/extensions/scrnsaver.h>

namespace vorlin::showwindows {

namespace {
int g_cursorCount = 0;
bool g_blankSet = false;

Display* x11Display() {
    auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    return x11 ? x11->display() : nullptr;
}
} // namespace

int ShowCursor(bool show) {
    g_cursorCount += show ? 1 : -1;
    const bool hide = g_cursorCount < 0;
    if (qGuiApp && hide != g_blankSet) {
        if (hide)
            QGuiApplication::setOverrideCursor(QCursor(Qt::BlankCursor));
        else
            QGuiApplication::restoreOverrideCursor();
        g_blankSet = hide;
    }
    return g_cursorCount;
}

int cursorCount() {
    return g_cursorCount;
}

bool cursorBlank() {
    const QCursor* c = QGuiApplication::overrideCursor();
    return c && c->shape() == Qt::BlankCursor;
}

bool suspendXScreenSaver(bool suspend) {
    Display* display = x11Display();
    if (!display) return false;
    int eventBase = 0, errorBase = 0;
    if (!XScreenSaverQueryExtension(display, &eventBase, &errorBase)) return false;
    XScreenSaverSuspend(display, suspend ? True : False);
    XFlush(display);
    return true;
}

SaverRunningFlag::SaverRunningFlag(QObject* parent) : QObject(parent) {
    timer_.setInterval(kDeactivateMs);
    connect(&timer_, &QTimer::timeout, this, [this] { deactivateOthers(); });
}

SaverRunningFlag::~SaverRunningFlag() {
    if (running_) suspendXScreenSaver(false);
}

void SaverRunningFlag::set(bool running) {
    if (running == running_) return;
    running_ = running;
    suspendXScreenSaver(running);
    if (running) {
        deactivateOthers();
        timer_.start();
    } else {
        timer_.stop();
    }
}

void SaverRunningFlag::deactivateOthers() {
    // The daemon's command tool answers quickly and prints an error when no daemon runs; either way
    // its output is not wanted.
    static const QString tool = QStandardPaths::findExecutable("xscreensaver-command");
    if (tool.isEmpty()) return;
    QProcess process;
    process.setProgram(tool);
    process.setArguments({"-deactivate"});
    process.setStandardOutputFile(QProcess::nullDevice());
    process.setStandardErrorFile(QProcess::nullDevice());
    if (process.startDetached()) ++deactivations_;
}

} // namespace vorlin::showwindows
