// The transition canvas on the offscreen platform: frame sequences of a run (threaded and unthreaded),
// stopping, Manual, loading with its flatten/shrink/pad rules, and what the control shows (placement and
// background modes), checked pixel by pixel on grab().
#include "show/canvas/vorlinscreen.h"

#include "canvas_test_util.h"
#include "gfx/blit.h"
#include "gfx/codecs/codecs.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <QMouseEvent>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <stdexcept>

#include <memory>
#include <string>
#include <vector>

using namespace canvas_test;
using vorlin::Rect;
using namespace vorlin::canvas;

namespace {

const Color kRed{255, 0, 0}, kBlue{0, 0, 255}, kGreen{0, 200, 0}, kGrey{90, 90, 90};

Color at(const QImage& image, int x, int y) {
    const QRgb p = image.pixel(x, y);
    return Color{static_cast<std::uint8_t>(qRed(p)), static_cast<std::uint8_t>(qGreen(p)),
                 static_cast<std::uint8_t>(qBlue(p))};
}

class CanvasTest : public ::testing::Test {
protected:
    void SetUp() override {
        host = std::make_unique<QWidget>();
        host->resize(400, 300);
        canvas = new TVorlinscreen(host.get());
        // A rectangle wipe: every progress value draws a frame of its own.
        canvas->SetStyle(1);
        host->show();
    }
    void TearDown() override { host.reset(); }

    // Records every drawn frame's progress and counts completions.
    void record() {
        canvas->OnProgress = [this](TCustomVorlinscreen& c) { frames.push_back(c.FProgress); };
        canvas->OnComplete = [this](TCustomVorlinscreen&) { ++completions; };
    }
    bool runToEnd() {
        canvas->StartTransition();
        return waitUntil([this] { return !canvas->Animating(); });
    }
    QImage shown() { return canvas->grab().toImage(); }

    std::unique_ptr<QWidget> host;
    TVorlinscreen* canvas = nullptr;
    std::vector<int> frames;
    int completions = 0;
};

std::vector<int> range(int from, int to, int step) {
    std::vector<int> v;
    for (int p = from; step > 0 ? p <= to : p >= to; p += step) v.push_back(p);
    return v;
}

// ---- Frame sequences, with the worker and with the event-pumping loop ----

class FrameSequence : public CanvasTest, public ::testing::WithParamInterface<bool> {};

TEST_P(FrameSequence, ForwardReverseAndStepLimits) {
    struct Row {
        const char* name;
        int step;
        bool reverse;
        std::vector<int> expected;
    };
    std::vector<int> step6 = range(6, 96, 6);
    step6.push_back(100);                          // 102 clamped
    std::vector<int> reverse6 = range(100, 4, -6); // 100 is the start frame, drawn by PrepareFrames
    reverse6.push_back(0);
    const Row rows[] = {
        {"step 4", 4, false, range(4, 100, 4)},        {"step 6", 6, false, step6},
        {"reverse step 6", 6, true, reverse6},         {"step 0 stored as 1", 0, false, range(1, 100, 1)},
        {"step 250 stored as 100", 250, false, {100}},
    };
    for (const Row& row : rows) {
        SetUp();
        canvas->SetThreaded(GetParam());
        canvas->SetStep(row.step);
        canvas->SetDelay(0);
        canvas->SetReverse(row.reverse);
        canvas->SetPicture(pattern(40, 30, 1));
        record();
        ASSERT_TRUE(runToEnd()) << row.name;
        EXPECT_EQ(frames, row.expected) << row.name;
        EXPECT_EQ(completions, 1) << row.name;
        EXPECT_FALSE(canvas->OldFrame()) << row.name;
        EXPECT_FALSE(canvas->NewFrame()) << row.name;
        EXPECT_FALSE(canvas->Thread()) << row.name;
        // Either direction ends on the new picture.
        EXPECT_TRUE(canvas->FScreen.samePixels(canvas->Picture())) << row.name;
        frames.clear();
        completions = 0;
        TearDown();
    }
}

// The cut in a reversed run ends at its first tick and shows the new picture.
TEST_P(FrameSequence, ReversedCutEndsAtOnceOnTheNewPicture) {
    canvas->SetThreaded(GetParam());
    canvas->SetStyle(0);
    canvas->SetReverse(true);
    canvas->SetDelay(0);
    canvas->SetPicture(pattern(40, 30, 2));
    record();
    ASSERT_TRUE(runToEnd());
    EXPECT_EQ(completions, 1);
    // The start frame and one tick; the cut holds the progress at 100.
    EXPECT_EQ(frames, (std::vector<int>{100, 100}));
    EXPECT_TRUE(canvas->FScreen.samePixels(canvas->Picture()));
}

// A reversed run plays the effect backwards: it starts on the picture shown, the new picture's share of
// the frame only grows, and it ends on the new picture, on screen too. The hooks see the exchanged frames
// (Picture is what the screen showed).
TEST_P(FrameSequence, ReversedRunPlaysBackwardsAndEndsOnTheNewPicture) {
    canvas->SetThreaded(GetParam());
    canvas->SetDelay(0);
    canvas->SetStep(10);
    canvas->SetPicture(solid(40, 30, kRed));
    ASSERT_TRUE(runToEnd());

    canvas->SetReverse(true);
    canvas->SetPicture(solid(40, 30, kBlue));
    std::vector<int> blueShares;
    bool hooksSawExchangedFrames = true;
    canvas->OnAfterNewFrame = [&](TCustomVorlinscreen& c, Bitmap& picture, Bitmap& screen) {
        hooksSawExchangedFrames = hooksSawExchangedFrames && picture.samePixels(solid(40, 30, kRed)) &&
                                  c.OldFrame()->samePixels(solid(40, 30, kBlue));
        int blue = 0;
        for (int y = 0; y < screen.height(); ++y)
            for (int x = 0; x < screen.width(); ++x) blue += screen.pixel(x, y) == kBlue ? 1 : 0;
        blueShares.push_back(blue);
    };
    ASSERT_TRUE(runToEnd());
    EXPECT_TRUE(hooksSawExchangedFrames);
    ASSERT_GE(blueShares.size(), 10u);
    EXPECT_EQ(blueShares.front(), 40 * 30 / 10); // the first frame after the start: one tenth wiped in
    EXPECT_EQ(blueShares.back(), 40 * 30);
    EXPECT_TRUE(std::is_sorted(blueShares.begin(), blueShares.end()));
    EXPECT_TRUE(canvas->FScreen.samePixels(solid(40, 30, kBlue)));
    const QImage image = shown();
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 40; ++x) ASSERT_EQ(at(image, x, y), kBlue) << x << "," << y;
}

