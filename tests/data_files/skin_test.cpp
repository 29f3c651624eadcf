// The skin VorlinSaver.003 is a style sheet Qt accepts, and it gives the builder's named controls their
// look: the navigation bar's dark strip at 77 pixels, the accent-coloured Build button, flat buttons.

#include <QApplication>
#include <QFile>
#include <QImage>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>
#include <QWidget>

#include <gtest/gtest.h>

#include <cstdlib>

namespace {

QStringList warnings;

void collect(QtMsgType type, const QMessageLogContext&, const QString& text) {
    // Qt reports a sheet it cannot parse as a warning ("Could not parse application stylesheet");
    // unrelated platform notes of the offscreen plugin are left out.
    if (type != QtDebugMsg && type != QtInfoMsg && text.contains("stylesheet", Qt::CaseInsensitive))
        warnings << text;
}

QString skinText() {
    QFile f(QString::fromLocal8Bit(std::getenv("VORLIN_SKIN")));
    EXPECT_TRUE(f.open(QIODevice::ReadOnly)) << f.fileName().toStdString();
    return QString::fromUtf8(f.readAll());
}

// The colour most pixels of a widget's grab have (the background, when the widget is mostly empty).
QRgb dominantColour(QWidget& w) {
    const QImage img = w.grab().toImage();
    QHash<QRgb, int> counts;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x) ++counts[img.pixel(x, y) & 0xFFFFFF];
    QRgb best = 0;
    int most = -1;
    for (auto it = counts.begin(); it != counts.end(); ++it)
        if (it.value() > most) most = it.value(), best = it.key();
    return best;
}

TEST(Skin, ParsesAndStylesTheNamedControls) {
    int argc = 1;
    char name[] = "skin_tests";
    char* argv[] = {name, nullptr};
    QApplication app(argc, argv);
    qInstallMessageHandler(collect);

    const QString sheet = skinText();
    ASSERT_FALSE(sheet.isEmpty());
    app.setStyleSheet(sheet);

    QWidget window;
    auto* layout = new QVBoxLayout(&window);
    auto* nav = new QListWidget;
    nav->setObjectName("NavBar");
    auto* build = new QPushButton("Build");
    build->setObjectName("BuildB");
    auto* plain = new QPushButton("Add");
    layout->addWidget(nav);
    layout->addWidget(build);
    layout->addWidget(plain);
    window.resize(300, 400);
    window.show();
    QApplication::processEvents();
    qInstallMessageHandler(nullptr);

    EXPECT_TRUE(warnings.isEmpty()) << warnings.join("\n").toStdString();

    EXPECT_EQ(nav->width(), 77);
    EXPECT_EQ(dominantColour(*nav), 0x26303du);
    EXPECT_EQ(dominantColour(*build), 0x2f6fdeu);
    EXPECT_EQ(dominantColour(*plain), 0xffffffu);
}

} // namespace
