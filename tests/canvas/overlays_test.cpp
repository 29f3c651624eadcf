// Captions and the clock on the canvas (offscreen platform, run with LANG=de_DE.UTF-8 so that the user's
// locale is German): dates in the locale's words, text that stands out on white, black and grey pictures,
// elision, the caption as part of the picture, and a clock that turns with the minute of the clock it is
// given and never reaches a transition's old frame.
#include "show/canvas/caption_stamp.h"
#include "show/canvas/text_badge.h"
#include "show/canvas/vorlinscreen.h"

#include "canvas_test_util.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDateTime>
#include <QElapsedTimer>
#include <QImage>
#include <QLocale>

#include <memory>

using namespace canvas_test;
using vorlin::Rect;
using namespace vorlin::canvas;

namespace {

const Color kWhite{255, 255, 255}, kBlack{0, 0, 0}, kGrey{128, 128, 128};

// The smallest rectangle holding every pixel of `b` that is not `background` (empty when none).
Rect changedArea(const Bitmap& b, Color background) {
    Rect r{b.width(), b.height(), 0, 0};
    for (int y = 0; y < b.height(); ++y)
        for (int x = 0; x < b.width(); ++x)
            if (b.pixel(x, y) != background) {
                r.Left = std::min(r.Left, x);
                r.Top = std::min(r.Top, y);
                r.Right = std::max(r.Right, x + 1);
                r.Bottom = std::max(r.Bottom, y + 1);
            }
    return r.Left < r.Right ? r : Rect{};
}

Bitmap fromImage(const QImage& image) {
    const QImage rgb = image.convertToFormat(QImage::Format_RGB888);
    Bitmap b(rgb.width(), rgb.height());
    for (int y = 0; y < rgb.height(); ++y)
        for (int x = 0; x < rgb.width(); ++x) {
            const uchar* p = rgb.constScanLine(y) + 3 * x;
            b.setPixel(x, y, Color{p[0], p[1], p[2]});
        }
    return b;
}

int countPixels(const Bitmap& b, const Rect& r, bool (*match)(Color)) {
    int n = 0;
    for (int y = r.Top; y < r.Bottom; ++y)
        for (int x = r.Left; x < r.Right; ++x) n += match(b.pixel(x, y)) ? 1 : 0;
    return n;
}
bool dark(Color c) {
    return c.r < 80 && c.g < 80 && c.b < 80;
}
bool bright(Color c) {
    return c.r > 225 && c.g > 225 && c.b > 225;
}

CaptionContent dated(int y, int m, int d) {
    return CaptionContent{{}, vorlin::gfx::PhotoDate{y, m, d, 10, 20, 30}};
}

TEST(CaptionLabel, DatesInTheShortFormatOfTheUsersLocale) {
    ASSERT_EQ(QLocale::system().name(), "de_DE") << "the test runs with LANG=de_DE.UTF-8";
    EXPECT_EQ(captionLabel(dated(2024, 3, 7)), "07.03.24");
    EXPECT_EQ(captionLabel(dated(1999, 12, 31)), "31.12.99");
    // A date no calendar has is left out, not shown as nonsense.
    EXPECT_EQ(captionLabel(dated(2023, 2, 29)), "");
    EXPECT_EQ(captionLabel(dated(2024, 13, 1)), "");
    EXPECT_EQ(captionLabel(CaptionContent{"Überlingen am See", {}}), "Überlingen am See");
    EXPECT_EQ(captionLabel(CaptionContent{}), "");
}

TEST(ClockText, TheLocalesShortTimeWithoutSecondsAndItsShortDate) {
    const QDateTime t(QDate(2026, 12, 31), QTime(23, 59, 58));
    // The C locale's short time has seconds: a clock that turns each minute leaves them out.
    EXPECT_EQ(ClockOverlay::clockText(QLocale::c(), t, vorlin::show::ckTime), "23:59");
    EXPECT_EQ(ClockOverlay::clockText(QLocale(QLocale::English, QLocale::UnitedStates), t.addSecs(-12 * 3600),
                                      vorlin::show::ckTime),
              "11:59 AM");
    EXPECT_EQ(ClockOverlay::clockText(QLocale::system(), t, vorlin::show::ckTimeDate), "31.12.26  23:59");
}

// The caption must stand out from the picture whatever its brightness: dark shadow pixels where the
// picture is light, white glyphs where it is dark, both on mid grey; only in the bottom-left corner, about
// a 36th of the screen high.
TEST(CaptionStampTest, ReadableOnWhiteBlackAndGreyPicturesInTheBottomLeftCorner) {
    const int w = 1920, h = 1080;
    for (const Color background : {kWhite, kBlack, kGrey}) {
        SCOPED_TRACE(testing::Message() << int(background.r));
        Bitmap picture(w, h, background);
        CaptionStamp stamp;
        stamp.setText("Sommerfest 2024 – Überlingen");
        stamp.stamp(picture, w, h);
        const Rect r = changedArea(picture, background);
        ASSERT_FALSE(r.isEmpty());
        EXPECT_LT(r.Left, 40);
        EXPECT_GT(r.Bottom, h - 40);
        EXPECT_LE(r.Bottom, h);
        // Glyphs of about 30 pixels with their shadow around them.
        EXPECT_GE(r.height(), 30);
        EXPECT_LE(r.height(), 90);
        EXPECT_LT(r.Right, w * 6 / 10);
        if (background != kBlack) {
            EXPECT_GT(countPixels(picture, r, dark), 1000);
        }
        if (background != kWhite) {
            EXPECT_GT(countPixels(picture, r, bright), 1000);
        }
    }
}

TEST(CaptionStampTest, LongTextIsElidedToSixtyPercentOfTheScreenOrTheFrame) {
    CaptionStamp stamp;
    stamp.setText(QString(300, QChar('W')));
    Bitmap wide(1920, 1080, kGrey);
    stamp.stamp(wide, 1920, 1080);
    const Rect r = changedArea(wide, kGrey);
    EXPECT_LE(r.Right, 1920 * 6 / 10);
    EXPECT_GT(r.Right, 1920 / 2); // the room is used
    // A frame narrower than the screen (a picture centred on it) keeps the caption inside.
    Bitmap narrow(400, 1080, kGrey);
    stamp.stamp(narrow, 1920, 1080);
    EXPECT_LT(changedArea(narrow, kGrey).Right, 400);
    // No caption: the frame is not touched.
    stamp.setText("");
    Bitmap untouched(1920, 1080, kGrey);
    stamp.stamp(untouched, 1920, 1080);
    EXPECT_TRUE(changedArea(untouched, kGrey).isEmpty());
}

class OverlayCanvasTest : public ::testing::Test {
protected:
    void SetUp() override {
        host = std::make_unique<QWidget>();
        host->resize(640, 480);
        canvas = new TVorlinscreen(host.get());
        canvas->SetAlign(alClient);
        canvas->SetAutoSize(false);
        canvas->SetStyle(1);
        canvas->SetDelay(0);
        host->show();
    }
    void TearDown() override { host.reset(); }
    Bitmap shown() { return fromImage(canvas->grab().toImage()); }

