// Pan and zoom on the canvas (offscreen platform, the drift's clock set by the test): a drifting picture
// moves, ends on its plan's end at one screen pixel per picture pixel and holds it, the next transition
// starts from the frame on screen and brings the next picture in at its plan's start, and every event
// that ends a picture's time on screen stops the drift.
#include "show/canvas/vorlinscreen.h"

#include "canvas_test_util.h"
#include "gfx/blit.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>

#include <chrono>
#include <functional>
#include <memory>

using namespace canvas_test;
using vorlin::Rect;
using namespace vorlin::canvas;
using Clock = std::chrono::steady_clock;

namespace {

// 230 × 115 pictures on a 200 × 100 control, fitted inside it (the blurred fill's placement, which
// scales): the picture fills the control, and the deepest zoom (1.15) shows a 200 × 100 part of it pixel
// for pixel.
constexpr int kW = 200, kH = 100, kPicW = 230, kPicH = 115;
const TDriftPlan kZoomInToBottomRight{1, kDriftZoomMax, 0.5, 0.5, 1, 1};
const TDriftPlan kZoomOutFromTopLeft{kDriftZoomMax, 1, 0, 0, 1, 1};

Bitmap crop(const Bitmap& b, const Rect& r) {
    Bitmap out(r.width(), r.height());
    vorlin::gfx::copyRect(out, 0, 0, b, r);
    return out;
}

class DriftTest : public ::testing::Test {
public:
    void SetUp() override {
        host = std::make_unique<QWidget>();
        host->resize(kW, kH);
        canvas = new TVorlinscreen(host.get());
        canvas->SetAutoSize(false);
        canvas->SetAlign(alClient);
        canvas->SetCenter(true);
        canvas->SetColor(Color{0, 0, 255});
        canvas->SetLook({vorlin::show::pfBlur, false, true, false});
        // One unthreaded frame: each transition ends inside StartTransition.
        canvas->SetStyle(1);
        canvas->SetThreaded(false);
        canvas->SetStep(100);
        canvas->SetDelay(0);
        canvas->SetDriftClock([this] { return now; });
        canvas->OnProgress = [this](TCustomVorlinscreen& c) {
            if (!c.Animating()) ++driftFrames;
        };
        host->show();
        QCoreApplication::processEvents();
    }
    void TearDown() override { host.reset(); }

    // Loads the picture, gives it the plan and runs the transition that brings it in.
    void bring(const Bitmap& picture, const TDriftPlan& plan) {
        canvas->TakeLoadedPicture(picture);
        canvas->SetDrift(plan);
        canvas->StartTransition();
        ASSERT_FALSE(canvas->Animating());
    }
    void startDrift(int ms) {
        start = now;
        canvas->StartDrift(ms);
        ASSERT_TRUE(canvas->Drifting());
    }
    // The screen buffer once the drift has drawn the frame for `ms` after its start.
    Bitmap frameAt(int ms) {
        now = start + std::chrono::milliseconds(ms);
        const int before = driftFrames;
        EXPECT_TRUE(waitUntil([&] { return driftFrames > before; }, 5000)) << "no frame at " << ms << " ms";
        return canvas->FScreen;
    }

