#include "show/windows/saver_running.h"

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
    // Only the daemon of the show's own X display is told, and by name: the command tool, left without
    // a display, would go to ":0", which may be another server with a screen saver of its own running
    // (even this show's, when it is that server's screen saver). Without X there is no daemon to tell.
    Display* display = x11Display();
    const char* name = display ? DisplayString(display) : nullptr;
    if (!name || !*name) return;
    const QString tool = QStandardPaths::findExecutable("xscreensaver-command");
    if (tool.isEmpty()) return;
    // The tool answers quickly and prints an error when no daemon runs; either way its output is not
    // wanted.
    QProcess process;
    process.setProgram(tool);
    process.setArguments({"-display", QString::fromLocal8Bit(name), "-deactivate"});
    process.setStandardOutputFile(QProcess::nullDevice());
    process.setStandardErrorFile(QProcess::nullDevice());
    if (process.startDetached()) ++deactivations_;
}

} // namespace vorlin::showwindows
