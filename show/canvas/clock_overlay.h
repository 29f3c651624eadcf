#pragma once
// The clock shown over a show: the time, or the time and the date, in the user's locale, at the
// bottom-right of the canvas. It is painted over whatever the canvas shows, at the end of each of the
// canvas's paint events, and never into the pictures or the canvas's paint buffer: a transition takes its
// old frame from that buffer, so it never carries a time that has passed.
//
// A single-shot timer fires just after each whole minute (of the clock it reads, which tests replace) and
// has the canvas repaint the area of the old and the new text. The text is rendered once per minute and
// size, not per paint. Main thread only.

#include "show/settings/show_settings.h"

#include <QDateTime>
#include <QImage>
#include <QLocale>
#include <QObject>
#include <QRect>
#include <QString>
#include <QTimer>

#include <functional>

class QPainter;
class QWidget;

namespace vorlin::canvas {

class ClockOverlay : public QObject {
public:
    // The time now; empty: the system's clock.
    using Now = std::function<QDateTime()>;

    // Shown over `canvas`, which must outlive the overlay. `mode` ckTime or ckTimeDate. `turned` runs after
    // each change of the text has been handed to the canvas (views of the canvas repaint on it).
    ClockOverlay(QWidget& canvas, show::TClockMode mode, Now now = {}, std::function<void()> turned = {});

    show::TClockMode mode() const { return mode_; }
    // The text for the current minute.
    QString text() const;
    // The clock's text at `t` in `locale`: its short time format without seconds, after its short date
    // format for ckTimeDate.
    static QString clockText(const QLocale& locale, const QDateTime& t, show::TClockMode mode);
    // Where the clock is drawn on the canvas at its present size (empty when nothing is drawn).
    QRect area();
    // Draws the clock; `painter` paints on the canvas (its clip is the paint event's area).
    void paint(QPainter& painter);

    // How long until the next whole minute of `now`, with a little to spare so that the minute has
    // turned when the timer fires.
    static int msToNextMinute(const QDateTime& now);

private:
    QDateTime now() const;
    // On the timer: a new minute repaints; the timer is set for the next one.
    void minuteTurned();
    void schedule();
    // The rendered text for the present minute and canvas height.
    const QImage& badge();
    // Where `image` goes at the canvas's present size.
    QRect placed(const QImage& image) const;

    QWidget& canvas_;
    show::TClockMode mode_;
    Now now_;
    std::function<void()> turned_;
    QTimer timer_;
    QString badgeText_;
    int badgeHeight_ = -1;
    int badgeWidthLimit_ = -1;
    QImage badge_;
};

} // namespace vorlin::canvas
