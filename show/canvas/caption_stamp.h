#pragma once
// A picture's caption, stamped at the bottom-left of the picture as the show composes it (and of every
// frame composed from it), so that it comes and goes with its picture in the transitions and never lies
// over a transition's moving edge as a layer of its own. The text is rendered once per picture and
// screen size (text_badge.h). Main thread.

#include "gfx/bitmap.h"
#include "show/canvas/caption_text.h"

#include <QImage>
#include <QString>

namespace vorlin::canvas {

// The caption in words: the text as it is, a date in the short date format of the user's locale
// (QLocale::system()); empty for an empty caption or an impossible date.
QString captionLabel(const CaptionContent& caption);

class CaptionStamp {
public:
    // The caption of the pictures stamped from now on; empty: none (stamping then changes nothing).
    void setText(const QString& text);
    const QString& text() const { return text_; }
    // Draws the caption onto `frame`, shown on a screen (canvas) of the given size: at most 60 % of the
    // screen's width and never wider than the frame allows beside its margins.
    void stamp(gfx::Bitmap& frame, int screenWidth, int screenHeight);

private:
    QString text_;
    QImage badge_;
    int badgeScreenHeight_ = -1;
    int badgeMaxWidth_ = -1;
};

} // namespace vorlin::canvas
