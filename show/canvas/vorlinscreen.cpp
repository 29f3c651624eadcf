#include "show/canvas/vorlinscreen.h"

#include "base/arith.h"
#include "effects/draw_frame.h"
#include "gfx/blit.h"
#include "gfx/codecs/picture_loader.h"
#include "platform/logging/logging.h"
#include "show/canvas/animate_thread.h"
#include "show/canvas/display_geometry.h"
#include "show/canvas/qt_rect.h"

#include <QImage>
#include <QPaintEvent>
#include <QPainter>
#include <QScreen>
#include <QThread>

#include <algorithm>

namespace vorlin::canvas {
namespace {

// Runs a Qt event handler's body; nothing may leave a handler (Qt ends the program when it does). What it
// throws is dropped (a vorlin.show warning).
template <typename F> void guarded(const char* what, F&& body) {
    logging::guarded(lcShow(), what, std::forward<F>(body));
}

// Gives a bitmap a new size, keeping what fits of its pixels at 0,0 and filling the rest with `fill`.
void resizeKeeping(gfx::Bitmap& bitmap, int width, int height, gfx::Color fill) {
    if (bitmap.width() == width && bitmap.height() == height) return;
    gfx::Bitmap resized(width, height, fill);
    if (!bitmap.isEmpty()) gfx::copyRect(resized, 0, 0, bitmap, bitmap.rect());
    bitmap = std::move(resized);
}

// Draws `area` of an image whose row y (in the control's coordinates) starts at row(y), at the area's
// left edge. In strips of at most 16 rows and 16384 pixels, which Qt blends and converts on this thread:
// larger draws are split over Qt's own thread pool, whose hand-over ThreadSanitizer cannot see (Debian's
// Qt is not instrumented), and its false reports would hide real ones.
template <typename Row>
void drawStrips(QPainter& painter, const QRect& area, QImage::Format format, int stride, Row row) {
    const int rowsPerStrip = std::clamp(16384 / area.width(), 1, 16);
    for (int y = area.top(); y <= area.bottom(); y += rowsPerStrip) {
        const int rows = std::min(rowsPerStrip, area.bottom() + 1 - y);
        const QImage strip(row(y), area.width(), rows, stride, format);
        painter.drawImage(QPoint(area.left(), y), strip);
    }
}

} // namespace

TCustomVorlinscreen::TCustomVorlinscreen(QWidget* parent)
    : QWidget(parent), FLink(std::make_shared<CanvasLink>()) {
    FLink->canvas = this;
    // Every paint covers its whole area from the paint buffer: nothing needs erasing first.
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(true);
    resize(100, 100);
    WatchParent();
}

TCustomVorlinscreen::~TCustomVorlinscreen() {
    FDestroying = true;
    FDrift.Stop();
    // A worker blocked in its synchronous call is served (its step sees FDestroying and ends the run),
    // then joined; nothing it handed over can reach this object afterwards.
    guarded("ending the transition's worker", [this] { EndThread(); });
    guarded("ending a retired worker", [this] {
        if (auto retired = std::move(FRetired)) retired->WaitFor();
    });
    FLink->canvas = nullptr;
}

// ---- Properties ----

void TCustomVorlinscreen::SetPicture(const gfx::Bitmap& value) {
    SetPicture(gfx::Bitmap(value));
}

void TCustomVorlinscreen::SetPicture(gfx::Bitmap&& value) {
    if (value.isEmpty() && FPicture.isEmpty()) return;
    StopDrift(); // a new picture: the one on screen stops where it is
    FDriftPicture.reset();
    FPicture = std::move(value);
    if (FDestroying) return;
    if (FAutoSize) FitToPicture();
    if (OnChange) OnChange(*this);
}

void TCustomVorlinscreen::SetBgPicture(const gfx::Bitmap& value) {
    if (value.isEmpty() && FBgPicture.isEmpty()) return;
    FBgPicture = value;
    if (FBgMode != bmNone && !FPainting) update();
}

void TCustomVorlinscreen::SetBgMode(TBackgroundMode value) {
    if (value == FBgMode) return;
    FBgMode = value;
    if (!FBgPicture.isEmpty() && !FPainting) update();
}

void TCustomVorlinscreen::SetAutoSize(bool value) {
    if (value == FAutoSize) return;
    FAutoSize = value;
    if (value) FitToPicture();
}

void TCustomVorlinscreen::SetCenter(bool value) {
    if (value == FCenter) return;
    FCenter = value;
    if (!FPicture.isEmpty()) {
        UpdateDisplayRect();
        InvalidateUnlessPainting();
    }
}

void TCustomVorlinscreen::SetStretch(bool value) {
    if (value == FStretch) return;
    FStretch = value;
    InvalidateUnlessPainting();
}

void TCustomVorlinscreen::SetStretchFine(bool value) {
    if (value == FStretchFine) return;
    FStretchFine = value;
    InvalidateUnlessPainting();
}

void TCustomVorlinscreen::SetManual(bool value) {
    if (value == FManual) return;
    FManual = value;
    if (!FTransition) {
        FProgress = FReverse ? 100 : 0;
        return;
    }
    if (FTransition->Phase == TransitionPhase::Stopping) return; // it ends either way
    if (!value) {
        FTransition->Phase = TransitionPhase::Running;
        RunFrames(); // continues from the current progress
    } else {
        FTransition->Phase = TransitionPhase::Manual;
        // The worker ends its loop without sleeping out its Delay; its end notification drops it.
        if (FTransition->Worker) FTransition->Worker->Terminate();
    }
}

void TCustomVorlinscreen::SetStyle(int value) {
    FStyle = static_cast<TShowStyle>(std::clamp(value, 0, 127));
}

void TCustomVorlinscreen::SetStep(int value) {
    FStep = std::clamp(value, 1, 100);
}

void TCustomVorlinscreen::SetDelay(int value) {
    FDelay = std::clamp(value, 0, 65535);
}

void TCustomVorlinscreen::SetColor(gfx::Color value) {
    if (value == FColor) return;
    FColor = value;
    if (!FPainting) update();
}

void TCustomVorlinscreen::SetAlign(TAlign value) {
    if (value == FAlign) return;
    FAlign = value;
    ApplyAlign();
}

void TCustomVorlinscreen::SetLook(const PictureLook& value) {
    FLook = value;
    if (!value.panZoom) StopDrift();
}

void TCustomVorlinscreen::SetPanZoom(bool value) {
    PictureLook look = FLook;
    look.panZoom = value;
    SetLook(look);
}

void TCustomVorlinscreen::InvalidateUnlessPainting() {
    if (!FScreen.isEmpty() && !FPainting) update();
}

// ---- Loading ----

gfx::PictureFit TCustomVorlinscreen::PictureFitNow() const {
    gfx::PictureFit fit;
    fit.boxWidth = width();
    fit.boxHeight = height();
    fit.center = FCenter;
    if (ShrinkToFit)
        fit.rule = gfx::PictureFit::Rule::Inside;
    else if (FAutoSize && FAlign == alNone)
        fit.rule = gfx::PictureFit::Rule::Whole; // the control takes the picture's size
    else if (FStretch)
        // Stretched over the control: more pixels than the control has are never shown. Keeping the
        // aspect ratio, the picture is shown inside the control.
        fit.rule = FStretchFine ? gfx::PictureFit::Rule::Inside : gfx::PictureFit::Rule::EachSide;
    else
        fit.rule = gfx::PictureFit::Rule::Visible;
    return LookActive() ? lookFit(FLook, fit) : fit;
}

void TCustomVorlinscreen::LoadPictureFile(const std::string& FileName) {
    // Decoded by extension, only what the control can show, flattened onto Color (all but JPEG and BMP).
    TakeLoadedPicture(gfx::loadFittedPicture(FileName, FColor, PictureFitNow()));
}

void TCustomVorlinscreen::TakeLoadedPicture(gfx::Bitmap picture) {
    const CaptionOnReturn caption(*this); // whichever way the picture is composed below
    if (LookActive()) {
        gfx::Bitmap composed = composeLook(picture, FLook, width(), height(), FColor);
        if (!composed.isEmpty()) {
            // A drifting picture keeps its source, over the part of it that shows.
            std::shared_ptr<TDriftPicture> drift;
            if (FLook.panZoom)
                drift = std::make_shared<TDriftPicture>(
                    picture,
                    placePicture(FLook, width(), height(), picture.width(), picture.height()).picture,
                    width(), height());
            LastPicture = composed;
            SetPicture(std::move(composed));
            FDriftPicture = std::move(drift);
            return;
        }
    }
    if (LastPicture.isEmpty()) LastPicture = picture;
    // Padding keeps a smaller picture from leaving parts of the previous, larger one uncovered by the
    // transition. A stretched picture covers the whole control by itself: padded, it would shrink and
    // lose its proportions with the border stretched around it.
    const int refWidth = PadToWindow ? width() : LastPicture.width();
    const int refHeight = PadToWindow ? height() : LastPicture.height();
    const bool pad = !FStretch && (PadToWindow || refWidth > picture.width() || refHeight > picture.height());
    LastPicture = picture;
    if (pad)
        SetPicture(gfx::padPicture(picture, refWidth, refHeight, FColor));
    else
        SetPicture(std::move(picture));
}

void TCustomVorlinscreen::FitToPicture() {
    if (FAlign == alNone && !FPicture.isEmpty()) resize(FPicture.width(), FPicture.height());
}

// ---- Transition ----

void TCustomVorlinscreen::StartTransition() {
    if (FTransition || FPicture.isEmpty()) return;
    StopDrift(); // the transition starts from the frame on screen
    const auto link = FLink;
    const auto transition =
        std::make_shared<TTransition>(*this, FManual ? TransitionPhase::Manual : TransitionPhase::Running);
    FTransition = transition;
    try {
        PrepareFrames();
        if (!FManual) RunFrames();
    } catch (...) {
        // The unthreaded loop runs events: the canvas may be gone by now, or running another transition.
        if (link->canvas && FTransition == transition) {
            EndThread();
            FTransition.reset();
        }
        throw;
    }
}

void TCustomVorlinscreen::PrepareFrames() {
    if (!FTransition) return; // the frames belong to a transition
    // The old frame is taken from the paint buffer, which holds what the screen shows; a canvas never
    // painted at its present size composes it first.
    if (FPaintBuffer.width() != width() || FPaintBuffer.height() != height()) Paint();

    resizeKeeping(FScreen, FPicture.width(), FPicture.height(), FColor);
    UpdateDisplayRect();

    const Rect client = rectOfSize(width(), height());
    const Rect source = shownRect(FDisplayRect, client, FStretch, FStretchFine);
    // Colour first: where the source lies outside the control, nothing was shown but the background.
    auto shown = std::make_shared<gfx::Bitmap>(FScreen.width(), FScreen.height(), FColor);
    if (source.width() == shown->width() && source.height() == shown->height())
        gfx::copyRect(*shown, 0, 0, FPaintBuffer, source); // unscaled: the same pixels, faster
    else
        gfx::stretchCopy(*shown, shown->rect(), FPaintBuffer, source);
    // The start frame is not drawn when the progress already has the start value: the screen buffer
    // then shows what the screen showed, not a stale or blank buffer.
    const int start = FReverse ? 100 : 0;
    if (FProgress == start) gfx::copyRect(FScreen, 0, 0, *shown, shown->rect());

    auto incoming = std::make_shared<gfx::Bitmap>(FPicture);
    // A reversed run plays the effect backwards and still ends on the incoming picture: the frames change
    // roles (the engine, the hooks and Manual all see them so).
    if (effects::exchangesFrames(FStyle, FReverse, static_cast<bool>(OnCustomDraw)))
        std::swap(shown, incoming);
    FTransition->OldFrame = std::move(shown);
    FTransition->NewFrame = std::move(incoming);
    SetProgress(start);
}

void TCustomVorlinscreen::SetProgress(int Value) {
    SetProgressAndDraw(Value);
}

bool TCustomVorlinscreen::EndReached() const {
    return FReverse ? FProgress <= 0 : FProgress >= 100;
}

bool TCustomVorlinscreen::SetProgressAndDraw(int value) {
    value = std::clamp(value, 0, 100);
    if (!FTransition || !FTransition->OldFrame || !FTransition->NewFrame) return true;
    if (value == FProgress) return EndReached();
    if (value < FProgress && !FPainting) InvalidateFrameRect(FScreen.rect());
    FProgress = value;
    const bool ended = DrawFrame();
    if (!FDestroying && OnProgress) OnProgress(*this);
    return ended;
}

bool TCustomVorlinscreen::DrawFrame() {
    // Held for the whole frame: a hook that ends the transition releases the canvas's reference only.
    const std::shared_ptr<TTransition> transition = FTransition;
    if (!transition || !transition->OldFrame || !transition->NewFrame) return true;
    effects::FrameContext ctx(FScreen, *transition->OldFrame, *transition->NewFrame);
    ctx.FProgress = FProgress;
    ctx.Style = FStyle;
    ctx.Step = FStep;
    ctx.Reverse = FReverse;
    ctx.FPainting = FPainting;
    if (OnBeforeNewFrame)
        ctx.OnBeforeNewFrame = [this](gfx::Bitmap& p, gfx::Bitmap& s) { OnBeforeNewFrame(*this, p, s); };
    if (OnAfterNewFrame)
        ctx.OnAfterNewFrame = [this](gfx::Bitmap& p, gfx::Bitmap& s) { OnAfterNewFrame(*this, p, s); };
    if (OnCustomDraw)
        ctx.OnCustomDraw = [this](gfx::Bitmap& p, gfx::Bitmap& s) { OnCustomDraw(*this, p, s); };
    ctx.InvalidateFrameRect = [this](const Rect& r) { InvalidateFrameRect(r); };
    ctx.Update = [this] { Update(); };
    const effects::FrameResult result = effects::DrawFrame(ctx);
    FProgress = result.progress; // the cut moves it to 100
    return result.runEnded;
}

bool TCustomVorlinscreen::FrameStep() {
    const int current = FProgress;
    const int next = FReverse ? std::max(current - FStep, 0) : current + FStep;
    return SetProgressAndDraw(next);
}

void TCustomVorlinscreen::RunFrames() {
    if (const std::shared_ptr<TTransition> transition = FTransition)
        transition->Pace(FThreaded, FThreadPriority);
}

bool TCustomVorlinscreen::AnimateStep(const TAnimateThread& worker) {
    if (!FTransition || !FTransition->PacedBy(worker)) return true;
    return FrameStep();
}

void TCustomVorlinscreen::AnimateThreadEnded(const TAnimateThread& worker) {
    if (FRetired.get() == &worker) {
        FRetired.reset(); // joins a worker that has just posted this
        return;
    }
    if (FTransition && FTransition->Worker.get() == &worker) FinishTransition();
}

void TCustomVorlinscreen::EndThread() {
    if (FTransition) FTransition->EndWorker(FRetired);
}

void TCustomVorlinscreen::FinishTransition() {
    EndThread();
    if (!FTransition) return;
    // Manual: the owner drives the progress from now on.
    if (FTransition->Phase == TransitionPhase::Manual) return;
    const bool stopping = FTransition->Phase == TransitionPhase::Stopping;
    FTransition.reset();
    if (!FDestroying && !stopping && OnComplete) OnComplete(*this);
}

void TCustomVorlinscreen::StopTransition() {
    StopDrift();
    if (!FTransition || FTransition->Phase == TransitionPhase::Stopping) return;
    FTransition->Phase = TransitionPhase::Stopping;
    EndThread();
    FinishTransition();
}

void TCustomVorlinscreen::ClearScreen() {
    // FPainting stands for "the screen buffer is in use elsewhere".
    StopDrift();
    if (FTransition || FScreen.isEmpty() || FPainting) return;
    FScreen = gfx::Bitmap();
    update();
}

// ---- Display ----

void TCustomVorlinscreen::UpdateDisplayRect() {
    if (FScreen.isEmpty()) return;
    FDisplayRect = displayRect(FScreen.width(), FScreen.height(), width(), height(), FCenter);
}

void TCustomVorlinscreen::InvalidateFrameRect(const Rect& R) {
    if (FDestroying) return;
    const Rect mapped =
        mapToClient(R, FDisplayRect, rectOfSize(width(), height()), FCenter, FStretch, FStretchFine);
    if (mapped.isEmpty()) return;
    const QRect area = toQRect(mapped);
    FDirty += area;
    update(area);
}

void TCustomVorlinscreen::Update() {
    if (FDirty.isEmpty()) return;
    const QRegion dirty = FDirty;
    FDirty = QRegion();
    if (isVisible()) repaint(dirty);
}

void TCustomVorlinscreen::Paint() {
    PaintArea(rectOfSize(width(), height()));
}

void TCustomVorlinscreen::PaintArea(Rect area) {
    const int cw = width(), ch = height();
    const Rect client = rectOfSize(cw, ch);
    if (FPaintBuffer.width() != cw || FPaintBuffer.height() != ch) {
        FPaintBuffer.resize(cw, ch);
        area = client;
    }
    // Stretched layers are composed whole: a stretch-copy cut to part of its destination would have to
    // repeat the blit's sampling rule here.
    if (FStretch || (FBgMode == bmStretched && !FBgPicture.isEmpty())) area = client;
    area = intersect(area, client);
    if (area.isEmpty()) return;
    gfx::Bitmap& buffer = FPaintBuffer;
    buffer.fillRect(area, FColor);

    // Copies the part of `picture`, placed with its top-left at (x, y), that falls inside the area.
    auto place = [&](const gfx::Bitmap& picture, int x, int y) {
        const Rect placed{x, y, x + picture.width(), y + picture.height()};
        const Rect part = intersect(placed, area);
        if (!part.isEmpty()) gfx::copyRect(buffer, part.Left, part.Top, picture, part.translated(-x, -y));
    };

    if (!FBgPicture.isEmpty()) {
        const int bw = FBgPicture.width(), bh = FBgPicture.height();
        switch (FBgMode) {
        case bmTiled:
            // The tiles from the top-left corner, (width div bw + 1) by (height div bh + 1), of which
            // only those meeting the area are drawn.
            for (int row = area.Top / bh; row <= std::min(divTrunc(ch, bh), (area.Bottom - 1) / bh); ++row)
                for (int col = area.Left / bw; col <= std::min(divTrunc(cw, bw), (area.Right - 1) / bw);
                     ++col)
                    place(FBgPicture, col * bw, row * bh);
            break;
        case bmStretched:
            gfx::stretchCopy(buffer, client, FBgPicture, FBgPicture.rect());
            break;
        case bmCentered:
            place(FBgPicture, divTrunc(cw - bw, 2), divTrunc(ch - bh, 2));
            break;
        case bmNone:
            break;
        }
    }

    if (!FScreen.isEmpty()) {
        if (!FStretch)
            place(FScreen, FDisplayRect.Left, FDisplayRect.Top);
        else
            gfx::stretchCopy(buffer, shownRect(FDisplayRect, client, true, FStretchFine), FScreen,
                             FScreen.rect());
    }
}

// ---- Qt events ----

void TCustomVorlinscreen::paintEvent(QPaintEvent* event) {
    // Painting belongs to the main thread, and never re-enters itself.
    if (QThread::currentThread() != thread() || FPainting) return;
    FPainting = true;
    guarded("painting the canvas", [&] {
        const QRect area = event->rect().intersected(rect());
        // Inside a drifting picture the drift's own 32-bit frame goes to the screen: no composition, no
        // conversion. The paint buffer catches up when the drift stops.
        if (const QRect drift = DriftFrameArea(); !area.isEmpty() && drift.contains(area)) {
            const gfx::ViewFrame& frame = *FDrift.Frame();
            QPainter painter(this);
            drawStrips(painter, area, QImage::Format_RGB32, frame.stride(), [&](int y) {
                return reinterpret_cast<const uchar*>(frame.scanLine(y - drift.top()) + area.left() -
                                                      drift.left());
            });
            if (FClock) FClock->paint(painter);
            FPaintBufferBehind = true;
            return;
        }
        PaintArea(toRect(event->rect()));
        if (FPaintBuffer.isEmpty() || area.isEmpty()) return;
        // The paint buffer's rows are already laid out as a 24-bit BGR image: wrapped, not copied.
        QPainter painter(this);
        drawStrips(painter, area, QImage::Format_BGR888, FPaintBuffer.stride(),
                   [&](int y) { return FPaintBuffer.scanLine(y) + 3 * area.left(); });
        if (FClock) FClock->paint(painter); // over the picture, never into the paint buffer
    });
    FDirty -= event->region();
    FPainting = false;
}

void TCustomVorlinscreen::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    guarded("placing the picture after a resize", [this] {
        StopDrift();
        if (!FPicture.isEmpty()) {
            UpdateDisplayRect();
            InvalidateUnlessPainting();
        }
    });
}

} // namespace vorlin::canvas