INSTANTIATE_TEST_SUITE_P(Canvas, FrameSequence, ::testing::Values(true, false),
                         [](const auto& info) { return info.param ? "Threaded" : "Unthreaded"; });

// ---- Starting and stopping ----

TEST_F(CanvasTest, StartDoesNothingWithoutAPictureOrDuringARun) {
    record();
    canvas->StartTransition();
    EXPECT_FALSE(canvas->Animating());
    EXPECT_FALSE(canvas->Thread());

    canvas->SetPicture(pattern(40, 30, 3));
    canvas->SetDelay(5);
    canvas->StartTransition();
    ASSERT_TRUE(waitUntil([&] { return frames.size() >= 3; }));
    const auto worker = canvas->Thread();
    canvas->StartTransition();
    EXPECT_EQ(canvas->Thread(), worker); // no second worker
    ASSERT_TRUE(waitUntil([&] { return !canvas->Animating(); }));
    EXPECT_EQ(frames, range(4, 100, 4));
    EXPECT_EQ(completions, 1);
}

TEST_F(CanvasTest, StopKeepsTheLastFrameAndFiresNoComplete) {
    for (bool threaded : {true, false}) {
        SetUp();
        canvas->SetThreaded(threaded);
        canvas->SetDelay(10);
        canvas->SetStyle(1);
        canvas->SetPicture(pattern(60, 40, 4));
        Bitmap lastDrawn;
        canvas->OnAfterNewFrame = [&](TCustomVorlinscreen& c, Bitmap&, Bitmap& screen) {
            lastDrawn = screen;
            // The unthreaded loop runs inside StartTransition: stop it from a frame event.
            if (!threaded && c.FProgress >= 40) c.StopTransition();
        };
        record();
        canvas->StartTransition();
        if (threaded) {
            ASSERT_TRUE(waitUntil([&] { return canvas->FProgress >= 40; }));
            canvas->StopTransition();
        }
        EXPECT_FALSE(canvas->Animating());
        EXPECT_FALSE(canvas->Thread());
        EXPECT_FALSE(canvas->OldFrame());
        const std::size_t drawn = frames.size();
        serveFor(100);
        EXPECT_EQ(frames.size(), drawn) << "frames after the stop";
        EXPECT_EQ(completions, 0);
        EXPECT_LT(canvas->FProgress, 100);
        EXPECT_TRUE(canvas->FScreen.samePixels(lastDrawn));
        EXPECT_FALSE(canvas->FScreen.samePixels(canvas->Picture())); // a frame in between, not the end
        TearDown();
    }
}

