// The canvas's caption and clock hooks (see vorlinscreen.h).
#include "show/canvas/vorlinscreen.h"

#include "platform/logging/logging.h"

namespace vorlin::canvas {

TCustomVorlinscreen::CaptionOnReturn::~CaptionOnReturn() {
    if (std::uncaught_exceptions() > exceptions) return; // the take failed: Picture is the previous one
    logging::guarded(lcShow(), "stamping the caption", [this] {
        canvas.FCaptionStamp.stamp(canvas.FPicture, canvas.width(), canvas.height());
    });
}

void TCustomVorlinscreen::SetClock(show::TClockMode mode, ClockOverlay::Now now) {
    if (mode == show::ckNone) {
        if (FClock) update(FClock->area());
        FClock.reset();
        return;
    }
    if (FClock && FClock->mode() == mode && !now) return;
    const QRect before = FClock ? FClock->area() : QRect();
    // Views of this canvas on other monitors repaint on OnProgress: a new minute reaches them too.
    FClock = std::make_unique<ClockOverlay>(*this, mode, std::move(now), [this] {
        if (OnProgress && !FDestroying) OnProgress(*this);
    });
    update(before | FClock->area());
}

} // namespace vorlin::canvas
