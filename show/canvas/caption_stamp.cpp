#include "show/canvas/caption_stamp.h"

#include "show/canvas/text_badge.h"

#include <QDate>
#include <QLocale>

#include <algorithm>

namespace vorlin::canvas {

QString captionLabel(const CaptionContent& caption) {
    QString label = QString::fromStdString(caption.text);
    if (caption.date) {
        const QDate date(caption.date->year, caption.date->month, caption.date->day);
        if (date.isValid()) {
            const QString words = QLocale::system().toString(date, QLocale::ShortFormat);
            label = label.isEmpty() ? words : label + QStringLiteral("  ") + words;
        }
    }
    return label;
}

void CaptionStamp::setText(const QString& text) {
    if (text == text_) return;
    text_ = text;
    badge_ = QImage();
    badgeScreenHeight_ = badgeMaxWidth_ = -1;
}

void CaptionStamp::stamp(gfx::Bitmap& frame, int screenWidth, int screenHeight) {
    if (text_.isEmpty() || frame.isEmpty()) return;
    const int margin = badgeMargin(screenHeight);
    const int maxWidth = std::min(screenWidth * 6 / 10 - margin, frame.width() - 2 * margin);
    if (screenHeight != badgeScreenHeight_ || maxWidth != badgeMaxWidth_) {
        badge_ = renderTextBadge(text_, screenHeight, maxWidth);
        badgeScreenHeight_ = screenHeight;
        badgeMaxWidth_ = maxWidth;
    }
    if (badge_.isNull()) return;
    stampTextBadge(frame, badge_, margin, frame.height() - margin - badge_.height());
}

} // namespace vorlin::canvas