TEST_F(CanvasTest, StopFromInsideAWorkerFrameDoesNotDeadlock) {
    canvas->SetDelay(1);
    canvas->SetPicture(pattern(40, 30, 5));
    record();
    bool stopAt20 = true;
    canvas->OnProgress = [&](TCustomVorlinscreen& c) {
        frames.push_back(c.FProgress);
        if (stopAt20 && c.FProgress == 20) c.StopTransition();
    };
    canvas->StartTransition();
    ASSERT_TRUE(waitUntil([&] { return !canvas->Animating(); }));
    serveFor(50);
    EXPECT_EQ(frames.back(), 20);
    EXPECT_EQ(completions, 0);
    // The next run gets a worker of its own and completes.
    stopAt20 = false;
    canvas->SetPicture(pattern(40, 30, 6));
    ASSERT_TRUE(runToEnd());
    EXPECT_EQ(completions, 1);
}

// ---- Manual ----

TEST_F(CanvasTest, ManualRoundTrips) {
    // Idle: the progress goes to the start of the direction.
    canvas->FProgress = 37;
    canvas->SetReverse(true);
    canvas->SetManual(true);
    EXPECT_EQ(canvas->FProgress, 100);
    canvas->SetReverse(false);
    canvas->SetManual(false);
    EXPECT_EQ(canvas->FProgress, 0);

    // During a run: the worker ends, the transition stays with its frames, SetProgress drives it.
    canvas->SetDelay(5);
    canvas->SetPicture(pattern(50, 40, 7));
    record();
    canvas->StartTransition();
    ASSERT_TRUE(waitUntil([&] { return canvas->FProgress >= 20; }));
    canvas->SetManual(true);
    ASSERT_TRUE(waitUntil([&] { return !canvas->Thread(); }));
    const std::size_t drawn = frames.size();
    serveFor(60);
    EXPECT_EQ(frames.size(), drawn);
    EXPECT_TRUE(canvas->Animating());
    ASSERT_TRUE(canvas->OldFrame() && canvas->NewFrame());
    EXPECT_EQ(completions, 0);

    canvas->SetProgress(50);
    EXPECT_EQ(canvas->FProgress, 50);
    EXPECT_EQ(frames.back(), 50);

    // Back to the frame loop: it continues from 50 and completes once.
    frames.clear();
    canvas->SetManual(false);
    ASSERT_TRUE(waitUntil([&] { return !canvas->Animating(); }));
    std::vector<int> expected = range(54, 98, 4);
    expected.push_back(100);
    EXPECT_EQ(frames, expected);
    EXPECT_EQ(completions, 1);
    EXPECT_TRUE(canvas->FScreen.samePixels(canvas->Picture()));
}

// Driven by hand, a reversed transition shows the same exchanged frames: 100 the picture shown, 0 the
// new one; handed back to the frame loop it ends on the new picture.
TEST_F(CanvasTest, ManualReversedRunShowsTheOldPictureAt100AndTheNewAt0) {
    canvas->SetDelay(0);
    canvas->SetPicture(solid(50, 40, kRed));
    ASSERT_TRUE(runToEnd());
    canvas->SetReverse(true);
    canvas->SetManual(true);
    canvas->SetPicture(solid(50, 40, kGreen));
    canvas->StartTransition();
    ASSERT_TRUE(canvas->Animating());
    EXPECT_TRUE(canvas->FScreen.samePixels(solid(50, 40, kRed)));
    canvas->SetProgress(0);
    EXPECT_TRUE(canvas->FScreen.samePixels(solid(50, 40, kGreen)));
    canvas->SetProgress(100);
    EXPECT_TRUE(canvas->FScreen.samePixels(solid(50, 40, kRed)));
    canvas->SetProgress(40);
    canvas->SetManual(false);
    ASSERT_TRUE(waitUntil([&] { return !canvas->Animating(); }));
    EXPECT_TRUE(canvas->FScreen.samePixels(solid(50, 40, kGreen)));
}

