#pragma once
// A check for laid-out windows: every control (label, button, combo box, spin box, group box) under a
// widget is shown, lies inside it, has at least the size it asks for at the least, overlaps none of its
// siblings and is drawn (more than one colour where it stands). Main thread; the widget is shown.

#include <QAbstractButton>
#include <QAbstractSpinBox>
#include <QApplication>
#include <QComboBox>
#include <QGroupBox>
#include <QImage>
#include <QLabel>
#include <QSet>

#include <gtest/gtest.h>

#include <string>

namespace vorlin::testing {

namespace controls_whole_detail {

inline bool isControl(QWidget* w) {
    return qobject_cast<QLabel*>(w) || qobject_cast<QAbstractButton*>(w) || qobject_cast<QComboBox*>(w) ||
           qobject_cast<QAbstractSpinBox*>(w) || qobject_cast<QGroupBox*>(w);
}

inline QRect inTop(QWidget* w, QWidget* top) {
    return QRect(w->mapTo(top, QPoint(0, 0)), w->size());
}

// How many colours the grab shows inside `r` (logical coordinates).
inline int coloursIn(const QImage& grab, const QRect& r) {
    const qreal ratio = grab.devicePixelRatio();
    const QRect device(QPoint(qRound(r.left() * ratio), qRound(r.top() * ratio)),
                       QPoint(qRound((r.right() + 1) * ratio) - 1, qRound((r.bottom() + 1) * ratio) - 1));
    QSet<QRgb> colours;
    for (int y = device.top(); y <= device.bottom() && y < grab.height(); ++y)
        for (int x = device.left(); x <= device.right() && x < grab.width(); ++x)
            colours.insert(grab.pixel(x, y));
    return colours.size();
}

inline std::string describe(QWidget* w) {
    const QString text = qobject_cast<QLabel*>(w)            ? qobject_cast<QLabel*>(w)->text()
                         : qobject_cast<QAbstractButton*>(w) ? qobject_cast<QAbstractButton*>(w)->text()
                         : qobject_cast<QGroupBox*>(w)       ? qobject_cast<QGroupBox*>(w)->title()
                                                             : QString();
    return (w->metaObject()->className() + QString(" \"") + text + "\"").toStdString();
}

} // namespace controls_whole_detail

// Checks every control under `top` (at least `leastControls` of them) as said at the top.
inline void expectEveryControlWhole(QWidget& top, const char* when, int leastControls) {
    using namespace controls_whole_detail;
    SCOPED_TRACE(when);
    QApplication::processEvents();
    const QImage grab = top.grab().toImage();
    QList<QWidget*> controls;
    for (QWidget* w : top.findChildren<QWidget*>())
        if (isControl(w)) controls << w;
    ASSERT_GE(controls.size(), leastControls);
    for (QWidget* w : controls) {
        const std::string name = describe(w);
        const QRect r = inTop(w, &top);
        EXPECT_TRUE(w->isVisibleTo(&top)) << name;
        EXPECT_TRUE(top.rect().contains(r))
            << name << " at " << r.x() << "," << r.y() << " " << r.width() << "x" << r.height();
        const QSize least = w->minimumSizeHint();
        EXPECT_GE(w->width(), least.width()) << name;
        EXPECT_GE(w->height(), least.height()) << name;
        EXPECT_GE(coloursIn(grab, r), 2) << name;
        for (QWidget* other : controls) {
            if (other != w && other->parentWidget() == w->parentWidget()) {
                EXPECT_FALSE(r.intersects(inTop(other, &top))) << name << " overlaps " << describe(other);
            }
        }
    }
}

} // namespace vorlin::testing
