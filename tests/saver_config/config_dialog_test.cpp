// The configuration dialog of a built screen saver and the about box, on a real X server.
//
// The dialog shows every control whole and inside itself at the scale factors desktops use, also after a
// row is added to its options: it takes its size from its content. The scale factor is read once when the
// application starts, so each factor runs in a child process of this program.
//
// The about box names the version the program prints for --version.

#include "platform/registry.h"
#include "saver_config/about_box.h"
#include "saver_config/config_dialog.h"
#include "show/settings/show_settings.h"

#include "../lib/shell.h"
#include "../lib/test_files.h"

#include <QAbstractButton>
#include <QAbstractSpinBox>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QImage>
#include <QLabel>
#include <QLayout>
#include <QScreen>
#include <QSet>
#include <QTest>

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

namespace {

using vorlin::testing::runShell;
using vorlin::testing::shellQuote;
using vorlin::testing::TempDir;
using vorlin::testing::writeFile;

constexpr const char* kChildVariable = "VORLIN_SCALE_CHILD";

bool isControl(QWidget* w) {
    return qobject_cast<QLabel*>(w) || qobject_cast<QAbstractButton*>(w) || qobject_cast<QComboBox*>(w) ||
           qobject_cast<QAbstractSpinBox*>(w) || qobject_cast<QGroupBox*>(w);
}

QRect inDialog(QWidget* w, QWidget* dialog) {
    return QRect(w->mapTo(dialog, QPoint(0, 0)), w->size());
}

// How many colours the grab shows inside `r` (logical coordinates).
int coloursIn(const QImage& grab, const QRect& r) {
    const qreal ratio = grab.devicePixelRatio();
    const QRect device(QPoint(qRound(r.left() * ratio), qRound(r.top() * ratio)),
                       QPoint(qRound((r.right() + 1) * ratio) - 1, qRound((r.bottom() + 1) * ratio) - 1));
    QSet<QRgb> colours;
    for (int y = device.top(); y <= device.bottom() && y < grab.height(); ++y)
        for (int x = device.left(); x <= device.right() && x < grab.width(); ++x)
            colours.insert(grab.pixel(x, y));
    return colours.size();
}

// Every control shown, inside the dialog, at least as large as it asks to be at the least, apart from its
// siblings, and drawn (more than one colour where it stands).
void expectEveryControlWhole(QDialog& dialog, const char* when) {
    SCOPED_TRACE(when);
    QApplication::processEvents();
    const QImage grab = dialog.grab().toImage();
    QList<QWidget*> controls;
    for (QWidget* w : dialog.findChildren<QWidget*>())
        if (isControl(w)) controls << w;
    ASSERT_GE(controls.size(), 20);
    for (QWidget* w : controls) {
        const std::string name =
            (w->metaObject()->className() + QString(" \"") +
             (qobject_cast<QLabel*>(w)            ? qobject_cast<QLabel*>(w)->text()
              : qobject_cast<QAbstractButton*>(w) ? qobject_cast<QAbstractButton*>(w)->text()
              : qobject_cast<QGroupBox*>(w)       ? qobject_cast<QGroupBox*>(w)->title()
                                                  : QString()) +
             "\"")
                .toStdString();
        const QRect r = inDialog(w, &dialog);
        EXPECT_TRUE(w->isVisibleTo(&dialog)) << name;
        EXPECT_TRUE(dialog.rect().contains(r))
            << name << " at " << r.x() << "," << r.y() << " " << r.width() << "x" << r.height();
        const QSize least = w->minimumSizeHint();
        EXPECT_GE(w->width(), least.width()) << name;
        EXPECT_GE(w->height(), least.height()) << name;
        EXPECT_GE(coloursIn(grab, r), 2) << name;
        for (QWidget* other : controls) {
            if (other != w && other->parentWidget() == w->parentWidget()) {
                EXPECT_FALSE(r.intersects(inDialog(other, &dialog))) << name << " overlaps another control";
            }
        }
    }
}

// Runs in a child process with QT_SCALE_FACTOR set by the parent test below.
TEST(ScaledDialog, EveryControlShowsWholeInsideTheDialog) {
    if (!std::getenv(kChildVariable)) GTEST_SKIP() << "runs as a child of ScaleFactors";
    TempDir dir;
    setenv("XDG_CONFIG_HOME", (dir / "config").c_str(), 1);
    writeFile(dir / "tune.wav", "w");
    writeFile(dir / "Sea.002",
              "[Music]\ntune.wav=1\n[Set]\nAuthor=Ann Example\nWebsite=https://ann.example/sea\n");
    vorlin::show::ShowSettingsFile settings;
    settings.read(dir / "Sea.scr", vorlin::platform::Registry());
    vorlin::saverconfig::TDistributeConfigForm dialog(settings, [](const QString&) { return true; });
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    expectEveryControlWhole(dialog, "as opened");
    EXPECT_TRUE(dialog.screen()->availableGeometry().contains(dialog.geometry()))
        << dialog.width() << "x" << dialog.height();

    // A row added to the options (as a new option would be) fits without any change to the dialog.
    auto* options = qobject_cast<QGroupBox*>(dialog.PlayMusicCheck->parentWidget());
    ASSERT_TRUE(options && options->layout());
    options->layout()->addWidget(new QCheckBox("An option added later, with a long caption", options));
    expectEveryControlWhole(dialog, "with a row added");
}

class ScaleFactors : public ::testing::TestWithParam<const char*> {};

TEST_P(ScaleFactors, DialogLaysItselfOut) {
    const auto [out, status] = runShell(
        std::string("QT_SCALE_FACTOR=") + GetParam() + " " + kChildVariable + "=1 " +
        shellQuote(QCoreApplication::applicationFilePath().toStdString()) + " --gtest_filter=ScaledDialog.*");
    EXPECT_EQ(status, 0) << out;
    EXPECT_NE(out.find("[  PASSED  ] 1 test"), std::string::npos) << out;
}

INSTANTIATE_TEST_SUITE_P(Desktop, ScaleFactors, ::testing::Values("1", "1.5", "2"), [](const auto& info) {
    std::string n = info.param;
    for (char& c : n)
        if (c == '.') c = '_';
    return "x" + n;
});

TEST(AboutBox, NamesTheVersionTheProgramPrints) {
    vorlin::saverconfig::TAboutForm about;
    QString line;
    for (const QLabel* label : about.findChildren<QLabel*>())
        if (label->text().startsWith("Version")) line = label->text();
    EXPECT_EQ(line, "Version  1.0");
    const auto [out, status] = runShell(shellQuote(VORLIN_PROGRAM) + " --version");
    EXPECT_EQ(status, 0);
    EXPECT_EQ(out, "VorlinSaver " + line.mid(9).toStdString() + "\n");
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