TEST_F(CanvasTest, ManualOffAndOnQuicklyKeepsOneWorker) {
    canvas->SetDelay(20);
    canvas->SetPicture(pattern(50, 40, 8));
    record();
    canvas->StartTransition();
    ASSERT_TRUE(waitUntil([&] { return frames.size() >= 2; }));
    // Switched back before the worker noticed: the old worker must not finish the continued run.
    canvas->SetManual(true);
    canvas->SetManual(false);
    ASSERT_TRUE(waitUntil([&] { return !canvas->Animating(); }));
    serveFor(50);
    EXPECT_EQ(completions, 1);
    EXPECT_EQ(frames.back(), 100);
    for (std::size_t i = 1; i < frames.size(); ++i) EXPECT_LT(frames[i - 1], frames[i]);
}

// An unthreaded run handed to Manual and back with Threaded set meanwhile (from an event its loop runs):
// a worker takes the run over and the loop below stops pacing, so StartTransition returns mid-run and the
// run completes once, frame by frame.
TEST_F(CanvasTest, LoopHandsTheRunToAWorker) {
    canvas->SetThreaded(false);
    canvas->SetDelay(5);
    canvas->SetPicture(pattern(50, 40, 9));
    record();
    QTimer::singleShot(15, host.get(), [this] {
        canvas->SetManual(true);
        canvas->SetThreaded(true);
        canvas->SetManual(false);
    });
    canvas->StartTransition();
    EXPECT_TRUE(canvas->Animating());
    EXPECT_TRUE(canvas->Thread());
    ASSERT_TRUE(waitUntil([&] { return !canvas->Animating(); }));
    serveFor(50);
    EXPECT_EQ(completions, 1);
    EXPECT_EQ(frames, range(4, 100, 4));
}

TEST_F(CanvasTest, UnthreadedRunSurvivesItsCanvasBeingDestroyedByAnEvent) {
    canvas->SetThreaded(false);
    canvas->SetDelay(10);
    canvas->SetPicture(pattern(40, 30, 16));
    record();
    // The loop pumps events between frames; one of them destroys the canvas.
    QTimer::singleShot(35, host.get(), [this] {
        delete canvas;
        canvas = nullptr;
    });
    TVorlinscreen* started = canvas;
    started->StartTransition(); // returns once the loop sees its canvas gone
    EXPECT_EQ(canvas, nullptr);
    EXPECT_EQ(completions, 0);
    EXPECT_FALSE(frames.empty());
    EXPECT_LT(frames.back(), 100);
}

TEST_F(CanvasTest, MouseEventsReachTheOwnersHandlers) {
    std::vector<std::string> seen;
    canvas->OnMouseDown = [&](TCustomVorlinscreen&, Qt::MouseButton b, Qt::KeyboardModifiers, int x, int y) {
        seen.push_back("down " + std::to_string(int(b)) + " " + std::to_string(x) + "," + std::to_string(y));
    };
    canvas->OnMouseUp = [&](TCustomVorlinscreen&, Qt::MouseButton, Qt::KeyboardModifiers, int x, int y) {
        seen.push_back("up " + std::to_string(x) + "," + std::to_string(y));
    };
    canvas->OnMouseMove = [&](TCustomVorlinscreen&, Qt::KeyboardModifiers m, int x, int y) {
        seen.push_back("move " + std::to_string(x) + "," + std::to_string(y) +
                       (m & Qt::ShiftModifier ? " shift" : ""));
        throw std::runtime_error("kept inside the handler");
    };
    canvas->OnClick = [&](TCustomVorlinscreen&) { seen.push_back("click"); };
    auto send = [&](QEvent::Type type, QPoint p, Qt::MouseButton b,
                    Qt::KeyboardModifiers m = Qt::NoModifier) {
        QMouseEvent e(type, QPointF(p), canvas->mapToGlobal(QPointF(p)), b,
                      type == QEvent::MouseButtonRelease ? Qt::NoButton : b, m);
        QCoreApplication::sendEvent(canvas, &e);
    };
    send(QEvent::MouseMove, {5, 6}, Qt::NoButton, Qt::ShiftModifier);
    send(QEvent::MouseButtonPress, {10, 20}, Qt::LeftButton);
    send(QEvent::MouseButtonRelease, {11, 21}, Qt::LeftButton);
    EXPECT_EQ(seen, (std::vector<std::string>{"move 5,6 shift", "down 1 10,20", "up 11,21", "click"}));
}

