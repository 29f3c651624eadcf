#pragma once
// Where the canvas shows its screen buffer: the aspect-fit rectangle, the centred display rectangle and
// the mapping of a rectangle of the buffer to the control. Plain integer rules (MulDiv rounding, div
// truncating toward zero), no Qt, so that the canvas's paint, capture and invalidation agree.

#include "base/geometry.h"

namespace vorlin::canvas {

// S fitted into T keeping S's aspect ratio, centred in T. When T is relatively taller than S the width
// fills T and the height follows (and the other way round); sizes use mulDiv, offsets div 2. An empty S
// gives an empty rectangle at T's top-left.
Rect aspectFitRect(const Rect& s, const Rect& t);

// The display rectangle of a width × height screen buffer in a clientWidth × clientHeight control:
// at 0,0, or centred (offsets (client − size) div 2, which may be negative) when `center` is set.
Rect displayRect(int width, int height, int clientWidth, int clientHeight, bool center);

// Where the picture-coordinate rectangle r of the screen buffer lands on the control.
//  - stretch: scaled from `display` onto the client rectangle, or onto the aspect-fit rectangle of
//    `display` in the client when `stretchFine` is set (edges mapped with mulDiv);
//  - otherwise: moved by the display rectangle's top-left when `center` is set, then clipped to it.
Rect mapToClient(const Rect& r, const Rect& display, const Rect& client, bool center, bool stretch,
                 bool stretchFine);

// The client rectangle that the screen buffer covers when painted (stretch rules as above).
Rect shownRect(const Rect& display, const Rect& client, bool stretch, bool stretchFine);

} // namespace vorlin::canvas
