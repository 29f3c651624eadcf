#include "show/canvas/display_geometry.h"

#include "base/arith.h"

#include <cstdint>

namespace vorlin::canvas {

Rect aspectFitRect(const Rect& s, const Rect& t) {
    const int sw = s.width(), sh = s.height(), tw = t.width(), th = t.height();
    if (sw <= 0 || sh <= 0) return {t.Left, t.Top, t.Left, t.Top};
    int w, h;
    // th / sh > tw / sw, compared exactly by cross-multiplying (all sides positive here).
    if (static_cast<std::int64_t>(th) * sw > static_cast<std::int64_t>(tw) * sh) {
        w = tw;
        h = mulDiv(sh, tw, sw);
    } else {
        h = th;
        w = mulDiv(sw, th, sh);
    }
    const int left = t.Left + divTrunc(tw - w, 2);
    const int top = t.Top + divTrunc(th - h, 2);
    return {left, top, left + w, top + h};
}

Rect displayRect(int width, int height, int clientWidth, int clientHeight, bool center) {
    Rect r = rectOfSize(width, height);
    if (center) r = r.translated(divTrunc(clientWidth - width, 2), divTrunc(clientHeight - height, 2));
    return r;
}

Rect shownRect(const Rect& display, const Rect& client, bool stretch, bool stretchFine) {
    if (!stretch) return display;
    return stretchFine ? aspectFitRect(display, client) : client;
}

Rect mapToClient(const Rect& r, const Rect& display, const Rect& client, bool center, bool stretch,
                 bool stretchFine) {
    if (stretch) {
        const Rect t = shownRect(display, client, true, stretchFine);
        const int dw = display.width(), dh = display.height();
        if (dw <= 0 || dh <= 0) return {};
        return {t.Left + mulDiv(r.Left, t.width(), dw), t.Top + mulDiv(r.Top, t.height(), dh),
                t.Left + mulDiv(r.Right, t.width(), dw), t.Top + mulDiv(r.Bottom, t.height(), dh)};
    }
    Rect moved = center ? r.translated(display.Left, display.Top) : r;
    return intersect(moved, display);
}

} // namespace vorlin::canvas