// ---- Loading ----

class LoadTest : public CanvasTest {
protected:
    std::string file(const std::string& name, const Bitmap& picture) {
        const std::string path = dir.filePath(QString::fromStdString(name)).toStdString();
        writeBmp(path, picture);
        return path;
    }
    QTemporaryDir dir;
};

TEST_F(LoadTest, PadsASmallerPictureAgainstTheLastOne) {
    canvas->SetColor(kGreen);
    const Bitmap big = pattern(300, 200, 9), small = pattern(100, 100, 10);
    canvas->LoadPictureFile(file("big.bmp", big));
    EXPECT_TRUE(canvas->Picture().samePixels(big)); // the first picture is its own reference
    EXPECT_EQ(canvas->width(), 300);                // AutoSize follows the picture

    canvas->LoadPictureFile(file("small.bmp", small));
    const Bitmap& padded = canvas->Picture();
    ASSERT_EQ(padded.width(), 303);
    ASSERT_EQ(padded.height(), 203);
    // Half of 203 is 101.5 and half of 103 is 51.5; both go to the even neighbour, plus 1.
    for (int y = 0; y < 203; ++y)
        for (int x = 0; x < 303; ++x) {
            const bool inside = x >= 103 && x < 203 && y >= 53 && y < 153;
            ASSERT_EQ(padded.pixel(x, y), inside ? small.pixel(x - 103, y - 53) : kGreen) << x << "," << y;
        }
    EXPECT_TRUE(canvas->LastPicture.samePixels(small));
    EXPECT_EQ(canvas->width(), 303);
}

// A picture larger than the control is kept only as far as the control shows it, and the screen shows
// what the whole picture would: its centre unscaled, or all of it stretched over the control. A picture
// stretched over the control covers it whole: the smaller one after it is not padded.
TEST_F(LoadTest, APictureIsKeptAsFarAsTheControlShowsIt) {
    canvas->SetAutoSize(false);
    canvas->SetCenter(true);
    canvas->resize(120, 80);
    canvas->SetStyle(0);
    const Bitmap big = pattern(301, 200, 3), small = pattern(100, 50, 4);
    auto expectShown = [&](const Bitmap& expected) {
        ASSERT_TRUE(runToEnd());
        const QImage image = shown().convertToFormat(QImage::Format_RGB888);
        for (int y = 0; y < 80; ++y)
            for (int x = 0; x < 120; ++x) {
                const QRgb p = image.pixel(x, y);
                ASSERT_EQ((Color{static_cast<std::uint8_t>(qRed(p)), static_cast<std::uint8_t>(qGreen(p)),
                                 static_cast<std::uint8_t>(qBlue(p))}),
                          expected.pixel(x, y))
                    << x << "," << y;
            }
    };
    canvas->LoadPictureFile(file("big.bmp", big));
    EXPECT_EQ(canvas->Picture().width(), 120);
    EXPECT_EQ(canvas->Picture().height(), 80);
    Bitmap centre(120, 80);
    // (120 − 301) div 2 = −90 and (80 − 200) div 2 = −60: the picture's columns 90.. and rows 60.. show.
    vorlin::gfx::copyRect(centre, 0, 0, big, Rect{90, 60, 210, 140});
    expectShown(centre);

    canvas->SetStretch(true);
    canvas->LoadPictureFile(file("big.bmp", big));
    Bitmap stretched(120, 80);
    vorlin::gfx::stretchCopy(stretched, stretched.rect(), big, big.rect());
    expectShown(stretched);
    canvas->LoadPictureFile(file("small.bmp", small));
    EXPECT_TRUE(canvas->Picture().samePixels(small));
    vorlin::gfx::stretchCopy(stretched, stretched.rect(), small, small.rect());
    expectShown(stretched);
}

