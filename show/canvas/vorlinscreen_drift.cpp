// The canvas's pan-and-zoom hooks (see vorlinscreen.h): the drift of the picture on screen between two
// transitions.
#include "show/canvas/vorlinscreen.h"

#include "show/canvas/display_geometry.h"
#include "show/canvas/qt_rect.h"

#include <QScreen>

namespace vorlin::canvas {

void TCustomVorlinscreen::SetDrift(const TDriftPlan& plan) {
    if (!FDriftPicture || FTransition) return;
    FDriftPicture->plan = plan;
    FDriftPicture->planned = true;
    FDriftPicture->draw(FPicture, 0);
    FCaptionStamp.stamp(FPicture, width(), height()); // drawn over: stamped again
}

void TCustomVorlinscreen::StartDrift(int durationMs) {
    // The drift continues the picture the last transition left on screen: FScreen is Picture now.
    if (!FDriftPicture || !FDriftPicture->planned || FTransition || FDestroying) return;
    if (FScreen.width() != FPicture.width() || FScreen.height() != FPicture.height()) return;
    const int fps = DriftFramesPerSecond > 0 ? DriftFramesPerSecond
                                             : driftFramesPerSecond(screen() ? screen()->refreshRate() : 0);
    FDrift.Start(FDriftPicture, durationMs, fps);
}

void TCustomVorlinscreen::StopDrift() {
    const QRect shown = DriftFrameArea();
    FDrift.Stop();
    // Frames painted straight from the drift's frame left the paint buffer behind: it takes the last one
    // from FScreen, so that it holds what the screen shows (a transition's old frame comes from it).
    if (FPaintBufferBehind && !FDestroying && !shown.isEmpty()) PaintArea(toRect(shown));
    FPaintBufferBehind = false;
}

QRect TCustomVorlinscreen::DriftFrameArea() const {
    // A caption is stamped into the screen buffer, not into the drift's frame: painted from the buffer.
    if (!FDrift.Frame() || !FCaptionStamp.text().isEmpty()) return {};
    const Rect target = FDrift.Target();
    const Rect mapped =
        mapToClient(target, FDisplayRect, rectOfSize(width(), height()), FCenter, FStretch, FStretchFine);
    // Only where the frame shows unscaled and whole.
    if (mapped.width() != target.width() || mapped.height() != target.height()) return {};
    return toQRect(mapped);
}

void TCustomVorlinscreen::DriftFrameDrawn(const Rect& drawn) {
    // The caption stays on every frame of its picture.
    if (!FCaptionStamp.text().isEmpty()) FCaptionStamp.stamp(FScreen, width(), height());
    InvalidateFrameRect(drawn);
    Update();
    // Views that follow the canvas (other monitors) repaint on it.
    if (!FDestroying && OnProgress) OnProgress(*this);
}

} // namespace vorlin::canvas
