#pragma once
// The transition canvas: a control without a native window of its own (an alien child widget, painted
// through its parent's backing store; nothing may call winId on it) that shows one picture and changes to
// the next one through a transition effect.
//
// While a transition runs the canvas holds it as one TTransition (transition.h): the two picture-sized
// 24-bit frames (OldFrame: what the screen showed where the new picture will appear; NewFrame: the new
// picture), its phase and its pacing worker. The canvas advances FProgress from 0 to 100 (or back, with
// Reverse) by Step per frame, and has the effect engine's DrawFrame compose each frame into FScreen. A
// reversed run plays the effect backwards: the two frames change roles (progress 100 shows what the screen
// showed, 0 the new picture), so either direction ends on the new picture. The frames are paced by a
// TAnimateThread (Threaded) or by a loop that pumps the event queue between frames; either way every
// frame is drawn on the main thread.
//
// Threads: everything here belongs to the main thread; a pacing worker reads only Delay (an atomic). The
// F fields are public so that owners and tests can read the state; they change only through the
// operations.
//
// Order of a transition: StartTransition → PrepareFrames (old frame captured from the paint buffer, new
// frame made, start frame drawn) → RunFrames (frames until the end) → FinishTransition (transition and its
// frames released, OnComplete). StopTransition ends a run at once without OnComplete; FScreen keeps the
// last frame drawn.
//
// The canvas must not be destroyed from inside its own events (use deleteLater there): the frame that
// fired the event is still on the stack.

#include "base/geometry.h"
#include "gfx/bitmap.h"
#include "gfx/codecs/picture_fit.h"
#include "show/canvas/caption_stamp.h"
#include "show/canvas/clock_overlay.h"
#include "show/canvas/drift_player.h"
#include "show/canvas/pan_zoom.h"
#include "show/canvas/picture_look.h"
#include "show/canvas/transition.h"

#include <QPointer>
#include <QRegion>
#include <QWidget>

#include <atomic>
#include <cstdint>
#include <exception>
#include <functional>
#include <memory>
#include <string>

namespace vorlin::canvas {

enum TBackgroundMode { bmNone, bmTiled, bmStretched, bmCentered };
enum TThreadPriority { tpIdle, tpLowest, tpLower, tpNormal, tpHigher, tpHighest, tpTimeCritical };
// How the control follows its parent's client area: not at all, along one edge, or filling it.
enum TAlign { alNone, alTop, alBottom, alLeft, alRight, alClient };
using TShowStyle = std::uint8_t;

class TCustomVorlinscreen;
class TAnimateThread;

using TNotifyEvent = std::function<void(TCustomVorlinscreen& Sender)>;
// Picture is always the transition's NewFrame, Screen always FScreen.
using TCustomDrawEvent =
    std::function<void(TCustomVorlinscreen& Sender, gfx::Bitmap& Picture, gfx::Bitmap& Screen)>;
using TMouseEvent = std::function<void(TCustomVorlinscreen& Sender, Qt::MouseButton Button,
                                       Qt::KeyboardModifiers Shift, int X, int Y)>;
using TMouseMoveEvent =
    std::function<void(TCustomVorlinscreen& Sender, Qt::KeyboardModifiers Shift, int X, int Y)>;

// Main-thread handle to a canvas that outlives it: closures handed to the dispatcher hold it and find
// `canvas` null once the canvas is gone.
struct CanvasLink {
    TCustomVorlinscreen* canvas = nullptr;
};

class TCustomVorlinscreen : public QWidget {
    Q_OBJECT
    friend class TAnimateThread;
    friend class TTransition;

public:
    explicit TCustomVorlinscreen(QWidget* parent = nullptr);
    ~TCustomVorlinscreen() override;