TEST_F(LoadTest, PadToWindowUsesTheClientSize) {
    canvas->SetAutoSize(false);
    canvas->resize(200, 150);
    canvas->PadToWindow = true;
    canvas->SetColor(kGrey);
    canvas->LoadPictureFile(file("p.bmp", pattern(50, 50, 11)));
    // 203 − 50 = 153 → 76.5 → 76 + 1; 153 − 50 = 103 → 51.5 → 52 + 1.
    ASSERT_EQ(canvas->Picture().width(), 203);
    ASSERT_EQ(canvas->Picture().height(), 153);
    EXPECT_EQ(canvas->Picture().pixel(77, 53), pattern(50, 50, 11).pixel(0, 0));
    EXPECT_EQ(canvas->Picture().pixel(76, 53), kGrey);
    EXPECT_EQ(canvas->Picture().pixel(77, 52), kGrey);
}

TEST_F(LoadTest, ShrinkToFitUsesTheControlAsTheBox) {
    canvas->SetAutoSize(false);
    canvas->resize(152, 112);
    canvas->ShrinkToFit = true;
    canvas->LoadPictureFile(file("wide.bmp", solid(640, 480, kRed)));
    // 480/112 > 640/152: the height limits, the width is 640 · 112 / 480 = 149.3 → 149.
    EXPECT_EQ(canvas->LastPicture.width(), 149);
    EXPECT_EQ(canvas->LastPicture.height(), 112);
    EXPECT_EQ(canvas->Picture().width(), 149); // its own reference: not padded
}

// A stretched picture covers the whole control by itself: it is not padded against a larger picture
// before it (which would shrink it and squash it with the border), nor to the window.
TEST_F(LoadTest, StretchedPicturesAreNotPadded) {
    canvas->SetAutoSize(false);
    canvas->resize(200, 150);
    canvas->SetColor(kGreen);
    canvas->SetStretch(true);
    canvas->SetDelay(0);
    canvas->LoadPictureFile(file("big.bmp", solid(300, 200, kRed)));
    ASSERT_TRUE(runToEnd());
    const Bitmap small = pattern(100, 50, 12);
    canvas->LoadPictureFile(file("small.bmp", small));
    EXPECT_TRUE(canvas->Picture().samePixels(small));
    ASSERT_TRUE(runToEnd());
    // Stretched 2× across and 3× down: each control pixel shows the picture pixel under it.
    const QImage image = shown();
    for (int y = 0; y < 150; ++y)
        for (int x = 0; x < 200; ++x) ASSERT_EQ(at(image, x, y), small.pixel(x / 2, y / 3)) << x << "," << y;

    canvas->PadToWindow = true;
    canvas->LoadPictureFile(file("small2.bmp", solid(60, 40, kBlue)));
    EXPECT_EQ(canvas->Picture().width(), 60);
    EXPECT_EQ(canvas->Picture().height(), 40);
}

TEST_F(LoadTest, IconsAndMetafilesTakeTheControlColourBitmapsStayAsTheyAre) {
    const std::string data = VORLIN_TEST_DATA_DIR;
    struct Row {
        std::string path;
        bool flattened;
    } rows[] = {
        {data + "/pictures/ico_bmp32.ico", true},
        {data + "/metafiles/drawing-paths.wmf", true},
        {data + "/pictures/bmp_32bit_alpha.bmp", false},
    };
    for (const Row& row : rows) {
        canvas->SetColor(kRed);
        canvas->LastPicture = Bitmap();
        canvas->LoadPictureFile(row.path);
        const Bitmap onRed = canvas->Picture();
        canvas->SetColor(kBlue);
        canvas->LastPicture = Bitmap();
        canvas->LoadPictureFile(row.path);
        const Bitmap onBlue = canvas->Picture();
        ASSERT_EQ(onRed.width(), onBlue.width()) << row.path;
        int differing = 0;
        for (int y = 0; y < onRed.height(); ++y)
            for (int x = 0; x < onRed.width(); ++x) {
                if (onRed.pixel(x, y) == onBlue.pixel(x, y)) continue;
                ++differing;
                // Where the colour shows through, it shows fully (transparent pixels).
                if (onRed.pixel(x, y) == kRed) {
                    EXPECT_EQ(onBlue.pixel(x, y), kBlue) << row.path;
                }
            }
        if (row.flattened) {
            EXPECT_GT(differing, 0) << row.path;
        } else {
            EXPECT_EQ(differing, 0) << row.path;
            const auto bytes = vorlin::gfx::readPictureFile(row.path);
            EXPECT_TRUE(onRed.samePixels(vorlin::gfx::decodeBmp(bytes, row.path).pixels)) << row.path;
        }
    }
}

