#include "show/canvas/drift_player.h"

#include "platform/logging/logging.h"

#include <algorithm>
#include <cmath>

namespace vorlin::canvas {

TDriftPicture::TDriftPicture(const gfx::Bitmap& picture, const Rect& placed, int clientWidth,
                             int clientHeight)
    : source(picture), target(intersect(placed, rectOfSize(clientWidth, clientHeight))) {
    if (target.isEmpty() || placed.isEmpty()) return;
    const double sx = double(picture.width()) / placed.width(),
                 sy = double(picture.height()) / placed.height();
    base = {(target.Left - placed.Left) * sx, (target.Top - placed.Top) * sy, target.width() * sx,
            target.height() * sy};
}

gfx::ViewRect TDriftPicture::viewAt(double t) const {
    if (!planned) return base;
    gfx::ViewRect v = canvas::viewAt(plan, base.width, base.height, t);
    v.x += base.x;
    v.y += base.y;
    return v;
}

void TDriftPicture::draw(gfx::Bitmap& dest, double t) const {
    gfx::renderView(source, viewAt(t), dest, target);
}

int driftFramesPerSecond(double refreshRate) {
    if (!(refreshRate >= 1)) return 60; // unknown (0 or NaN)
    return std::clamp(static_cast<int>(std::lround(refreshRate)), 1, 60);
}

TDriftPlayer::TDriftPlayer(gfx::Bitmap& screen, FrameDrawn drawn)
    : screen_(screen), drawn_(std::move(drawn)) {
    timer_.setTimerType(Qt::PreciseTimer);
    QObject::connect(&timer_, &QTimer::timeout, [this] {
        try {
            FrameNow();
        } catch (...) {
            Stop();
            logging::dropped(lcShow(), "drawing a pan and zoom frame");
        }
    });
}

void TDriftPlayer::Start(std::shared_ptr<const TDriftPicture> picture, int durationMs, int framesPerSecond) {
    Stop();
    if (!picture || !picture->planned || picture->source.isEmpty() || durationMs <= 0) return;
    const Rect& t = picture->target;
    if (t.isEmpty() || t.Left < 0 || t.Top < 0 || t.Right > screen_.width() || t.Bottom > screen_.height())
        return;
    picture_ = std::move(picture);
    screenWidth_ = screen_.width();
    screenHeight_ = screen_.height();
    duration_ = std::chrono::milliseconds(durationMs);
    start_ = clock();
    endDrawn_ = false;
    framed_ = false;
    if (frame_.width() != t.width() || frame_.height() != t.height())
        frame_ = gfx::ViewFrame(t.width(), t.height());
    const int fps = std::clamp(framesPerSecond, 1, 1000);
    timer_.start(std::max(1, static_cast<int>(std::lround(1000.0 / fps))));
}

void TDriftPlayer::Stop() {
    timer_.stop();
    picture_.reset();
    framed_ = false;
}

double TDriftPlayer::Progress() const {
    if (!picture_) return 0;
    const double elapsed = std::chrono::duration<double, std::milli>(clock() - start_).count();
    return std::clamp(elapsed / static_cast<double>(duration_.count()), 0.0, 1.0);
}

void TDriftPlayer::FrameNow() {
    if (!picture_ || endDrawn_) return;
    if (screen_.width() != screenWidth_ || screen_.height() != screenHeight_) {
        Stop(); // the buffer was replaced (cleared, resized): nothing of this drift is on it any more
        return;
    }
    // Held for the frame: the handler below may stop the drift.
    const std::shared_ptr<const TDriftPicture> picture = picture_;
    const double t = Progress();
    const Rect& target = picture->target;
    gfx::renderView(picture->source, picture->viewAt(t), frame_, rectOfSize(target.width(), target.height()));
    framed_ = true;
    gfx::copyFrame(screen_, target.Left, target.Top, frame_, rectOfSize(target.width(), target.height()));
    // The end stays on screen until the drift stops: no more frames are needed.
    if (t >= 1) {
        endDrawn_ = true;
        timer_.stop();
    }
    if (drawn_) drawn_(picture->target);
}

} // namespace vorlin::canvas