    // --- Properties. Every setter does nothing when the value is unchanged. ---
    // An empty bitmap is "no graphic". Assigning copies; assigning an empty bitmap clears.
    const gfx::Bitmap& Picture() const { return FPicture; }
    void SetPicture(const gfx::Bitmap& value);
    void SetPicture(gfx::Bitmap&& value);
    const gfx::Bitmap& BgPicture() const { return FBgPicture; }
    void SetBgPicture(const gfx::Bitmap& value);
    TBackgroundMode BgMode() const { return FBgMode; }
    void SetBgMode(TBackgroundMode value);
    bool AutoSize() const { return FAutoSize; }
    void SetAutoSize(bool value);
    bool Center() const { return FCenter; }
    void SetCenter(bool value);
    bool Stretch() const { return FStretch; }
    void SetStretch(bool value);
    bool StretchFine() const { return FStretchFine; }
    void SetStretchFine(bool value);
    bool Threaded() const { return FThreaded; }
    void SetThreaded(bool value) { FThreaded = value; }
    TThreadPriority ThreadPriority() const { return FThreadPriority; }
    // Taken by the next worker when it starts.
    void SetThreadPriority(TThreadPriority value) { FThreadPriority = value; }
    bool Manual() const { return FManual; }
    void SetManual(bool value);
    TShowStyle Style() const { return FStyle; }
    // Effect numbers run 0..127; larger values are stored as 127.
    void SetStyle(int value);
    int Step() const { return FStep; }
    // 0 is stored as 1, anything above 100 as 100.
    void SetStep(int value);
    int Delay() const { return FDelay.load(); }
    // Milliseconds, 0..65535.
    void SetDelay(int value);
    bool Reverse() const { return FReverse; }
    void SetReverse(bool value) { FReverse = value; }
    gfx::Color Color() const { return FColor; }
    void SetColor(gfx::Color value);
    TAlign Align() const { return FAlign; }
    void SetAlign(TAlign value);
    // The photo look (picture_look.h); the next picture loaded takes it. A look without pan and zoom
    // stops a drift.
    const PictureLook& Look() const { return FLook; }
    void SetLook(const PictureLook& value);
    // A look is on and the control has a size of its own (a control that takes its picture's size shows
    // the picture plainly). Off, loading and placing follow the plain rules exactly.
    bool LookActive() const { return FLook.active() && !(FAutoSize && FAlign == alNone); }
    // Pan and zoom (the look's panZoom): pictures are loaded to drift while they show (see "Pan and zoom"
    // below).
    bool PanZoom() const { return FLook.panZoom; }
    void SetPanZoom(bool value);

    // --- Events (empty = unassigned). ---
    TNotifyEvent OnChange;   // Picture changed
    TNotifyEvent OnProgress; // a frame was drawn
    TNotifyEvent OnComplete; // a transition reached its end
    TCustomDrawEvent OnCustomDraw;
    TCustomDrawEvent OnBeforeNewFrame;
    TCustomDrawEvent OnAfterNewFrame;
    TNotifyEvent OnMouseEnter;
    TNotifyEvent OnMouseLeave;
    TNotifyEvent OnClick;
    TNotifyEvent OnDblClick;
    TMouseEvent OnMouseDown;
    TMouseEvent OnMouseUp;
    TMouseMoveEvent OnMouseMove;