TEST_F(LoadTest, AFailedLoadNamesTheFileAndKeepsThePicture) {
    canvas->SetPicture(pattern(10, 10, 12));
    const std::string missing = dir.filePath("missing.jpg").toStdString();
    try {
        canvas->LoadPictureFile(missing);
        FAIL() << "no error";
    } catch (const vorlin::gfx::PictureError& e) {
        EXPECT_NE(std::string(e.what()).find("missing.jpg"), std::string::npos);
    }
    EXPECT_TRUE(canvas->Picture().samePixels(pattern(10, 10, 12)));
}

// ---- What the control shows ----

TEST_F(CanvasTest, PlacementAfterARun) {
    struct Row {
        const char* name;
        bool center, stretch, fine;
        Rect expected; // where the red picture shows in the 200×150 control; blue elsewhere
    } rows[] = {
        {"top-left", false, false, false, {0, 0, 100, 50}},
        {"centred", true, false, false, {50, 50, 150, 100}},
        {"stretched", false, true, false, {0, 0, 200, 150}},
        // 100×50 fitted into 200×150: 200×100, centred vertically.
        {"stretched fine", true, true, true, {0, 25, 200, 125}},
    };
    for (const Row& row : rows) {
        SetUp();
        canvas->SetAutoSize(false);
        canvas->resize(200, 150);
        canvas->SetColor(kBlue);
        canvas->SetCenter(row.center);
        canvas->SetStretch(row.stretch);
        canvas->SetStretchFine(row.fine);
        canvas->SetDelay(0);
        canvas->SetPicture(solid(100, 50, kRed));
        ASSERT_TRUE(runToEnd()) << row.name;
        // The paint buffer, composed piecewise by the frames' repaints, already holds the whole result.
        const Bitmap& buffer = canvas->FPaintBuffer;
        ASSERT_EQ(buffer.width(), 200);
        for (int y = 0; y < 150; ++y)
            for (int x = 0; x < 200; ++x)
                ASSERT_EQ(buffer.pixel(x, y), row.expected.contains(x, y) ? kRed : kBlue)
                    << row.name << " buffer at " << x << "," << y;
        const QImage image = shown();
        ASSERT_EQ(image.width(), 200);
        for (int y = 0; y < 150; ++y)
            for (int x = 0; x < 200; ++x)
                ASSERT_EQ(at(image, x, y), row.expected.contains(x, y) ? kRed : kBlue)
                    << row.name << " at " << x << "," << y;
        TearDown();
    }
}

TEST_F(CanvasTest, BackgroundModes) {
    const int bw = 30, bh = 20, cw = 100, ch = 50;
    const Bitmap bg = pattern(bw, bh, 13);
    struct Row {
        TBackgroundMode mode;
        std::function<Color(int, int)> expected;
    } rows[] = {
        {bmNone, [](int, int) { return kGrey; }},
        {bmTiled, [&](int x, int y) { return bg.pixel(x % bw, y % bh); }},
        // Centred at ((100 − 30) div 2, (50 − 20) div 2) = (35, 15).
        {bmCentered,
         [&](int x, int y) {
             return x >= 35 && x < 65 && y >= 15 && y < 35 ? bg.pixel(x - 35, y - 15) : kGrey;
         }},
        // Stretched: each control pixel shows the background pixel under its centre.
        {bmStretched,
         [&](int x, int y) { return bg.pixel((2 * x + 1) * bw / (2 * cw), (2 * y + 1) * bh / (2 * ch)); }},
    };
    for (const Row& row : rows) {
        SetUp();
        canvas->SetAutoSize(false);
        canvas->resize(cw, ch);
        canvas->SetColor(kGrey);
        canvas->SetBgPicture(bg);
        canvas->SetBgMode(row.mode);
        const QImage image = shown();
        for (int y = 0; y < ch; ++y)
            for (int x = 0; x < cw; ++x)
                ASSERT_EQ(at(image, x, y), row.expected(x, y))
                    << "mode " << row.mode << " at " << x << "," << y;
        TearDown();
    }
}

