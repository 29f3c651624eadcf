#pragma once
// The program's logging categories, each declared once, here:
//   vorlin.show   the show: transition canvas, show runner, show windows
//   vorlin.music  the background music: playlist and MPEG audio player
//   vorlin.idle   the idle watcher
// All are silent by default; QT_LOGGING_RULES switches them on ("vorlin.*=true", or one level:
// "vorlin.show.debug=true"). Trace lines are debug messages; errors the show and the music drop on
// purpose (they go on, as their failure rules say) are warnings.
//
// Trace lines that scripts read from a running program also have a switch of their own (VORLIN_TRACE for
// the show's, VORLIN_TRACE_IDLE for the idle watcher's): with it they go to stderr as "<prefix>: <line>",
// whatever the logging rules, the message pattern and the message handler say.
//
// Threads: main thread. Workers that keep Qt out (the canvas's pacing worker, the music's players) hand
// what they drop to their owner instead.

#include <QLoggingCategory>
#include <QString>

#include <exception>
#include <string>

Q_DECLARE_LOGGING_CATEGORY(lcShow)
Q_DECLARE_LOGGING_CATEGORY(lcMusic)
Q_DECLARE_LOGGING_CATEGORY(lcIdle)

namespace vorlin::logging {

// One stream of trace lines: debug messages of its category, or with its switch on lines on stderr.
class TraceLines {
public:
    TraceLines(const QLoggingCategory& category, const char* prefix, bool toStderr)
        : category_(category), prefix_(prefix), toStderr_(toStderr) {}
    // Whether a line goes anywhere (so that the caller composes it only then).
    bool on() const { return toStderr_ || category_.isDebugEnabled(); }
    // The line's bytes go to stderr as they are (a file name need not be valid text).
    void operator()(const std::string& line) const;
    void operator()(const char* line) const { (*this)(std::string(line)); }
    void operator()(const QString& line) const { (*this)(line.toStdString()); }

private:
    const QLoggingCategory& category_;
    const char* prefix_;
    bool toStderr_;
};

// The show's trace lines: vorlin.show, on stderr as "vorlin-trace: <line>" with VORLIN_TRACE set (to any
// value; read once).
const TraceLines& showTrace();

// Inside a catch block: a warning of `category` that `what` failed and the error was dropped, with the
// exception's text when it has one. Never throws.
void dropped(const QLoggingCategory& category, const char* what) noexcept;
// The same for an error caught elsewhere (on a worker) and handed over.
void dropped(const QLoggingCategory& category, const char* what, std::exception_ptr error) noexcept;

// Runs `f`, dropping whatever it throws as above: for slots, timers and event handlers, which must not let
// an exception out into Qt's event loop.
template <class F> void guarded(const QLoggingCategory& category, const char* what, F&& f) noexcept {
    try {
        f();
    } catch (...) {
        dropped(category, what);
    }
}

} // namespace vorlin::logging