    // --- Operations (main thread). ---
    // Loads a file into Picture: decoded by its extension, flattened onto Color (all but JPEG and BMP),
    // shrunk into the control with ShrinkToFit, then, unless Stretch is set, padded against LastPicture
    // (or the client with PadToWindow). Throws gfx::PictureError naming the file.
    void LoadPictureFile(const std::string& FileName);
    // What LoadPictureFile keeps of a picture for the control as it is now: shrunk into it with
    // ShrinkToFit, the whole picture when the control sizes itself to it (AutoSize, not aligned), each
    // side at most the control's when stretched, otherwise the part the control shows unscaled. A picture
    // loaded elsewhere (ahead of time, on another thread) is loaded with this fit. With a look active, the
    // look's fit (lookFit) for that box.
    gfx::PictureFit PictureFitNow() const;
    // The second half of LoadPictureFile for a picture already loaded with PictureFitNow and Color: padded
    // against LastPicture (or the client with PadToWindow; a stretched picture is not padded to the
    // previous one) and made Picture. With a look active it is composed at the control's size instead
    // (composeLook), which leaves nothing of the previous picture to cover.
    void TakeLoadedPicture(gfx::Bitmap picture);
    // --- Caption and clock (vorlinscreen_overlays.cpp). Both off unless set. ---
    // The caption stamped at the bottom-left of each picture taken from now on (TakeLoadedPicture,
    // LoadPictureFile); empty: none.
    void SetCaption(const CaptionContent& caption) { FCaptionStamp.setText(captionLabel(caption)); }
    // Stamps the present caption onto a frame composed from Picture (a frame that replaces it on screen).
    void StampCaption(gfx::Bitmap& frame) { FCaptionStamp.stamp(frame, width(), height()); }
    // The clock painted at the bottom-right over whatever shows (ckNone: none, and no timer). `now`
    // replaces the system's clock (tests).
    void SetClock(show::TClockMode mode, ClockOverlay::Now now = {});
    const ClockOverlay* Clock() const { return FClock.get(); }

    // Begins a transition from what is shown to Picture; nothing while one runs or without a picture.
    void StartTransition();
    // Ends a running transition at once, without OnComplete; FScreen keeps the last frame drawn.
    void StopTransition();
    // Empties FScreen so that the next transition starts from the background (not during a run).
    void ClearScreen();
    // Sets the progress (clamped to 100) and draws that frame; nothing when idle or unchanged.
    void SetProgress(int Value);
    // Marks a rectangle of FScreen (picture coordinates) dirty, mapped to where it is shown.
    void InvalidateFrameRect(const Rect& R);
    // Repaints the dirty area at once.
    void Update();
    void PrepareFrames();
    void RunFrames();
    void FinishTransition();
    void UpdateDisplayRect();
    // Sizes the control to the picture when it is not aligned.
    void FitToPicture();
    // Has the effect engine compose the frame for FProgress; true when it ended the run.
    bool DrawFrame();

    // --- The transition (main thread). ---
    // A transition is under way (between StartTransition and its end).
    bool Animating() const { return FTransition != nullptr; }
    // The running transition's frames; null while idle.
    const gfx::Bitmap* OldFrame() const { return FTransition ? FTransition->OldFrame.get() : nullptr; }
    const gfx::Bitmap* NewFrame() const { return FTransition ? FTransition->NewFrame.get() : nullptr; }
    // The worker pacing the running transition; null while idle, unthreaded or driven by hand.
    std::shared_ptr<TAnimateThread> Thread() const { return FTransition ? FTransition->Worker : nullptr; }

    // --- Pan and zoom (main thread; drift_player.h). ---
    // With PanZoom a loaded picture is composed at the control's size (the look's composition) and kept as
    // a drift source, over the part of it that shows (DriftTarget). The owner gives it a plan (SetDrift,
    // before StartTransition: Picture becomes the plan's first frame) and, once the transition has ended,
    // starts the drift (StartDrift) over the time the picture shows. The drift draws only the picture's
    // rectangle of FScreen and fires OnProgress per frame, as transitions do. It stops at StartTransition,
    // StopTransition, ClearScreen, a new picture, a resize, PanZoom off and destruction; FScreen then
    // keeps the frame last drawn, and a transition starts from what the screen shows.
    void SetDrift(const TDriftPlan& plan);
    void StartDrift(int durationMs);
    void StopDrift();
    // A drift runs (or holds its end).
    bool Drifting() const { return FDrift.Running(); }
    // Draws the running drift's frame for the present moment (the drift timer's step).
    void DriftFrame() { FDrift.FrameNow(); }
    // The picture's rectangle in Picture and FScreen while it can drift; empty otherwise.
    Rect DriftTarget() const { return FDriftPicture ? FDriftPicture->target : Rect{}; }
    // The drift's clock (tests replace it).
    void SetDriftClock(TDriftPlayer::Clock clock) { FDrift.clock = std::move(clock); }
    // Frames a second of a drift; 0: the display's refresh rate, at most 60.
    int DriftFramesPerSecond = 0;

