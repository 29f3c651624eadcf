#include "saver_config/dialog_parts.h"

#include <QDesktopServices>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QScreen>
#include <QUrl>
#include <QVBoxLayout>

namespace vorlin::saverconfig {

QGroupBox* groupColumn(const QString& title, QWidget* parent, std::initializer_list<QWidget*> widgets) {
    auto* box = new QGroupBox(title, parent);
    auto* layout = new QVBoxLayout(box);
    for (QWidget* w : widgets) {
        w->setParent(box);
        layout->addWidget(w);
    }
    return box;
}

TLinkLabel::TLinkLabel(const QString& text, std::function<void()> onClick, QWidget* parent)
    : QLabel(text, parent), onClick_(std::move(onClick)) {
    setStyleSheet("color: blue; text-decoration: underline;");
    setCursor(Qt::PointingHandCursor);
}

void TLinkLabel::mouseReleaseEvent(QMouseEvent* e) {
    try {
        if (e->button() == Qt::LeftButton && rect().contains(e->position().toPoint()) && onClick_) onClick_();
    } catch (...) {
    }
}

void centreOnScreen(QWidget* w) {
    if (const QScreen* s = QGuiApplication::primaryScreen()) {
        const QRect g = s->availableGeometry();
        w->move(g.center() - QPoint(w->width() / 2, w->height() / 2));
    }
}

std::function<bool(const QString&)> desktopOpener() {
    return [](const QString& url) { return QDesktopServices::openUrl(QUrl::fromUserInput(url)); };
}

} // namespace vorlin::saverconfig
