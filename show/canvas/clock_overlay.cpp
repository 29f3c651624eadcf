#include "show/canvas/clock_overlay.h"

#include "platform/logging/logging.h"
#include "show/canvas/text_badge.h"

#include <QLocale>
#include <QPainter>
#include <QRegularExpression>
#include <QWidget>

namespace vorlin::canvas {

ClockOverlay::ClockOverlay(QWidget& canvas, show::TClockMode mode, Now now, std::function<void()> turned)
    : canvas_(canvas), mode_(mode), now_(std::move(now)), turned_(std::move(turned)) {
    timer_.setSingleShot(true);
    timer_.setTimerType(Qt::PreciseTimer);
    QObject::connect(&timer_, &QTimer::timeout, this, [this] {
        logging::guarded(lcShow(), "updating the clock", [this] { minuteTurned(); });
    });
    schedule();
}

QDateTime ClockOverlay::now() const {
    return now_ ? now_() : QDateTime::currentDateTime();
}

QString ClockOverlay::text() const {
    return clockText(QLocale::system(), now(), mode_);
}

QString ClockOverlay::clockText(const QLocale& locale, const QDateTime& t, show::TClockMode mode) {
    // The locale's short time, without its seconds (some locales show them): the clock turns each minute.
    static const QRegularExpression seconds(QStringLiteral("[^A-Za-z]?s+"));
    const QString time = t.time().toString(locale.timeFormat(QLocale::ShortFormat).remove(seconds));
    if (mode != show::ckTimeDate) return time;
    return locale.toString(t.date(), QLocale::ShortFormat) + QStringLiteral("  ") + time;
}

int ClockOverlay::msToNextMinute(const QDateTime& now) {
    const int intoMinute = now.time().second() * 1000 + now.time().msec();
    return 60000 - intoMinute + 50;
}

void ClockOverlay::schedule() {
    timer_.start(msToNextMinute(now()));
}

void ClockOverlay::minuteTurned() {
    // A timer that fired early (or a clock set back) shows the same text: nothing to repaint then.
    schedule();
    const QRect before = placed(badge_);
    if (text() == badgeText_) return;
    canvas_.update(before | area());
    if (turned_) turned_();
}

const QImage& ClockOverlay::badge() {
    const QString shown = text();
    const int height = canvas_.height();
    const int widthLimit = canvas_.width() * 6 / 10 - badgeMargin(canvas_.height());
    if (shown != badgeText_ || height != badgeHeight_ || widthLimit != badgeWidthLimit_) {
        badge_ = renderTextBadge(shown, height, widthLimit);
        badgeText_ = shown;
        badgeHeight_ = height;
        badgeWidthLimit_ = widthLimit;
    }
    return badge_;
}

QRect ClockOverlay::area() {
    return placed(badge());
}

QRect ClockOverlay::placed(const QImage& image) const {
    if (image.isNull()) return {};
    const int margin = badgeMargin(canvas_.height());
    return QRect(canvas_.width() - margin - image.width(), canvas_.height() - margin - image.height(),
                 image.width(), image.height());
}

void ClockOverlay::paint(QPainter& painter) {
    const QRect where = area();
    if (where.isEmpty()) return;
    painter.drawImage(where.topLeft(), badge_);
}

} // namespace vorlin::canvas
