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
#include "saver_config/look_boxes.h"
#include "show/settings/show_settings.h"

#include "../lib/controls_whole.h"
#include "../lib/shell.h"
#include "../lib/test_files.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLayout>
#include <QScreen>
#include <QTest>

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

namespace {

using namespace vorlin::testing;

constexpr const char* kChildVariable = "VORLIN_SCALE_CHILD";

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
    expectEveryControlWhole(dialog, "as opened", 20);
    EXPECT_TRUE(dialog.screen()->availableGeometry().contains(dialog.geometry()))
        << dialog.width() << "x" << dialog.height();

    // A row added to the options (as a new option would be) fits without any change to the dialog.
    auto* options = qobject_cast<QGroupBox*>(dialog.PlayMusicCheck->parentWidget());
    ASSERT_TRUE(options && options->layout());
    options->layout()->addWidget(new QCheckBox("An option added later, with a long caption", options));
    expectEveryControlWhole(dialog, "with a row added", 20);
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

QStringList entries(const QComboBox* box) {
    QStringList texts;
    for (int i = 0; i < box->count(); ++i) texts << box->itemText(i);
    return texts;
}

// Pan and zoom, the caption and the clock show the stored values and OK stores what was chosen; the looks
// the dialog has no control for (Fill, Shuffle) keep their values.
TEST(DialogLooks, ShowAndStorePanZoomCaptionAndClock) {
    TempDir dir;
    setenv("XDG_CONFIG_HOME", (dir / "config").c_str(), 1);
    writeFile(dir / "Sea.002", "[Set]\nPanZoom=1\nCaption=2\nClock=1\nFill=2\nShuffle=1\n");
    vorlin::show::ShowSettingsFile settings;
    settings.read(dir / "Sea.scr", vorlin::platform::Registry());
    vorlin::saverconfig::TDistributeConfigForm dialog(settings, [](const QString&) { return true; });
    EXPECT_EQ(entries(dialog.CaptionCb),
              (QStringList{"None", "File name", "Date taken", "Title or description"}));
    EXPECT_EQ(entries(dialog.ClockCb), (QStringList{"None", "Time", "Time and date"}));
    EXPECT_TRUE(dialog.PanZoomCheck->isChecked());
    EXPECT_EQ(dialog.CaptionCb->currentText(), "Date taken");
    EXPECT_EQ(dialog.ClockCb->currentText(), "Time");

    dialog.PanZoomCheck->setChecked(false);
    dialog.CaptionCb->setCurrentIndex(3);
    dialog.ClockCb->setCurrentIndex(2);
    dialog.OKBClick();
    vorlin::show::ShowSettingsFile again;
    again.read(dir / "Sea.scr", vorlin::platform::Registry());
    EXPECT_FALSE(again.settings.PanZoom);
    EXPECT_EQ(again.settings.Caption, vorlin::show::cpTitle);
    EXPECT_EQ(again.settings.Clock, vorlin::show::ckTimeDate);
    EXPECT_EQ(again.settings.Fill, vorlin::show::pfCrop);
    EXPECT_TRUE(again.settings.Shuffle);
}

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