// The next transition starts from what is shown: the old frame is the background under the picture's
// place, the new picture then covers it.
TEST_F(CanvasTest, OldFrameIsWhatTheScreenShowed) {
    canvas->SetAutoSize(false);
    canvas->resize(120, 80);
    canvas->SetColor(kGrey);
    canvas->SetCenter(true);
    canvas->SetDelay(0);
    canvas->SetPicture(solid(60, 40, kRed));
    ASSERT_TRUE(runToEnd());

    Bitmap oldFrame;
    canvas->OnBeforeNewFrame = [&](TCustomVorlinscreen& c, Bitmap&, Bitmap&) {
        if (oldFrame.isEmpty()) oldFrame = *c.OldFrame();
    };
    // 80×60 centred at (20,10): its old frame holds the red 60×40 at (10,10) inside it, grey around.
    canvas->SetPicture(solid(80, 60, kBlue));
    ASSERT_TRUE(runToEnd());
    ASSERT_EQ(oldFrame.width(), 80);
    for (int y = 0; y < 60; ++y)
        for (int x = 0; x < 80; ++x)
            ASSERT_EQ(oldFrame.pixel(x, y), x >= 10 && x < 70 && y >= 10 && y < 50 ? kRed : kGrey)
                << x << "," << y;

    // After ClearScreen the next old frame is background only.
    canvas->ClearScreen();
    EXPECT_TRUE(canvas->FScreen.isEmpty());
    oldFrame = Bitmap();
    canvas->update();
    serveFor(20);
    canvas->SetPicture(solid(80, 60, kRed));
    ASSERT_TRUE(runToEnd());
    EXPECT_TRUE(oldFrame.samePixels(solid(80, 60, kGrey)));
}

// With the progress already at its start value no start frame is drawn; until the first frame the
// screen buffer must show what the screen showed there, not the previous buffer's pixels moved about.
TEST_F(CanvasTest, UndrawnStartFrameShowsWhatWasOnScreen) {
    canvas->SetAutoSize(false);
    canvas->resize(100, 100);
    canvas->SetColor(kGrey);
    canvas->SetCenter(true);
    canvas->SetDelay(0);
    canvas->SetPicture(solid(60, 60, kRed)); // shown at (20,20)
    ASSERT_TRUE(runToEnd());
    canvas->SetManual(true); // idle: progress back to 0, the forward start value
    canvas->SetPicture(solid(100, 100, kBlue));
    canvas->StartTransition();
    ASSERT_TRUE(canvas->Animating());
    EXPECT_EQ(canvas->FProgress, 0);
    for (int y = 0; y < 100; ++y)
        for (int x = 0; x < 100; ++x)
            ASSERT_EQ(canvas->FScreen.pixel(x, y), x >= 20 && x < 80 && y >= 20 && y < 80 ? kRed : kGrey)
                << x << "," << y;
    // A stop in Manual ends the transition too (no worker to wait for).
    record();
    canvas->StopTransition();
    EXPECT_FALSE(canvas->Animating());
    EXPECT_FALSE(canvas->OldFrame());
    EXPECT_EQ(completions, 0);
}

TEST_F(CanvasTest, PropertyDefaultsAndAlign) {
    EXPECT_EQ(canvas->width(), 100);
    EXPECT_EQ(canvas->height(), 100);
    EXPECT_TRUE(canvas->testAttribute(Qt::WA_OpaquePaintEvent));
    EXPECT_FALSE(canvas->testAttribute(Qt::WA_NativeWindow));
    EXPECT_EQ(TVorlinscreen().Style(), 101);
    EXPECT_EQ(canvas->Step(), 4);
    EXPECT_EQ(canvas->Delay(), 30);
    EXPECT_EQ(canvas->BgMode(), bmTiled);
    EXPECT_EQ(canvas->ThreadPriority(), tpNormal);
    EXPECT_TRUE(canvas->AutoSize());
    EXPECT_TRUE(canvas->Threaded());

    int changes = 0;
    canvas->OnChange = [&](TCustomVorlinscreen&) { ++changes; };
    canvas->SetPicture(pattern(70, 30, 14));
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(canvas->size(), QSize(70, 30));

    canvas->SetAlign(alClient);
    EXPECT_EQ(canvas->geometry(), host->rect());
    host->resize(250, 180);
    serveFor(20);
    EXPECT_EQ(canvas->geometry(), QRect(0, 0, 250, 180));
    canvas->SetPicture(pattern(20, 20, 15)); // aligned: AutoSize leaves the size alone
    EXPECT_EQ(canvas->size(), QSize(250, 180));
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