    std::unique_ptr<QWidget> host;
    TVorlinscreen* canvas = nullptr;
    Clock::time_point now = Clock::now(), start;
    int driftFrames = 0;
};

TEST_F(DriftTest, MovesEndsOnThePlansEndPixelForPixelAndHoldsIt) {
    const Bitmap picture = pattern(kPicW, kPicH, 3);
    bring(picture, kZoomInToBottomRight);
    EXPECT_EQ(canvas->DriftTarget(), (Rect{0, 0, kW, kH}));
    // The transition ended on the drift's first frame, and no drift frame came on its own.
    EXPECT_TRUE(canvas->FScreen.samePixels(canvas->Picture()));
    const Bitmap first = canvas->FScreen;

    startDrift(1000);
    const Bitmap early = frameAt(250);
    const Bitmap late = frameAt(750);
    EXPECT_FALSE(early.samePixels(first));
    EXPECT_FALSE(late.samePixels(early));

    // The end: the bottom-right 200 × 100 of the picture, unscaled, and the screen shows it.
    const Bitmap end = frameAt(1000);
    EXPECT_TRUE(end.samePixels(crop(picture, {30, 15, kPicW, kPicH})));
    EXPECT_FALSE(first.samePixels(end));
    const QImage shown = canvas->grab().toImage();
    const QRgb p = shown.pixel(0, 0);
    const Color expected = picture.pixel(30, 15);
    EXPECT_EQ((Color{std::uint8_t(qRed(p)), std::uint8_t(qGreen(p)), std::uint8_t(qBlue(p))}), expected);

    // A late next picture: the end stays, and no more frames are drawn for it.
    now += std::chrono::seconds(5);
    const int frames = driftFrames;
    serveFor(100);
    EXPECT_EQ(driftFrames, frames);
    EXPECT_TRUE(canvas->FScreen.samePixels(end));
    EXPECT_TRUE(canvas->Drifting());
}

TEST_F(DriftTest, NextTransitionStartsFromTheFrameOnScreenAndBringsThePlansStart) {
    bring(pattern(kPicW, kPicH, 3), kZoomInToBottomRight);
    startDrift(1000);
    const Bitmap last = frameAt(400);

    const Bitmap next = pattern(kPicW, kPicH, 77);
    canvas->TakeLoadedPicture(next);
    EXPECT_FALSE(canvas->Drifting());
    // The next picture's plan starts at the deepest zoom in its top-left corner.
    canvas->SetDrift(kZoomOutFromTopLeft);
    canvas->SetManual(true); // the transition waits at its start
    canvas->StartTransition();
    ASSERT_TRUE(canvas->OldFrame() && canvas->NewFrame());
    EXPECT_TRUE(canvas->OldFrame()->samePixels(last));
    EXPECT_TRUE(canvas->NewFrame()->samePixels(crop(next, {0, 0, kW, kH})));
    canvas->StopTransition();
}

TEST_F(DriftTest, EveryEndOfThePicturesTimeStopsTheDrift) {
    struct Row {
        const char* name;
        std::function<void(DriftTest&)> event;
    };
    const Row rows[] = {
        {"StartTransition", [](DriftTest& t) { t.canvas->StartTransition(); }},
        {"StopTransition", [](DriftTest& t) { t.canvas->StopTransition(); }},
        {"ClearScreen", [](DriftTest& t) { t.canvas->ClearScreen(); }},
        {"a picture loaded", [](DriftTest& t) { t.canvas->TakeLoadedPicture(pattern(kPicW, kPicH, 9)); }},
        {"a picture set", [](DriftTest& t) { t.canvas->SetPicture(pattern(50, 40, 9)); }},
        {"a resize",
         [](DriftTest& t) {
             t.host->resize(kW + 20, kH);
             QCoreApplication::processEvents();
         }},
        {"pan and zoom off", [](DriftTest& t) { t.canvas->SetPanZoom(false); }},
        {"the canvas destroyed",
         [](DriftTest& t) {
             delete t.canvas;
             t.canvas = nullptr;
         }},
    };
    for (const Row& row : rows) {
        SetUp();
        bring(pattern(kPicW, kPicH, 3), kZoomInToBottomRight);
        startDrift(1000);
        frameAt(100);
        row.event(*this);
        if (canvas) {
            EXPECT_FALSE(canvas->Drifting()) << row.name;
        }
        const int frames = driftFrames;
        now += std::chrono::milliseconds(300);
        serveFor(80);
        EXPECT_EQ(driftFrames, frames) << row.name;
        TearDown();
    }
}

TEST_F(DriftTest, ScaledPicturesLoadLargerAndAStretchedOneFillsTheControl) {
    // A picture fitted inside the control is decoded into a box 1.15 times the control.
    EXPECT_EQ(canvas->PictureFitNow().boxWidth, kPicW);
    EXPECT_EQ(canvas->PictureFitNow().boxHeight, kPicH);

    // Stretched (the look's; the canvas does not stretch a composed picture): a small picture covers the
    // whole control (no colour left) and drifts over all of it.
    PictureLook look = canvas->Look();
    look.fill = vorlin::show::pfColor;
    look.stretch = true;
    canvas->SetLook(look);
    bring(solid(60, 20, Color{255, 0, 0}), kZoomInToBottomRight);
    EXPECT_EQ(canvas->DriftTarget(), (Rect{0, 0, kW, kH}));
    const QImage shown = canvas->grab().toImage();
    int notRed = 0;
    for (int y = 0; y < kH; ++y)
        for (int x = 0; x < kW; ++x) notRed += shown.pixel(x, y) != qRgb(255, 0, 0);
    EXPECT_EQ(notRed, 0);
}

// A picture placed past the control's edges (a covering crop) drifts over the part that shows: that part
// is its first frame, and every view stays inside it.
TEST(DriftPicture, APicturePlacedPastTheEdgesDriftsOverThePartShown) {
    const Bitmap picture = pattern(400, 200, 5);
    TDriftPicture drift(picture, {-100, -50, 300, 150}, kW, kH);
    EXPECT_EQ(drift.target, (Rect{0, 0, kW, kH}));
    drift.plan = kZoomInToBottomRight;
    drift.planned = true;
    Bitmap shown(kW, kH);
    drift.draw(shown, 0);
    EXPECT_TRUE(shown.samePixels(crop(picture, {100, 50, 300, 150})));
    for (int i = 0; i <= 10; ++i) {
        const vorlin::gfx::ViewRect v = drift.viewAt(i / 10.0);
        EXPECT_GE(v.x, 100 - 1e-9);
        EXPECT_GE(v.y, 50 - 1e-9);
        EXPECT_LE(v.x + v.width, 300 + 1e-9);
        EXPECT_LE(v.y + v.height, 150 + 1e-9);
    }
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
