// The full-screen show on two screens (Qt's offscreen platform with two screens of different sizes side
// by side): a surface on the second screen, what it shows in each Monitors mode judged by its pixels, and
// input on either screen ending both.
#include "show/settings/show_settings.h"
#include "show/windows/fullscreen_form.h"
#include "show/windows/monitor_surfaces.h"
#include "show/windows/saver_running.h"
#include "tests/lib/test_files.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <QScreen>
#include <QTest>

#include <set>
#include <string>
#include <vector>

using namespace vorlin;
using namespace vorlin::showwindows;

namespace {

// The offscreen platform's screens: 640×480 at the origin, 320×240 to its right.
constexpr const char* kScreens = R"({"screens": [
  {"name": "left", "x": 0, "y": 0, "width": 640, "height": 480, "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 1},
  {"name": "right", "x": 640, "y": 0, "width": 320, "height": 240, "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 1}
]})";

class MonitorSurfacesTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(QGuiApplication::screens().size(), 2);
        auto& s = show::showSettings();
        s = show::ShowSettings{};
        s.StetchImage = true; // a picture fills its canvas: every pixel is the picture's
        s.RandomImage = false;
        s.ImageInterval = 1;
        s.EffectSpeed = 1;
        s.PlayMusic = false;
        s.EnabledEffects.reset(); // the cut: a change is complete after one frame
    }
    void TearDown() override { EXPECT_EQ(cursorCount(), 0); }

    // Solid pictures, one per colour, in list order.
    void solidPictures(const std::vector<QColor>& colors) {
        for (std::size_t i = 0; i < colors.size(); ++i) {
            QImage image(64, 48, QImage::Format_RGB888);
            image.fill(colors[i]);
            const std::string path = dir_ / ("p" + std::to_string(i) + ".bmp");
            ASSERT_TRUE(image.save(QString::fromStdString(path)));
            show::showSettings().Pictures.push_back(path);
        }
    }
    static void showForm(TFullscreenForm& form) {
        form.show();
        ASSERT_TRUE(QTest::qWaitFor([&] { return form.Runner && form.Runner->TickCount >= 1; }, 3000));
        QTest::qWait(100);
    }
    static TShowSurface& onlySurface(TFullscreenForm& form) {
        EXPECT_TRUE(form.Monitors);
        EXPECT_EQ(form.Monitors->Surfaces().size(), 1u);
        return *form.Monitors->Surfaces().front();
    }
    // The two ways a picture fills its canvas in these tests: stretched (the plain path), or cropped to
    // cover it (the photo look composed at the canvas's size; the pictures have the screens' shapes).
    static void fillBy(bool crop) {
        show::showSettings().StetchImage = !crop;
        show::showSettings().Fill = crop ? show::pfCrop : show::pfColor;
    }
    // The colour a widget shows at a point of its own, as painted now.
    static QColor shown(QWidget& w, QPoint p) { return w.grab().toImage().pixelColor(p); }

    vorlin::testing::TempDir dir_;
};