    std::unique_ptr<QWidget> host;
    TVorlinscreen* canvas = nullptr;
};

TEST_F(OverlayCanvasTest, TheCaptionIsPartOfThePictureTaken) {
    canvas->SetCaption(CaptionContent{"IMG_0042", {}});
    canvas->TakeLoadedPicture(solid(640, 480, kGrey));
    const Rect r = changedArea(canvas->Picture(), kGrey);
    ASSERT_FALSE(r.isEmpty());
    EXPECT_LT(r.Right, 640 / 2);
    EXPECT_GT(r.Top, 480 * 3 / 4);
    // The next picture without a caption is taken as it is.
    canvas->SetCaption(CaptionContent{});
    canvas->TakeLoadedPicture(solid(640, 480, kGrey));
    EXPECT_TRUE(canvas->Picture().samePixels(solid(640, 480, kGrey)));
}

TEST_F(OverlayCanvasTest, TheClockTurnsWithTheMinuteAndStaysOutOfTheOldFrame) {
    canvas->SetPicture(solid(640, 480, kGrey));
    canvas->StartTransition();
    ASSERT_TRUE(waitUntil([&] { return !canvas->Animating(); }));
    ASSERT_TRUE(changedArea(shown(), kGrey).isEmpty());

    // A clock 300 ms before a new year's first minute, running on from there.
    const QDateTime start(QDate(2026, 12, 31), QTime(23, 59, 59, 700));
    QElapsedTimer elapsed;
    elapsed.start();
    int turns = 0;
    canvas->OnProgress = [&](TCustomVorlinscreen&) { ++turns; };
    canvas->SetClock(vorlin::show::ckTimeDate, [=] { return start.addMSecs(elapsed.elapsed()); });
    ASSERT_NE(canvas->Clock(), nullptr);
    EXPECT_EQ(canvas->Clock()->text(), "31.12.26  23:59");
    serveFor(20);
    const Bitmap before = shown();
    const Rect r = changedArea(before, kGrey);
    ASSERT_FALSE(r.isEmpty());
    EXPECT_GT(r.Left, 640 / 2);
    EXPECT_GT(r.Top, 480 * 3 / 4);
    EXPECT_GT(r.Right, 640 - 20);

    ASSERT_TRUE(waitUntil([&] { return canvas->Clock()->text() == "01.01.27  00:00"; }, 3000));
    // The timer repaints the new text; views of the canvas hear of it through OnProgress.
    ASSERT_TRUE(waitUntil([&] { return turns == 1; }, 3000));
    serveFor(20);
    const Bitmap after = shown();
    EXPECT_FALSE(after.samePixels(before));
    EXPECT_TRUE(changedArea(after, kGrey).isEmpty() == false);

    // A transition starts from what the screen showed, without the clock: the clock is painted over it.
    canvas->SetManual(true);
    canvas->SetPicture(solid(640, 480, kBlack));
    canvas->StartTransition();
    ASSERT_NE(canvas->OldFrame(), nullptr);
    EXPECT_TRUE(canvas->OldFrame()->samePixels(solid(640, 480, kGrey)));
    canvas->SetProgress(50);
    serveFor(20);
    EXPECT_FALSE(changedArea(shown(), kGrey).isEmpty());
    canvas->StopTransition();

    // Off again: the corner shows the picture alone.
    canvas->SetClock(vorlin::show::ckNone);
    EXPECT_EQ(canvas->Clock(), nullptr);
    serveFor(20);
    const Bitmap off = shown();
    EXPECT_TRUE(off.samePixels(fromImage(canvas->grab().toImage())));
    EXPECT_EQ(off.pixel(630, 470), off.pixel(320, 240));
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
