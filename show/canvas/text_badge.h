#pragma once
// A line of text that stays readable on any picture: white glyphs over a soft dark shadow (the glyphs'
// outline, widened and blurred), as one premultiplied ARGB image that is transparent around the shadow.
// The captions are stamped onto the show's pictures with it, the clock is painted over the screen with it.
//
// Sizes follow the screen (the canvas) the badge is shown on: the glyphs are about a 36th of its height
// (never below a legible minimum), and a badge is never wider than the width it is given: longer text ends
// in an ellipsis. Main thread (fonts are Qt's).

#include "gfx/bitmap.h"

#include <QImage>
#include <QString>

namespace vorlin::canvas {

// The pixel size of a badge's font on a screen `screenHeight` pixels high.
int badgeFontPixels(int screenHeight);
// The distance between a badge and the screen's edges.
int badgeMargin(int screenHeight);

// `text` on its shadow, elided to at most `maxWidth` pixels of image (shadow included); a null image when
// nothing is left to draw (no text, or no room).
QImage renderTextBadge(const QString& text, int screenHeight, int maxWidth);

// Blends a badge onto a 24-bit bitmap with its top-left corner at (x, y); what falls outside the bitmap is
// left out.
void stampTextBadge(gfx::Bitmap& target, const QImage& badge, int x, int y);

} // namespace vorlin::canvas