TEST_F(MonitorSurfacesTest, SecondScreenGetsAFullScreenSurfaceThatEndsWithTheShow) {
    solidPictures({Qt::red, Qt::blue});
    TFullscreenForm form;
    showForm(form);
    const QList<QScreen*> screens = QGuiApplication::screens();
    EXPECT_EQ(form.geometry(), screens[0]->geometry());
    TShowSurface& surface = onlySurface(form);
    EXPECT_EQ(surface.Screen, screens[1]);
    EXPECT_EQ(surface.geometry(), screens[1]->geometry());
    EXPECT_TRUE(surface.isVisible());
    EXPECT_TRUE(surface.windowFlags() & Qt::FramelessWindowHint);
    EXPECT_TRUE(surface.windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_TRUE(cursorBlank());

    // A key on the second screen ends the show on both.
    QTest::keyClick(&surface, Qt::Key_Space);
    EXPECT_FALSE(form.isVisible());
    EXPECT_FALSE(form.Monitors);
    EXPECT_FALSE(cursorBlank());
}

TEST_F(MonitorSurfacesTest, MouseAllowanceIsSharedByAllScreens) {
    solidPictures({Qt::red});
    TFullscreenForm form;
    showForm(form);
    TShowSurface& surface = onlySurface(form);
    form.MouseTimer.stop(); // no refill in the middle of the sequence
    form.MouseAllowance = TFullscreenForm::kMouseAllowance;
    const auto move = [](QWidget& w, int x) {
        QMouseEvent event(QEvent::MouseMove, QPointF(x, 10), w.mapToGlobal(QPointF(x, 10)), Qt::NoButton,
                          Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(&w, &event);
    };
    // Two moves on each screen spend the one allowance; the fifth move, on either, ends both.
    for (int i = 0; i < 2; ++i) {
        move(surface, 10 + 20 * i);
        move(form, 10 + 20 * i);
    }
    EXPECT_TRUE(form.isVisible());
    EXPECT_EQ(form.MouseAllowance, 0);
    move(surface, 100);
    EXPECT_FALSE(form.isVisible());
}

TEST_F(MonitorSurfacesTest, SameModeShowsTheSameFrameOnBothScreensInStep) {
    solidPictures({Qt::red, Qt::green, Qt::blue});
    show::showSettings().Monitors = show::mmSame;
    for (const bool crop : {false, true}) {
        fillBy(crop);
        TFullscreenForm form;
        showForm(form);
        TShowSurface& surface = onlySurface(form);
        ASSERT_TRUE(surface.View);
        EXPECT_FALSE(surface.Runner);
        // Through three changes both screens show the same picture at the same moments, the smaller one
        // scaled.
        std::set<QRgb> seen;
        for (int change = 0; change < 3; ++change) {
            const int ticks = form.Runner->TickCount;
            QTest::qWait(50);
            const QColor left = shown(form, QPoint(320, 240));
            EXPECT_EQ(shown(form, QPoint(2, 2)), left) << "crop " << crop;
            EXPECT_EQ(shown(surface, QPoint(5, 5)), left) << "crop " << crop;
            EXPECT_EQ(shown(surface, QPoint(315, 235)), left) << "crop " << crop;
            seen.insert(left.rgb());
            ASSERT_TRUE(QTest::qWaitFor([&] { return form.Runner->TickCount > ticks; }, 4000));
        }
        EXPECT_GE(seen.size(), 2u);
        form.CloseNow();
    }
}

TEST_F(MonitorSurfacesTest, DifferentModeNeverShowsOnePictureOnBothScreens) {
    solidPictures({Qt::red, Qt::green, Qt::blue});
    show::showSettings().Monitors = show::mmDifferent;
    for (const bool randomImage : {false, true}) {
        show::showSettings().RandomImage = randomImage;
        fillBy(randomImage); // the cropped look in random order
        TFullscreenForm form;
        showForm(form);
        TShowSurface& surface = onlySurface(form);
        ASSERT_TRUE(surface.Runner);
        EXPECT_FALSE(surface.View);
        ASSERT_TRUE(QTest::qWaitFor([&] { return surface.Runner->TickCount >= 1; }, 3000));
        for (int sample = 0; sample < 12; ++sample) {
            QTest::qWait(150);
            if (form.Runner->Display->Animating() || surface.Runner->Display->Animating()) continue;
            EXPECT_NE(form.Runner->CurrentFile, surface.Runner->CurrentFile) << "random " << randomImage;
            EXPECT_NE(shown(form, QPoint(320, 240)), shown(surface, QPoint(160, 120)))
                << "random " << randomImage;
        }
        form.CloseNow();
        EXPECT_FALSE(form.Runner->PictureTaken) << "the rule ends with the surfaces";
    }
}

TEST_F(MonitorSurfacesTest, SpanModeShowsEachScreenItsPartOfOnePicture) {
    // One picture over the screens' box (960×480): red where the left screen lies, blue right of x 640
    // (the right screen's part), with a green bottom half there (below the right screen).
    QImage image(960, 480, QImage::Format_RGB888);
    image.fill(Qt::red);
    for (int y = 0; y < 480; ++y)
        for (int x = 640; x < 960; ++x) image.setPixelColor(x, y, y < 240 ? Qt::blue : Qt::green);
    const std::string path = dir_ / "wide.bmp";
    ASSERT_TRUE(image.save(QString::fromStdString(path)));
    show::showSettings().Pictures = {path};
    show::showSettings().Monitors = show::mmSpan;

    for (const bool crop : {false, true}) {
        fillBy(crop);
        TFullscreenForm form;
        showForm(form);
        ASSERT_TRUE(form.Monitors && form.Monitors->FormView());
        EXPECT_EQ(form.Runner->Display->size(), QSize(960, 480));
        EXPECT_FALSE(form.Runner->Display->isVisible()) << "the spanning canvas is never on screen itself";
        TShowSurface& surface = onlySurface(form);
        ASSERT_TRUE(surface.View);
        ASSERT_TRUE(QTest::qWaitFor([&] { return !form.Runner->Display->Animating(); }, 3000));
        QTest::qWait(50);
        const QImage left = form.grab().toImage(), right = surface.grab().toImage();
        for (const QPoint p : {QPoint(0, 0), QPoint(639, 479), QPoint(320, 240)})
            EXPECT_EQ(left.pixelColor(p), QColor(Qt::red)) << p.x() << "," << p.y() << " crop " << crop;
        for (const QPoint p : {QPoint(0, 0), QPoint(319, 239), QPoint(160, 120)})
            EXPECT_EQ(right.pixelColor(p), QColor(Qt::blue)) << p.x() << "," << p.y() << " crop " << crop;
        form.CloseNow();
    }
}

TEST_F(MonitorSurfacesTest, ShownAgainAfterAModeChangeRebuildsTheRunnerOnlyThen) {
    solidPictures({Qt::red, Qt::blue});
    TFullscreenForm form;
    showForm(form);
    form.CloseNow();
    form.show(); // the builder's second preview: the same runner
    EXPECT_EQ(form.RunnersCreated, 1);
    EXPECT_EQ(form.Monitors->Surfaces().size(), 1u);
    form.CloseNow();

    show::showSettings().Monitors = show::mmSpan;
    form.show();
    EXPECT_EQ(form.RunnersCreated, 2);
    EXPECT_EQ(form.Runner->Display->parentWidget(), form.SpanCanvasHolder());
    form.CloseNow();
    show::showSettings().Monitors = show::mmDifferent;
    form.show();
    EXPECT_EQ(form.RunnersCreated, 3);
    EXPECT_EQ(form.Runner->Display->parentWidget(), &form);
    EXPECT_TRUE(form.Monitors->Surfaces().front()->Runner);
    form.CloseNow();
}

} // namespace

int main(int argc, char** argv) {
    // Two screens on the offscreen platform, from a configuration file.
    vorlin::testing::TempDir config;
    vorlin::testing::writeFile(config / "screens.json", kScreens);
    qputenv("QT_QPA_PLATFORM", ("offscreen:configfile=" + config / "screens.json").c_str());
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