    // --- State (main thread; see the top of the file). ---
    int FProgress = 0; // 0..100
    gfx::Bitmap FScreen;
    bool FPainting = false;
    gfx::Bitmap FPaintBuffer;
    Rect FDisplayRect;
    bool ShrinkToFit = false;
    gfx::Bitmap LastPicture; // empty: none yet
    bool PadToWindow = false;

protected:
    // Composes FPaintBuffer (colour, background picture, FScreen) for the whole client area.
    virtual void Paint();
    // The same for a part of it (a paint event's area); the rest of the buffer keeps what the last
    // paints composed there, which is what the screen shows. The buffer is reused and only resized.
    void PaintArea(Rect area);

    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Main thread, from the worker's synchronous call: one frame of the worker's run; true when the run is
    // over (or the worker no longer paces the canvas's transition).
    bool AnimateStep(const TAnimateThread& worker);
    // Main thread, posted by a worker as it ends.
    void AnimateThreadEnded(const TAnimateThread& worker);
    // One frame of the loop: the next progress value, drawn; true at the end of the run.
    bool FrameStep();
    bool SetProgressAndDraw(int value);
    bool EndReached() const;
    // Ends the running transition's worker, if any.
    void EndThread();
    void InvalidateUnlessPainting();
    void ApplyAlign();
    void WatchParent();
    // Mouse handlers: run the event, keep exceptions inside; false when unassigned (the event then goes
    // on to the parent).
    bool fire(const TNotifyEvent& e);

    gfx::Bitmap FPicture;
    gfx::Bitmap FBgPicture;
    TBackgroundMode FBgMode = bmTiled;
    bool FAutoSize = true;
    bool FCenter = false;
    bool FStretch = false;
    bool FStretchFine = false;
    bool FThreaded = true;
    TThreadPriority FThreadPriority = tpNormal;
    bool FManual = false;
    TShowStyle FStyle = 101;
    int FStep = 4;
    std::atomic<int> FDelay{30};
    bool FReverse = false;
    gfx::Color FColor{0, 0, 0};
    TAlign FAlign = alNone;
    PictureLook FLook;

    bool FDestroying = false;
    std::shared_ptr<TTransition> FTransition; // none while idle
    // A worker told to end from inside its own frame step; dropped when its end notification arrives.
    std::shared_ptr<TAnimateThread> FRetired;
    QRegion FDirty; // invalidated since the last paint
    QPointer<QWidget> FWatchedParent;
    std::shared_ptr<CanvasLink> FLink;
    CaptionStamp FCaptionStamp;
    // Stamps the caption onto Picture when the take that made it returns (not when it throws).
    struct CaptionOnReturn {
        TCustomVorlinscreen& canvas;
        int exceptions = std::uncaught_exceptions();
        ~CaptionOnReturn();
    };
    std::unique_ptr<ClockOverlay> FClock; // none while the clock is off
    // The drift source of Picture (null: Picture does not drift) and the drift on screen.
    std::shared_ptr<TDriftPicture> FDriftPicture;
    TDriftPlayer FDrift{FScreen, [this](const Rect& drawn) { DriftFrameDrawn(drawn); }};
    void DriftFrameDrawn(const Rect& drawn);
    // Where the running drift's frame shows in the control, painted from that frame; empty when not.
    QRect DriftFrameArea() const;
    bool FPaintBufferBehind = false; // the paint buffer lacks drift frames painted from the drift's frame
};

// The published component; adds nothing.
class TVorlinscreen : public TCustomVorlinscreen {
    Q_OBJECT
public:
    using TCustomVorlinscreen::TCustomVorlinscreen;
};

} // namespace vorlin::canvas
